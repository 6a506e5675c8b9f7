#!/usr/bin/env bash
# `make run` from a fresh clone asks for the packages of running alone and builds the program
# alone: the install-deps it runs has no --test, and the build folder it configures has no
# tests, benchmarks or fuzz replayers, and configures where the test libraries are missing.
# Reads the commands from `make -n run` in a copy of the source (no build folder) and runs the
# configure command it prints, with GoogleTest and Google Benchmark hidden from CMake.
#
#   program_alone_test.sh SOURCE_DIR
set -uo pipefail

source_dir=$(cd "${1:?source folder}" && pwd)
scratch=$(mktemp -d "${TMPDIR:-/tmp}/cyclune-program-XXXXXX")
trap 'rm -rf "$scratch"' EXIT
copy=$scratch/source
mkdir "$copy"
tar -C "$source_dir" --exclude=./build --exclude=./.git -cf - . | tar -C "$copy" -xf - ||
  { echo "FAIL: cannot copy the source"; exit 1; }

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

plan=$(make -n --no-print-directory -C "$copy" run) || { echo "FAIL: make -n run: $plan"; exit 1; }
grep -qx 'scripts/install-deps' <<<"$plan" || fail "make run does not run scripts/install-deps"
! grep -q 'install-deps.*--test' <<<"$plan" || fail "make run installs the test tools"

configure=$(grep -m1 'cmake --preset' <<<"$plan") || { echo "FAIL: make run configures nothing"; exit 1; }
(cd "$copy" && eval "$configure" -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON \
   -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON) >"$scratch/configure.log" 2>&1 ||
  fail "'$configure' needs the test libraries: $(tail -n 5 "$scratch/configure.log")"

build=$(find "$copy/build" -mindepth 1 -maxdepth 1 -type d | head -n1)
if [[ -n $build ]]; then
  targets=$(make --no-print-directory -C "$build" help)
  grep -qx '\.\.\. cyclune' <<<"$targets" || fail "the build folder has no cyclune target"
  extra=$(grep -E '_(tests|bench)$|fuzz' <<<"$targets")
  [[ -z $extra ]] || fail "the build folder of make run also builds: $extra"
else
  fail "make run's configure made no build folder"
fi

if ((failures > 0)); then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
