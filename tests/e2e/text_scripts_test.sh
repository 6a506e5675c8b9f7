#!/usr/bin/env bash
# Month titles in Chinese and Japanese end to end: the real cyclune's headless runner paints
# May 2024 under LC_ALL=zh_CN.UTF-8 and ja_JP.UTF-8 and reports, for each line it draws, the
# font files used and the characters none of them has (CYCLUNE_TRACE_TEXT). The title must
# be drawn with a CJK font and miss nothing. As a check on the check, the same run with a
# fontconfig that knows DejaVu alone must report the title's Han characters as missing.
# Usage: bash text_scripts_test.sh /path/to/cyclune     Exit 77: no CJK font is installed.
set -uo pipefail

cyclune=${1:?usage: text_scripts_test.sh /path/to/cyclune}
skip() { echo "SKIP: $*"; exit 77; }
command -v fc-list >/dev/null 2>&1 || skip "fc-list is not installed"
[[ -n $(fc-list :lang=zh-cn file) ]] || skip "no Chinese font is installed (fonts-wqy-zenhei)"
[[ -n $(fc-list :lang=ja file) ]] || skip "no Japanese font is installed (fonts-wqy-zenhei)"

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# paint LOCALE NAME [ENV...]: one shot of May 2024; the text trace goes to $tmp/NAME.log.
paint() {
  local locale=$1 name=$2
  shift 2
  mkdir -p "$tmp/config-$name"
  printf 'shot month\n' |
    env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$tmp/config-$name" LC_ALL="$locale" \
      CYCLUNE_TRACE_TEXT=1 "$@" "$cyclune" --headless --now 2024-05-15T09:00:00 \
      --size 480x532 --script - --out "$tmp/out-$name" >"$tmp/$name.log" 2>&1 ||
    fail "$name: the headless run failed: $(cat "$tmp/$name.log")"
  [[ -s $tmp/out-$name/month.png ]] || fail "$name: no shot was written"
}
# The trace line of the month title: the first line drawn that holds the year.
title_line() { grep -m1 '^cyclune-trace: text ".*2024.*"' "$tmp/$1.log"; }

for locale in zh_CN.UTF-8 ja_JP.UTF-8; do
  paint "$locale" "$locale"
  title=$(title_line "$locale") || fail "$locale: no title was drawn: $(cat "$tmp/$locale.log")"
  [[ $title =~ text\ \"[^\"]*[^\ -~\"][^\"]*\" ]] ||
    fail "$locale: the title is not in the locale's script: $title"
  [[ $title == *" missing none" ]] || fail "$locale: the title has missing glyphs: $title"
  missing=$(grep -v ' missing none$' "$tmp/$locale.log" | grep '^cyclune-trace: text')
  [[ -z $missing ]] || fail "$locale: lines with missing glyphs:"$'\n'"$missing"
done

# With DejaVu alone the same title shows boxes, and the trace says so.
dejavu=$(fc-list 'DejaVu Sans:style=Book' file | head -n1 | cut -d: -f1)
if [[ -n $dejavu ]]; then
  cat >"$tmp/fonts.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>$(dirname "$dejavu")</dir>
  <cachedir>$tmp/fontconfig-cache</cachedir>
</fontconfig>
EOF
  paint zh_CN.UTF-8 dejavu-only FONTCONFIG_FILE="$tmp/fonts.conf"
  title=$(title_line dejavu-only) || fail "DejaVu alone: no title was drawn"
  [[ $title =~ missing\ U\+ ]] || fail "DejaVu alone: the title's boxes went unreported: $title"
fi

echo "PASS: text in Chinese and Japanese"
