#!/usr/bin/env bash
# SIGKILL at random moments of 200 recordings, undos, removals and imports: the history and
# registry.reg agree after every one, and nothing reported done is lost
# (tests/e2e/history_kill_probe.py).
set -uo pipefail
CYCLUNE=${1:?usage: bash $0 /path/to/cyclune}
command -v python3 >/dev/null 2>&1 || { echo "python3 is not installed: skipped"; exit 77; }
python3 "$(dirname "$0")/history_kill_probe.py" "$CYCLUNE" 200
