#!/usr/bin/env bash
# The installed Cyclune: the Debian package that `make package` builds and the tree that
# `cmake --install` lays out, checked for what they hold and run from where they were put;
# the package by lintian, the desktop entry by desktop-file-validate and the software-centre
# entry by appstreamcli, all without a complaint.
#
#   package_test.sh BUILD_DIR
#
# Builds the .deb with cpack into a scratch folder (the build's own package is not touched),
# reads its control fields and file list, unpacks it into a fresh root and runs the program
# from there; installs the build tree into a scratch prefix likewise. As root with
# CYCLUNE_TEST_DPKG_INSTALL=1 it also installs the package on this machine with dpkg -i and
# removes it again, whatever happens (unless a cyclune package was installed before: that one
# is left alone). Exits 0 on success, 1 on failure (each failure named on standard error),
# 77 when a tool it needs is missing.
set -uo pipefail

build=$(cd "${1:?build folder}" && pwd)

for tool in cpack dpkg-deb dpkg-shlibdeps file gzip groff lintian appstreamcli \
            desktop-file-validate systemd-analyze; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (scripts/install-deps installs it)"
    exit 77
  fi
done

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}
check() {  # check DESCRIPTION COMMAND...: the command must succeed
  local what=$1
  shift
  "$@" || fail "$what"
}

scratch=$(mktemp -d "${TMPDIR:-/tmp}/cyclune-package-XXXXXX")
dpkg_installed=0
cleanup() {
  if [[ $dpkg_installed -eq 1 ]]; then
    dpkg -r cyclune >/dev/null 2>&1 || echo "FAIL: dpkg -r cyclune did not remove the package" >&2
  fi
  rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 1' INT TERM HUP

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ -n $version ]] || { echo "FAIL: no project version in $build/CMakeCache.txt" >&2; exit 1; }

module_dir=$(sed -n 's/^CYCLUNE_MODULE_INSTALL_DIR:INTERNAL=//p' "$build/CMakeCache.txt")
[[ -n $module_dir ]] || { echo "FAIL: no modules' folder in $build/CMakeCache.txt" >&2; exit 1; }

# The files of an installation, relative to its prefix, sorted.
app_id=io.github.cyclune.Cyclune
expected_files="bin/cyclune
$module_dir/cyclune-formats.so
$module_dir/cyclune-history.so
$module_dir/cyclune-notify.so
$module_dir/cyclune-pixels.so
$module_dir/cyclune-program.so
$module_dir/cyclune-terminal.so
lib/systemd/user/cyclune-reminder.service
lib/systemd/user/cyclune-reminder.timer
share/applications/$app_id.desktop
share/doc/cyclune/changelog.gz
share/doc/cyclune/copyright
share/icons/hicolor/128x128/apps/$app_id.png
share/icons/hicolor/32x32/apps/$app_id.png
share/icons/hicolor/scalable/apps/$app_id.svg
share/man/man1/cyclune.1.gz
share/metainfo/$app_id.metainfo.xml"

# PNG width and height from the IHDR chunk, as "WxH".
png_size() {
  local bytes a b c d e f g h
  bytes=$(od -An -tu1 -j16 -N8 "$1" | tr -s ' ' | sed 's/^ //')
  read -r a b c d e f g h <<<"$bytes"
  echo "$(((a << 24) | (b << 16) | (c << 8) | d))x$(((e << 24) | (f << 16) | (g << 8) | h))"
}

# The software-centre entry: valid to appstreamcli, naming this version, the desktop entry and
# the binary. AppStream 0.16 does not know the <developer> element yet (1.0 does, and keeps
# <developer_name> only for older readers): that one note is expected.
check_metainfo() {
  local metainfo=$1 said
  said=$(appstreamcli validate --no-net --no-color "$metainfo" 2>&1) ||
    fail "appstreamcli rejects the metainfo: $said"
  said=$(grep -E '^[EWIP]:' <<<"$said" | grep -vE '^I: [^ ]+ unknown-tag developer$')
  [[ -z $said ]] || fail "appstreamcli finds fault with the metainfo: $said"
  for piece in "<release version=\"$version\"" "<binary>cyclune</binary>" \
               "<launchable type=\"desktop-id\">$app_id.desktop</launchable>"; do
    grep -qF "$piece" "$metainfo" || fail "the metainfo lacks $piece"
  done
}

# Checks the installed data files under PREFIX.
check_data_files() {
  local prefix=$1 desktop=$1/share/applications/$app_id.desktop
  local icons=$1/share/icons/hicolor metainfo=$1/share/metainfo/$app_id.metainfo.xml
  local said
  said=$(desktop-file-validate "$desktop" 2>&1) && [[ -z $said ]] ||
    fail "desktop-file-validate finds fault with the desktop entry: $said"
  check_metainfo "$metainfo"
  for line in Type=Application Name=Cyclune "GenericName=Fertility Calendar" Exec=cyclune \
              "Icon=$app_id" "StartupWMClass=$app_id" Terminal=false \
              "Categories=Office;Calendar;"; do
    grep -qxF "$line" "$desktop" || fail "the desktop entry has no line $line"
  done
  [[ $(png_size "$icons/32x32/apps/$app_id.png") == 32x32 ]] || fail "the 32x32 icon is not 32x32"
  [[ $(png_size "$icons/128x128/apps/$app_id.png") == 128x128 ]] ||
    fail "the 128x128 icon is not 128x128"
  # The scalable icon is drawn by hand: it must still be the program's icon resource.
  if command -v rsvg-convert >/dev/null 2>&1 && [[ -x /usr/bin/compare ]]; then
    for size in 32 128; do
      rsvg-convert -w "$size" -h "$size" "$icons/scalable/apps/$app_id.svg" -o "$scratch/svg.png"
      local differ
      differ=$(/usr/bin/compare -metric AE "$icons/${size}x${size}/apps/$app_id.png" \
               "$scratch/svg.png" null: 2>&1)
      [[ $differ == 0 ]] || fail "the SVG icon at ${size}px differs from the icon resource in $differ pixels"
    done
  fi
  local doc=$prefix/share/doc/cyclune
  [[ $(gzip -dc "$doc/changelog.gz" | head -n1) == "cyclune ($version) "* ]] ||
    fail "the changelog does not begin with version $version"
  local dep5=https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
  [[ $(head -n1 "$doc/copyright") == "Format: $dep5" ]] ||
    fail "the copyright file is not in Debian's machine-readable format"
  # The page is read whole: a grep -q that stops at the first match would end gzip early,
  # which pipefail reports as a failure.
  local manual warnings
  manual=$(gzip -dc "$prefix/share/man/man1/cyclune.1.gz")
  warnings=$(groff -man -Tutf8 -ww <<<"$manual" 2>&1 >/dev/null)
  [[ -z $warnings ]] || fail "groff warns about the manual page: $warnings"
  grep -q "^\.TH CYCLUNE 1 .*\"Cyclune $version\"" <<<"$manual" ||
    fail "the manual page does not name version $version"
}

# Runs the program installed under PREFIX: its version, and a headless run that opens the help.
check_program() {
  local prefix=$1 where=$2 out=$scratch/out-$2
  local got
  got=$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/cyclune" --version)
  [[ $got == "cyclune $version" ]] || fail "$where: cyclune --version printed '$got'"
  # Every option of --help is in the manual page. It is read whole first: a grep -q that stops
  # at the first match would end gzip early, which pipefail reports as a failure.
  local manual
  manual=$(gzip -dc "$prefix/share/man/man1/cyclune.1.gz")
  for option in $("$prefix/bin/cyclune" --help | grep -o -- '--[a-z-]*' | sort -u); do
    grep -qF -- "${option//-/\\-}" <<<"$manual" ||
      fail "$where: the manual page does not describe $option"
  done
  mkdir -p "$scratch/config-$where"
  printf '# opens the help box\ncommand 40004\nshot month\n' |
    env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$scratch/config-$where" LC_ALL=C.UTF-8 \
      "$prefix/bin/cyclune" --headless --now 2024-05-20T09:30:00 --script - --out "$out" \
      >"$scratch/run.log" 2>&1 || fail "$where: the headless run failed: $(cat "$scratch/run.log")"
  grep -q '"caption": "Help"' "$out/messages.jsonl" 2>/dev/null ||
    fail "$where: messages.jsonl holds no Help box"
  [[ $(png_size "$out/month.png" 2>/dev/null) == 240x266 ]] ||
    fail "$where: no 240x266 shot month.png"
  if command -v readelf >/dev/null 2>&1 &&
     readelf -d "$prefix/bin/cyclune" | grep -E 'RPATH|RUNPATH' | grep -qF "$build"; then
    fail "$where: the binary still looks for libraries in the build folder"
  fi
}

# check_units PREFIX PROGRAM WHERE: the reminder's user units under PREFIX run PROGRAM, once,
# every day and after a missed day; where PROGRAM is installed, systemd-analyze verify (as
# for user units, the manual page looked up under PREFIX) says nothing about them.
check_units() {
  local units=$1/lib/systemd/user said
  grep -qxF "ExecStart=$2 --remind" "$units/cyclune-reminder.service" ||
    fail "$3: the service does not run $2 --remind"
  grep -qxF "Type=oneshot" "$units/cyclune-reminder.service" || fail "$3: the service is no oneshot"
  for line in Persistent=true WantedBy=timers.target; do
    grep -qxF "$line" "$units/cyclune-reminder.timer" || fail "$3: the timer has no line $line"
  done
  [[ -x $2 ]] || return 0  # the unpacked package, whose program is not at /usr/bin yet
  mkdir -p -m 700 "$scratch/units-runtime"
  said=$(XDG_RUNTIME_DIR=$scratch/units-runtime MANPATH=$1/share/man systemd-analyze --user \
         verify "$units/cyclune-reminder.service" "$units/cyclune-reminder.timer" 2>&1) &&
    [[ -z $said ]] || fail "$3: systemd-analyze verify finds fault with the units: $said"
}

# The shared libraries that a run initialises, one path a line: LD_DEBUG=libs names each one
# as the loader calls its initialiser, whether it was linked or opened with dlopen.
# run_mapped PREFIX WHERE NAME ARGS...: runs the installed program with ARGS, stdin empty.
run_mapped() {
  local prefix=$1 log=$scratch/ld-$2-$3
  shift 3
  rm -f "$log".*
  env -u DISPLAY -u WAYLAND_DISPLAY XDG_CONFIG_HOME="$scratch/config-libs" \
    XDG_RUNTIME_DIR="$scratch/config-libs" LC_ALL=C.UTF-8 LD_DEBUG=libs \
    LD_DEBUG_OUTPUT="$log" "$prefix/bin/cyclune" "$@" </dev/null >/dev/null 2>&1
  sed -n 's/^.*calling init: //p' "$log".* | sort -u
}

# expect_mapped WHERE MODE LIBRARIES [must REGEX]... [never REGEX]...
expect_mapped() {
  local where=$1 mode=$2 libraries=$3
  shift 3
  while [[ $# -ge 2 ]]; do
    if [[ $1 == must ]] && ! grep -qE -- "$2" <<<"$libraries"; then
      fail "$where: $mode does not load $2"
    elif [[ $1 == never ]] && grep -qE -- "$2" <<<"$libraries"; then
      fail "$where: $mode loads $(grep -E -- "$2" <<<"$libraries" | tr '\n' ' ')"
    fi
    shift 2
  done
}

# Each mode loads what it needs and nothing of the others: --help and --version the C++
# library alone; the commands and the terminal the program module (ICU) and no window stack;
# ncurses only for the terminal; the file formats only for --import and --ics; SDL only for the
# headless runner. The modules come from the installed folder.
check_libraries() {
  local prefix=$1 where=$2 modules=$1/$module_dir libraries
  local window='SDL|fontconfig|libX11|wayland|cyclune-pixels'
  local formats='libical|sqlite|cyclune-formats'
  local terminal='ncurses|libtinfo|cyclune-terminal'
  local history='cyclune-history'
  mkdir -p -m 700 "$scratch/config-libs"
  printf '2024-04-03\n2024-05-01\n' >"$scratch/starts.txt"
  for mode in --version --help; do
    libraries=$(run_mapped "$prefix" "$where" "${mode#--}" "$mode")
    expect_mapped "$where" "$mode" "$libraries" must 'libstdc\+\+'
    local extra
    extra=$(sed 's|.*/||' <<<"$libraries" |
            grep -vxE 'libc\.so\.6|libm\.so\.6|libstdc\+\+\.so\.6|libgcc_s\.so\.1|ld-linux.*')
    [[ -z $extra ]] || fail "$where: $mode loads more than the C++ library: $(echo $extra)"
  done
  libraries=$(run_mapped "$prefix" "$where" month --month 2024-05 --now 2024-05-20T09:00:00)
  expect_mapped "$where" --month "$libraries" must "^$modules/cyclune-program\.so$" \
    must libicuuc never "$window" never "$formats" never "$terminal" never "$history"
  libraries=$(run_mapped "$prefix" "$where" history --history --now 2024-05-20T09:00:00)
  expect_mapped "$where" --history "$libraries" must "^$modules/cyclune-history\.so$" \
    must libsqlite3 never "$window" never "$terminal"
  libraries=$(run_mapped "$prefix" "$where" import --import "$scratch/starts.txt" \
              --now 2024-05-20T09:00:00)
  expect_mapped "$where" --import "$libraries" must "^$modules/cyclune-formats\.so$" \
    never "$window" never "$terminal"
  # Nothing to remind of (no last period): no bus library, no bus.
  libraries=$(run_mapped "$prefix" "$where" remind --remind --now 2024-05-20T09:00:00)
  expect_mapped "$where" --remind "$libraries" must "^$modules/cyclune-program\.so$" \
    never 'libsystemd|cyclune-notify' never "$window" never "$terminal"
  libraries=$(run_mapped "$prefix" "$where" ics --ics --now 2024-05-20T09:00:00)
  expect_mapped "$where" --ics "$libraries" must libical never "$window" never "$terminal"
  libraries=$(printf 'shot month\n' |
              run_mapped "$prefix" "$where" headless --headless --out "$scratch/out-libs")
  expect_mapped "$where" --headless "$libraries" must "^$modules/cyclune-pixels\.so$" \
    must libSDL2 never "$formats" never "$terminal" never "$history"
  if command -v script >/dev/null 2>&1; then
    # A terminal of its own; F2 (Exit) waits in its input until the program reads it.
    local log=$scratch/ld-$where-terminal
    printf '\033OQ' | timeout 60 script -qec "env -u DISPLAY -u WAYLAND_DISPLAY \
      TERM=xterm-256color XDG_CONFIG_HOME='$scratch/config-libs' \
      XDG_RUNTIME_DIR='$scratch/config-libs' LD_DEBUG=libs LD_DEBUG_OUTPUT='$log' \
      '$prefix/bin/cyclune' --terminal" /dev/null >/dev/null 2>&1 ||
      fail "$where: the terminal run under script(1) failed"
    libraries=$(sed -n 's/^.*calling init: //p' "$log".* 2>/dev/null | sort -u)
    expect_mapped "$where" --terminal "$libraries" must libncursesw \
      must "^$modules/cyclune-program\.so$" must "^$modules/cyclune-terminal\.so$" \
      never "$window" never "$formats" never "$history"
  fi
}

# --- the Debian package ---------------------------------------------------------------------
if ! cpack --config "$build/CPackConfig.cmake" -B "$scratch/deb" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log" >&2
  fail "cpack did not build the package"
  exit 1
fi
deb=$scratch/deb/cyclune_${version}_$(dpkg --print-architecture).deb
if [[ ! -f $deb ]]; then
  fail "no $(basename "$deb") was built: $(ls "$scratch/deb")"
  exit 1
fi

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == cyclune ]] || fail "Package is '$(field Package)'"
[[ $(field Version) == "$version" ]] || fail "Version is '$(field Version)', not $version"
[[ $(field Maintainer) == "Cyclune developers <cyclune@users.noreply.github.com>" ]] ||
  fail "Maintainer is '$(field Maintainer)'"
[[ $(field Section) == misc ]] || fail "Section is '$(field Section)'"
[[ -n $(field Description) ]] || fail "the package has no description"
depends=$(field Depends)
for dependency in libsdl2-2.0-0 libsdl2-ttf-2.0-0 libsdl2-image-2.0-0 libicu libncursesw \
                  fontconfig fonts-dejavu-core libstdc++6; do
  [[ $depends == *"$dependency"* ]] || fail "Depends lacks $dependency: $depends"
done

# Debian's own checks: no error and no warning (an override would need its reason beside it).
lintian_said=$(lintian --no-cfg --fail-on error,warning "$deb" 2>&1) ||
  fail "lintian finds fault with the package:"$'\n'"$lintian_said"
[[ $(field Recommends) == *fonts-noto-cjk*fonts-wqy-zenhei* ]] ||
  fail "the package does not recommend a CJK font: $(field Recommends)"

contents=$(dpkg-deb -c "$deb")
packaged=$(awk '$1 !~ /^d/ { sub(/^\.\/usr\//, "", $6); print $6 }' <<<"$contents" | sort)
[[ $packaged == "$(sort <<<"$expected_files")" ]] ||
  fail "the package holds other files than expected:"$'\n'"$packaged"
awk '$1 !~ /^d/ && $2 != "root/root" { exit 1 }' <<<"$contents" ||
  fail "packaged files are not owned by root"
grep -qE '^-rwxr-xr-x .* \./usr/bin/cyclune$' <<<"$contents" ||
  fail "/usr/bin/cyclune is not packaged with mode 0755"

root=$scratch/root
check "dpkg-deb -x unpacks the package" dpkg-deb -x "$deb" "$root"
check_data_files "$root/usr"
check_units "$root/usr" /usr/bin/cyclune deb
check_program "$root/usr" deb
check_libraries "$root/usr" deb

# --- cmake --install into a prefix of its own ---------------------------------------------------
prefix=$scratch/prefix
if cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1; then
  installed=$(cd "$prefix" && find . -type f -o -type l | sed 's|^\./||' | sort)
  [[ $installed == "$(sort <<<"$expected_files")" ]] ||
    fail "cmake --install laid out other files than expected:"$'\n'"$installed"
  check_data_files "$prefix"
  check_units "$prefix" "$prefix/bin/cyclune" prefix
  check_program "$prefix" prefix
  check_libraries "$prefix" prefix
else
  cat "$scratch/install.log" >&2
  fail "cmake --install failed"
fi

# --- dpkg -i on this machine (root, and asked for) ----------------------------------------------
if [[ ${CYCLUNE_TEST_DPKG_INSTALL:-0} == 1 && $(id -u) -eq 0 ]]; then
  if dpkg-query -W -f='${Status}' cyclune 2>/dev/null | grep -q 'ok installed'; then
    echo "note: a cyclune package is already installed here; dpkg -i is not tried"
  else
    dpkg_installed=1
    if dpkg -i "$deb" >"$scratch/dpkg.log" 2>&1; then
      [[ $(/usr/bin/cyclune --version) == "cyclune $version" ]] ||
        fail "the installed /usr/bin/cyclune does not report $version"
      dpkg -L cyclune | grep -qx "/usr/share/applications/$app_id.desktop" ||
        fail "dpkg -L cyclune does not list the desktop entry"
      if command -v man >/dev/null 2>&1 && [[ -f /usr/share/man/man1/cyclune.1.gz ]]; then
        [[ $(man -w cyclune 2>/dev/null) == /usr/share/man/man1/cyclune.1.gz ]] ||
          fail "man -w cyclune does not find the installed page"
      fi
      check_program /usr dpkg
      check_units /usr /usr/bin/cyclune dpkg
      check_libraries /usr dpkg
    else
      cat "$scratch/dpkg.log" >&2
      fail "dpkg -i did not install the package"
    fi
    if dpkg -r cyclune >"$scratch/dpkg.log" 2>&1; then
      dpkg_installed=0
      [[ ! -e /usr/bin/cyclune ]] || fail "dpkg -r left /usr/bin/cyclune behind"
    else
      cat "$scratch/dpkg.log" >&2
      fail "dpkg -r cyclune failed"
    fi
  fi
else
  echo "note: dpkg -i not tried (it needs root and CYCLUNE_TEST_DPKG_INSTALL=1)"
fi

if [[ $failures -ne 0 ]]; then
  echo "package test: $failures failure(s)" >&2
  exit 1
fi
echo "package test: the package and the installed tree are complete and run"
