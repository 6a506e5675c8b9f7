#!/usr/bin/env bash
# The desktop window end to end: the real cyclune in an X server of its own (Xvfb), driven by
# xdotool and read back from screenshots at cell corners, away from the text: the first
# frame, the arrows, a tap, the day report, the Options popup ("Set last period" by keys,
# "Help" by clicks and by digit), a resize, a second start, a request to record a period,
# F2 and the close button.
# Every check of the screen waits for what it expects (tests/e2e/wait_lib.sh).
# Usage: bash desktop_window_test.sh /path/to/cyclune     Exit 77: a tool it needs is missing.
set -uo pipefail

cyclune=${1:?usage: desktop_window_test.sh /path/to/cyclune}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wait_lib.sh"
for tool in Xvfb xdotool import python3; do
  command -v "$tool" >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done

start_scratch

# Polls a command until it succeeds; says what it waited for when time runs out (the
# caller's FAIL line then says what it found).
until_true() {
  poll_until "$@" && return 0
  echo "timed out after ${E2E_TIMEOUT}s waiting for: $*"
  return 1
}
# Runs an X client command that acts (a key, a click, a resize, a close), again while it
# cannot reach the X server: a busy server refuses new connections for a moment. Fails with
# the command's own error otherwise.
x_do() {
  local deadline=$((SECONDS + E2E_TIMEOUT)) status
  while :; do
    "$@" 2>"$tmp/x_do.err"
    status=$?
    grep -qiE "can't open display|cannot open the display|xdo instance" "$tmp/x_do.err" ||
      break
    ((SECONDS < deadline)) || break
    sleep 0.05
  done
  cat "$tmp/x_do.err" >&2
  return "$status"
}
probe() { python3 "$here/desktop_window_probe.py" "$@"; }

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" 2>"$tmp/xvfb.log" &
pids+=($!)
until_true test -s "$tmp/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$tmp/display")"
unset WAYLAND_DISPLAY  # the window would open natively on a Wayland session's display
export SDL_RENDER_DRIVER=software
export XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/run"
export CYCLUNE_MESSAGE_LOG="$tmp/messages.jsonl"
# No session bus: the program under test stays away from the user's desktop session (and
# the bus library's attempt to start one for the display is not made).
export DBUS_SESSION_BUS_ADDRESS="unix:path=$tmp/no-session-bus"
mkdir -m 700 "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
settings="$XDG_CONFIG_HOME/cyclune/registry.reg"
run_cyclune() { LC_ALL=en_US.UTF-8 "$cyclune" --window --now 2024-05-15T09:00:00 "$@"; }

white="255 255 255"
dark_blue="0 0 64"
blue="0 0 255"
open_key="90 90 90"

window_ids() { xdotool search --onlyvisible --name '^Cyclune$' 2>/dev/null; }
window_count() { window_ids | wc -l; }
no_window() { ! xdotool search --name '^Cyclune$' >/dev/null 2>&1; }
# Window position and size, the client height above the bar, the bar height and the cells.
# Fails, for a caller that waits, while the window or the X server cannot be read or no
# soft-key bar is shown below a client area.
read_geometry() {
  local geometry client X Y WIDTH HEIGHT
  geometry=$(xdotool getwindowgeometry --shell "$win" 2>/dev/null) || return 1
  eval "$(grep -E '^(X|Y|WIDTH|HEIGHT)=[0-9]+$' <<<"$geometry")"
  [[ -n ${X:-} && -n ${Y:-} && -n ${WIDTH:-} && -n ${HEIGHT:-} ]] || return 1
  client=$(probe client "$X" "$Y" "$WIDTH" "$HEIGHT" 2>/dev/null) || return 1
  ((client > 0 && client < HEIGHT)) || return 1
  wx=$X wy=$Y ww=$WIDTH wh=$HEIGHT ch=$client
  bar=$((wh - ch)) cw=$((ww / 7)) cell_h=$((ch / 8))
}
# Colours two pixels in from the top left corner of a cell (column, row), and at client x, y.
cell_colour() { probe colours "$((wx + $1 * cw + 2)),$((wy + $2 * cell_h + 2))"; }
point_colour() { probe colours "$((wx + $1)),$((wy + $2))"; }
cell_is() { [[ "$(cell_colour "$1" "$2")" =~ ^($3)$ ]]; }
point_is() { [[ "$(point_colour "$1" "$2")" =~ ^($3)$ ]]; }
expect_cell() { until_true cell_is "$1" "$2" "$3" || fail "$4: cell $1,$2 is $(cell_colour "$1" "$2")"; }
expect_point() { until_true point_is "$1" "$2" "$3" || fail "$4: $1,$2 is $(point_colour "$1" "$2")"; }
key() { x_do xdotool key --window "$win" "$@"; }
click() { x_do xdotool mousemove --sync "$((wx + $1))" "$((wy + $2))" click 1; }
messages() { if [[ -f $CYCLUNE_MESSAGE_LOG ]]; then wc -l <"$CYCLUNE_MESSAGE_LOG"; else echo 0; fi; }
more_messages_than() { (($(messages) > $1)); }
expect_box() {  # caption text, then the count of boxes before
  until_true more_messages_than "$2" || fail "no message box appeared for $1"
  tail -n1 "$CYCLUNE_MESSAGE_LOG" | grep -q "\"caption\": \"$1\"" ||
    fail "the box is not '$1': $(tail -n1 "$CYCLUNE_MESSAGE_LOG")"
  expect_point 2 2 "$blue" "the box's caption band covers the month view"
}
still_running() { kill -0 "$1" 2>/dev/null && [[ $(ps -o stat= -p "$1") != Z* ]]; }
has_ended() { ! still_running "$1"; }
exit_status() {  # waits for the process to end; its status
  until_true has_ended "$1" || fail "process $1 did not end"
  wait "$1"
}

# --- start: the first frame ----------------------------------------------------------------
run_cyclune >"$tmp/app.log" 2>&1 &
app=$!
pids+=("$app")
until_true window_ids >/dev/null || fail "no window named Cyclune"
win=$(window_ids)
# 15 May 2024 is a Wednesday; 1 May too, so the 15th is in column 3 of row 4.
first_frame() { read_geometry && cell_is 3 4 "$dark_blue"; }
until_true first_frame || fail "the first frame does not show 15 May selected"
# The view's 240 x 266 screen at twice its size on a display 1024 lines high.
[[ $ww -eq 480 && $ch -eq 532 ]] || fail "client area ${ww}x$ch, expected 480x532"
((bar > 0)) || fail "no soft-key bar below the client area"
cell_is 1 1 "$blue" || fail "the weekday row is not blue"
cell_is 0 0 "$white" || fail "the '<' cell is not white"
# Docks and task switchers match the window to io.github.cyclune.Cyclune.desktop by its class.
x_do xdotool search --class '^io\.github\.cyclune\.Cyclune$' | grep -qx "$win" ||
  fail "the window's WM_CLASS is not io.github.cyclune.Cyclune"

# --- idle, it sleeps until there is something to do: no wake-ups to poll the instance socket
# (that woke it ten times a second); a second start still reaches it (below).
until_true quiet_second || fail "the idle window keeps waking up"

# --- arrows and a tap -----------------------------------------------------------------------
key Down
expect_cell 4 4 "$dark_blue" "Down selects 16 May"
cell_is 3 4 "$white" || fail "15 May is still marked after Down"
key Right
expect_cell 0 5 "$dark_blue" "Right selects 16 June (a Sunday, the 1st is a Saturday)"
key Left
expect_cell 4 4 "$dark_blue" "Left goes back to 16 May"
key Up
expect_cell 3 4 "$dark_blue" "Up selects 15 May"
click $((cw + cw / 2)) $((5 * cell_h + cell_h / 2))
expect_cell 1 5 "$dark_blue" "a tap selects 20 May"

# --- the day report: Enter opens it, Enter closes it ----------------------------------------
before=$(messages)
key Return
expect_box "Monday, May 20, 2024" "$before"
key Return
expect_point 2 2 "$white" "Enter closes the report"
expect_cell 1 5 "$dark_blue" "the month view is back after the report"

# --- Options: Escape closes the popup, Enter on the first item sets the last period ---------
key F1
expect_point 2 $((ch + 2)) "$open_key" "F1 opens the Options popup"
key Escape
expect_point 2 $((ch + 2)) "40 40 40" "Escape closes the popup"
grep -qs LastPeriod "$settings" && fail "a last period was stored without a command"
key F1
expect_point 2 $((ch + 2)) "$open_key" "F1 opens the popup again"
key Return
period_stored() { grep -qs '"LastPeriodHigh"=dword:' "$settings"; }
until_true period_stored || fail "Set last period stored nothing: $(cat "$settings")"
[[ $(stat -c %a "$settings") == 600 ]] || fail "the settings file is not private (0600)"
expect_cell 2 5 "128 0 0|255 0 0" "the day after the new last period is a menstrual day"
expect_cell 1 5 "$dark_blue" "the selection stays"

# --- History by clicks on the bar and the popup, then Help by the digit 2 -------------------
saved=$(cksum <"$settings")
before=$(messages)
click 10 $((ch + bar / 2))
expect_point 2 $((ch + 2)) "$open_key" "a click on Options opens the popup"
click 20 $((ch - bar / 2))  # the last item, just above the bar
expect_box "History" "$before"
click 10 $((ch + bar / 2))  # OK
expect_point 2 2 "$white" "a click on OK closes the box"
before=$(messages)
key F1 2
expect_box "Help" "$before"
key F2
expect_point 2 2 "$white" "F2 closes the help"
[[ $(cksum <"$settings") == "$saved" ]] || fail "History or Help changed the settings file"

# --- a resize lays the grid out afresh ------------------------------------------------------
x_do xdotool windowsize --sync "$win" 700 500
# The geometry is read again on every try: the picture follows the new size a little later.
new_layout() {
  read_geometry && ((ww == 700)) && cell_is 1 5 "$dark_blue" && cell_is 1 1 "$blue"
}
until_true new_layout ||
  fail "no new layout with 20 May selected at 700 pixels wide: ${ww}x$wh, client height $ch," \
       "cell 1,5 is $(cell_colour 1 5), cell 1,1 is $(cell_colour 1 1)"
((cw == 100)) || fail "cell width $cw after resizing to 700 pixels"

# Back from a far larger size, what that size's paint made (its texts) is freed. Not under
# AddressSanitizer, whose quarantine keeps freed memory resident.
resident_kib() { awk '/^VmRSS/ { print $2 }' /proc/"$(program_pid)"/status; }
peak_kib() { awk '/^VmHWM/ { print $2 }' /proc/"$(program_pid)"/status; }
if [[ $(ASAN_OPTIONS=help=1 "$cyclune" --version 2>&1) != *AddressSanitizer* ]]; then
  resident=$(resident_kib)
  x_do xdotool windowsize --sync "$win" 5000 5000
  painted_large() { (($(peak_kib) > resident + 300000)); }  # three 5000 x 5000 surfaces
  until_true painted_large || fail "no paint at 5000 x 5000 (peak $(peak_kib) KiB)"
  x_do xdotool windowsize --sync "$win" 700 500
  until_true new_layout || fail "no layout at 700 pixels wide after 5000"
  freed() { (($(resident_kib) < resident + 12000)); }
  until_true freed || fail "$(($(resident_kib) - resident)) KiB more resident after 5000 x 5000"
fi

# --- a second start brings the running window forward and ends ------------------------------
cover_pid=""
start_cover() {
  xlogo -geometry "${ww}x${wh}+${wx}+${wy}" >/dev/null 2>&1 &
  cover_pid=$!
  pids+=("$cover_pid")
}
# A cover that could not reach the X server has ended: it is started again.
covered() {
  still_running "$cover_pid" || start_cover
  ! cell_is 1 5 "$dark_blue"
}
if command -v xlogo >/dev/null 2>&1; then
  start_cover
  until_true covered || fail "another window does not cover Cyclune's"
fi
LC_ALL=en_US.UTF-8 timeout $((2 * E2E_TIMEOUT)) "$cyclune" --window --now 2024-05-15T09:00:00 \
  >"$tmp/second.log" 2>&1
status=$?
((status == 0)) || fail "the second start exited with $status"
one_window() { (($(window_count) == 1)); }
until_true one_window || fail "$(window_count) Cyclune windows after a second start"
if [[ -n $cover_pid ]]; then
  expect_cell 1 5 "$dark_blue" "the running window came to the front"
  kill "$cover_pid"
fi

# --- a reminder's request to record a period wakes the idle window, which records it --------
socket=$(compgen -G "$XDG_RUNTIME_DIR/cyclune-*.sock") || fail "no instance socket"
answer=$(python3 -c 'import socket, sys
s = socket.socket(socket.AF_UNIX); s.connect(sys.argv[1]); s.sendall(b"period 2024-05-27\n")
print(s.recv(16).decode().strip())' "$socket") || fail "the period request could not be sent"
[[ $answer == ok ]] || fail "the period request was answered '$answer'"
expect_cell 1 6 "$dark_blue" "the recorded period's day (27 May) is selected"
expect_cell 2 6 "128 0 0|255 0 0" "the day after the recorded period is a menstrual day"

# --- F2 ends the application with status 0 --------------------------------------------------
key F2 2>/dev/null  # the key's release may find the window gone
exit_status "$app"
status=$?
((status == 0)) || fail "F2 ended the application with status $status"
# The X server takes the window away when it sees the connection close.
until_true no_window || fail "the window is still there after F2"

# --- the window's close button ends it with status 0 too ------------------------------------
run_cyclune >"$tmp/close.log" 2>&1 &
app=$!
pids+=("$app")
until_true window_ids >/dev/null || fail "no window at the third start"
win=$(window_ids)
until_true first_frame || fail "the third start shows no month view"
expect_cell 2 6 "128 0 0|255 0 0" "the stored last period is read back at the next start"
x_do probe close "$win"
exit_status "$app"
status=$?
((status == 0)) || fail "the close button ended the application with status $status"

# --- the display going away ends it with status 1, its instance socket removed ------------
run_cyclune >"$tmp/display-gone.log" 2>&1 &
app=$!
pids+=("$app")
until_true window_ids >/dev/null || fail "no window at the fourth start"
socket_there() { compgen -G "$XDG_RUNTIME_DIR/cyclune-*.sock" >/dev/null; }
until_true socket_there || fail "no instance socket in $XDG_RUNTIME_DIR"
kill "${pids[0]}"  # Xvfb
exit_status "$app"
status=$?
((status == 1)) || fail "the display going away ended the application with status $status"
socket_there && fail "the instance socket stayed after the display went away: $(ls "$XDG_RUNTIME_DIR")"

echo "PASS: desktop window"
