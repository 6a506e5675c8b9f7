#!/usr/bin/env bash
# Terminal input that is no key of Cyclune's: a byte that is not valid in the terminal's
# character set is ignored, not taken for the end of input (C and C.UTF-8 locales); Ctrl+S
# does not freeze the screen, as flow control is off while Cyclune runs (and on again after).
set -uo pipefail
source "$(dirname "$0")/terminal_lib.sh"

SELECTED="48;5;17"  # the selected day, dark blue

# start_ready NAME [VAR=VALUE...]: starts Cyclune at 80x24 and waits for 15 May selected.
start_ready() {
  start_pane "$1" 80 24 "${@:2}"
  wait_for "$1" "Exit" && wait_coloured "$1" "$SELECTED" 15
}

for case in "C e9" "C.UTF-8 ff" "C.UTF-8 c3"; do
  read -r locale byte <<< "$case"
  pane=byte-$byte
  start_ready "$pane" LC_ALL="$locale" || continue
  keys "$pane" -H "$byte"
  keys "$pane" Down  # still running, and the key after the byte is read as itself
  wait_coloured "$pane" "$SELECTED" 16
  keys "$pane" F2
  expect_end "$pane" 0
done

flow_off() { [[ $(stty -F "$1" -a) =~ (^|[[:space:]])-ixon([[:space:]]|$) ]]; }
stopped() { [[ $(ps -o stat= -p "$1") == T* ]]; }

start_ready flow
flow_tty=$(tmux -L "$SERVER" display-message -p -t flow '#{pane_tty}')
flow_off "$flow_tty" || fail "flow control is on while Cyclune runs"
keys flow C-s
keys flow Down
wait_coloured flow "$SELECTED" 16
# Stopped, Cyclune finds the modes a shell put back (flow control on) and turns it off again.
flow_pid=$(pid_of flow)
signal flow STOP
wait_until "cyclune to stop" stopped "$flow_pid"
stty -F "$flow_tty" ixon
signal flow CONT
wait_until "flow control off again after a stop" flow_off "$flow_tty"
keys flow C-s
keys flow Up
wait_coloured flow "$SELECTED" 15
keys flow F2
expect_end flow 0

finish
