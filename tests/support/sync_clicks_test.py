#!/usr/bin/env python3
"""The sync judge on plays made up here, sound and frames both: a busy
machine's noise (single clicks up to 15 ms off) passes its gate, and the
faults the gate is there for fail it: every frame 40 ms late or early (a
clock on the wrong time base, a latency lost), from the start and after a
seek.

    sync_clicks_test.py
"""
import array
import math
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
JUDGE = os.path.join(HERE, "sync_clicks.py")
RATE = 44100
LEAD = 0.5  # seconds of silence recorded before the music starts
T0 = 1000.0  # the monotonic time the recording starts


def write_play(prefix, seconds, offset_ms, seek=None):
    """A recording of the click track played for SECONDS (with SEEK =
    (at_s, to_s): from music time at_s on to to_s) and the probe's log of
    the frames, each drawing the music time heard then plus offset_ms(t)."""
    def music(w):  # the music time heard w seconds into the play
        return w if seek is None or w < seek[0] else seek[1] + w - seek[0]
    n = int((LEAD + seconds + 0.5) * RATE)
    left = array.array("h", bytes(2 * n))
    stretches = [(0.0, seconds if seek is None else seek[0], 0.0)]
    if seek is not None:
        stretches = [(0.0, seek[0], 0.0), (seek[0], seconds, seek[1])]
    for begin, end, from_music in stretches:
        for second in range(math.ceil(from_music), int(from_music + end - begin) + 1):
            w = begin + second - from_music
            if w >= end:
                break
            hz = 500 + 100 * (second % 30)
            start = int((LEAD + w) * RATE)
            for i in range(RATE // 50):
                left[start + i] = int(10000 * math.sin(2 * math.pi * hz * i / RATE))
    stereo = array.array("h", bytes(4 * n))
    stereo[0::2] = left
    stereo[1::2] = left
    with open(prefix + ".raw", "wb") as f:
        f.write(stereo.tobytes())
    with open(prefix + ".stamps", "w") as f:
        for total in range(441, n + 1, 441):  # a chunk each 10 ms, 1 ms late
            f.write("%.6f %d\n" % (T0 + total / RATE + 0.001, total * 4))
    with open(prefix + ".log", "w") as f:
        w = 0.0
        while w < seconds:
            drawn = music(w) * 1000.0 + offset_ms(w)
            f.write("%.6f %d\n" % (T0 + LEAD + w, max(0, round(drawn))))
            w += 1 / 60.0


def judge(prefix, *how):
    r = subprocess.run([sys.executable, JUDGE] + list(how) + [prefix, prefix + ".log"],
                       capture_output=True, text=True, timeout=300)
    return r.returncode, r.stdout + r.stderr


def busy(w):
    """What a busy machine did to the Wine player: a few milliseconds
    behind, then for a stretch up to 15 ms."""
    return -5.0 if int(w) % 3 else -14.7


CASES = [
    # name, judge, seek, frames' offset, exit status expected
    ("in step", "judge", None, lambda w: -4.0, 0),
    ("busy machine", "judge", None, busy, 0),
    ("40 ms late", "judge", None, lambda w: busy(w) - 40.0, 1),
    ("40 ms early", "judge", None, lambda w: 40.0 - 4.0, 1),
    ("busy machine, after a seek", "judge-moves", (3.0, 20.0), busy, 0),
    ("40 ms late after a seek", "judge-moves", (3.0, 20.0),
     lambda w: -5.0 if w < 3.0 else -45.0, 1),
    ("40 ms early after a seek", "judge-moves", (3.0, 20.0),
     lambda w: -5.0 if w < 3.0 else 35.0, 1),
]


def main():
    failed = 0
    with tempfile.TemporaryDirectory(prefix="quelltarn-judge-") as d:
        for name, how, seek, offset, want in CASES:
            prefix = os.path.join(d, "play")
            write_play(prefix, 8.0, offset, seek)
            rc, out = judge(prefix, how)
            ok = rc == want and ("CI gate" in out and "goal" in out)
            print("%s %s: exit %d (expected %d)" % ("PASS" if ok else "FAIL", name, rc, want))
            if not ok:
                print("  " + out.strip().replace("\n", "\n  "))
                failed += 1
    print("%d passed, %d failed" % (len(CASES) - failed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
