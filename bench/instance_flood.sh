#!/usr/bin/env bash
# bench/instance_flood.sh CYCLUNE [SECONDS]: the one-instance rule under stress, whole-process
# wall-clock times. A terminal Cyclune runs in tmux on scratch settings and runtime folders.
#   1. stopped: it is stopped (SIGSTOP, as by Ctrl+Z) and a second start is timed, 5 times.
#   2. flood: while a client opens connections that never send anything (each kept a second)
#      for SECONDS (default 20), the month view is probed: Enter opens the day report, Enter
#      closes it, and each round trip is timed; then the same probes without the flood.
set -euo pipefail
cyclune=${1:?usage: bench/instance_flood.sh CYCLUNE [SECONDS]}
seconds=${2:-20}
command -v tmux >/dev/null || { echo "instance_flood: tmux is not installed" >&2; exit 1; }

python3 - "$cyclune" "$seconds" <<'EOF'
import glob, os, shutil, socket, statistics, subprocess, sys, tempfile, threading, time

cyclune, seconds = sys.argv[1], float(sys.argv[2])
work = tempfile.mkdtemp()
os.mkdir(work + "/config", 0o700)
os.mkdir(work + "/run", 0o700)
env = dict(os.environ, XDG_CONFIG_HOME=work + "/config", XDG_RUNTIME_DIR=work + "/run",
           TERM="xterm-256color", LC_ALL="C.UTF-8")
server = "instance-flood-%d" % os.getpid()
tmux = ["tmux", "-L", server]


def screen():
    return subprocess.run(tmux + ["capture-pane", "-p"], capture_output=True, text=True).stdout


def wait(test, limit=120.0):
    start = time.monotonic()
    while not test(screen()):
        if time.monotonic() - start > limit:
            sys.exit("instance_flood: timed out")
    return time.monotonic() - start


def probes(until):
    times = []
    while time.monotonic() < until:
        start = time.monotonic()
        subprocess.run(tmux + ["send-keys", "Enter"])
        wait(lambda s: "Wednesday" in s)
        subprocess.run(tmux + ["send-keys", "Enter"])
        wait(lambda s: "Wednesday" not in s)
        times.append(time.monotonic() - start)
    return times


def flood(path, until, made):
    held = []
    while time.monotonic() < until:
        client = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        client.setblocking(False)
        try:
            client.connect(path)
            held.append((time.monotonic(), client))
            made[0] += 1
        except OSError:
            client.close()
            time.sleep(0.001)
        while held and time.monotonic() - held[0][0] > 1.0:
            held.pop(0)[1].close()
    for _, client in held:
        client.close()


def report(name, times):
    print("%-12s %4d probes, median %.3f s, max %.3f s, total %.1f s"
          % (name, len(times), statistics.median(times), max(times), sum(times)))


try:
    subprocess.run(tmux + ["-f", "/dev/null", "new-session", "-d", "-x", "80", "-y", "24",
                           # not exec'd: tmux would continue a stopped pane process
                           "%s --terminal --now 2024-05-15T09:00:00; exit" % cyclune],
                   env=env, check=True)
    wait(lambda s: "May 2024" in s and "Exit" in s)
    shell = subprocess.run(tmux + ["display-message", "-p", "#{pane_pid}"],
                           capture_output=True, text=True).stdout.strip()
    pid = int(subprocess.run(["pgrep", "-P", shell], capture_output=True, text=True).stdout)
    os.kill(pid, 19)  # SIGSTOP
    second = [cyclune, "--headless", "--single-instance", "--out", work + "/out", "--script", "-"]
    for _ in range(5):
        start = time.monotonic()
        done = subprocess.run(second, env=env, input="", capture_output=True, text=True)
        print("stopped: second start %.2f s, status %d, %s"
              % (time.monotonic() - start, done.returncode, done.stderr.strip()))
    os.kill(pid, 18)  # SIGCONT
    path = glob.glob(work + "/run/*.sock")[0]
    made = [0]
    until = time.monotonic() + seconds
    flooder = threading.Thread(target=flood, args=(path, until, made))
    flooder.start()
    report("flood", probes(until))
    flooder.join()
    print("flood: %d idle connections in %.0f s" % (made[0], seconds))
    report("quiet", probes(time.monotonic() + seconds))
finally:
    subprocess.run(tmux + ["kill-server"], stderr=subprocess.DEVNULL)
    shutil.rmtree(work, ignore_errors=True)
EOF
