#!/usr/bin/env bash
# The period history's cost, whole process: `cyclune --history` (text, json, csv) of a history
# of STARTS recordings, each made by its own `cyclune --record` (one operation each, as a user
# builds it), timed from spawn to exit beside `true`, `cyclune --version` and `cyclune
# --report`, interleaved, RUNS times each; the median, the fastest and the median processor
# time. Then which starts open the history: `--report`, `--month`, the headless runner's
# start (the window's own) and the terminal's first screen are traced (strace, openat) for
# history.sqlite, cyclune-history.so and libsqlite3.
# Usage: bench/history_commands.sh [path/to/cyclune] [runs] [starts]
set -euo pipefail

cyclune=${1:-build/release/cyclune}
runs=${2:-20}
starts=${3:-1000}
[[ -x $cyclune ]] || { echo "history_commands: no program at $cyclune" >&2; exit 1; }
command -v python3 >/dev/null 2>&1 || { echo "history_commands: python3 is missing" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp" LC_ALL=en_US.UTF-8
unset DISPLAY WAYLAND_DISPLAY

PYTHONPATH="$(dirname "$0")" python3 - "$cyclune" "$runs" "$starts" "$tmp" <<'EOF_PY'
import os, pty, select, subprocess, sys, time

from spawn_timing import interleaved, report

cyclune, runs, starts, tmp = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
now = ["--now", "2100-01-01T09:00:00"]
day = 0
for i in range(starts):  # 1 January 2000 on, 26 to 32 days apart
    day += 26 + i % 7
    date = time.strftime("%Y-%m-%d", time.gmtime(946684800 + day * 86400))
    subprocess.run([cyclune, "--record", date] + now, check=True, stdout=subprocess.DEVNULL)
size = os.path.getsize(os.path.join(tmp, "config/cyclune/history.sqlite"))
print("history of %d starts, %d operations, %d KiB" % (starts, starts + 1, size // 1024))

commands = [
    ("true", ["true"]),
    ("cyclune --version", [cyclune, "--version"]),
    ("cyclune --report", [cyclune, "--report"] + now),
    ("cyclune --history", [cyclune, "--history"] + now),
    ("cyclune --history=json", [cyclune, "--history=json"] + now),
    ("cyclune --history=csv", [cyclune, "--history=csv"] + now),
]

report(interleaved(commands, runs), commands, runs)


def opened(argv, terminal=False):
    """The files the start opens that belong to the history."""
    trace = os.path.join(tmp, "trace")
    command = ["strace", "-f", "-qq", "-e", "trace=openat", "-o", trace] + argv
    if terminal:  # on a pseudo-terminal until the soft-key bar is drawn, then F2
        pid, fd = pty.fork()
        if pid == 0:
            os.environ["TERM"] = "xterm-256color"
            os.execvp(command[0], command)
        seen = b""
        while b"Exit" not in seen and select.select([fd], [], [], 10)[0]:
            seen += os.read(fd, 65536)
        os.write(fd, b"\x1bOQ")
        while True:
            try:
                if not os.read(fd, 65536):
                    break
            except OSError:
                break
        os.waitpid(pid, 0)
    else:
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    names = ("history.sqlite", "cyclune-history.so", "libsqlite3")
    return sorted({name for line in open(trace) for name in names if name in line})


if subprocess.run(["which", "strace"], stdout=subprocess.DEVNULL).returncode == 0:
    script = os.path.join(tmp, "script.txt")
    open(script, "w").write("key 0x28\n")
    for name, argv, terminal in [
            ("--report", [cyclune, "--report"] + now, False),
            ("--month", [cyclune, "--month"] + now, False),
            ("headless start", [cyclune, "--headless", "--script", script, "--out", tmp] + now,
             False),
            ("terminal start", [cyclune, "--terminal"] + now, True)]:
        print("%-16s opens of the history: %s" % (name, opened(argv, terminal) or "none"))
EOF_PY
