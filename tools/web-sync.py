#!/usr/bin/env python3
"""Benchmark (prints figures, judges nothing): the music time the page draws
against the clicks its browser's sound server played.

  tools/web-sync.py [--engine NAME[,NAME...]] [--seconds N] [--moves] BUILD_WEB DESKTOP_BUILD

For each engine (chromium, firefox, webkit; all three unless named): a
private PulseAudio server with a null sink (tests/support/pulse_server.sh),
the browser started with PULSE_SERVER pointing at it, and the page served
with a data package whose soundtrack is the click track
(DESKTOP_BUILD/demo-click-track: a 20 ms tone at each whole second). The
sink's monitor is recorded and each chunk stamped on CLOCK_MONOTONIC
(tests/support/sync_clicks.py record); a script put in front of the page logs
every presented frame's music time with the page's wall clock
(performance.timeOrigin + performance.now()). The page's wall clock is tied
to CLOCK_MONOTONIC by asking the page for it between two monotonic readings
(the closest of 40 answers, before the click and after the play); the same
is done for this process's CLOCK_REALTIME. Then sync_clicks.py judge prints
the offset of drawn against heard (positive: the picture leads) at 1 s, the
95th percentile, the worst frame and the drift, and the page's own readings
of its audio context and the server's latency of the browser's stream are
printed beside them.

With --moves the play is paused and sought instead of played through: four
seconds in, Space holds it for 3 s, then it plays on for 4 s, seeks 10 s
forward (Right), plays 4 s, seeks 10 s back (Left) and plays 4 s; the offsets
are judged from one second after each move (sync_clicks.py judge-moves)."""

import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
sys.path.insert(0, os.path.join(ROOT, "tests", "web"))
import cdp  # noqa: E402
import marionette  # noqa: E402
import page_server  # noqa: E402
import web_tests  # noqa: E402
import webkit  # noqa: E402

SUPPORT = os.path.join(ROOT, "tests", "support")
ENGINES = {"chromium": cdp.Browser, "firefox": marionette.Browser, "webkit": webkit.Browser}

# Put in front of the page: each music time the page records for a presented
# frame is logged with the page's wall clock, and the audio context's own
# readings are sampled now and then.
LOG_SCRIPT = """
  window.__syncLog = [];
  window.__syncContext = [];
  const wrap = (list) => {
    list.push = function (v) {
      window.__syncLog.push(performance.timeOrigin + performance.now(), v);
      return Array.prototype.push.call(this, v);
    };
    return list;
  };
  let kept;
  Object.defineProperty(window, 'demoStats', { configurable: true,
    get() { return kept; },
    set(stats) {
      kept = stats;
      let list = wrap(stats.musicMs);
      Object.defineProperty(stats, 'musicMs', { configurable: true, enumerable: true,
        get() { return list; }, set(l) { list = wrap(l); } });
    } });
  const Context = window.AudioContext || window.webkitAudioContext;
  if (Context) {
    const Made = function (...args) {
      const ctx = new Context(...args);
      const sample = () => {
        if (ctx.state === 'closed') return;
        const ts = ctx.getOutputTimestamp ? ctx.getOutputTimestamp() : null;
        window.__syncContext.push({ now: performance.now(), state: ctx.state,
          currentTime: ctx.currentTime, outputLatency: ctx.outputLatency,
          baseLatency: ctx.baseLatency, ts: ts && { contextTime: ts.contextTime,
                                                    performanceTime: ts.performanceTime } });
        if (window.__syncContext.length < 400) setTimeout(sample, 250);
      };
      setTimeout(sample, 0);
      return ctx;
    };
    Made.prototype = Context.prototype;
    if (window.AudioContext) window.AudioContext = Made;
    if (window.webkitAudioContext) window.webkitAudioContext = Made;
  }"""


def shell(command, env=None):
    return subprocess.run(["sh", "-c", command], env=env, capture_output=True, text=True)


def clock_tie(b, tries=40):
    """(page wall ms - monotonic ms, half the round trip in ms) of the
    answer that came back quickest."""
    best = None
    for _ in range(tries):
        m0 = time.monotonic()
        wall = float(b.evaluate("performance.timeOrigin + performance.now()"))
        m1 = time.monotonic()
        half = (m1 - m0) * 500.0
        if best is None or half < best[1]:
            best = (wall - (m0 + m1) * 500.0, half)
    return best


def realtime_tie(tries=200):
    best = None
    for _ in range(tries):
        m0 = time.monotonic()
        r = time.time()
        m1 = time.monotonic()
        half = (m1 - m0) * 500.0
        if best is None or half < best[1]:
            best = (r * 1000.0 - (m0 + m1) * 500.0, half)
    return best


def click_site(build_web, desktop, seconds, folder):
    data = os.path.join(folder, "clickdata")
    shutil.copytree(os.path.join(desktop, "data"), data)
    subprocess.run([os.path.join(desktop, "demo-click-track"), os.path.join(data, "5tfina.mp3"),
                    str(seconds + 3)], check=True, stdout=subprocess.DEVNULL)
    site = os.path.join(folder, "site")
    os.makedirs(site)
    for name in web_tests.PACKAGE_FILES:
        os.symlink(os.path.join(os.path.abspath(build_web), name), os.path.join(site, name))
    packer = shutil.which("file_packager") or "/usr/share/emscripten/tools/file_packager"
    subprocess.run([packer, "demo.data", "--preload", data + "@/data", "--js-output=demo-data.js"],
                   cwd=site, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=300)
    return site


def sink_inputs():
    out = shell("pactl list sink-inputs").stdout
    keep = [l.strip() for l in out.splitlines()
            if re.match(r"\s*(Sink Input|Buffer Latency|Sink Latency|Sample [A-Z][a-z]+ication|"
                        r"application.name|media.name)", l)]
    return "; ".join(keep)


# The keys of --moves, each with the seconds the play is left to go on after it.
MOVES = [(" ", 32, 3.0), (" ", 32, 4.0), ("ArrowRight", 39, 4.0), ("ArrowLeft", 37, 4.0)]


def play_moves(b):
    for key, code, then in MOVES:
        b.key_down(key, code)
        b.key_up(key, code)
        time.sleep(then)


def measure(engine, site, seconds, folder, moves=False):
    server_dir = os.path.join(folder, "pulse-" + engine)
    r = shell(". '%s/pulse_server.sh' && pulse_start '%s' && echo \"$PULSE_SERVER\"" %
              (SUPPORT, server_dir))
    if r.returncode != 0:
        print("%s: no sound server: %s" % (engine, r.stderr.strip()))
        return
    os.environ["PULSE_SERVER"] = r.stdout.strip().splitlines()[-1]
    prefix = os.path.join(folder, "rec-" + engine)
    rt = ["chrt", "-f", "20"] if subprocess.run(["chrt", "-f", "20", "true"],
                                                capture_output=True).returncode == 0 else []
    recorder = subprocess.Popen(rt + [sys.executable, os.path.join(SUPPORT, "sync_clicks.py"),
                                      "record", prefix])
    server = page_server.Server(site)
    try:
        deadline = time.time() + 20
        while not (os.path.exists(prefix + ".stamps") and os.path.getsize(prefix + ".stamps")):
            if time.time() > deadline:
                print("%s: the recorder does not record" % engine)
                return
            time.sleep(0.05)
        with ENGINES[engine](width=800, height=700) as b:
            b.open(server.url(fault="sync-log"))
            if not b.wait_for('window.demoStats && demoStats.state == "ready"', 120):
                print("%s: the page did not load" % engine)
                return
            before = clock_tie(b)
            real_before = realtime_tie()
            x, y = web_tests.start_button_centre(b)
            b.click(x, y)
            if not b.wait_for('demoStats.musicMs.length >= 2', 30):
                print("%s: no frame after the click" % engine)
                return
            if b.evaluate('demoStats.sound') != "playing":
                print("%s: the page has no sound (%s)" % (engine, b.evaluate('demoStats.sound')))
            time.sleep(2)
            inputs = sink_inputs()
            if moves:
                play_moves(b)
            else:
                b.wait_for('demoStats.musicMs.length && demoStats.musicMs[demoStats.musicMs.length'
                           ' - 1] >= %d' % (seconds * 1000), seconds + 60, step=0.5)
            after = clock_tie(b)
            real_after = realtime_tie()
            log = json.loads(b.evaluate("JSON.stringify(window.__syncLog)"))
            context = json.loads(b.evaluate("JSON.stringify(window.__syncContext)"))
            state = json.loads(b.evaluate(
                "JSON.stringify({clock: demoStats.clock, reason: demoStats.clockReason,"
                " sound: demoStats.sound, ua: navigator.userAgent})"))
    finally:
        server.close()
        time.sleep(0.3)
        recorder.send_signal(signal.SIGTERM)
        recorder.wait()
        shell(". '%s/pulse_server.sh' && pulse_stop '%s'" % (SUPPORT, server_dir))
    # The page's wall clock on CLOCK_MONOTONIC: the tie before the click, the
    # one after the play says how far it moved.
    offset = before[0]
    probe_log = prefix + ".frames"
    with open(probe_log, "w") as f:
        f.write("# monotonic_s drawn_ms (page %s)\n" % engine)
        for i in range(0, len(log) - 1, 2):
            f.write("%.6f %d\n" % ((log[i] - offset) / 1000.0, int(round(log[i + 1]))))
    print("%s: %s" % (engine, state["ua"]))
    print("  page clock - monotonic: %.3f ms (+-%.3f) before, %+.3f ms (+-%.3f) after the play;"
          " this process's CLOCK_REALTIME - monotonic: %.3f ms, then %+.3f ms"
          % (before[0], before[1], after[0] - before[0], after[1],
             real_before[0], real_after[0] - real_before[0]))
    print("  page wall clock - CLOCK_REALTIME: %+.3f ms" % (before[0] - real_before[0]))
    print("  clock used: %s (%s); sound: %s" % (state["clock"], state["reason"], state["sound"]))
    running = [c for c in context if c["state"] == "running"]
    for c in running[2:3] + running[-1:]:
        ts = c["ts"] or {}
        audible = None
        if ts.get("performanceTime"):
            audible = ts["contextTime"] + (c["now"] - ts["performanceTime"]) / 1000.0
        print("  context: currentTime %.3f s, outputLatency %s, baseLatency %s, timestamp %s%s"
              % (c["currentTime"], c["outputLatency"], c["baseLatency"],
                 json.dumps(ts), "" if audible is None else
                 " (heard %.1f ms behind currentTime)" % ((c["currentTime"] - audible) * 1000)))
    print("  server: %s" % inputs)
    sys.stdout.flush()
    if moves:
        subprocess.run([sys.executable, os.path.join(SUPPORT, "sync_clicks.py"), "judge-moves",
                        prefix, probe_log, "--limit-ms", "10"])
        return
    subprocess.run([sys.executable, os.path.join(SUPPORT, "sync_clicks.py"), "judge", prefix,
                    probe_log, "--limit-ms", "20", "--quiet"])


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
    # The tests' Chromium is muted; this one plays to the server.
    cdp.CHROMIUM_FLAGS[:] = [f for f in cdp.CHROMIUM_FLAGS if f != "--mute-audio"]
    page_server.FAULT_SCRIPTS["sync-log"] = LOG_SCRIPT
    folder = tempfile.mkdtemp(prefix="quelltarn-websync-")
    try:
        site = click_site(build_web, desktop, seconds, folder)
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
