#!/usr/bin/env bash
# Time and memory of `cyclune --import FILE --dry-run` on files made to be costly: each is
# small on disk or at most 64 MiB, the most an import reads. For each file: the wall-clock and
# processor time of the whole process, its peak resident memory (ru_maxrss), its exit status
# and the first line it printed; then the same run under an address-space limit (LIMIT_MIB,
# 1536 by default), where a reader that needs more memory than the limit must refuse, not abort.
# A run still going after SECONDS (120 by default) is stopped and shown as such.
# Usage: bench/import_bounds.sh [path/to/cyclune] [limit_mib] [seconds]
set -euo pipefail

cyclune=${1:-build/release/cyclune}
limit_mib=${2:-1536}
seconds=${3:-120}
[[ -x $cyclune ]] || { echo "import_bounds: no program at $cyclune" >&2; exit 1; }
command -v python3 >/dev/null 2>&1 || { echo "import_bounds: python3 is missing" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -m 700 "$tmp/run" "$tmp/config"

python3 - "$cyclune" "$limit_mib" "$seconds" "$tmp" <<'EOF_PY'
import gzip, os, resource, subprocess, sys, threading, time

cyclune, limit_mib, seconds, tmp = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
most = 64 << 20

def write(name, data):
    path = os.path.join(tmp, name)
    with open(path, "wb") as out:
        out.write(data)
    return path

wide = ("date,bleeding.value," + ",".join("c%05d" % i for i in range(99998)) +
        "\n2025-01-01,1\n").encode()
files = [
    ("drip header of 100,000 columns", write("wide.csv", wide)),
    ("[{},{},...] of 250,000 objects, gzip",
     write("objects.json.gz", gzip.compress(b"[" + b"{}," * 249999 + b"{}]", 9))),
    ("a CSV line of 64 Mi empty fields, gzip",
     write("commas.csv.gz", gzip.compress(b"," * (most - 1) + b"\n", 9))),
    ("64 MiB of [[],[],...]",
     write("arrays.json", b"[" + b"[]," * ((most - 2) // 3 - 1) + b"[]]")),
    ("64 MiB of [{},{},...]",
     write("objects.json", b"[" + b"{}," * ((most - 2) // 3 - 1) + b"{}]")),
    ("64 MiB list of dates, 6.1 million lines",
     write("dates.txt", b"2025-01-01\n" * (most // 11))),
]

def run(path, limited):
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(tmp, "config"),
               XDG_RUNTIME_DIR=os.path.join(tmp, "run"), LC_ALL="C.UTF-8")
    def bound():
        if limited:
            size = limit_mib << 20
            resource.setrlimit(resource.RLIMIT_AS, (size, size))
    started = time.monotonic()
    process = subprocess.Popen([cyclune, "--import", path, "--dry-run"], env=env,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                               preexec_fn=bound)
    stop = threading.Timer(seconds, process.kill)
    stop.start()
    output = process.stdout.read()
    _, status, usage = os.wait4(process.pid, 0)
    elapsed = time.monotonic() - started
    stopped = not stop.is_alive()
    stop.cancel()
    line = output.decode(errors="replace").splitlines()[0] if output else ""
    line = line.replace(tmp + "/", "")
    if stopped:
        line = "stopped after %d s" % seconds
    if len(line) > 110:
        line = line[:107] + "..."
    return (elapsed, usage.ru_utime + usage.ru_stime, usage.ru_maxrss / 1024,
            os.waitstatus_to_exitcode(status), line)

for name, path in files:
    print("%s (%d bytes)" % (name, os.path.getsize(path)))
    for limited in (False, True):
        wall, cpu, rss, code, line = run(path, limited)
        print("  %-14s %7.2f s, processor %7.2f s, peak %7.1f MiB, status %d: %s"
              % ("AS %d MiB" % limit_mib if limited else "no limit", wall, cpu, rss, code, line))
EOF_PY
