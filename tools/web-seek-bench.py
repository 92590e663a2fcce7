#!/usr/bin/env python3
"""Benchmark (prints figures, judges nothing): how long the page's seeks take,
in each engine (chromium, firefox, webkit; all three unless named).

  tools/web-seek-bench.py [--engine NAME[,NAME...]] BUILD_WEB

Plays the page and presses, one after the other, each key below once the
seek before it is done, and prints the time each seek took as the program
says it on the console ("seek to T s: total (the frame, the music)"): the
frame is the replay of the timeline up to the time sought, the music the
wait until its first sample is heard."""

import os
import re
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "web"))
import page_server  # noqa: E402
import web_tests  # noqa: E402

# (key, virtual-key code, what the seek is)
SEEKS = [("8", 56, "part 8, first seek of the play (from the start)"),
         ("1", 49, "part 1, back (from the start kept)"),
         ("7", 55, "part 7, forward (from a moment kept)"),
         ("ArrowLeft", 37, "10 s back (from a moment kept)"),
         ("ArrowRight", 39, "10 s forward (from a moment kept)"),
         ("0", 48, "the start")]

SEEK_LINE = re.compile(r"seek to ([0-9.]+) s: ([0-9.]+) s \(the frame ([0-9.]+) s, "
                       r"the music ([0-9.]+) s\)")


def seek_lines(b):
    b.evaluate("1")  # Chromium's driver takes in the console lines as it talks
    return [m for kind, text in b.console for m in [SEEK_LINE.search(text)] if m]


def measure(engine, build_web):
    with page_server.Server(build_web) as server:
        with web_tests.ENGINES[engine](width=800, height=700) as b:
            b.server = server
            web_tests.start_play(b)
            time.sleep(1)
            for key, code, what in SEEKS:
                done = len(seek_lines(b))
                b.key_down(key, code)
                b.key_up(key, code)
                deadline = time.time() + 300
                while len(seek_lines(b)) == done and time.time() < deadline:
                    time.sleep(0.2)
                lines = seek_lines(b)
                if len(lines) == done:
                    print("  %-40s no seek within 300 s" % what)
                    return
                m = lines[-1]
                print("  %-40s to %7.3f s: %6.3f s (the frame %6.3f s, the music %.3f s)"
                      % (what, float(m.group(1)), float(m.group(2)), float(m.group(3)),
                         float(m.group(4))))
                sys.stdout.flush()
                time.sleep(1.5)


def main(argv):
    engines = list(web_tests.ENGINES)
    if len(argv) == 3 and argv[0] == "--engine":
        engines = argv[1].split(",")
        argv = argv[2:]
    if len(argv) != 1 or any(e not in web_tests.ENGINES for e in engines):
        print(__doc__, file=sys.stderr)
        return 2
    print("load average %s" % open("/proc/loadavg").read().split()[:3])
    for engine in engines:
        print(engine)
        web_tests.Browser = web_tests.ENGINES[engine]
        try:
            measure(engine, argv[0])
        except Exception as e:  # one engine's failure must not stop the others
            print("  the measurement failed: %r" % e)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
