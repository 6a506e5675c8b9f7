#!/usr/bin/env bash
# Resident memory of the desktop window (Xvfb, the software renderer) at its first size,
# after a storm of resizes up to SIDE x SIDE pixels, and back at 480 x 600: what the large
# sizes leave behind once the window is small again. Each size waits for the frame it brings
# (CYCLUNE_TRACE_FRAMES). Usage: bench/window_resize_memory.sh [path/to/cyclune] [SIDE]
set -euo pipefail

cyclune=${1:-build/release/cyclune}
side=${2:-8000}
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null 2>&1 || { echo "window_resize_memory: $tool is missing" >&2; exit 1; }
done
[[ -x $cyclune ]] || { echo "window_resize_memory: no program at $cyclune" >&2; exit 1; }

tmp=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display" 2>/dev/null &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$tmp"' EXIT
for _ in $(seq 200); do [[ -s $tmp/display ]] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$tmp/display")" SDL_RENDER_DRIVER=software
export XDG_CONFIG_HOME="$tmp/config" XDG_RUNTIME_DIR="$tmp/run"
mkdir -m 700 "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"

CYCLUNE_TRACE_FRAMES=1 "$cyclune" --window --now 2024-05-15T09:00:00 2>"$tmp/trace" &
app=$!
for _ in $(seq 400); do
  window=$(xdotool search --pid "$app" --name '^Cyclune$' 2>/dev/null) && break
  sleep 0.05
done
frames() { grep -c 'trace: frame' "$tmp/trace" || true; }
for _ in $(seq 200); do (($(frames) > 0)) && break; sleep 0.05; done
# resize W H: to that size, then waits for its frame and a moment for the rest to settle.
resize() {
  local before
  before=$(frames)
  xdotool windowsize --sync "$window" "$1" "$2"
  for _ in $(seq 400); do (($(frames) > before)) && break; sleep 0.05; done
  sleep 0.5
}
memory() {
  awk '/^VmRSS/ { rss = $2 } /^VmHWM/ { peak = $2 } END {
    printf "%8d KiB resident (peak %d KiB)\n", rss, peak }' /proc/"$app"/status
}
printf '%-32s %s\n' "first size" "$(memory)"
for step in 4 2 3 1; do resize $((side / step)) $((side / step)); done
printf '%-32s %s\n' "after sizes up to ${side}x$side" "$(memory)"
resize 480 600
printf '%-32s %s\n' "back at 480x600" "$(memory)"
kill "$app"
