#!/usr/bin/env bash
# Peak resident memory of a headless run fed one long script line, beside a one-line script
# for scale: a line of MB megabytes of one-letter words after "key" (refused: too many
# words), one word of that size after "shot" (refused: too long a name) and a comment of that
# size (skipped). Each run is measured by GNU time (%M, the peak resident set in KiB); the
# script is read in full and checked before anything runs, so no window is painted.
# Usage: bench/script_line_memory.sh [path/to/cyclune] [MB]
set -euo pipefail

cyclune=${1:-build/release/cyclune}
megabytes=${2:-12}
[[ -x $cyclune ]] || { echo "script_line_memory: no program at $cyclune" >&2; exit 1; }
[[ -x /usr/bin/time ]] || { echo "script_line_memory: GNU time is missing (package time)" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
bytes=$((megabytes * 1000000))
printf 'shot one\n' > "$tmp/short"
{ printf 'key'; head -c "$((bytes / 2))" /dev/zero | tr '\0' '\n' | sed 's/^/ 1/' | tr -d '\n'; echo; } \
  > "$tmp/words"
{ printf 'shot '; head -c "$bytes" /dev/zero | tr '\0' 'x'; echo; } > "$tmp/word"
{ printf '# '; head -c "$bytes" /dev/zero | tr '\0' 'x'; echo; } > "$tmp/comment"

printf '%-34s %10s  %s\n' "script" "peak KiB" "status and message"
for name in short words word comment; do
  status=0
  XDG_CONFIG_HOME="$tmp/config" /usr/bin/time -f '%M' -o "$tmp/peak" \
    "$cyclune" --headless --now 2024-05-15T09:00:00 --script "$tmp/$name" --out "$tmp/out" \
    2> "$tmp/stderr" || status=$?
  size=$(stat -c %s "$tmp/$name")
  printf '%-34s %10s  %s %s\n' "$name ($size bytes)" "$(tail -n1 "$tmp/peak")" "$status" \
    "$(head -c 70 "$tmp/stderr" | head -n1)"
done
