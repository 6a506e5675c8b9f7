#!/usr/bin/env bash
# Speed and size of the desktop window under an X server of its own (Xvfb, 1280x1024, the
# software renderer): process start to the first frame presented, a key press to its
# repainted frame, and resident memory. The window reports each present on standard error
# when CYCLUNE_TRACE_FRAMES=1 ("cyclune-trace: frame SECONDS", CLOCK_MONOTONIC), and each
# key or click it reads ("cyclune-trace: input SECONDS"); the measuring side uses the same
# clock. Usage: bench/desktop_startup.sh [path/to/cyclune] [runs]
set -euo pipefail

cyclune=${1:-build/release/cyclune}
runs=${2:-15}
for tool in Xvfb xdotool python3; do
  command -v "$tool" >/dev/null 2>&1 || { echo "desktop_startup: $tool is missing" >&2; exit 1; }
done
[[ -x $cyclune ]] || { echo "desktop_startup: no program at $cyclune" >&2; exit 1; }

tmp=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$tmp"' EXIT
for _ in $(seq 200); do [[ -s $tmp/display ]] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$tmp/display")"
export SDL_RENDER_DRIVER=software CYCLUNE_TRACE_FRAMES=1
export XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/run"
mkdir -m 700 "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"

python3 - "$cyclune" "$runs" <<'EOF'
import os, statistics, subprocess, sys, time

cyclune, runs = sys.argv[1], int(sys.argv[2])
command = [cyclune, "--window", "--now", "2024-05-15T09:00:00"]


def start():
    started = time.monotonic()
    process = subprocess.Popen(command, stderr=subprocess.PIPE, text=True,
                               env=dict(os.environ, LC_ALL="en_US.UTF-8"))
    return started, process


def next_trace(process, kind):
    for line in process.stderr:
        if line.startswith("cyclune-trace: " + kind + " "):
            return float(line.split()[2])
    sys.exit("cyclune ended before a '%s' trace" % kind)


def window_of(process):
    for _ in range(400):
        found = subprocess.run(["xdotool", "search", "--pid", str(process.pid), "--name",
                                "^Cyclune$"], stdout=subprocess.PIPE, text=True).stdout.split()
        if found:
            return found[0]
        time.sleep(0.01)
    sys.exit("no window")


def memory(process):
    fields = {}
    with open("/proc/%d/status" % process.pid) as status:
        for line in status:
            name, _, value = line.partition(":")
            if name in ("VmRSS", "VmHWM"):
                fields[name] = int(value.split()[0])  # kB
    return fields["VmRSS"] / 1024, fields["VmHWM"] / 1024


def stop(process, window):
    # The window is gone before xdotool sends the key's release, which it reports as an error.
    subprocess.run(["xdotool", "key", "--window", window, "F2"], stderr=subprocess.DEVNULL)
    if process.wait(timeout=30) != 0:
        sys.exit("cyclune ended with status %d" % process.returncode)


def median_ms(values):
    return "median %.1f ms, max %.1f ms" % (1000 * statistics.median(values), 1000 * max(values))


first_frames = []
for _ in range(runs):
    started, process = start()
    first_frames.append(next_trace(process, "frame") - started)
    stop(process, window_of(process))

started, process = start()
next_trace(process, "frame")
window = window_of(process)
from_send, from_input = [], []
for index in range(60):
    sent = time.monotonic()
    subprocess.run(["xdotool", "key", "--window", window, "Down" if index % 2 == 0 else "Up"],
                   check=True)
    read = next_trace(process, "input")
    shown = next_trace(process, "frame")
    from_send.append(shown - sent)
    from_input.append(shown - read)
subprocess.run(["xdotool", "key", "--window", window, "F1", "2"], check=True)  # Help
next_trace(process, "frame")
next_trace(process, "frame")
rss, peak = memory(process)
subprocess.run(["xdotool", "key", "--window", window, "Return"], check=True)
stop(process, window)

print("start to first frame on screen (%d runs): %s" % (runs, median_ms(first_frames)))
print("key read to repainted frame on screen (60 keys): %s" % median_ms(from_input))
print("key sent (xdotool started) to repainted frame: %s" % median_ms(from_send))
print("resident memory with the help box open: %.1f MB, peak %.1f MB" % (rss, peak))
EOF
