#!/usr/bin/env bash
# Where the terminal's pointer and cursor land: a click selects the day painted on the
# character clicked, and only "<" and ">" turn the month, at any size; the cursor sits on the
# selected day's number, the highlighted menu item and a box's first line shown, hidden
# unless --cursor or CYCLUNE_CURSOR=1 asks for it; a box scrolled while small shows its
# lines for the new size once the terminal grows, over the month laid out anew.
set -uo pipefail
source "$(dirname "$0")/terminal_lib.sh"

SELECTED="48;5;17"

# text_place PANE TEXT: "x,y" of the first character of TEXT on the screen, counted from 0;
# cursor_at PANE TEXT: the cursor is there.
text_place() {
  screen "$1" | perl -CS -Mutf8 -e 'use Encode qw(decode_utf8); my $want = decode_utf8($ARGV[0]);
    my $y = 0; while (my $line = <STDIN>) { chomp $line;
      my $x = index($line, $want); if ($x >= 0) { print "$x,$y\n"; exit 0 } ++$y } exit 1' "$2"
}
cursor_place() { tmux -L "$SERVER" display-message -p -t "$1" '#{cursor_x},#{cursor_y}'; }
cursor_at() { [[ $(cursor_place "$1") == "$(text_place "$1" "$2")" ]]; }
wait_cursor() {
  wait_until "the cursor on '$2' in $1" cursor_at "$1" "$2" ||
    echo "the cursor is at $(cursor_place "$1"), '$2' at $(text_place "$1" "$2")"
}
cursor_shown() { [[ $(tmux -L "$SERVER" display-message -p -t "$1" '#{cursor_flag}') == "$2" ]]; }

# --- clicks: COLUMNS ROWS X Y, then the day selected or "none" (15 May stays) ---------------
# At 80x24 cells are 11 x 2. "none" is checked by a Down afterwards, which must select
# 16 May: a click that turned the month or moved the day would show.
while read -r columns rows x y day; do
  pane="click-${columns}x$rows-$x-$y"
  start_pane "$pane" "$columns" "$rows"
  wait_for "$pane" "Exi"
  wait_coloured "$pane" "$SELECTED" 15
  tap "$pane" "$x" "$y"
  if [[ $day == none ]]; then
    keys "$pane" Down
    day=16
  fi
  wait_coloured "$pane" "$SELECTED" "$day"
  shows "$pane" "May 2024" || fail "a click at $x,$y in $pane turned the month"
  keys "$pane" F2
  expect_end "$pane" 0
done <<'CASES'
80 24 44 6 9
80 24 54 7 9
80 24 44 12 30
80 24 5 2 none
80 24 11 1 none
80 24 65 0 none
80 24 77 8 none
80 24 10 14 none
CASES
# At 7x9 a character is a cell: the cursor shows the day selected. 14 May is at (2, 4) and
# 4 May at (6, 2); a click on the title does nothing, ">" turns to June, where 4 June is at
# (2, 3).
start_pane tiny 7 9
wait_for tiny "Exi"
wait_until "the cursor on 15 May" eval '[[ $(cursor_place tiny) == 3,4 ]]'
for place in "2 4 2,4" "6 2 6,2" "1 0 6,2" "6 0 2,3"; do
  read -r x y expected <<< "$place"
  tap tiny "$x" "$y"
  [[ $x,$y == 1,0 ]] && continue  # nothing to wait for: the next click shows it
  wait_until "the cursor at $expected after a click at $x,$y" \
    eval '[[ $(cursor_place tiny) == '"$expected"' ]]' || echo "it is at $(cursor_place tiny)"
done
tmux -L "$SERVER" resize-window -t tiny -x 80 -y 24  # room for the wrapper's last line
keys tiny F2
expect_end tiny 0

# --- the cursor ---------------------------------------------------------------------------
start_pane reader 80 24
wait_for reader "Exit"
wait_cursor reader 15
cursor_shown reader 0 || fail "the cursor is shown without --cursor"
keys reader Down
wait_cursor reader 16
keys reader F1
wait_cursor reader "1 Set last period"
keys reader Down
wait_cursor reader "2 Help"
keys reader Enter
wait_cursor reader "Legend:"
keys reader Escape
wait_cursor reader 16
keys reader F2
expect_end reader 0
for way in "CYCLUNE_CURSOR=1 --" "-- --cursor"; do
  read -r -a arguments <<< "$way"
  pane=shown${arguments[-1]}
  start_pane "$pane" 80 24 "${arguments[@]}"
  wait_cursor "$pane" 15
  wait_until "a visible cursor with $way" cursor_shown "$pane" 1
  keys "$pane" F2
  expect_end "$pane" 0
done

# --- a box across resizes -----------------------------------------------------------------
start_pane box 80 24
wait_for box "Exit"
keys box F1 2
wait_for box "Legend:"
tmux -L "$SERVER" resize-window -t box -x 40 -y 12
wait_for box "▼"  # laid out for the small size: more lines below
keys box End
wait_for box "2. Press Enter/OK"
tmux -L "$SERVER" resize-window -t box -x 80 -y 24
wait_for box "Legend:"  # the whole text fits again: it shows from the top
wait_cursor box "Legend:"
# The month behind the box is laid out for the new size: cells of 14 x 3 at 100x30 put "<"
# at 6 and ">" at 90 on the title row, which the box leaves clear.
tmux -L "$SERVER" resize-window -t box -x 100 -y 30
wait_row box 2 '^ {6}< {38}May 2024 {37}>$'
keys box Escape
wait_gone box "Legend:"
keys box F2
expect_end box 0

finish
