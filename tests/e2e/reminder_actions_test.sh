#!/usr/bin/env bash
# The reminder's actions, chosen through python3-dbusmock's notification server on a private
# bus: a server without actions is offered none and the reminder ends at once; with actions,
# "Started today" records a period today in the history and the settings or, while a terminal
# Cyclune is open (tmux), asks that one over its socket, which records it so, and its month
# repaints; "Open Cyclune" asks the open
# one to come forward, and with none open starts the window (under Xvfb).
set -uo pipefail
source "$(dirname "$0")/terminal_lib.sh"
tmp=$WORK/reminder
pids=()
mkdir -p "$tmp"
trap 'for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done; wait 2>/dev/null; cleanup' EXIT
source "$(dirname "$0")/reminder_lib.sh"
"$PYTHON" -c 'import dbusmock' 2>/dev/null || { echo "python3-dbusmock is missing: skipped"; exit 77; }
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed: skipped"; exit 77; }
done

# mock [CAPABILITIES]: a fresh notification server, its calls logged in $tmp/mock.log.
mock_pid=
mock() {
  [[ -n $mock_pid ]] && kill "$mock_pid" && wait "$mock_pid" 2>/dev/null
  : >"$tmp/mock.log"
  "$PYTHON" -m dbusmock --template notification_daemon -l "$tmp/mock.log" \
    ${1:+-p "{\"capabilities\": \"$1\"}"} >"$tmp/mock.out" 2>&1 &
  mock_pid=$!
  pids+=("$mock_pid")
  poll_until dbus-send --session --print-reply --dest=org.freedesktop.Notifications \
    /org/freedesktop/Notifications org.freedesktop.Notifications.GetCapabilities >/dev/null 2>&1 ||
    fail "the mock notification server did not start"
}
notified() { grep -qF "Notify " "$tmp/mock.log"; }
# choose KEY: waits for the notification, then the user chooses the action KEY.
choose() {
  poll_until notified || { fail "no notification was sent"; return; }
  "$PYTHON" -c '
import dbus, sys
mock = dbus.SessionBus().get_object("org.freedesktop.Notifications", "/org/freedesktop/Notifications")
mock.EmitSignal("org.freedesktop.Notifications", "ActionInvoked", "us",
                [dbus.UInt32(1), sys.argv[1]], dbus_interface="org.freedesktop.DBus.Mock")' "$1"
}
tick_halves() {
  "$PYTHON" -c '
import datetime, sys
t = (datetime.datetime.fromisoformat(sys.argv[1]) - datetime.datetime(1601, 1, 1))
t = t // datetime.timedelta(microseconds=1) * 10
print("\"LastPeriodHigh\"=dword:%08x \"LastPeriodLow\"=dword:%08x" % (t >> 32, t & 0xffffffff))' "$1"
}

start_bus
settings 2024-04-19
mock  # the template's own capabilities: no actions
remind no-actions
reminder_ends no-actions 0 ""
grep -qF 'Notify "Cyclune" 0 "io.github.cyclune.Cyclune" "Period expected in 2 days (Friday, 17 May)" "" [] {"desktop-entry": "io.github.cyclune.Cyclune"' \
  "$tmp/mock.log" || fail "the notification without actions: $(cat "$tmp/mock.log")"

# "Started today" with no Cyclune open: the reminder records it.
rm -r "$XDG_STATE_HOME"
mock "body actions"
remind started
choose started-today
reminder_ends started 0 "Recorded a period that started today."
grep -qF '["started-today", "Started today", "open", "Open Cyclune"]' "$tmp/mock.log" ||
  fail "the actions offered: $(cat "$tmp/mock.log")"
for half in $(tick_halves 2024-05-15T09:00:00); do
  grep -qxF "$half" "$XDG_CONFIG_HOME/cyclune/registry.reg" || fail "the settings lack $half"
done
# recorded_in: the history's newest start is 15 May, recorded by the reminder.
recorded_in() {
  "$CYCLUNE" --history=csv --dry-run | tail -n 1 | grep -q '^2024-05-15,.*,reminder,' ||
    fail "$1: the history's newest start: $("$CYCLUNE" --history=csv --dry-run | tail -n 1)"
}
recorded_in "none open"

# With a terminal Cyclune open on the same settings, it records the period itself.
settings 2024-04-19
rm -r "$XDG_STATE_HOME"
start_pane open 80 24 XDG_CONFIG_HOME="$XDG_CONFIG_HOME"
wait_coloured open "48;5;196" 17  # the predicted start
mock "body actions"
remind asked
choose started-today
reminder_ends asked 0 "Cyclune is open: it was asked to record a period that started today."
wait_coloured open "48;5;88" 16  # 15 May began a period: the next days are menstrual now
wait_coloured open "48;5;88" 17
recorded_in "the terminal"

mock "body actions"
remind forward --now 2024-06-10T09:00:00  # the new prediction, 11 June, is due
choose open
reminder_ends forward 0 "Cyclune is open: it was asked to come forward."

# With no Cyclune open on these settings, "Open Cyclune" starts the window.
export XDG_CONFIG_HOME=$tmp/config-closed
rm -r "$XDG_STATE_HOME"
settings 2024-04-19
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
pids+=($!)
poll_until test -s "$tmp/display" || fail "Xvfb did not start"
export DISPLAY=:$(cat "$tmp/display")
mock "body actions"
remind started-window
choose open
reminder_ends started-window 0 "Started Cyclune."
window_shown() { xdotool search --classname io.github.cyclune.Cyclune >/dev/null 2>&1; }
wait_until "the window Cyclune" window_shown
finish
