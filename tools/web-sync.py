#!/usr/bin/env python3
"""Benchmark (prints figures, judges nothing): the music time the page draws
against the clicks its browser's sound server played.

  tools/web-sync.py [--engine NAME[,NAME...]] [--seconds N] [--moves] BUILD_WEB DESKTOP_BUILD

For each engine (chromium, firefox, webkit; all three unless named), one
play recorded through a private sound server (tests/web/sync_play.py: the
click track as the soundtrack, the null sink's monitor stamped on
CLOCK_MONOTONIC, every presented frame's music time logged with the page's
wall clock, which is tied to CLOCK_MONOTONIC before the click and after the
play; the same is done for this process's CLOCK_REALTIME). Then
sync_clicks.py judge prints the offset of drawn against heard (positive: the
picture leads) at 1 s, the 95th percentile, the worst frame and the drift,
and the page's own readings of its audio context and the server's latency of
the browser's stream are printed beside them; the judge says how they stand
against the 10 ms goal (and CI's gate).

With --moves the play is paused and sought instead of played through: seven
and a half seconds in, Space holds it for 2 s, then it plays on for 4 s,
seeks 10 s forward (Right), plays 4 s, seeks 10 s back (Left) and plays 4 s;
the offsets are judged from one second after each move against the start's
own, from one second to the first move of the same play (sync_clicks.py
judge-moves --against-start)."""

import json
import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "tests", "web"))
import sync_play  # noqa: E402

ENGINES = sync_play.ENGINES


def measure(engine, site, seconds, folder, moves=False):
    p = sync_play.recorded_play(engine, site, folder, seconds, moves)
    if isinstance(p, str):
        print("%s: %s" % (engine, p))
        return
    before, after, state = p["before"], p["after"], p["state"]
    real_before, real_after = p["real_before"], p["real_after"]
    print("%s: %s" % (engine, state["ua"]))
    print("  page clock - monotonic: %.3f ms (+-%.3f) before, %+.3f ms (+-%.3f) after the play;"
          " this process's CLOCK_REALTIME - monotonic: %.3f ms, then %+.3f ms"
          % (before[0], before[1], after[0] - before[0], after[1],
             real_before[0], real_after[0] - real_before[0]))
    print("  page wall clock - CLOCK_REALTIME: %+.3f ms" % (before[0] - real_before[0]))
    print("  clock used: %s (%s); sound: %s" % (state["clock"], state["reason"], state["sound"]))
    running = [c for c in p["context"] if c["state"] == "running"]
    for c in running[2:3] + running[-1:]:
        ts = c["ts"] or {}
        audible = None
        if ts.get("performanceTime"):
            audible = ts["contextTime"] + (c["now"] - ts["performanceTime"]) / 1000.0
        print("  context: currentTime %.3f s, outputLatency %s, baseLatency %s, timestamp %s%s"
              % (c["currentTime"], c["outputLatency"], c["baseLatency"],
                 json.dumps(ts), "" if audible is None else
                 " (heard %.1f ms behind currentTime)" % ((c["currentTime"] - audible) * 1000)))
    print("  server: %s" % p["inputs"])
    for key, held in p["streams"]:
        print("  after %s: %s" % (key, held or "no stream"))
    sys.stdout.flush()
    if moves:
        subprocess.run([sys.executable, sync_play.SYNC_CLICKS, "judge-moves", p["prefix"],
                        p["frames"], "--against-start"])
        return
    subprocess.run([sys.executable, sync_play.SYNC_CLICKS, "judge", p["prefix"], p["frames"],
                    "--quiet"])


def main(argv):
    engines = list(ENGINES)
    seconds = 20
    moves = False
    rest = []
    while argv:
        if argv[0] == "--engine" and len(argv) > 1:
            engines = argv[1].split(",")
            argv = argv[2:]
        elif argv[0] == "--moves":
            moves = True
            argv = argv[1:]
        elif argv[0] == "--seconds" and len(argv) > 1:
            seconds = int(argv[1])
            argv = argv[2:]
        else:
            rest.append(argv[0])
            argv = argv[1:]
    if len(rest) != 2 or any(e not in ENGINES for e in engines):
        print(__doc__, file=sys.stderr)
        return 2
    build_web, desktop = rest
    sync_play.unmuted()
    folder = tempfile.mkdtemp(prefix="quelltarn-websync-")
    try:
        site = sync_play.click_site(build_web, desktop, max(seconds, 40) if moves else seconds,
                                    folder)
        print("load average %s" % open("/proc/loadavg").read().split()[:3])
        for engine in engines:
            try:
                measure(engine, site, seconds, folder, moves)
            except Exception as e:  # one engine's failure must not stop the others
                print("%s: the measurement failed: %r" % (engine, e))
    finally:
        if os.environ.get("WEB_SYNC_KEEP"):
            print("kept %s" % folder)
        else:
            shutil.rmtree(folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
