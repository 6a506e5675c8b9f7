#!/usr/bin/env bash
# Whole-process time of the commands for scripts: `cyclune --report`, `--month` and `--ics`
# (to standard output) from spawn to exit, beside `true` as the floor that spawning alone
# costs, `cal` where installed, and `cyclune --version`, which starts the executable and
# opens no module. Settings in a scratch folder with a last period, English locale, a fixed now.
# Prints the median and the spread of RUNS runs of each (20 by default), wall-clock time, the
# median as a multiple of `true`'s (machines and moments differ mostly in what starting any
# process costs), and the median processor time (user + system) of the process.
# Usage: bench/script_commands.sh [path/to/cyclune] [runs]
set -euo pipefail

cyclune=${1:-build/release/cyclune}
runs=${2:-20}
[[ -x $cyclune ]] || { echo "script_commands: no program at $cyclune" >&2; exit 1; }
command -v python3 >/dev/null 2>&1 || { echo "script_commands: python3 is missing" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/config/cyclune"
# Last period 1 May 2024 09:00, the initial cycle settings.
printf 'Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\n"LastPeriodHigh"=dword:01da9ba5\n"LastPeriodLow"=dword:f26d2800\n' \
  > "$tmp/config/cyclune/registry.reg"

XDG_CONFIG_HOME="$tmp/config" LC_ALL=en_US.UTF-8 PYTHONPATH="$(dirname "$0")" \
  python3 - "$cyclune" "$runs" <<'EOF_PY'
import os, sys

from spawn_timing import interleaved, report

cyclune, runs = sys.argv[1], int(sys.argv[2])
now = ["--now", "2024-05-15T09:00:00"]
commands = [
    ("true", ["true"]),
    ("cyclune --version", [cyclune, "--version"]),
    ("cyclune --report", [cyclune, "--report"] + now),
    ("cyclune --month", [cyclune, "--month", "--color=always"] + now),
    ("cyclune --ics", [cyclune, "--ics"] + now),
]
# cal (package ncal), where installed: a small C program that prints a month, for scale.
if any(os.access(os.path.join(folder, "cal"), os.X_OK)
       for folder in os.environ.get("PATH", "").split(os.pathsep)):
    commands.insert(1, ("cal", ["cal", "5", "2024"]))

report(interleaved(commands, runs), commands, runs)
EOF_PY
