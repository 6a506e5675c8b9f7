#!/usr/bin/env bash
# Cyclune in a terminal under tmux, as a user drives it: the month view at 80x24, keys,
# the day report, "Set last period" and its colours, Help, mouse taps, the Options popup,
# resizing (down to one cell), F2; then a start at 40x17 (Help scrolls) ended by Ctrl+C.
set -uo pipefail
source "$(dirname "$0")/terminal_lib.sh"

# Cell colours are the nearest entries of the 256-colour cube: the selected day (dark blue
# 0,0,64) is 17, dark red 88, green 46, dark green 28.
SELECTED="48;5;17"

# --- 80x24: the client area is 80x23, cells 11 x 2 ----------------------------------------
start_pane wide 80 24
wait_for wide "May 2024"
wait_for wide "Options"
# Each cell is two rows high; its text sits on the lower one.
wait_row wide 2 '^ +< +May 2024 +>$'
wait_row wide 3 'S +M +T +W +T +F +S'
wait_row wide 24 '^Options +Exit$'
wait_coloured wide "$SELECTED" 15
wait_coloured wide "48;5;21" S

# Keys: a day on, a month on and back, a day back.
keys wide Down
wait_coloured wide "$SELECTED" 16
keys wide Right
wait_for wide "June 2024"
keys wide Left
wait_for wide "May 2024"
keys wide Up
wait_coloured wide "$SELECTED" 15

# The day report: Enter opens it with the long date as caption; Escape closes it.
keys wide Enter
wait_for wide "Wednesday, May 15, 2024"
wait_for wide "Please set last period"
wait_for wide "OK"
keys wide Escape
wait_gone wide "Wednesday, May 15, 2024"
wait_coloured wide "$SELECTED" 15

# Set last period through the popup (F1, then Down four times round to the item, Enter).
keys wide F1
wait_for wide "1 Set last period"
wait_for wide "2 Help"
wait_row wide 24 '^Options +Cancel$'  # F2 now closes the popup
keys wide Down Down Down Down Enter
wait_gone wide "1 Set last period"
# 15 May is now the first day of a period: the days after it are menstrual (dark red) and
# the fertile window (green) lies at the end of the month.
wait_coloured wide "48;5;88" 16
wait_coloured wide "48;5;46" 29
wait_coloured wide "48;5;28" 26
wait_coloured wide "$SELECTED" 15
keys wide Enter
wait_for wide "Wednesday, May 15, 2024"
wait_for wide "Possible Due Date"
shows_not wide "Please set last period" || fail "the report still asks for the last period"
keys wide Enter
wait_gone wide "Wednesday, May 15, 2024"

# Help by its digit; the whole text fits in 23 rows.
keys wide F1
wait_for wide "2 Help"
keys wide 2
wait_for wide "Legend:"
for line in "Red - Menstrual days" "Brighter colors indicate peak times" "3. Select Set last period" \
            "2. Press Enter/OK"; do
  wait_for wide "$line"
done
keys wide F2
wait_gone wide "Legend:"

# Taps: ">" (column 6 of row 0) and "<" change the month; a day is selected by one tap
# and reported by the second; a tap closes the report; the bar's left half is Options.
tap wide 70 0
wait_for wide "June 2024"
tap wide 3 1
wait_for wide "May 2024"
tap wide 15 11  # column 1 of row 5 (rows 10 and 11), on the number: Monday 20 May
wait_coloured wide "$SELECTED" 20
tap wide 16 11
wait_for wide "Monday, May 20, 2024"
tap wide 70 1  # a tap anywhere only closes the report
wait_gone wide "Monday, May 20, 2024"
wait_for wide "May 2024"  # the tap that closed the report went no further
tap wide 2 23
wait_for wide "2 Help"
tap wide 4 "$(screen wide | grep -n '2 Help' | cut -d: -f1 | awk '{print $1 - 1}')"
wait_for wide "Legend:"
tap wide 40 5
wait_gone wide "Legend:"

# Resizing lays the view out again: 40x17 gives cells 5 x 2.
tmux -L "$SERVER" resize-window -t wide -x 40 -y 17
wait_row wide 17 '^Options {29}Exit$'
wait_row wide 2 '^  <          May 2024           >$'
wait_coloured wide "$SELECTED" 20
# However small the terminal, the program keeps running and comes back whole.
for size in "1 1" "2 2" "10 3" "7 2" "3 9"; do
  read -r columns rows <<< "$size"
  tmux -L "$SERVER" resize-window -t wide -x "$columns" -y "$rows"
  wait_until "the ${columns}x${rows} screen" eval \
    '[[ $(tmux -L "$SERVER" display-message -p -t wide "#{window_width}x#{window_height}") == '"${columns}x${rows}"' ]]'
  ended wide && fail "ended at ${columns}x${rows}"
done
keys wide F1  # a popup on a tiny screen
keys wide Escape
tmux -L "$SERVER" resize-window -t wide -x 80 -y 24
wait_for wide "May 2024"
wait_coloured wide "$SELECTED" 20

keys wide F2
expect_end wide 0

# --- 40x17 from the start, ended by Ctrl+C ------------------------------------------------
start_pane narrow 40 17
wait_for narrow "May 2024"
wait_row narrow 17 '^Options +Exit$'
wait_coloured narrow "$SELECTED" 15
keys narrow Enter
wait_for narrow "May 15, 2024"
keys narrow Enter
wait_gone narrow "May 15, 2024"
# Help is taller than 16 rows: it scrolls, with a mark at the edge that has more.
keys narrow F1
wait_for narrow "2 Help"
keys narrow 2
wait_for narrow "Legend:"
wait_for narrow "▼"  # the mark of more lines below
shows_not narrow "2. Press Enter/OK" || fail "the whole help fits in 16 rows?"
keys narrow Down Down Down Down Down Down Down Down
wait_for narrow "2. Press Enter/OK"
wait_gone narrow "Legend:"
wait_for narrow "▲"  # the mark of more lines above
keys narrow Home
wait_for narrow "Legend:"
keys narrow Space  # a page down, as in the window
wait_gone narrow "Legend:"
wait_for narrow "Go to Options"
keys narrow Escape
wait_gone narrow "Go to Options"
keys narrow C-c
expect_end narrow 0

finish
