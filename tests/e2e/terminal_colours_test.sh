#!/usr/bin/env bash
# The month view on terminals of other kinds: 8 colours (distinct ANSI colours for the
# selected, red and green days), no colour and --cues (a mark after each day's number),
# direct colour (the exact RGB values), a locale that is not UTF-8 (ASCII frames), and
# Japanese month and weekday names (two cells per character).
set -uo pipefail
source "$(dirname "$0")/terminal_lib.sh"

# set_last_period PANE: records 15 May as the last period through the popup's digit.
set_last_period() {
  keys "$1" F1
  wait_for "$1" "1 Set last period"
  keys "$1" 1
  wait_gone "$1" "1 Set last period"
}

# --- 8 colours: white 47, blue 44, the selected day on black, dark red as red, green ------
start_pane eight 80 24 TERM=xterm
wait_for eight "May 2024"
wait_coloured eight 40 15
wait_coloured eight 44 S
wait_coloured eight 47 14
set_last_period eight
wait_coloured eight 41 16
wait_coloured eight 42 29
keys eight F2
expect_end eight 0

# --- marks: where colour cannot tell the days apart (NO_COLOR, a terminal without colour or
# with 8 colours, whose bright and dark red look the same) each day carries the mark of its
# kind after its number, as it does with --cues; with 16 colours or more and without --cues
# there are none. After the period recorded on 15 May (selected):
# 16-18 May menstrual, 26-30 May fertile, 29 May the most fertile day.
for run in "nocolour NO_COLOR=1" "vt100 TERM=vt100" "screen TERM=screen" "cues -- --cues" \
           "plain"; do
  read -r name settings <<<"$run"
  # shellcheck disable=SC2086  # the settings are separate words
  start_pane "$name" 80 24 $settings
  wait_for "$name" "May 2024"
  set_last_period "$name"
  if [[ $name == plain ]]; then
    wait_coloured "$name" "48;5;[0-9]+" 16
    shows_not "$name" "16    +" || fail "marks without being asked for them"
  else
    wait_for "$name" "15    <"
    wait_for "$name" "16    +"
    wait_for "$name" "26    ~"
    wait_for "$name" "29    *"
  fi
  keys "$name" F2
  expect_end "$name" 0
done

# --- direct colour: a terminfo entry of the -direct kind, found through COLORTERM ----------
if command -v tic >/dev/null 2>&1; then
  cat > "$WORK/xterm-direct.src" <<'TERMINFO'
xterm-direct|xterm with direct colour indexing,
	colors#0x1000000, pairs#0x10000, RGB,
	setab=\E[%?%p1%{8}%<%t4%p1%d%e48\:2\:\:%p1%{65536}%/%d\:%p1%{256}%/%{255}%&%d\:%p1%{255}%&%d%;m,
	setaf=\E[%?%p1%{8}%<%t3%p1%d%e38\:2\:\:%p1%{65536}%/%d\:%p1%{256}%/%{255}%&%d\:%p1%{255}%&%d%;m,
	use=xterm-256color,
TERMINFO
  mkdir -p "$WORK/terminfo"
  if tic -x -o "$WORK/terminfo" "$WORK/xterm-direct.src" 2>"$WORK/tic.log"; then
    start_pane direct 80 24 COLORTERM=truecolor TERMINFO_DIRS="$WORK/terminfo:"
    wait_for direct "May 2024"
    wait_coloured direct "48;2;0;0;64" 15
    wait_coloured direct "48;2;0;0;255" S
    wait_coloured direct "48;2;255;255;255" 14
    set_last_period direct
    wait_coloured direct "48;2;128;0;0" 16
    wait_coloured direct "48;2;0;255;0" 29
    wait_coloured direct "48;2;0;128;0" 26
    keys direct F2
    expect_end direct 0
  else
    echo "tic cannot compile a direct-colour entry here: that part is skipped"
    cat "$WORK/tic.log"
  fi
fi

# --- a locale that is not UTF-8: frames of plain ASCII ---------------------------------------
start_pane ascii 80 24 LC_ALL=C
wait_for ascii "May 2024"
keys ascii F1
wait_for ascii "+--------------------+"
wait_for ascii "| 2 Help             |"
keys ascii 2
wait_for ascii "+ Help -"
wait_for ascii "| Legend:"
keys ascii Escape
wait_gone ascii "Legend:"
keys ascii F2
expect_end ascii 0

# --- Japanese names: wide characters, centred by their two cells --------------------------
start_pane japanese 80 24 LC_ALL= LC_CTYPE=C.UTF-8 LC_TIME=ja_JP.UTF-8
wait_for japanese "5月 2024"
wait_row japanese 3 '^    日         月         火         水         木         金         土$'
keys japanese Enter
wait_for japanese "2024年5月15日"
keys japanese Enter
wait_gone japanese "2024年5月15日"
# Seven columns of one cell: the title (8 cells) shows its middle 5 between the arrows, and
# a weekday initial two cells wide fits in no column, so none is drawn.
tmux -L "$SERVER" resize-window -t japanese -x 7 -y 17
wait_row japanese 2 '^<月 20>$'
wait_row japanese 3 '^ *$'
tmux -L "$SERVER" resize-window -t japanese -x 80 -y 24
wait_for japanese "5月 2024"
keys japanese F2
expect_end japanese 0

finish
