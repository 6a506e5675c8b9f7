"""Kills cyclune with SIGKILL at random moments of 200 recordings, undos, removals and imports,
and checks after each that the history and registry.reg agree: the history never has to take
the settings file as changed outside Cyclune, the values it ends at are the file's, and every
operation that a run reported done is still there.

    python3 history_kill_probe.py /path/to/cyclune [steps] [seed]
"""
import json
import os
import random
import signal
import subprocess
import sys
import tempfile
import time

CYCLUNE = sys.argv[1]
STEPS = int(sys.argv[2]) if len(sys.argv) > 2 else 200
random.seed(int(sys.argv[3]) if len(sys.argv) > 3 else 23)
home = tempfile.mkdtemp(prefix="cyclune-kill-")
env = dict(os.environ, XDG_CONFIG_HOME=home + "/config", XDG_RUNTIME_DIR=home, LC_ALL="C.UTF-8")
env.pop("DISPLAY", None)
env.pop("WAYLAND_DISPLAY", None)
registry = home + "/config/cyclune/registry.reg"
NOW = ["--now", "2030-01-01T09:00:00"]


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def run(arguments):
    return subprocess.run([CYCLUNE] + arguments + NOW, env=env, capture_output=True, text=True)


def look():
    """The history as the next start will see it, without writing anything."""
    result = run(["--history=json", "--dry-run"])
    if result.returncode != 0:
        fail("--history=json: %s" % result.stderr)
    return json.loads(result.stdout)


def file_values():
    values = {"CycleLength": 28, "LutealPhase": 14, "MenstrualDays": 5,
              "LastPeriodHigh": 0, "LastPeriodLow": 0}
    if os.path.exists(registry):
        for line in open(registry, encoding="utf-8"):
            name, _, value = line.strip().partition("=dword:")
            if value and name.strip('"') in values:
                number = int(value, 16)
                if name.strip('"') in ("CycleLength", "LutealPhase", "MenstrualDays"):
                    number = number - (1 << 32) if number >= 1 << 31 else number
                values[name.strip('"')] = number
    return values


def next_operation(day, starts):
    kind = random.random()
    if kind < 0.5 or not starts:
        day[0] += random.randint(24, 33)
        return ["--record", day_text(day[0])]
    if kind < 0.7:
        return ["--undo"]
    if kind < 0.85:
        return ["--remove", random.choice(starts)]
    dates = [day_text(day[0] - random.randint(1, 200)) for _ in range(3)]
    with open(home + "/starts.txt", "w") as out:
        out.write("\n".join(dates) + "\n")
    return ["--import", home + "/starts.txt"]


def day_text(number):
    return time.strftime("%Y-%m-%d", time.gmtime(number * 86400))


day = [19700]  # 2023-12-08
confirmed = []  # the operations of the last run that reported done
kills = 0
for step in range(STEPS):
    starts = [start["date"] for start in look()["starts"]]
    arguments = next_operation(day, starts)
    process = subprocess.Popen([CYCLUNE] + arguments + NOW, env=env, stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, text=True)
    time.sleep(random.uniform(0, 0.03))
    process.send_signal(signal.SIGKILL)
    out, _ = process.communicate()
    killed = process.returncode == -signal.SIGKILL
    kills += killed
    history = look()
    operations = history["operations"]
    if any(operation["source"] == "outside" for operation in operations):
        fail("step %d (%s): the two files disagreed" % (step, " ".join(arguments)))
    if history["settings"] != file_values():
        fail("step %d: the history ends at %s, the file holds %s"
             % (step, history["settings"], file_values()))
    if operations[:len(confirmed)] != confirmed:
        fail("step %d: an operation reported done was lost" % step)
    if not killed and process.returncode == 0 and "Last period" in out:
        confirmed = operations

final = run(["--history"])
if final.returncode != 0 or final.stderr:
    fail("the history after the kills: %s" % final.stderr)
print("%d steps, %d killed, %d operations kept" % (STEPS, kills, len(look()["operations"])))
subprocess.run(["rm", "-rf", home])
