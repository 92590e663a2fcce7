#!/usr/bin/env python3
"""The page's clock after a pause and seeks both ways follows the sound heard
as it does from the start, in Chromium and WebKitGTK (WEB_SYNC_ENGINES picks
others):

  DEMO_WEB_BUILD=BUILD_WEB sync_moves_test.py DESKTOP_BUILD

One play per engine, recorded through a private sound server with the click
track as the soundtrack (tests/web/sync_play.py): 7.5 s from the start, a
pause of 2 s, 4 s, 10 s forward, 4 s, 10 s back, 4 s. Every click heard from
one second after the play went on after each move is within the judge's gate
of the music time drawn (its figures printed against the 10 ms goal too), and
none is heard while the picture is held (tests/support/sync_clicks.py
judge-moves), in Chromium on its own output timestamp, as on the desktop. The
other engines are held to their start instead: within the gate of the start's
own offset in the same play (the middle one of its clicks from one second on;
judge-moves --against-start), since
their start is off by what their output does not report (WebKitGTK's
GStreamer sink holds about 60 ms that it reports as 0; Firefox's reported
latency is off by up to 10 ms, one way or the other, from one stream to the
next); that start itself is measured by tools/web-sync.py. A play whose recording cannot be judged (samples lost,
too few clicks outside the second after the sound itself paused on a busy
machine) is made again, three times at most, and so is a play in which
Chromium's output timestamp failed the page's checks (then its clock runs on
currentTime less an outputLatency that moves by 8 to 16 ms with each
underrun: no measure of the start). An engine none of whose plays could be
judged is reported as not judged.

Firefox is left out unless named: Firefox ESR 153 playing through such a
server here hung at the click that opens its audio output (its input
dispatch, then its quit, each until the driver's 90 s ran out) in 8 of 30
starts, inside its PulseAudio backend (with media.cubeb.sandbox off
too); when it plays, it is measured by tools/web-sync.py --moves.

Skipped (exit 77) without DEMO_WEB_BUILD, the browser build to test (set by
whoever built it), or without pulseaudio, pactl or parec."""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import sync_play  # noqa: E402

TRIES = 3
# The engines whose own output timestamp the page trusts when it holds up.
TIMESTAMP_ENGINES = ("chromium",)


def judge_engine(engine, site, folder):
    """"in step", "out of step" or "not judged" for the engine's plays."""
    for attempt in range(1, TRIES + 1):
        try:
            p = sync_play.recorded_play(engine, site, folder, moves=True,
                                        name="%s-%d" % (engine, attempt))
        except (OSError, RuntimeError) as e:  # the browser itself failed
            print("%s: %r" % (engine, e))
            return "out of step"
        if isinstance(p, str):
            print("%s: %s" % (engine, p))
            return "out of step"
        # What the context said of its output, for a play out of step.
        latencies = sorted(set(round((c["outputLatency"] or 0) * 1000, 1)
                               for c in p["context"] if c["state"] == "running"))
        print("%s (play %d; clock %s%s; outputLatency %s ms):" % (
            engine, attempt, p["state"]["clock"],
            ", " + p["state"]["reason"] if p["state"]["reason"] else "",
            ", ".join("%g" % l for l in latencies) or "-"))
        # On its own timestamp Chromium is held to the sound itself, as the
        # desktop is; the others to their start.
        against = [] if engine in TIMESTAMP_ENGINES else ["--against-start"]
        r = subprocess.run([sys.executable, sync_play.SYNC_CLICKS, "judge-moves", p["prefix"],
                            p["frames"]] + against,
                           capture_output=True, text=True, timeout=300)
        print("  " + (r.stdout + r.stderr).strip().replace("\n", "\n  "))
        # Chromium's timestamp holds its start to a few milliseconds; where it
        # failed its checks in a play (an underrun), the clock ran on
        # currentTime less an outputLatency that Chromium moves by 8 to 16 ms
        # with each underrun, and the start of that play is no measure.
        if engine in TIMESTAMP_ENGINES and p["state"]["clock"] != "timestamp":
            print("  its timestamp failed in this play: made again")
            continue
        if r.returncode != 4:
            return "in step" if r.returncode == 0 else "out of step"
    print("%s: no play of %d could be judged" % (engine, TRIES))
    return "not judged"


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    desktop = sys.argv[1]
    build_web = os.environ.get("DEMO_WEB_BUILD")
    if not build_web:
        print("skipped: DEMO_WEB_BUILD does not name the browser build to test "
              "(tests/web/run.sh builds it)")
        return 77
    missing = [t for t in ("pulseaudio", "pactl", "parec") if not shutil.which(t)]
    if missing:
        print("skipped: %s not installed" % ", ".join(missing))
        return 77
    engines = os.environ.get("WEB_SYNC_ENGINES", "chromium,webkit").split(",")
    unknown = [e for e in engines if e not in sync_play.ENGINES]
    if unknown:
        print("WEB_SYNC_ENGINES: no engine %s (%s)" % (", ".join(unknown),
                                                     ", ".join(sync_play.ENGINES)))
        return 2
    sync_play.unmuted()
    folder = tempfile.mkdtemp(prefix="quelltarn-syncmoves-")
    try:
        site = sync_play.click_site(build_web, desktop, 40, folder)
        # One engine at a time: the load on the machine is the test's own.
        verdicts = [(e, judge_engine(e, site, folder)) for e in engines]
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    for verdict in ("in step", "not judged", "out of step"):
        named = [e for e, v in verdicts if v == verdict]
        if named:
            print("%s after a pause and seeks both ways in %s" % (verdict, ", ".join(named)))
    if any(v == "out of step" for _, v in verdicts):
        print("FAIL")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
