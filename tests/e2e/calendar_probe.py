"""Reads what calendar_export_test.sh compares: the calendar file, khal's listing, the
headless runner's shots and the month printed as text, each as one line per event or day.

  calendar_probe.py ics FILE                 "FIRST LAST SUMMARY UID" per event, after checking
                                             each event's properties (exit 1 on a fault)
  calendar_probe.py khal FILE                the same lines from `khal list` output
  calendar_probe.py months EVENTS            "YYYY-MM COUNT": the months to paint, one spare
                                             month on each side of the events
  calendar_probe.py grid DIR YYYY-MM COUNT   "DATE CLASS" for each coloured day of the shots
                                             DIR/mN-a.png (1st selected) and mN-b.png (2nd)
  calendar_probe.py text FILE YYYY-MM        the same from `cyclune --month --color=always`
  calendar_probe.py compare EVENTS GRID      events against the painted days (exit 1 on a fault)
  calendar_probe.py alarms FILE DAYS         "UID" of each event with an alarm, after checking that
                                             each predicted period has one: displayed DAYS days
                                             before its start, with a description

CLASS is start, period, most or fertile; white days are not listed.
"""
import datetime
import re
import subprocess
import sys

import icalendar

WIDTH, HEIGHT = 240, 266          # the shots' client area
CELL_W, CELL_H = WIDTH // 7, HEIGHT // 8
CLASSES = {(255, 0, 0): "start", (128, 0, 0): "period", (0, 255, 0): "most",
           (0, 128, 0): "fertile", (255, 255, 255): None, (0, 0, 64): "selected"}
SUMMARIES = {"Period": "p", "Predicted period": "p", "Predicted fertile window": "w",
             "Predicted most fertile day": "m"}
LETTERS = {"start": "p", "period": "p", "most": "mw", "fertile": "w"}


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def ics_events(path):
    with open(path, "rb") as handle:
        data = handle.read()
    if not data.endswith(b"\r\n") or b"\n" in data.replace(b"\r\n", b""):
        fail("%s: lines must end in CRLF" % path)
    if any(len(line) > 75 for line in data.split(b"\r\n")):
        fail("%s: a line longer than 75 octets is not folded" % path)
    calendar = icalendar.Calendar.from_ical(data)
    if not str(calendar.get("PRODID", "")).startswith("-//Cyclune//"):
        fail("no PRODID of ours")
    lines, uids = [], set()
    for event in calendar.walk("VEVENT"):
        start, end = event.decoded("DTSTART"), event.decoded("DTEND")
        if isinstance(start, datetime.datetime) or isinstance(end, datetime.datetime):
            fail("%s is not an all-day event" % event["UID"])
        stamp = event.decoded("DTSTAMP")
        if not isinstance(stamp, datetime.datetime) or stamp.utcoffset() != datetime.timedelta(0):
            fail("%s: DTSTAMP is not in UTC" % event["UID"])
        uid = str(event["UID"])
        if uid in uids or re.search(r"\d{4}", uid):
            fail("UID %s is repeated or looks like a date" % uid)
        uids.add(uid)
        if str(event["SUMMARY"]) not in SUMMARIES or str(event["CLASS"]) != "PRIVATE" \
                or str(event["TRANSP"]) != "TRANSPARENT" or end <= start:
            fail("%s: summary, class, transparency or end" % uid)
        last = end - datetime.timedelta(days=1)
        lines.append("%s %s %s %s" % (start, last, event["SUMMARY"], uid))
    return sorted(lines)


def khal_events(path):
    lines = set()
    with open(path) as handle:
        for line in handle:
            fields = line.rstrip("\n").split("|")
            if len(fields) == 4:
                lines.add("%s %s %s %s" % (fields[0], fields[1], fields[2], fields[3]))
    return sorted(lines)


def read_events(path):
    events = []
    with open(path) as handle:
        for line in handle:
            first, last, rest = line.split(" ", 2)
            summary = rest.rsplit(" ", 1)[0]
            events.append((datetime.date.fromisoformat(first), datetime.date.fromisoformat(last),
                           SUMMARIES[summary]))
    return events


def month_at(text):
    year, month = map(int, text.split("-"))
    return year * 12 + month - 1


def months(path):
    events = read_events(path)
    first = min(e[0] for e in events)
    last = max(e[1] for e in events)
    start = first.year * 12 + first.month - 2
    count = last.year * 12 + last.month - start + 1
    print("%04d-%02d %d" % (start // 12, start % 12 + 1, count))


def days_of(index):
    year, month = index // 12, index % 12 + 1
    day = datetime.date(year, month, 1)
    while day.month == month:
        yield day
        day += datetime.timedelta(days=1)


def cell_of(day):
    place = datetime.date(day.year, day.month, 1).isoweekday() % 7 + day.day - 1
    return place % 7, 2 + place // 7


def shots(paths):
    """Reads the shots in one run of ImageMagick: their RGB bytes one after the other."""
    data = subprocess.run(["convert"] + paths + ["-depth", "8", "rgb:-"], check=True,
                          stdout=subprocess.PIPE).stdout
    size = WIDTH * HEIGHT * 3
    if len(data) != size * len(paths):
        fail("the shots are not %dx%d" % (WIDTH, HEIGHT))

    def reader(at):
        return lambda x, y: tuple(data[at + 3 * (y * WIDTH + x):at + 3 * (y * WIDTH + x) + 3])
    return [reader(size * n) for n in range(len(paths))]


def grid(folder, first, count):
    pixels = shots(["%s/m%d-%s.png" % (folder, n, side) for n in range(count) for side in "ab"])
    for n in range(count):
        index = month_at(first) + n
        pictures = pixels[2 * n:2 * n + 2]
        for day in days_of(index):
            column, row = cell_of(day)
            picture = pictures[1] if day.day == 1 else pictures[0]
            colour = picture(column * CELL_W + 2, row * CELL_H + 2)
            if colour not in CLASSES:
                fail("%s: colour %s is none of the view's" % (day, colour))
            if CLASSES[colour] == "selected":
                fail("%s: the selection was not moved off it" % day)
            if CLASSES[colour]:
                print(day, CLASSES[colour])


def text_month(path, month):
    with open(path, encoding="utf-8") as handle:
        lines = handle.read().split("\n")
    rows = []
    for line in lines[2:]:
        cells, background = [], None
        for token in re.findall(r"\x1b\[([0-9;]*)m|(.)", line):
            if token[0]:
                values = list(map(int, token[0].split(";"))) if token[0] else [0]
                background = tuple(values[-3:]) if len(values) >= 10 else None
            else:
                cells.append((token[1], background))
        if not cells:
            break
        rows.append(cells)
    for day in days_of(month_at(month)):
        column, row = cell_of(day)
        cells = rows[row - 2][3 * column:3 * column + 3]
        if "".join(c[0] for c in cells).strip() != str(day.day):
            fail("%s: the text shows %r" % (day, "".join(c[0] for c in cells)))
        if cells[0][1] not in CLASSES:
            fail("%s: background %s is none of the view's" % (day, cells[0][1]))
        if CLASSES[cells[0][1]]:
            print(day, CLASSES[cells[0][1]])


def compare(events_path, grid_path):
    painted = {}
    with open(grid_path) as handle:
        for line in handle:
            day, name = line.split()
            painted[datetime.date.fromisoformat(day)] = name
    covered = {}
    starts = set()
    for first, last, letter in read_events(events_path):
        if letter == "p":
            starts.add(first)
        day = first
        while day <= last:
            covered[day] = "".join(sorted(covered.get(day, "") + letter))
            day += datetime.timedelta(days=1)
    faults = []
    for day in sorted(set(painted) | set(covered)):
        expected = "".join(sorted(LETTERS.get(painted.get(day), "")))
        if covered.get(day, "") != expected:
            faults.append("%s: painted %s, events %r" % (day, painted.get(day), covered.get(day)))
    for day, name in painted.items():
        if name == "start" and day not in starts:
            faults.append("%s: a first day of a period begins no period" % day)
    for day in starts:
        before = painted.get(day - datetime.timedelta(days=1))
        if painted.get(day) != "start" and before in ("start", "period"):
            faults.append("%s: a period begins inside another" % day)
    if faults:
        fail("; ".join(faults[:5]))


def alarms(path, days):
    calendar = icalendar.Calendar.from_ical(open(path, "rb").read())
    for event in calendar.walk("VEVENT"):
        uid = str(event["UID"])
        found = event.walk("VALARM")
        predicted = uid.startswith("period-") and not uid.startswith("period-1@")
        if len(found) != (1 if predicted else 0):
            fail("%s has %d alarms" % (uid, len(found)))
        for alarm in found:
            if str(alarm["ACTION"]) != "DISPLAY" or \
                    alarm.decoded("TRIGGER") != -datetime.timedelta(days=days) or \
                    not str(alarm.get("DESCRIPTION", "")):
                fail("%s: the alarm is %r" % (uid, alarm.to_ical()))
            print(uid)


def main():
    command, arguments = sys.argv[1], sys.argv[2:]
    if command == "ics":
        print("\n".join(ics_events(arguments[0])))
    elif command == "khal":
        print("\n".join(khal_events(arguments[0])))
    elif command == "months":
        months(arguments[0])
    elif command == "grid":
        grid(arguments[0], arguments[1], int(arguments[2]))
    elif command == "text":
        text_month(arguments[0], arguments[1])
    elif command == "compare":
        compare(arguments[0], arguments[1])
    elif command == "alarms":
        alarms(arguments[0], int(arguments[1]))


main()
