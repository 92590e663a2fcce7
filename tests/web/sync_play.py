"""A play of the page recorded through a private sound server, for the sync
benchmark (tools/web-sync.py) and the sync test after moves
(tests/web/sync_moves_test.py).

The page is served with a data package whose soundtrack is the click track
(DESKTOP_BUILD/demo-click-track: a 20 ms tone at each whole second); the
browser is started with PULSE_SERVER pointing at a private PulseAudio server
with a null sink (tests/support/pulse_server.sh), whose monitor is recorded
and each chunk stamped on CLOCK_MONOTONIC (tests/support/sync_clicks.py
record). A script put in front of the page logs every presented frame's music
time with the page's wall clock (performance.timeOrigin + performance.now()),
which is tied to CLOCK_MONOTONIC by asking the page for it between two
monotonic readings (the closest of 40 answers). The frames are written as
sync_clicks.py reads them: "monotonic_s drawn_ms"."""

import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time

import cdp
import marionette
import page_server
import web_tests
import webkit

SUPPORT = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "support")
SYNC_CLICKS = os.path.join(SUPPORT, "sync_clicks.py")
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

# The moves: seven and a half seconds after the first frame (the start's own
# clicks from one second on, to compare with), Space holds the play for 2 s,
# then it plays on for 4 s, seeks 10 s forward (Right), plays 4 s, seeks 10 s
# back (Left) and plays 4 s. Each key with the seconds the play is left to go
# on after it.
FIRST_MOVE_S = 7.5
MOVES = [(" ", 32, 2.0), (" ", 32, 4.0), ("ArrowRight", 39, 4.0), ("ArrowLeft", 37, 4.0)]


def shell(command):
    return subprocess.run(["sh", "-c", command], capture_output=True, text=True)


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
    """The page with the click track as its soundtrack, in folder/site."""
    data = os.path.join(folder, "clickdata")
    shutil.copytree(os.path.join(desktop, "data"), data)
    subprocess.run([os.path.join(desktop, "demo-click-track"), os.path.join(data, "5tfina.mp3"),
                    str(seconds + 3)], check=True, stdout=subprocess.DEVNULL, timeout=300)
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


def play_moves(b, first_frame):
    """The moves; what the server holds of the browser's stream in each stretch."""
    time.sleep(max(0.0, first_frame + FIRST_MOVE_S - time.monotonic()))
    streams = []
    for key, code, then in MOVES:
        b.key_down(key, code)
        b.key_up(key, code)
        time.sleep(then / 2)
        streams.append((key.strip() or "Space", sink_inputs()))
        time.sleep(then / 2)
    return streams


def play_in(b, server, seconds, moves):
    """Loads the page, starts it, plays it (moves, or seconds through) and
    returns what was read of it; a string says what went wrong."""
    b.open(server.url(fault="sync-log"))
    if not b.wait_for('window.demoStats && demoStats.state == "ready"', 120):
        return "the page did not load"
    p = {"before": clock_tie(b), "real_before": realtime_tie(), "streams": []}
    b.click(*web_tests.start_button_centre(b))
    if not b.wait_for('demoStats.musicMs.length >= 2', 30):
        return "no frame after the click"
    first_frame = time.monotonic()
    if b.evaluate('demoStats.sound') != "playing":
        return "the page has no sound (%s)" % b.evaluate('demoStats.sound')
    time.sleep(2)
    p["inputs"] = sink_inputs()
    if moves:
        p["streams"] = play_moves(b, first_frame)
    else:
        b.wait_for('demoStats.musicMs.length && demoStats.musicMs[demoStats.musicMs.length'
                   ' - 1] >= %d' % (seconds * 1000), seconds + 60, step=0.5)
    p["after"] = clock_tie(b)
    p["real_after"] = realtime_tie()
    p["log"] = json.loads(b.evaluate("JSON.stringify(window.__syncLog)"))
    p["context"] = json.loads(b.evaluate("JSON.stringify(window.__syncContext)"))
    p["state"] = json.loads(b.evaluate(
        "JSON.stringify({clock: demoStats.clock, reason: demoStats.clockReason,"
        " sound: demoStats.sound, ua: navigator.userAgent})"))
    p["errors"] = list(b.errors)
    return p


def recorded_play(engine, site, folder, seconds=20, moves=False, name=None):
    """One play in the engine, recorded. Returns the page's readings (a dict:
    "prefix" of the recording, "frames" the log for sync_clicks.py, and
    before/after, inputs, streams, context, state for the figures), or a
    string that says why there is none."""
    name = name or engine
    server_dir = os.path.join(folder, "pulse-" + name)
    r = shell(". '%s/pulse_server.sh' && pulse_start '%s' && echo \"$PULSE_SERVER\"" %
              (SUPPORT, server_dir))
    if r.returncode != 0:
        return "no sound server: %s" % r.stderr.strip()
    os.environ["PULSE_SERVER"] = r.stdout.strip().splitlines()[-1]
    prefix = os.path.join(folder, "rec-" + name)
    # The recorder runs ahead of the rest where real-time priority is allowed:
    # late stamps would blame the page.
    rt = ["chrt", "-f", "20"] if subprocess.run(["chrt", "-f", "20", "true"],
                                                capture_output=True).returncode == 0 else []
    recorder = subprocess.Popen(rt + [sys.executable, SYNC_CLICKS, "record", prefix])
    server = page_server.Server(site)
    try:
        deadline = time.time() + 20
        while not (os.path.exists(prefix + ".stamps") and os.path.getsize(prefix + ".stamps")):
            if time.time() > deadline:
                return "the recorder does not record"
            time.sleep(0.05)
        with ENGINES[engine](width=800, height=700) as b:
            p = play_in(b, server, seconds, moves)
    finally:
        server.close()
        time.sleep(0.3)
        recorder.send_signal(signal.SIGTERM)
        recorder.wait()
        shell(". '%s/pulse_server.sh' && pulse_stop '%s'" % (SUPPORT, server_dir))
        os.environ.pop("PULSE_SERVER", None)
    if isinstance(p, str):
        return p
    # The page's wall clock on CLOCK_MONOTONIC: the tie before the click.
    offset = p["before"][0]
    p["prefix"], p["frames"] = prefix, prefix + ".frames"
    log = p["log"]
    with open(p["frames"], "w") as f:
        f.write("# monotonic_s drawn_ms (page %s)\n" % engine)
        for i in range(0, len(log) - 1, 2):
            f.write("%.6f %d\n" % ((log[i] - offset) / 1000.0, int(round(log[i + 1]))))
    return p


def unmuted():
    """The page tests' Chromium is muted; these plays go to the server."""
    cdp.CHROMIUM_FLAGS[:] = [f for f in cdp.CHROMIUM_FLAGS if f != "--mute-audio"]
    page_server.FAULT_SCRIPTS["sync-log"] = LOG_SCRIPT
