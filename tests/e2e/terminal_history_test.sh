#!/usr/bin/env bash
# The Options menu's "Undo last period" (3) and "History" (4) in the terminal: two periods set
# a month apart, the History box with its list and bar, undo back to no last period, and the
# word when there is nothing left to undo; in a UTF-8 locale and in an ASCII one (bars of #).
set -uo pipefail
source "$(dirname "$0")/terminal_lib.sh"

SELECTED="48;5;17"  # the selected day, dark blue
MENSTRUAL="48;5;88"
plain_16th() { ! shows_coloured "$1" "$MENSTRUAL" 16; }

for locale in C.UTF-8 C; do
  pane=history-${locale//./-}
  start_pane "$pane" 80 24 LC_ALL="$locale"
  wait_for "$pane" "Exit" && wait_coloured "$pane" "$SELECTED" 15 || continue
  keys "$pane" F1
  wait_for "$pane" "3 Undo last period"
  wait_for "$pane" "4 History"
  keys "$pane" Escape
  # 15 April, then 15 May: one interval of 30 days.
  keys "$pane" Left
  wait_for "$pane" "April 2024"
  keys "$pane" F1 1
  wait_coloured "$pane" "$MENSTRUAL" 16
  keys "$pane" Right
  wait_for "$pane" "May 2024"
  keys "$pane" F1 1
  wait_coloured "$pane" "$MENSTRUAL" 16
  keys "$pane" F1 4
  wait_for "$pane" "Recorded starts, newest first:"
  wait_for "$pane" "4/15/2024  30 days  terminal"
  wait_for "$pane" "Mean 30.0 days"
  if [[ $locale == C ]]; then bar="############ 30"; else bar="████████████ 30"; fi
  wait_for "$pane" "$bar"
  keys "$pane" Enter
  wait_gone "$pane" "Recorded starts"
  keys "$pane" F1 3
  keys "$pane" F1 3
  # No last period: 16 May is a plain day again.
  wait_until "16 May uncoloured in $pane" plain_16th "$pane" ||
    fail "undo left 16 May coloured in $pane"
  keys "$pane" F1 3
  wait_for "$pane" "There is nothing to undo"
  keys "$pane" Enter
  keys "$pane" F2
  expect_end "$pane" 0
done

finish
