# Helpers for the terminal end-to-end tests, sourced by tests/e2e/terminal_*_test.sh.
# Each test runs Cyclune in panes of its own tmux server, through a wrapper that records
# the exit status and the terminal modes left behind. Readiness is found by polling the
# pane's contents, never by fixed sleeps (tests/e2e/wait_lib.sh): a screen is written in
# pieces, so every check of what a pane shows waits for it.

CYCLUNE=${1:?usage: bash $0 /path/to/cyclune}
source "$(dirname "${BASH_SOURCE[0]}")/wait_lib.sh"
command -v tmux >/dev/null 2>&1 || { echo "tmux is not installed: skipped"; exit 77; }
[[ -x "$CYCLUNE" ]] || { echo "no cyclune binary at $CYCLUNE"; exit 1; }

WORK=$(mktemp -d)
SERVER=cyclune-test-$$
mkdir -p "$WORK/runtime"
chmod 700 "$WORK/runtime"
FAILURES=0

cleanup() {
  tmux -L "$SERVER" kill-server >/dev/null 2>&1
  rm -rf "$WORK"
}
trap cleanup EXIT

# The wrapper runs the program, then writes the terminal modes and, last, the exit status.
cat > "$WORK/wrapper.sh" <<'WRAPPER'
#!/bin/bash
# $1: output directory; the rest: the command.
out=$1
shift
trap ':' HUP  # outlive a closed terminal long enough to record the status
ulimit -c 0
"$@" 2> "$out/stderr"
status=$?
stty -a > "$out/stty" 2>&1
# Renamed into place, so whoever sees the file sees the whole status.
echo "$status" > "$out/status.new" && mv "$out/status.new" "$out/status"
echo "cyclune ended with status $status"
read -r _  # keeps the pane, and this line, until the test is done with it
WRAPPER

fail() {
  echo "FAIL: $*"
  FAILURES=$((FAILURES + 1))
}

# start_pane NAME COLUMNS ROWS [VAR=VALUE...] -- [ARGS...]: starts Cyclune in a new window
# NAME of the server, in the environment given, with a fixed now and settings of its own.
start_pane() {
  local name=$1 columns=$2 rows=$3
  shift 3
  # Settings are each run's own; the runtime directory (the instance lock) is shared.
  local environment=(TERM=xterm-256color LC_ALL=C.UTF-8 XDG_CONFIG_HOME="$WORK/$name/config"
                     XDG_RUNTIME_DIR="$WORK/runtime")
  while [[ $# -gt 0 && $1 != -- ]]; do environment+=("$1"); shift; done
  [[ ${1:-} == -- ]] && shift
  mkdir -p "$WORK/$name"
  rm -f "$WORK/$name/status"
  local command
  command=$(printf '%q ' env -u COLORTERM -u DISPLAY -u WAYLAND_DISPLAY "${environment[@]}" \
            bash "$WORK/wrapper.sh" "$WORK/$name" "$CYCLUNE" --terminal \
            --now 2024-05-15T09:00:00 "$@")
  if tmux -L "$SERVER" has-session 2>/dev/null; then
    tmux -L "$SERVER" new-window -d -n "$name" "$command"
    tmux -L "$SERVER" resize-window -t "$name" -x "$columns" -y "$rows"
  else
    tmux -L "$SERVER" -f /dev/null new-session -d -s cyclune -n "$name" -x "$columns" \
      -y "$rows" "$command" \; set-option -g remain-on-exit on
  fi
}

screen() { tmux -L "$SERVER" capture-pane -p -t "$1"; }
screen_colours() { tmux -L "$SERVER" capture-pane -p -e -t "$1"; }

# wait_until DESCRIPTION COMMAND...: polls the command until it succeeds or time runs out.
wait_until() {
  local description=$1
  shift
  poll_until "$@" && return 0
  fail "timed out after ${E2E_TIMEOUT}s waiting for $description"
  return 1
}

shows() { screen "$1" | grep -qF -- "$2"; }
shows_not() { ! shows "$1" "$2"; }
# cell_background PANE TEXT: the background of the first cell of TEXT (a number not part
# of a longer one), as its SGR parameters ("48;5;17", "48;2;0;0;64", "47", "default"),
# following the colour state across the lines of capture-pane -e.
cell_background() {
  screen_colours "$1" | perl -CS -Mutf8 -e '
    use Encode qw(decode_utf8);
    my $want = decode_utf8($ARGV[0]);
    my $bg = "default";
    while (my $line = <STDIN>) {
      chomp $line;
      my (@chars, @backgrounds);
      while (length $line) {
        if ($line =~ s/^\e\[([0-9;:]*)m//) {
          my @p = split /[;:]/, $1, -1;
          @p = (0) unless @p;
          while (@p) {
            my $c = shift @p;
            $c = 0 if $c eq "";
            if ($c == 0 || $c == 49) { $bg = "default" }
            elsif ($c == 48 || $c == 38) {
              my $mode = shift(@p) // 0;
              my @value = $mode == 5 ? splice(@p, 0, 1) : $mode == 2 ? splice(@p, 0, 3) : ();
              $bg = join(";", 48, $mode, @value) if $c == 48;
            }
            elsif (($c >= 40 && $c <= 47) || ($c >= 100 && $c <= 107)) { $bg = $c }
          }
        } elsif ($line =~ s/^\e[^a-zA-Z]*[a-zA-Z]//) {
        } else {
          $line =~ s/^(.)//s;
          push @chars, $1;
          push @backgrounds, $bg;
        }
      }
      my $text = join "", @chars;
      if ($text =~ /(?<![0-9])\Q$want\E(?![0-9])/) { print $backgrounds[$-[0]], "\n"; exit 0 }
    }
    exit 1' "$2"
}
# shows_coloured PANE BACKGROUND TEXT: TEXT is on a cell of BACKGROUND (a regular expression
# over cell_background's answer).
shows_coloured() {
  local background
  background=$(cell_background "$1" "$3") && [[ $background =~ ^($2)$ ]]
}
ended() { [[ -f "$WORK/$1/status" ]]; }

row_of() { screen "$1" | sed -n "$2p"; }
row_matches() { [[ $(row_of "$1" "$2") =~ $3 ]]; }

wait_for() { wait_until "'$2' in $1" shows "$1" "$2" || screen "$1"; }
# wait_row PANE ROW REGEX: waits for row ROW (counted from 1) of PANE to match REGEX.
wait_row() {
  wait_until "row $2 of $1 to match $3" row_matches "$1" "$2" "$3" ||
    echo "row $2 of $1 reads '$(row_of "$1" "$2")'"
}
wait_gone() { wait_until "'$2' to leave $1" shows_not "$1" "$2" || screen "$1"; }
wait_coloured() {
  wait_until "'$3' on $2 in $1" shows_coloured "$1" "$2" "$3" ||
    echo "'$3' is on $(cell_background "$1" "$3")"
}

keys() { local pane=$1; shift; tmux -L "$SERVER" send-keys -t "$pane" "$@"; }
# tap PANE X Y: a left-button press and release at cell (X, Y), counted from 0, as SGR.
tap() {
  keys "$1" -l $'\e[<0;'"$(($2 + 1))"';'"$(($3 + 1))"'M'
  keys "$1" -l $'\e[<0;'"$(($2 + 1))"';'"$(($3 + 1))"'m'
}

# pane_modes PANE: the screen modes the pane is in, as "alternate=A cursor=C mouse=SBA".
pane_modes() {
  local mouse='#{mouse_standard_flag}#{mouse_button_flag}#{mouse_any_flag}'
  tmux -L "$SERVER" display-message -p -t "$1" \
    "alternate=#{alternate_on} cursor=#{cursor_flag} mouse=$mouse"
}

# expect_end PANE STATUS: waits for the program to end with STATUS and checks that the
# terminal was given back (canonical input, echo and flow control on; the main screen, a
# visible cursor, no mouse reporting) and the wrapper's line is shown.
expect_end() {
  wait_until "$1 to end" ended "$1" || return 1
  local status mode
  status=$(cat "$WORK/$1/status")
  [[ $status == "$2" ]] || fail "$1 ended with status $status, not $2"
  for mode in icanon echo ixon; do
    grep -qE "(^| )$mode( |$)" "$WORK/$1/stty" || fail "$1 left the terminal without $mode"
  done
  wait_for "$1" "cyclune ended with status $status"
  [[ $(pane_modes "$1") == "alternate=0 cursor=1 mouse=000" ]] ||
    fail "$1 left the terminal in $(pane_modes "$1")"
}

# The process id of Cyclune in PANE (a child of the wrapper, the pane's first process).
pid_of() {
  pgrep -P "$(tmux -L "$SERVER" display-message -p -t "$1" '#{pane_pid}')" -x cyclune
}
# signal PANE SIGNAL: sends SIGNAL to Cyclune in PANE.
signal() {
  local pid
  pid=$(pid_of "$1") || { fail "no cyclune process in $1 to send $2"; return 1; }
  kill "-$2" "$pid"
}

finish() {
  if ((FAILURES > 0)); then
    echo "$FAILURES check(s) failed"
    exit 1
  fi
  echo "all checks passed"
  exit 0
}
