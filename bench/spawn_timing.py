"""Whole-process timings for the bench scripts: each run from spawn to the exit reaped, its
wall-clock and processor (user + system) milliseconds."""
import os
import sys
import time


def once(argv):
    """Wall-clock and processor milliseconds of one run, from spawn to the exit reaped.
    posix_spawn (vfork and exec) keeps the harness's own cost out of the figure."""
    started = time.perf_counter()
    pid = os.posix_spawnp(argv[0], argv, os.environ,
                          file_actions=[(os.POSIX_SPAWN_OPEN, 1, os.devnull, os.O_WRONLY, 0)])
    _, status, usage = os.wait4(pid, 0)
    wall = (time.perf_counter() - started) * 1000.0
    if status != 0:
        sys.exit("%s failed" % argv)
    return wall, (usage.ru_utime + usage.ru_stime) * 1000.0


def interleaved(commands, runs, before=None):
    """{name: [(wall, cpu), ...]} of `runs` runs of each (name, argv), after a warm start of
    each (the program and its libraries in the page cache). Each round runs every command once,
    so a busy moment of the machine falls on all of them alike rather than on one. before(name),
    when given, runs ahead of every run, outside its timing."""
    def run(name, argv):
        if before is not None:
            before(name)
        return once(argv)

    for name, argv in commands:
        run(name, argv)
    samples = {name: [] for name, _ in commands}
    for _ in range(runs):
        for name, argv in commands:
            samples[name].append(run(name, argv))
    return samples


def report(samples, commands, runs):
    """Prints a line per command: median, its ratio to `true` (which `commands` must hold),
    fastest, slowest and median processor time, in milliseconds."""
    import statistics
    floor = statistics.median(wall for wall, _ in samples["true"])
    width = max(len(name) for name, _ in commands)
    for name, _ in commands:
        walls = sorted(wall for wall, _ in samples[name])
        cpu = statistics.median(cpu for _, cpu in samples[name])
        median = statistics.median(walls)
        print("%-*s median %6.2f ms (%4.1f x true)   min %6.2f ms   max %6.2f ms   cpu %6.2f ms"
              "   (%d runs)" % (width, name, median, median / floor, walls[0], walls[-1], cpu, runs))
