#!/usr/bin/env bash
# Whole-process time of `cyclune --remind`, from spawn to exit, beside `true` as the floor that
# spawning alone costs: with nothing to say (a last period whose next prediction is weeks
# away; no bus is opened), and with a notification to show each time (the kept state removed
# before every run, outside the timing) on a private session bus whose notification server is
# python3-dbusmock's, without actions so that nothing waits for a choice. The server is Python:
# its answers are part of the second figure. English locale, a fixed now.
# Usage: bench/reminder_startup.sh [path/to/cyclune] [runs]      (defaults: build/release/cyclune 40)
set -euo pipefail

cyclune=${1:-build/release/cyclune}
runs=${2:-40}
python=/usr/bin/python3  # Debian's, with python3-dbusmock
[[ -x $cyclune ]] || { echo "reminder_startup: no program at $cyclune" >&2; exit 1; }
for tool in dbus-daemon dbus-send; do
  command -v "$tool" >/dev/null || { echo "reminder_startup: $tool is missing" >&2; exit 1; }
done
"$python" -c 'import dbusmock' || { echo "reminder_startup: python3-dbusmock is missing" >&2; exit 1; }

tmp=$(mktemp -d)
pids=()
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done; rm -rf "$tmp"' EXIT
mkdir -p "$tmp/config/cyclune"
# Last period 1 May 2024 09:00, the initial cycle settings: 29 May is predicted.
printf 'Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\n"LastPeriodHigh"=dword:01da9ba5\n"LastPeriodLow"=dword:f26d2800\n' \
  > "$tmp/config/cyclune/registry.reg"
bus_config=$(cd "$(dirname "$0")/../tests/e2e" && pwd)/session_bus.conf
dbus-daemon --config-file="$bus_config" --fork --print-address=3 --print-pid=4 \
  3>"$tmp/bus.address" 4>"$tmp/bus.pid"
pids+=("$(cat "$tmp/bus.pid")")
export DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$tmp/bus.address")
"$python" -m dbusmock --template notification_daemon >"$tmp/mock.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  dbus-send --session --print-reply --dest=org.freedesktop.Notifications \
    /org/freedesktop/Notifications org.freedesktop.Notifications.GetCapabilities \
    >/dev/null 2>&1 && break
  sleep 0.05
done

XDG_CONFIG_HOME="$tmp/config" XDG_STATE_HOME="$tmp/state" LC_ALL=en_US.UTF-8 \
  PYTHONPATH="$(dirname "$0")" "$python" - "$cyclune" "$runs" "$tmp/state/cyclune/reminders" <<'EOF_PY'
import os, statistics, sys

from spawn_timing import interleaved

cyclune, runs, state = sys.argv[1], int(sys.argv[2]), sys.argv[3]
commands = [
    ("true", ["true"]),
    ("--remind, nothing to say", [cyclune, "--remind", "--now", "2024-05-20T09:00:00"]),
    ("--remind, a notification", [cyclune, "--remind", "--now", "2024-05-27T09:00:00"]),
]


def forget(name):
    """The notification's run says it afresh each time: what was said is forgotten."""
    if name == commands[2][0] and os.path.exists(state):
        os.remove(state)


samples = interleaved(commands, runs, forget)
if not os.path.exists(state):
    sys.exit("the notification run kept no state: it said nothing")
for name, _ in commands:
    walls = sorted(wall for wall, _ in samples[name])
    cpu = statistics.median(cpu for _, cpu in samples[name])
    print("%-26s median %6.2f ms   min %6.2f ms   max %6.2f ms   cpu %6.2f ms   (%d runs)"
          % (name, statistics.median(walls), walls[0], walls[-1], cpu, runs))
EOF_PY
