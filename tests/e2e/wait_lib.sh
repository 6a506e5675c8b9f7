# Waiting in the end-to-end tests, sourced by them: a condition is polled until it holds,
# never a fixed sleep, up to a deadline generous for a sanitizer build on a loaded machine
# (CYCLUNE_E2E_TIMEOUT seconds, 30 by default).

E2E_TIMEOUT=${CYCLUNE_E2E_TIMEOUT:-30}

# poll_until COMMAND...: runs COMMAND every 50 ms until it succeeds (status 0), or until
# E2E_TIMEOUT seconds have passed (status 1).
poll_until() {
  local deadline=$((SECONDS + E2E_TIMEOUT))
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.05
  done
}

# start_scratch: a scratch folder $tmp and a list $pids of background processes, both cleaned
# up when the script exits; fail MESSAGE then prints every $tmp/*.log before exiting 1.
start_scratch() {
  tmp=$(mktemp -d)
  pids=()
  trap scratch_cleanup EXIT
}
scratch_cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$tmp"
}
fail() { echo "FAIL: $*"; for log in "$tmp"/*.log; do echo "--- $log"; cat "$log"; done; exit 1; }

# quiet_second: true when the program that run_cyclune started from the subshell $app (or $app
# itself) made at most one voluntary context switch in a second: idle, it sleeps until there
# is something to do.
program_pid() { pgrep -P "$app" -x cyclune || echo "$app"; }
voluntary_switches() {
  cat /proc/"$(program_pid)"/task/*/status |
    awk '/^voluntary_ctxt_switches/ { n += $2 } END { print n }'
}
quiet_second() {
  local before
  before=$(voluntary_switches)
  sleep 1
  (($(voluntary_switches) - before <= 1))
}
