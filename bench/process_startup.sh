#!/usr/bin/env bash
# Whole-process start of the modes that open no window: each command is run RUNS times,
# interleaved with `true` (the floor: what starting any program from this script costs), and
# the median and the fastest wall time of each are printed, with the number of shared libraries
# the command loads (LD_DEBUG=libs). The headless and window starts are measured by
# paint_bench (BM_StartToFirstFrame) and desktop_startup.sh, the terminal's first screen by
# terminal_bench (BM_TerminalProcessStartToFirstScreen).
#
#   bench/process_startup.sh [path/to/cyclune ...] [runs]   (defaults: build/release/cyclune 20)
#
# With two programs (an older build first), every command of each is timed in the same rounds,
# so the two are measured side by side on the same machine load.
#
# Settings are read from a scratch folder, so the runs neither read nor lock the user's.
set -euo pipefail

programs=()
runs=20
for argument in "$@"; do
  if [[ $argument =~ ^[0-9]+$ ]]; then runs=$argument; else programs+=("$argument"); fi
done
((${#programs[@]})) || programs=(build/release/cyclune)
for program in "${programs[@]}"; do
  [[ -x $program ]] || { echo "process_startup: no program at $program" >&2; exit 1; }
done
true_program=$(command -v true)
[[ $true_program == /* ]] || true_program=/usr/bin/true

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME=$scratch/config XDG_RUNTIME_DIR=$scratch/run LC_ALL=C.UTF-8
mkdir -m 700 "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY

commands=("$true_program")
for cyclune in "${programs[@]}"; do
  commands+=("$cyclune --version" "$cyclune --help")
  for extra in "--month 2024-05" "--report 2024-05-20"; do
    # The command-line outputs that this build has.
    if $cyclune $extra --now 2024-05-20T09:00:00 >/dev/null 2>&1; then
      commands+=("$cyclune $extra --now 2024-05-20T09:00:00")
    fi
  done
done

# Microseconds of one run of the command line in $1 (split on spaces).
time_once() {
  local start end
  start=$EPOCHREALTIME
  $1 >/dev/null 2>&1 || true
  end=$EPOCHREALTIME
  echo $((${end/./} - ${start/./}))
}

declare -A samples
for ((run = 0; run < runs; run++)); do
  for command in "${commands[@]}"; do
    samples[$command]+="$(time_once "$command") "
  done
done

printf '%-52s %9s %9s %5s\n' "command ($runs runs each)" median fastest libs
for command in "${commands[@]}"; do
  read -r -a values <<<"$(tr ' ' '\n' <<<"${samples[$command]}" | sed '/^$/d' | sort -n |
                          tr '\n' ' ')"
  median=${values[$((runs / 2))]}
  libraries=$(LD_DEBUG=libs $command 2>&1 >/dev/null | grep -c 'calling init:' || true)
  label=$command
  # One program reads "cyclune ..."; with more, "cyclune#N ..." for the Nth of the command line.
  for index in "${!programs[@]}"; do
    tag=cyclune
    ((${#programs[@]} == 1)) || tag="cyclune#$((index + 1))"
    [[ $command == "${programs[index]} "* ]] && label="$tag ${command#"${programs[index]} "}"
  done
  printf '%-52s %6d.%02d %6d.%02d %5s\n' "$label" \
    $((median / 1000)) $((median % 1000 / 10)) $((values[0] / 1000)) $((values[0] % 1000 / 10)) \
    "$libraries"
done
((${#programs[@]} == 1)) || for index in "${!programs[@]}"; do
  echo "cyclune#$((index + 1)): ${programs[index]}"
done
echo "(milliseconds; libs: shared libraries initialised, the program itself not counted)"
