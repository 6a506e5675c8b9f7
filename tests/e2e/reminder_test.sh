#!/usr/bin/env bash
# cyclune --remind against real services: with no session bus it prints the reminder; on a
# private bus with dunst (under Xvfb) as the notification server, dunst's history shows the
# summary, the body, the app name and the icon; each reminder is said once across runs, a
# recording that moves the prediction makes it due again, and --discreet says no health word.
set -uo pipefail
CYCLUNE=${1:?usage: bash $0 /path/to/cyclune}
source "$(dirname "$0")/wait_lib.sh"
start_scratch
source "$(dirname "$0")/reminder_lib.sh"
for tool in dunst dunstctl Xvfb convert; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed: skipped"; exit 77; }
done

# No bus at all: the sentence on standard output, status 0, kept as said.
settings 2024-04-19
unset DBUS_SESSION_BUS_ADDRESS
remind no-bus
reminder_ends no-bus 0 "Period expected in 2 days (Friday, 17 May)"
[[ $(stat -c %a "$XDG_STATE_HOME/cyclune") == 700 ]] || fail "the state folder is not 0700"
[[ $(stat -c %a "$XDG_STATE_HOME/cyclune/reminders") == 600 ]] || fail "the state file is not 0600"
remind no-bus-again
reminder_ends no-bus-again 0 ""
remind printed --print --days-before 3
reminder_ends printed 0 ""  # said already, whichever way

# dunst on a private bus, finding our icon by its name.
start_bus
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
pids+=($!)
mkdir -p "$tmp/icons"
convert -size 16x16 xc:red "$tmp/icons/io.github.cyclune.Cyclune.png"
printf '[global]\n    icon_path = %s\n' "$tmp/icons" >"$tmp/dunstrc"
poll_until test -s "$tmp/display" || fail "Xvfb did not start"
DISPLAY=:$(cat "$tmp/display") dunst -conf "$tmp/dunstrc" >"$tmp/dunst.log" 2>&1 &
pids+=($!)
poll_until dunstctl is-paused >/dev/null 2>&1 || fail "dunst did not start"

displayed() { [[ $(dunstctl count displayed) == "$1" ]]; }
# shown NAME SUMMARY: the reminder NAME is on screen with SUMMARY; it is closed, the reminder
# ends, and the history's latest entry is checked.
shown() {
  poll_until displayed 1 || fail "$1: dunst shows nothing"
  dunstctl close
  reminder_ends "$1" 0 ""
  dunstctl history >"$tmp/history.json"
  "$PYTHON" - "$tmp/history.json" "$2" "$tmp/icons/io.github.cyclune.Cyclune.png" <<'PY' ||
import json, sys
latest = json.load(open(sys.argv[1]))["data"][0][0]
got = {key: latest[key]["data"] for key in ("summary", "body", "appname", "icon_path")}
want = {"summary": sys.argv[2], "body": "", "appname": "Cyclune", "icon_path": sys.argv[3]}
if got != want:
    sys.exit("dunst shows %r, not %r" % (got, want))
PY
    fail "$1: the notification is not as it should be"
}

rm -r "$XDG_STATE_HOME"
remind dunst
shown dunst "Period expected in 2 days (Friday, 17 May)"
remind dunst-again
reminder_ends dunst-again 0 ""
[[ $(dunstctl count history) == 1 ]] || fail "the reminder was said twice"

# A period recorded a day earlier moves the prediction to 16 May: due again.
settings 2024-04-18
remind moved
shown moved "Period expected tomorrow (Thursday, 16 May)"

settings 2024-04-17
CYCLUNE_DISCREET=1 remind discreet
shown discreet "Cyclune has a reminder for you"
grep -q "period-expected 2024-05-15" "$XDG_STATE_HOME/cyclune/reminders" ||
  fail "the discreet reminder was not kept as said"
echo "all reminder checks passed"
