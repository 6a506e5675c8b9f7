#!/usr/bin/env bash
# The desktop window natively on Wayland: the real cyclune, with no X display named, in a
# headless weston of its own. weston's headless backend has no input devices; the test seat
# module (weston_test_seat.c) gives it a keyboard that this script types on. The screen is
# read back with weston's screenshooter: the first frame shows 15 May selected, Down moves
# the selection one cell right; idle, it does not wake, and a second start reaches it; F2
# ends the program with status 0; the window's app_id is the application ID. Then the same compositor
# without the seat: the program must say why in one line and exit 1, not crash.
# Usage: bash wayland_window_test.sh /path/to/cyclune
# Needs CYCLUNE_WESTON_TEST_SEAT, the built module. Exit 77: weston, the module or a tool is
# missing, or weston cannot start here.
set -uo pipefail

cyclune=${1:?usage: wayland_window_test.sh /path/to/cyclune}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wait_lib.sh"
skip() { echo "SKIP: $*"; exit 77; }
for tool in weston weston-screenshooter convert mkfifo; do
  command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
seat_module=${CYCLUNE_WESTON_TEST_SEAT:-}
[[ -f $seat_module ]] || skip "the weston test seat module was not built (libweston-10-dev)"

start_scratch

# weston keeps its socket in XDG_RUNTIME_DIR, which must be private to its owner.
export XDG_RUNTIME_DIR="$tmp/run" XDG_CONFIG_HOME="$tmp/config"
export DBUS_SESSION_BUS_ADDRESS="unix:path=$tmp/no-session-bus"
mkdir -m 700 "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$tmp/shots"
unset DISPLAY SDL_VIDEODRIVER
mkfifo "$tmp/keys"

# start_weston SOCKET [MODULE]: a headless compositor drawing with pixman (screenshots need
# pixels; --debug lets the screenshooter in). Skips the test when it cannot start.
start_weston() {
  local socket=$1 modules=()
  [[ -n ${2:-} ]] && modules=(--modules="$2")
  CYCLUNE_TEST_SEAT_KEYS="$tmp/keys" weston --backend=headless-backend.so --socket="$socket" \
    --use-pixman --width=1024 --height=1024 --idle-time=0 --debug --no-config "${modules[@]}" \
    >"$tmp/weston-$socket.log" 2>&1 &
  weston_pid=$!
  pids+=("$weston_pid")
  socket_ready() { [[ -S $XDG_RUNTIME_DIR/$socket ]] || ! kill -0 "$weston_pid" 2>/dev/null; }
  poll_until socket_ready
  [[ -S $XDG_RUNTIME_DIR/$socket ]] && kill -0 "$weston_pid" 2>/dev/null ||
    skip "weston cannot start here: $(tail -n1 "$tmp/weston-$socket.log")"
}

run_cyclune() {  # SOCKET LOG [ASAN_OPTIONS]; the client's side of the protocol is logged too
  ASAN_OPTIONS=${3:-${ASAN_OPTIONS:-}} WAYLAND_DISPLAY=$1 WAYLAND_DEBUG=client \
    CYCLUNE_TRACE_FRAMES=1 LC_ALL=en_US.UTF-8 \
    "$cyclune" --window --now 2024-05-15T09:00:00 >"$2" 2>&1
}
# In a sanitizer build, what the window stack under SDL's Wayland driver (Mesa's EGL,
# libdecor, libwayland-client) leaves allocated at exit is not ours to find; our own
# allocations are checked by the other tests, and by the seatless run below.
window_asan_options=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
frames() {
  [[ -f $tmp/app.log ]] || { echo 0; return; }
  awk '/^cyclune-trace: frame/ { n++ } END { print n + 0 }' "$tmp/app.log"
}
more_frames_than() { (($(frames) > $1)); }
type_key() { echo "$1" >"$tmp/keys"; }  # a Linux key code: 108 Down, 60 F2

# The screen's selected day: the box "WxH+X+Y" around its dark blue (0 0 64) pixels.
selection_box() {
  local shot
  rm -f "$tmp/shots"/*.png
  (cd "$tmp/shots" && WAYLAND_DISPLAY=cyclune-test weston-screenshooter) >/dev/null 2>&1 ||
    return 1
  shot=$(ls "$tmp/shots"/*.png 2>/dev/null | head -n1)
  [[ -n $shot ]] || return 1
  convert "$shot" -alpha off -fill black +opaque '#000040' -fill white -opaque '#000040' -trim \
    -format '%wx%h%X%Y' info: 2>/dev/null
}
selected_at() {  # the selection box is a cell, its left edge past $1
  local box x
  box=$(selection_box) || return 1
  [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || return 1
  x=${BASH_REMATCH[3]}
  ((BASH_REMATCH[1] >= 20 && BASH_REMATCH[2] >= 20 && x > $1)) || return 1
  selection_x=$x cell_width=${BASH_REMATCH[1]}
}

# --- a compositor with a keyboard: the window opens natively, is painted, takes keys ----------
start_weston cyclune-test "$seat_module"
run_cyclune cyclune-test "$tmp/app.log" "$window_asan_options" &
app=$!
pids+=("$app")
poll_until more_frames_than 0 || fail "no frame was presented on Wayland"
poll_until selected_at -1 || fail "the screen shows no selected day: $(selection_box)"
first_x=$selection_x
before=$(frames)
type_key 108
poll_until more_frames_than "$before" || fail "Down brought no new frame"
poll_until selected_at $((first_x + cell_width / 2)) ||
  fail "Down did not move the selection right of x=$first_x: $(selection_box)"
# Idle, it sleeps until there is something to do, yet a second start still reaches it: the
# running one answers, and the second ends with status 0.
poll_until quiet_second || fail "the idle window keeps waking up"
run_cyclune cyclune-test "$tmp/second.log" "$window_asan_options" &
second=$!
pids+=("$second")
second_ended() { ! kill -0 "$second" 2>/dev/null; }
poll_until second_ended || fail "a second start did not end"
wait "$second"
status=$?
((status == 0)) || fail "a second start exited with $status: $(grep cyclune: "$tmp/second.log")"
type_key 60
has_ended() { ! kill -0 "$app" 2>/dev/null; }
poll_until has_ended || fail "F2 did not end the program"
wait "$app"
status=$?
((status == 0)) || fail "the program exited with status $status after F2"
grep -q 'trying x11' "$tmp/app.log" && fail "the program left Wayland for X11"
# Docks and task switchers match the window to io.github.cyclune.Cyclune.desktop by its app_id.
grep -qF '.set_app_id("io.github.cyclune.Cyclune")' "$tmp/app.log" ||
  fail "the window's app_id is not io.github.cyclune.Cyclune"

# --- a compositor without a seat: one line and status 1, no crash ------------------------------
start_weston cyclune-seatless
run_cyclune cyclune-seatless "$tmp/seatless.log"
status=$?
((status == 1)) || fail "without a seat the program exited with status $status, not 1"
why="the Wayland display cyclune-seatless offers no seat (no keyboard or mouse)"
grep -qxF "cyclune: cannot open a window: $why" "$tmp/seatless.log" ||
  fail "without a seat the program did not say why"

echo "PASS: Wayland window"
