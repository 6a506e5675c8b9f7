#!/usr/bin/env bash
# How often an idle Cyclune wakes: the voluntary context switches of all its threads over
# SECONDS of doing nothing, the desktop window under an X server of its own (Xvfb, the
# software renderer), natively on Wayland (headless weston, where installed) and the terminal
# under tmux. A process that waits only for input has
# none; one that polls wakes at the polling rate. Usage:
#   bench/idle_wakeups.sh [path/to/cyclune] [seconds]
set -euo pipefail

cyclune=${1:-build/release/cyclune}
seconds=${2:-5}
for tool in Xvfb xdotool tmux; do
  command -v "$tool" >/dev/null 2>&1 || { echo "idle_wakeups: $tool is missing" >&2; exit 1; }
done
[[ -x $cyclune ]] || { echo "idle_wakeups: no program at $cyclune" >&2; exit 1; }

tmp=$(mktemp -d)
server=cyclune-idle-$$
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; tmux -L "$server" kill-server 2>/dev/null; rm -rf "$tmp"' EXIT
for _ in $(seq 200); do [[ -s $tmp/display ]] && break; sleep 0.05; done
export XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/run"
mkdir -m 700 "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"

# The voluntary switches of every thread of process $1.
switches() {
  cat /proc/"$1"/task/*/status | awk '/^voluntary_ctxt_switches/ { sum += $2 } END { print sum }'
}
# idle NAME PID: waits a second for the start to settle, then counts over $seconds.
idle() {
  sleep 1
  local before after
  before=$(switches "$2")
  sleep "$seconds"
  after=$(switches "$2")
  printf '%-10s %4d voluntary context switches in %d s idle\n' "$1" $((after - before)) "$seconds"
}

DISPLAY=":$(head -n1 "$tmp/display")" SDL_RENDER_DRIVER=software \
  "$cyclune" --window --now 2024-05-15T09:00:00 2>/dev/null &
window=$!
for _ in $(seq 400); do
  DISPLAY=":$(head -n1 "$tmp/display")" xdotool search --pid "$window" --name '^Cyclune$' \
    >/dev/null 2>&1 && break
  sleep 0.05
done
idle window "$window"
kill "$window"
wait "$window" 2>/dev/null || true

# Wayland: a headless weston with the test seat (the built tests/e2e/weston_test_seat.so,
# named by CYCLUNE_WESTON_TEST_SEAT), where both are there.
if command -v weston >/dev/null 2>&1 && [[ -f ${CYCLUNE_WESTON_TEST_SEAT:-} ]]; then
  mkfifo "$tmp/keys"  # the seat's keyboard, which types nothing here
  CYCLUNE_TEST_SEAT_KEYS="$tmp/keys" weston --backend=headless-backend.so --socket=cyclune-idle --use-pixman --idle-time=0 \
    --no-config --modules="$CYCLUNE_WESTON_TEST_SEAT" >/dev/null 2>&1 &
  weston=$!
  for _ in $(seq 200); do [[ -S $XDG_RUNTIME_DIR/cyclune-idle ]] && break; sleep 0.05; done
  env -u DISPLAY WAYLAND_DISPLAY=cyclune-idle CYCLUNE_TRACE_FRAMES=1 XDG_CONFIG_HOME="$tmp/config3" \
    "$cyclune" --window --now 2024-05-15T09:00:00 2>"$tmp/wayland.log" &
  wayland=$!
  for _ in $(seq 400); do grep -q 'trace: frame' "$tmp/wayland.log" && break; sleep 0.05; done
  idle wayland "$wayland"
  kill "$wayland" "$weston"
  wait "$wayland" "$weston" 2>/dev/null || true
fi

tmux -L "$server" -f /dev/null new-session -d -x 80 -y 24 \
  "env -u DISPLAY -u WAYLAND_DISPLAY TERM=xterm-256color XDG_CONFIG_HOME=$tmp/config2 \
   XDG_RUNTIME_DIR=$tmp/run $cyclune --terminal --now 2024-05-15T09:00:00"
for _ in $(seq 400); do
  terminal=$(pgrep -P "$(tmux -L "$server" display-message -p '#{pane_pid}')" -x cyclune ||
             pgrep -x -f "$cyclune --terminal --now 2024-05-15T09:00:00" || true)
  [[ -n $terminal ]] && tmux -L "$server" capture-pane -p | grep -q Exit && break
  sleep 0.05
done
idle terminal "$terminal"
