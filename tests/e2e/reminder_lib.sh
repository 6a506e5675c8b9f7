# Helpers for the reminder end-to-end tests, sourced by tests/e2e/reminder_*_test.sh after
# wait_lib.sh's start_scratch: settings with a given last period, a private session bus with
# nothing on it that could be started on demand, and the reminder run in that environment.
PYTHON=/usr/bin/python3  # Debian's, which python3-dbus and python3-dbusmock install for
command -v dbus-daemon >/dev/null 2>&1 || { echo "dbus-daemon is not installed: skipped"; exit 77; }

export LC_ALL=en_US.UTF-8 TZ=UTC XDG_CONFIG_HOME=$tmp/config XDG_STATE_HOME=$tmp/state
export XDG_RUNTIME_DIR=$tmp/runtime
mkdir -p -m 700 "$XDG_RUNTIME_DIR"
unset DISPLAY WAYLAND_DISPLAY CYCLUNE_DISCREET INVOCATION_ID

# settings YYYY-MM-DD: the initial cycle settings with that last period, 09:00.
settings() {
  local high low
  read -r high low < <("$PYTHON" -c '
import datetime, sys
t = (datetime.datetime.fromisoformat(sys.argv[1] + "T09:00") - datetime.datetime(1601, 1, 1))
t = t // datetime.timedelta(microseconds=1) * 10
print("%08x %08x" % (t >> 32, t & 0xffffffff))' "$1")
  mkdir -p "$XDG_CONFIG_HOME/cyclune"
  printf 'Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\n"CycleLength"=dword:0000001c\n"MenstrualDays"=dword:00000005\n"LutealPhase"=dword:0000000e\n"LastPeriodHigh"=dword:%s\n"LastPeriodLow"=dword:%s\n' \
    "$high" "$low" > "$XDG_CONFIG_HOME/cyclune/registry.reg"
}

# start_bus: a private session bus (no service files, so nothing is started on demand) as
# DBUS_SESSION_BUS_ADDRESS.
bus_config=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/session_bus.conf
start_bus() {
  dbus-daemon --config-file="$bus_config" --fork --print-address=3 --print-pid=4 \
    3>"$tmp/bus.address" 4>"$tmp/bus.pid" || fail "dbus-daemon did not start"
  pids+=("$(cat "$tmp/bus.pid")")
  DBUS_SESSION_BUS_ADDRESS=$(head -n1 "$tmp/bus.address")
  export DBUS_SESSION_BUS_ADDRESS
}

# remind NAME ARGS...: runs the reminder (today is 15 May 2024) in the background, its output
# in $tmp/NAME.out and .err and its status, once it ends, in $tmp/NAME.status.
remind() {
  local name=$1
  shift
  ("$CYCLUNE" --remind --now 2024-05-15T09:00:00 "$@" >"$tmp/$name.out" 2>"$tmp/$name.err"
   echo $? >"$tmp/$name.status") &
}
reminder_ended() { [[ -s "$tmp/$1.status" ]]; }
# reminder_ends NAME STATUS [OUTPUT]: waits for the reminder NAME to end with STATUS and print
# OUTPUT.
reminder_ends() {
  poll_until reminder_ended "$1" || fail "$1: the reminder did not end"
  [[ $(cat "$tmp/$1.status") == "$2" ]] || fail "$1: status $(cat "$tmp/$1.status"), not $2"
  [[ $# -lt 3 || $(cat "$tmp/$1.out") == "$3" ]] || fail "$1: printed '$(cat "$tmp/$1.out")'"
}
