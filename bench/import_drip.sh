#!/usr/bin/env bash
# Whole-process time of `cyclune --import` on a ten-year drip export (3,650 rows, the full
# 49-column header, newest first as drip writes it, about 130 periods), with --dry-run and
# without (each real run on an empty scratch settings folder, so each one records every start
# and saves, after copying aside a settings file whose last period, 1 January 2016, comes before
# every start in the export). Prints the median, fastest and slowest wall-clock time of RUNS runs of each, and
# the median processor time (user + system) the process used, which a busy machine disturbs
# less than the wall clock.
# Usage: bench/import_drip.sh [path/to/cyclune] [runs]
set -euo pipefail

cyclune=${1:-build/release/cyclune}
runs=${2:-20}
[[ -x $cyclune ]] || { echo "import_drip: no program at $cyclune" >&2; exit 1; }
command -v python3 >/dev/null 2>&1 || { echo "import_drip: python3 is missing" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -m 700 "$tmp/run"

python3 - "$cyclune" "$runs" "$tmp" <<'EOF_PY'
import datetime, os, shutil, statistics, subprocess, sys, time

cyclune, runs, tmp = sys.argv[1], int(sys.argv[2]), sys.argv[3]
columns = ("date,temperature.value,temperature.exclude,temperature.time,temperature.note,"
           "bleeding.value,bleeding.exclude,mucus.feeling,mucus.texture,mucus.value,"
           "mucus.exclude,cervix.opening,cervix.firmness,cervix.position,cervix.exclude,"
           "note.value,desire.value,sex.solo,sex.partner,sex.condom,sex.pill,sex.iud,sex.patch,"
           "sex.ring,sex.implant,sex.diaphragm,sex.none,sex.other,sex.note,pain.cramps,"
           "pain.ovulationPain,pain.headache,pain.backache,pain.nausea,pain.tenderBreasts,"
           "pain.migraine,pain.other,pain.note,mood.happy,mood.sad,mood.stressed,mood.balanced,"
           "mood.fine,mood.anxious,mood.energetic,mood.fatigue,mood.angry,mood.other,"
           "mood.note").split(",")

# Ten years up to 31 March 2026, cycles of 26 to 31 days, 5 days of bleeding, a temperature
# every other day and a note now and then.
last = datetime.date(2026, 3, 31)
days = [last - datetime.timedelta(days=n) for n in range(3650)]
starts, day, length = set(), days[-1], 0
while day <= last:
    starts.add(day)
    day += datetime.timedelta(days=26 + length % 6)
    length += 1
rows = []
for day in days:  # newest first
    cells = [""] * len(columns)
    cells[0] = day.isoformat()
    since = min((day - s).days for s in starts if s <= day) if day >= days[-1] else 99
    if since < 5:
        cells[5], cells[6] = str(min(3, 3 - since // 2)), "false"
    if day.toordinal() % 2 == 0:
        cells[1], cells[2], cells[3] = "36.%d5" % (day.toordinal() % 9), "false", "06:40"
    if day.toordinal() % 17 == 0:
        cells[15] = '"long day, at work"'
    rows.append(",".join(cells))
export = os.path.join(tmp, "drip-data-2026-03-31.csv")
with open(export, "w") as out:
    out.write(",".join(columns) + "\n" + "\n".join(rows))

last_period = int((datetime.datetime(2016, 1, 1, 9) - datetime.datetime(1601, 1, 1))
                  .total_seconds()) * 10**7
settings = ("Windows Registry Editor Version 5.00\n\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Tamberlock\\Cyclune]\n"
            "\"CycleLength\"=dword:0000001c\n\"LutealPhase\"=dword:0000000e\n"
            "\"MenstrualDays\"=dword:00000004\n\"LastPeriodHigh\"=dword:%08x\n"
            "\"LastPeriodLow\"=dword:%08x\n" % (last_period >> 32, last_period & 0xFFFFFFFF))

def timed(dry_run):
    config = os.path.join(tmp, "config")
    shutil.rmtree(config, ignore_errors=True)
    os.makedirs(os.path.join(config, "cyclune"), mode=0o700)
    with open(os.path.join(config, "cyclune", "registry.reg"), "w") as out:
        out.write(settings)
    command = [cyclune, "--import", export, "--now", "2026-04-02T09:00:00"]
    if dry_run:
        command.append("--dry-run")
    env = dict(os.environ, XDG_CONFIG_HOME=config, XDG_RUNTIME_DIR=os.path.join(tmp, "run"))
    output = os.path.join(tmp, "stdout.txt")
    with open(output, "w") as out:
        started = time.monotonic()
        process = subprocess.Popen(command, env=env, stdout=out, stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(process.pid, 0)
        elapsed = time.monotonic() - started
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit("import_drip: cyclune ended with status %d" % os.waitstatus_to_exitcode(status))
    with open(output) as out:
        return elapsed * 1000, (usage.ru_utime + usage.ru_stime) * 1000, out.read()

report = timed(False)[2]
if "before-import-" not in report:
    sys.exit("import_drip: the settings were not copied aside:\n" + report)
print("%d rows: %s" % (len(rows), report.splitlines()[0]))
for dry_run in (True, False):
    results = [timed(dry_run) for _ in range(runs)]
    wall = sorted(result[0] for result in results)
    cpu = statistics.median(result[1] for result in results)
    print("%-18s median %.1f ms, fastest %.1f ms, slowest %.1f ms; processor %.1f ms (%d runs)"
          % ("--import --dry-run" if dry_run else "--import", statistics.median(wall), wall[0],
             wall[-1], cpu, runs))
EOF_PY
