#!/usr/bin/env bash
# The calendar file and the month as text, checked by other programs against the month view.
# For each settings file, degenerate ones included, `cyclune --ics` is read by python3-icalendar
# and imported by khal into a scratch calendar; its events must fall on exactly the days that
# the headless runner paints, month by month, and `cyclune --month --color=always` must show
# the same days in the same colours.
set -uo pipefail
CYCLUNE=${1:?usage: bash $0 /path/to/cyclune}
HERE=$(dirname "$0")
PYTHON=/usr/bin/python3  # Debian's, which python3-icalendar installs for
[[ -x "$CYCLUNE" ]] || { echo "no cyclune binary at $CYCLUNE"; exit 1; }
for tool in khal convert; do
  command -v "$tool" >/dev/null 2>&1 || { echo "$tool is not installed: skipped"; exit 77; }
done
"$PYTHON" -c 'import icalendar' 2>/dev/null || { echo "python3-icalendar is missing: skipped"; exit 77; }

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export LC_ALL=en_US.UTF-8 TZ=UTC
unset DISPLAY WAYLAND_DISPLAY NO_COLOR
FAILURES=0
fail() {
  echo "FAIL: $*"
  FAILURES=$((FAILURES + 1))
}
probe() { "$PYTHON" "$HERE/calendar_probe.py" "$@"; }

# The last period, 1 March 2024 09:00, as the two stored halves of its tick count.
read -r HIGH LOW < <("$PYTHON" -c '
import datetime
t = (datetime.datetime(2024, 3, 1, 9) - datetime.datetime(1601, 1, 1)) // datetime.timedelta(microseconds=1) * 10
print("%08x %08x" % (t >> 32, t & 0xffffffff))')

# write_settings DIR CYCLE MENSTRUAL LUTEAL: the settings file, negative values as 32 bits.
write_settings() {
  mkdir -p "$1/config/cyclune"
  {
    printf 'Windows Registry Editor Version 5.00\n\n'
    printf '[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\n'
    printf '"CycleLength"=dword:%08x\n' $(($2 & 0xffffffff))
    printf '"MenstrualDays"=dword:%08x\n' $(($3 & 0xffffffff))
    printf '"LutealPhase"=dword:%08x\n' $(($4 & 0xffffffff))
    printf '"LastPeriodHigh"=dword:%s\n"LastPeriodLow"=dword:%s\n' "$HIGH" "$LOW"
  } > "$1/config/cyclune/registry.reg"
}

# khal_config DIR: a scratch khal with one empty calendar, in DIR/khal.
khal_config() {
  local dir=$1
  rm -rf "$dir/khal"
  mkdir -p "$dir/khal/calendar"
  cat > "$dir/khal/config" <<KHAL
[calendars]
[[cyclune]]
path = $dir/khal/calendar
type = calendar
[locale]
timeformat = %H:%M
dateformat = %Y-%m-%d
longdateformat = %Y-%m-%d
datetimeformat = %Y-%m-%d %H:%M
longdatetimeformat = %Y-%m-%d %H:%M
default_timezone = UTC
local_timezone = UTC
[sqlite]
path = $dir/khal/cache.db
KHAL
}

# khal_check DIR [again]: imports the calendar into a scratch khal and lists it back; with
# "again", imports it twice first.
khal_check() {
  local dir=$1 again=${2:-}
  khal_config "$dir"
  local first last
  first=$(head -n1 "$dir/events.txt" | cut -d' ' -f1)
  last=$(cut -d' ' -f2 "$dir/events.txt" | sort | tail -n1)
  if ! khal -c "$dir/khal/config" import --batch -a cyclune "$dir/out.ics" > "$dir/khal/import.log" 2>&1; then
    fail "$dir: khal cannot import the file"; cat "$dir/khal/import.log"; return
  fi
  # A second import of the same file updates the events instead of adding copies.
  [[ -n $again ]] && khal -c "$dir/khal/config" import --batch -a cyclune "$dir/out.ics" > /dev/null 2>&1
  khal -c "$dir/khal/config" list --format '{start-date}|{end-date}|{title}|{uid}' \
    --day-format '' "$first" "$last" > "$dir/khal/list.txt" 2>&1
  probe khal "$dir/khal/list.txt" > "$dir/khal/events.txt"
  diff "$dir/events.txt" "$dir/khal/events.txt" > "$dir/khal/diff.txt" ||
    { fail "$dir: khal lists other events"; head -n 10 "$dir/khal/diff.txt"; }
  local files
  files=$(find "$dir/khal/calendar" -name '*.ics' | wc -l)
  [[ $files -eq $(wc -l < "$dir/events.txt") ]] || fail "$dir: $files events in khal"
}

# grid_check DIR FIRST COUNT: the headless runner paints COUNT months from FIRST (YYYY-MM),
# the 1st and then the 2nd selected, and the painted days must be the events' days.
grid_check() {
  local dir=$1 first=$2 count=$3 script="" n
  for ((n = 0; n < count; n++)); do
    script+="shot m$n-a"$'\n'"key 0x28"$'\n'"shot m$n-b"$'\n'"key 0x26"$'\n'"key 0x27"$'\n'
  done
  mkdir -p "$dir/shots"
  if ! printf '%s' "$script" | XDG_CONFIG_HOME="$dir/config" "$CYCLUNE" --headless \
      --now "$first-01T09:00:00" --out "$dir/shots" --script - 2> "$dir/shots/stderr"; then
    fail "$dir: the headless run failed"; cat "$dir/shots/stderr"; return
  fi
  probe grid "$dir/shots" "$first" "$count" > "$dir/grid.txt" || { fail "$dir: $(tail -n1 "$dir/grid.txt")"; return; }
  probe compare "$dir/events.txt" "$dir/grid.txt" || fail "$dir: events and grid differ"
}

# text_check DIR FIRST COUNT: the same months printed in colour give the same days.
text_check() {
  local dir=$1 first=$2 count=$3 n index month
  : > "$dir/text.txt"
  index=$((10#${first%-*} * 12 + 10#${first#*-} - 1))
  for ((n = 0; n < count; n++, index++)); do
    month=$(printf '%04d-%02d' $((index / 12)) $((index % 12 + 1)))
    # "Now" lies outside every month shown, so no day is drawn as selected.
    XDG_CONFIG_HOME="$dir/config" "$CYCLUNE" --month "$month" --color=always \
      --now 2040-06-15T09:00:00 > "$dir/month.txt" || { fail "$dir: --month $month failed"; return; }
    probe text "$dir/month.txt" "$month" >> "$dir/text.txt" || { fail "$dir: $(tail -n1 "$dir/text.txt")"; return; }
  done
  diff "$dir/grid.txt" "$dir/text.txt" > "$dir/text.diff" ||
    { fail "$dir: the printed month differs from the window"; head -n 10 "$dir/text.diff"; }
}

#        name               cycle  menstrual  luteal
while read -r name cycle menstrual luteal; do
  dir="$WORK/$name"
  write_settings "$dir" "$cycle" "$menstrual" "$luteal"
  cp "$dir/config/cyclune/registry.reg" "$dir/settings.before"
  if ! XDG_CONFIG_HOME="$dir/config" "$CYCLUNE" --ics "$dir/out.ics" --now 2024-03-10T09:00:00 \
      2> "$dir/ics.stderr"; then
    fail "$name: --ics failed"; cat "$dir/ics.stderr"; continue
  fi
  [[ $(stat -c %a "$dir/out.ics") == 600 ]] || fail "$name: the file is not private"
  cmp -s "$dir/settings.before" "$dir/config/cyclune/registry.reg" || fail "$name: settings changed"
  probe ics "$dir/out.ics" > "$dir/events.txt" || { fail "$name: $(cat "$dir/events.txt")"; continue; }
  [[ -s "$dir/events.txt" ]] || { fail "$name: no events"; continue; }
  read -r first count < <(probe months "$dir/events.txt")
  echo "$name: $(wc -l < "$dir/events.txt") events, $count months from $first"
  khal_check "$dir" $([[ $name == initial ]] && echo again)
  grid_check "$dir" "$first" "$count"
  text_check "$dir" "$first" "$count"
done <<'SETTINGS'
initial             28     5          14
cycle-1             1      5          14
cycle-3             3      5          14
cycle-400           400    5          14
cycle-minus-400     -400   5          14
luteal-0            28     5          0
luteal-negative     28     5          -6
menstrual-over      10     40         14
SETTINGS

# --alarm: each predicted period reminds two days before, read back by both programs.
dir=$WORK/initial
if XDG_CONFIG_HOME="$dir/config" "$CYCLUNE" --ics "$dir/alarm.ics" --alarm 2 \
    --now 2024-03-10T09:00:00 2> "$dir/alarm.stderr"; then
  probe alarms "$dir/alarm.ics" 2 > "$dir/alarms.txt" || fail "alarms: $(cat "$dir/alarms.txt")"
  grep -qx "period-2@predictions.cyclune" "$dir/alarms.txt" || fail "period 2 has no alarm"
  khal_config "$dir"
  khal -c "$dir/khal/config" import --batch -a cyclune "$dir/alarm.ics" > /dev/null 2>&1
  khal -c "$dir/khal/config" list --format '{uid}|{alarm-symbol}' --day-format '' 2024-01-01 \
    2026-01-01 2>&1 | sed -n 's/|.\+$//p' | sort -u > "$dir/khal/alarms.txt"
  sort "$dir/alarms.txt" | diff - "$dir/khal/alarms.txt" > "$dir/khal/alarms.diff" ||
    { fail "khal sees other alarms"; head -n 5 "$dir/khal/alarms.diff"; }
else
  fail "--ics --alarm failed: $(cat "$dir/alarm.stderr")"
fi

if ((FAILURES > 0)); then
  echo "$FAILURES failure(s)"
  exit 1
fi
echo "all calendar checks passed"
