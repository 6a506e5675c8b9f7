#!/usr/bin/env bash
# How a terminal run of Cyclune ends: SIGTERM and SIGHUP (also with a message box open), a
# closed terminal, Ctrl+C with the popup open all end it as "Exit" does, with status 0 and
# the terminal given back; a crash, and every other signal that ends a process, gives the
# terminal back too; a second start on the same settings asks the running one forward (its
# terminal rings), says so on standard error and ends with 0, also from where there is no
# terminal, or, when the running one is stopped, says that it does not respond and ends with 1.
set -uo pipefail
source "$(dirname "$0")/terminal_lib.sh"

# start_ready NAME: starts Cyclune at 80x24 and waits for the month view.
start_ready() {
  start_pane "$1" 80 24
  wait_for "$1" "May 2024" && wait_for "$1" "Exit"
}

start_ready term
signal term TERM
expect_end term 0

start_ready hangup
keys hangup Enter
wait_for hangup "Wednesday, May 15, 2024"
signal hangup HUP
expect_end hangup 0

start_ready interrupt
keys interrupt F1
wait_for interrupt "1 Set last period"
keys interrupt C-c
expect_end interrupt 0

# A terminal that goes away (its pane killed) ends the run too.
start_ready closed
closed_pid=$(pid_of closed) || fail "no cyclune process in closed"
tmux -L "$SERVER" kill-pane -t closed
wait_until "the status of the closed terminal's run" ended closed
[[ $(cat "$WORK/closed/status" 2>/dev/null) == 0 ]] ||
  fail "closing the terminal ended with status $(cat "$WORK/closed/status" 2>/dev/null)"
wait_until "the closed terminal's process to go" eval '! kill -0 '"$closed_pid"' 2>/dev/null'

# A crash: the signal takes its course (status above 128), the terminal is given back.
start_ready crash
signal crash SEGV
wait_until "the crashed run to end" ended crash
crash_status=$(cat "$WORK/crash/status")
((crash_status > 0)) || fail "the crash ended with status $crash_status"
expect_end crash "$crash_status"
wait_gone crash "Options"

# Every other signal whose default action ends the process gives the terminal back first,
# then ends it as that signal does (status 128 + its number).
for name in USR1 USR2 PIPE ALRM TRAP SYS XCPU XFSZ VTALRM PROF IO PWR STKFLT RTMIN+1; do
  pane=signal-${name/+/-}
  start_ready "$pane" || continue
  signal "$pane" "$name"
  expect_end "$pane" $((128 + $(kill -l "$name")))
done

# A second start on the same settings: the first comes forward (a bell in its window), the
# second says so.
start_ready first
start_pane second 80 24 XDG_CONFIG_HOME="$WORK/first/config"
wait_until "the second start to end" ended second
[[ $(cat "$WORK/second/status") == 0 ]] || fail "the second start ended with $(cat "$WORK/second/status")"
grep -q "Cyclune is already running" "$WORK/second/stderr" ||
  fail "the second start said: $(cat "$WORK/second/stderr")"
wait_until "the bell of the first" eval \
  '[[ $(tmux -L "$SERVER" display-message -p -t first "#{window_bell_flag}") == 1 ]]'
wait_for first "May 2024"  # the first keeps its month view

# A second start without a terminal or a display (a launcher, a script) reaches it too.
env -u DISPLAY -u WAYLAND_DISPLAY TERM=xterm-256color XDG_CONFIG_HOME="$WORK/first/config" \
  XDG_RUNTIME_DIR="$WORK/runtime" "$CYCLUNE" </dev/null >/dev/null 2>"$WORK/launched.err"
launched=$?
[[ $launched == 0 ]] || fail "a start without a terminal ended with $launched"
grep -q "Cyclune is already running; it was asked to come forward" "$WORK/launched.err" ||
  fail "a start without a terminal said: $(cat "$WORK/launched.err")"

# A stopped first (as by Ctrl+Z) cannot hold a second start: it says so and ends with 1.
signal first STOP
start_pane stopped 80 24 XDG_CONFIG_HOME="$WORK/first/config"
wait_until "the start beside a stopped one to end" ended stopped
[[ $(cat "$WORK/stopped/status" 2>/dev/null) == 1 ]] ||
  fail "the start beside a stopped one ended with $(cat "$WORK/stopped/status" 2>/dev/null)"
grep -q "Cyclune is already running but does not respond" "$WORK/stopped/stderr" ||
  fail "the start beside a stopped one said: $(cat "$WORK/stopped/stderr")"
signal first CONT
keys first F2
expect_end first 0

finish
