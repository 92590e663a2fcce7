#!/usr/bin/env python3
"""Tests of the browser build in Chromium, Firefox and WebKit, served from
127.0.0.1:

  web_tests.py BUILD_WEB DESKTOP_BUILD [--stills-out DIR]

- the page loads without a console error, starts on a click, and plays: the
  music clock advances and frames are presented; Escape ends it;
- stills of index.html?at=... match the desktop build's frames at the same
  moments on the same 30 fps clock (PSNR per moment, above a threshold);
- a missing scene file shows "mesh-file not found" and "cannot load scenes
  or textures" on the page, and a missing soundtrack "cannot play audio".
- the screen wake lock is held while it plays; "watch again" plays again
  with nothing downloaded or decoded again, and draws the same stills;
- the offline copy plays with the server gone and takes a new build whole;
- the start screen's switch of gentle play is remembered and the play takes it;
- the pause and seek keys, a start time in the address (?t=) good and bad,
  the chapter bar on a tap, and stills drawn by seeks against the same
  moments played from the start (byte for byte).
A test is a function of the engine's fixture (page_fixture.Page: the browser
and the server all the engine's tests share), listed in TESTS. Prints one
line per test and "N passed, N failed" at the end. A test during which the
browser itself crashed (its page process gone) runs again in a new browser,
after a line "AGAIN" that says so, up to CRASH_RUNS times in all.
The engines (WEB_ENGINES, all unless set) run side by side, WEB_JOBS at once
(the number of processors unless set); WEB_TESTS=NAME picks tests."""

import json
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
import driver_base  # noqa: E402
import page_fixture  # noqa: E402
import pictures  # noqa: E402
from page_fixture import ENGINES  # noqa: E402,F401 (the tools' list of engines)
from pyrun.runner import Failure, check, run_side_by_side, run_tests  # noqa: E402
from pyrun.servers import stop_process  # noqa: E402

# The slower engines take a subset of the stills: one per part that draws.
SUBSET_STILLS = ["12", "45", "95", "150", "208"]

# The longest waits, for a machine busy with other work (there the stage took
# two and a half times as long); each ends as soon as what it waits for holds.
LOAD_S = 240     # the page loaded, or failed to
SOON_S = 60      # the page's answer to a click, a key or a tap; frames presented
STILL_S = 480    # a still of the stills mode
DESKTOP_S = 900  # the desktop's stills

# Moments of the stills, seconds of music: at least one in each of the nine
# parts that draw (the tenth, from 228 s, is the one black closing frame).
STILL_TIMES = ["6.5", "12", "25", "45", "62", "95", "120", "150", "165", "185", "208", "222"]
PART_STARTS_MS = [0, 13200, 54300, 82200, 107800, 134000, 173000, 200700, 217300, 228000]

# Lowest PSNR accepted for a still. Measured: 34.9 dB (120 s) to 57.8 dB
# (150 s); the browser's frames differ from the desktop's by rounding in
# texture filtering, fog and blending (swiftshader against llvmpipe). A missing
# layer, a wrong blend or missing fog costs far more (docs/web.md).
MIN_PSNR_DB = 30.0

PACKAGE_FILES = ["index.html", "audio_clock.js", "page.js", "page.css", "demo.js", "demo.wasm"]
# Everything the offline copy keeps (besides the worker sw.js itself).
OFFLINE_FILES = PACKAGE_FILES + ["manifest.webmanifest", "icon-192.png", "icon-512.png",
                                 "demo-data.js", "demo.data"]
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# A still drawn again after "watch again" is drawn from the same state by the
# same engine: anything but the same picture is state left over.
MIN_AGAIN_PSNR_DB = 60.0


def read_timeline(desktop):
    """The part starts and the end from the desktop build's own timeline
    (demo-bench --print-timeline); the list above where it is not built."""
    global PART_STARTS_MS
    bench = os.path.join(desktop, "demo-bench")
    if not os.access(bench, os.X_OK):
        return
    try:
        timeline = json.loads(subprocess.run([bench, "--print-timeline"], capture_output=True,
                                             text=True, timeout=60, check=True).stdout)
        PART_STARTS_MS = [int(t) for t in timeline["partStartsMs"]] + [int(timeline["endMs"])]
    except (OSError, ValueError, KeyError, subprocess.SubprocessError) as e:
        print("demo-bench --print-timeline: %s; the part starts are the built-in ones" % e)


def part_of(seconds):
    ms = seconds * 1000
    part = 0
    while part + 1 < len(PART_STARTS_MS) and ms > PART_STARTS_MS[part + 1]:
        part += 1
    return part


def element_centre(browser, element_id):
    r = json.loads(browser.evaluate(
        'JSON.stringify(document.getElementById("%s").getBoundingClientRect())' % element_id))
    return r["x"] + r["width"] / 2, r["y"] + r["height"] / 2


def start_button_centre(browser):
    return element_centre(browser, "start")


def click_fullscreen_button(b):
    b.click(*element_centre(b, "fullscreen"))
    check(b.wait_for('document.fullscreenElement && document.fullscreenElement.id', SOON_S)
          == "stage", "the button did not make the picture fullscreen")


def page_messages(browser):
    return browser.evaluate('document.getElementById("messages").innerText') or ""


def test_plays_and_ends_on_escape(page):
    b = start_play(page.browser(800, 700))
    first = music_ms(b)
    b.wait_for('demoStats.frames >= 10 && demoStats.musicMs.slice(-1)[0] > %d' % (first + 2000),
               SOON_S)
    stats = json.loads(b.evaluate(
        'JSON.stringify({f: demoStats.frames, m: demoStats.musicMs.slice(-1)[0],'
        ' first: demoStats.firstFrameMs})'))
    check(stats["m"] - first > 2000,
          "music clock advanced only %.0f ms in %d s" % (stats["m"] - first, SOON_S))
    check(stats["f"] >= 10, "only %d frames presented" % stats["f"])
    # Fullscreen keeps the picture 4:3 and whole (black bars).
    click_fullscreen_button(b)
    box = json.loads(b.wait_for(
        'document.getElementById("canvas").getBoundingClientRect().width > 640 &&'
        ' JSON.stringify(Object.assign({w: innerWidth, h: innerHeight}, JSON.parse('
        'JSON.stringify(document.getElementById("canvas").getBoundingClientRect()))))', SOON_S)
        or "{}")
    # Under Xvfb the fullscreen window is the whole X screen.
    check(box and abs(box["width"] * 3 - box["height"] * 4) <= 4 and
          box["width"] <= box["w"] + 0.5 and box["height"] <= box["h"] + 0.5,
          "fullscreen picture is %r" % box)
    # A real Escape in fullscreen is the browser's (it leaves
    # fullscreen); the page's own Escape is pressed outside it.
    b.evaluate('document.exitFullscreen().then(() => true, () => true)')
    b.wait_for('!document.fullscreenElement', SOON_S)
    # Escape held across a frame ends the demo (after that frame).
    end_on_escape(b)
    check(b.evaluate('demoStats.exitCode') == 0, "exit code %r after Escape" %
          b.evaluate('demoStats.exitCode'))
    check(not b.errors, "console errors: %r" % b.errors)
    return "%d frames, first frame %.0f ms after the click" % (stats["f"], stats["first"])


def shoot_still(b, t, path, run=None):
    """Waits for the page to stop at the still of t seconds (of that run of
    the stills), takes the 640x480 picture, lets the page go on."""
    which = "" if run is None else " && demoStats.still.run == %d" % run
    got = b.wait_for('demoStats.still && demoStats.still.seconds == %s%s && "ok"' % (t, which),
                     STILL_S)
    check(got, "the page did not stop at %s s%s (state %r, messages %r)" % (
        t, "" if run is None else " of run %d" % run, b.evaluate("demoStats.state"),
        page_messages(b)))
    b.screenshot(path, clip={"x": 0, "y": 0, "width": 640, "height": 480})
    b.evaluate("demoResume()")


def desktop_stills(desktop, times, folder):
    """Starts the desktop's stills of those moments (demo-capture --rate 30
    --at draws the same frames, a ctest checks it, taking minutes longer)."""
    os.makedirs(folder, exist_ok=True)
    return subprocess.Popen(
        [os.path.join(desktop, "tests", "web-reference-stills"), "--at", ",".join(times),
         "-o", folder], env=dict(os.environ, SDL_VIDEODRIVER="offscreen", SDL_AUDIODRIVER="dummy",
                                 LIBGL_ALWAYS_SOFTWARE="1"),
        stdin=subprocess.DEVNULL)


def wait_stills(capture):
    try:
        code = capture.wait(timeout=DESKTOP_S)
    except subprocess.TimeoutExpired:
        raise Failure("the desktop stills took too long")
    finally:
        # Not left drawing beside the next test (or this one run again).
        stop_process(capture)
    check(code == 0, "the desktop stills failed with %d" % code)


def test_stills_match_the_desktop(page):
    desktop_dir = os.path.join(page.out, "desktop")
    web_dir = os.path.join(page.out, "web")
    os.makedirs(web_dir, exist_ok=True)
    times = STILL_TIMES if page.engine == "chromium" else SUBSET_STILLS
    capture = desktop_stills(page.desktop, times, desktop_dir)
    try:
        b = page.browser()
        b.open(page.url("index.html?at=" + ",".join(times)))
        for t in times:
            shoot_still(b, t, os.path.join(web_dir, "at-%s.png" % t))
        check(b.wait_for('demoStats.state == "ended"', SOON_S), "the page did not end")
        check(not b.errors, "console errors: %r" % b.errors)
    except BaseException:
        stop_process(capture)
        raise
    wait_stills(capture)
    lines = []
    worst = None
    for t in times:
        name = "at-%s.png" % t
        value = pictures.psnr(pictures.read_png(os.path.join(desktop_dir, name)),
                              pictures.read_png(os.path.join(web_dir, name)))
        lines.append("  %6s s  part %d  PSNR %s" % (t, part_of(float(t)),
                                                    "inf" if value == float("inf")
                                                    else "%.2f dB" % value))
        worst = value if worst is None else min(worst, value)
    print("\n".join(lines))
    check(worst >= MIN_PSNR_DB, "a still is below %.1f dB" % MIN_PSNR_DB)
    return "worst %.2f dB" % worst


def site_without(page, missing, folder):
    """A server of a copy of the page whose data package lacks one file."""
    data = os.path.join(folder, "data")
    shutil.copytree(os.path.join(page.desktop, "data"), data)
    os.remove(os.path.join(data, missing))
    site = os.path.join(folder, "site")
    os.makedirs(site)
    for name in PACKAGE_FILES:
        os.symlink(os.path.join(os.path.abspath(page.build_web), name), os.path.join(site, name))
    subprocess.run([shutil.which("file_packager") or "/usr/share/emscripten/tools/file_packager",
                    "demo.data", "--preload", data + "@/data", "--js-output=demo-data.js"],
                   cwd=site, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                   timeout=120)
    return page.site(site)


def first_scene_file(data_dir):
    scenes = sorted(n for n in os.listdir(data_dir) if n.endswith(".dat"))
    check(scenes, "no scene files in %s" % data_dir)
    return scenes[0]


def test_missing_scene_file_is_shown(page):
    with tempfile.TemporaryDirectory(prefix="quelltarn-web-") as folder:
        server = site_without(page, first_scene_file(os.path.join(page.desktop, "data")), folder)
        b = page.browser()
        b.open(server.url("index.html?at=1"))
        check(b.wait_for('demoStats.state == "ended"', LOAD_S), "the page did not stop")
        shown = page_messages(b)
        check("mesh-file not found" in shown and
              "cannot load scenes or textures" in shown,
              "page messages: %r" % shown)
        check(shown.index("mesh-file not found") <
              shown.index("cannot load scenes or textures"), "messages out of order")
        check(b.evaluate("demoStats.exitCode") == 1, "exit code %r" %
              b.evaluate("demoStats.exitCode"))
        check(any("cannot load scenes or textures" in e for e in b.errors),
              "the failure is not in the console")
        check(b.evaluate("demoStats.frames") == 0, "frames drawn after a failure")


def test_missing_soundtrack_is_shown(page):
    with tempfile.TemporaryDirectory(prefix="quelltarn-web-") as folder:
        server = site_without(page, "5tfina.mp3", folder)
        b = page.browser(800, 700)
        # The music is opened before "click to start" is offered.
        b.open(server.url())
        check(b.wait_for('window.demoStats && demoStats.state == "ended"', LOAD_S),
              "the page did not stop")
        check(b.evaluate('document.getElementById("start").hidden'),
              "click to start offered without music")
        shown = page_messages(b)
        check("cannot play audio" in shown, "page messages: %r" % shown)
        check(b.evaluate("demoStats.exitCode") == 1, "exit code")


def start_play(b, url=None):
    """Opens the page (b.server's unless url), waits for "click to start",
    clicks it and waits for frames; returns b."""
    open_ready(b, url or b.server.url())
    check(b.evaluate('!document.getElementById("start").hidden'), "no click-to-start button")
    check(b.evaluate('demoStats.frames') == 0, "frames before the click")
    b.click(*start_button_centre(b))
    check(b.wait_for('demoStats.musicMs.length >= 2', SOON_S),
          "no frame presented after the click; page says: %r" % page_messages(b))
    return b


def test_music_clock_keeps_real_time(page):
    b = start_play(page.browser(800, 700))
    # Read as the next frame is presented: the frame's music time with the
    # page's clock of that moment, however slow the frames come.
    read = ('new Promise((done) => { const n = demoStats.musicMs.length; const look = () =>'
            ' demoStats.musicMs.length > n ? done(JSON.stringify([performance.now(),'
            ' demoStats.musicMs[demoStats.musicMs.length - 1], demoStats.clock]))'
            ' : setTimeout(look, 0); look(); })')
    wall0, music0, _ = json.loads(b.evaluate(read))
    time.sleep(10)
    wall1, music1, clock = json.loads(b.evaluate(read))
    wall, music = wall1 - wall0, music1 - music0
    check(abs(music - wall) <= 0.02 * wall + 100,
          "music clock advanced %.0f ms in %.0f ms of wall clock" % (music, wall))
    check(not b.errors, "console errors: %r" % b.errors)
    return "%.0f ms of music in %.0f ms (clock %s)" % (music, wall, clock)


def layout_box(b):
    return json.loads(b.evaluate(
        'JSON.stringify({c: document.getElementById("canvas").getBoundingClientRect(),'
        ' w: innerWidth, h: innerHeight, sw: document.documentElement.scrollWidth,'
        ' px: [document.getElementById("canvas").width, document.getElementById("canvas").height]})'))


def test_phone_shows_the_whole_picture(page):
    notes = []
    for width, height in ((390, 844), (844, 390)):
        # WebKit's density is its process's: the fixture starts a browser with it.
        b = page.browser(width, height, density=3)
        got = b.got
        open_ready(b, page.url())
        box = layout_box(b)
        c = box["c"]
        check(c["x"] >= -0.5 and c["y"] >= -0.5 and c["x"] + c["width"] <= box["w"] + 0.5
              and c["y"] + c["height"] <= box["h"] + 0.5,
              "picture %r is not inside the %dx%d viewport" % (c, box["w"], box["h"]))
        check(abs(c["width"] * 3 - c["height"] * 4) <= 4, "picture is not 4:3: %r" % c)
        check(box["sw"] <= box["w"], "the page scrolls sideways (%d > %d)" %
              (box["sw"], box["w"]))
        notes.append("%dx%d at %r: %.0fx%.0f" % (width, height, got, c["width"], c["height"]))
    return "; ".join(notes)


def test_density_two_draws_sharp(page):
    b = page.browser(800, 700, density=2)
    open_ready(b, page.url())
    box = b.wait_for('demoStats.canvasPixels && JSON.stringify(demoStats.canvasPixels)', SOON_S)
    pixels = json.loads(box) if box else layout_box(b)["px"]
    css = layout_box(b)["c"]
    check(pixels[0] >= 2 * css["width"] - 1 and pixels[0] >= 1280 and pixels[1] >= 960,
          "canvas holds %r pixels for a %.0fx%.0f box" % (pixels, css["width"], css["height"]))
    # Playing: software WebGL keeps the sharp canvas only where it
    # stays smooth; otherwise the page lowers it once, and the
    # program goes on drawing into the smaller canvas.
    b.click(*start_button_centre(b))
    reason = b.wait_for('demoStats.pixelBudgetReason', SOON_S)
    check(reason, "no frame rate judged %d s after the click (%r frames)" %
          (SOON_S, b.evaluate("demoStats.frames")))
    if reason == "gpu":
        return "%r pixels (a GPU: no frame rate rule)" % pixels
    frames = b.evaluate("demoStats.frames")
    check(b.wait_for('demoStats.frames >= %d && demoStats.frames' % (frames + 5), SOON_S),
          "no frames after the frame rate was judged (%s)" % reason)
    now = json.loads(b.evaluate("JSON.stringify(demoStats.canvasPixels)"))
    fps = float(reason.split(": ", 1)[1].split(" ")[0])
    if reason.startswith("lowered"):
        check(fps < 24 and now == [640, 480], "%s, canvas now %r" % (reason, now))
    else:
        check(reason.startswith("kept") and fps >= 24 and now == pixels,
              "%s, canvas now %r" % (reason, now))
    return "%r pixels at the start; %s, then %r" % (pixels, reason, now)


def test_lying_audio_clock_falls_back(page):
    """Timestamps spoilt before the page sees them: each gives the fallback
    clock, and, where the browser's own timestamp holds up, its own reason."""
    notes = []
    expected = {None: None, "ts-offset": "timestamp offset", "ts-rate": "timestamp rate",
                "ts-frozen": "timestamp frozen"}
    own = None  # the clock the browser's own timestamp gets
    b = page.browser(800, 700)
    for fault in (None, "ts-offset", "ts-rate", "ts-frozen"):
        name = fault or "own timestamp"
        open_ready(b, page.url(fault=fault))
        clicked = time.time()
        b.click(*start_button_centre(b))
        if b.wait_for('demoStats.sound', SOON_S) == "none":
            # No sound output (Firefox here): no audio clock to lie.
            notes.append("%s: no sound, no audio clock" % name)
            continue
        if fault is None:
            # Trusted after a second in step, or distrusted at once.
            own = b.wait_for('demoStats.musicMs.length >= 2 && (demoStats.clock =='
                             ' "timestamp" ? "timestamp" : demoStats.clockReason !='
                             ' "timestamp not checked yet" && demoStats.clockReason)', SOON_S)
            check(own, "own timestamp: clock %r (%r) after %d s" % (
                b.evaluate("demoStats.clock"), b.evaluate("demoStats.clockReason"), SOON_S))
            notes.append("own timestamp: %s" % own)
            continue
        clock = b.wait_for('demoStats.clock == "currentTime" && demoStats.musicMs.length >= 2'
                           ' && demoStats.clockReason != "timestamp not checked yet"'
                           ' && demoStats.clockReason', SOON_S)
        check(clock, "%s: clock %r, sound %r, %r frames with music time after %d s" % (
            fault, b.evaluate("demoStats.clock"), b.evaluate("demoStats.sound"),
            b.evaluate("demoStats.musicMs.length"), SOON_S))
        # A browser whose own timestamp fails is caught on that first.
        check(own != "timestamp" or clock == expected[fault],
              "%s: reason %r, not %r" % (fault, clock, expected[fault]))
        notes.append("%s: %s in %.1f s" % (fault, clock, time.time() - clicked))
    return "; ".join(notes)


def test_no_webgl_is_explained(page):
    b = page.browser(800, 700)
    b.open(page.url(fault="no-webgl"))
    shown = b.wait_for('(() => { const t = document.getElementById("messages").innerText'
                       '.toLowerCase(); return t.includes("webgl") && '
                       't.includes("hardware acceleration") && t; })()', LOAD_S)
    check(shown, "page messages: %r" % page_messages(b))
    check("cannot init opengl-window" in shown, "page messages: %r" % shown)


def test_failed_download_offers_retry(page):
    notes = []
    b = page.browser(800, 700)
    for fault in ("data-404", "data-truncated", "data-html"):
        started = time.time()
        b.open(page.url(fault=fault))
        shown = b.wait_for(
            'demoStats.state == "failed" && !document.getElementById("retry").hidden &&'
            ' document.getElementById("messages").innerText.toLowerCase()'
            '.includes("download")', LOAD_S)
        check(shown, "%s: state %r, page messages %r" % (
            fault, b.evaluate("window.demoStats && demoStats.state"), page_messages(b)))
        notes.append("%s %.1f s" % (fault, time.time() - started))
    return "; ".join(notes)


def test_context_loss_and_restore(page):
    """The context is lost and restored while the page waits at one still;
    the next still is drawn with programs and textures made again."""
    before, after = "45", "95"
    desktop_dir = os.path.join(page.out, "restore-desktop")
    wait_stills(desktop_stills(page.desktop, [after], desktop_dir))
    b = page.browser()
    b.open(page.url("index.html?at=%s,%s" % (before, after)))
    check(b.wait_for('demoStats.still && demoStats.still.seconds == %s' % before, STILL_S),
          "the page did not stop at %s s" % before)
    check(b.evaluate('(() => { const e = window.demoGL && '
                     'demoGL.getExtension("WEBGL_lose_context"); window.__lose = e;'
                     ' if (e) e.loseContext(); return !!e; })()'),
          "no window.demoGL with WEBGL_lose_context")
    check(b.wait_for('demoStats.contextLosses >= 1', SOON_S), "the loss was not counted")
    b.evaluate('(() => { window.__lose.restoreContext(); return true; })()')
    check(b.wait_for('demoStats.contextRestores >= 1', SOON_S), "the restore was not counted")
    b.evaluate("demoResume()")
    check(b.wait_for('demoStats.still && demoStats.still.seconds == %s' % after, STILL_S),
          "the page did not stop at %s s after the restore" % after)
    name = "at-%s.png" % after
    b.screenshot(os.path.join(page.out, "restored-" + name),
                 clip={"x": 0, "y": 0, "width": 640, "height": 480})
    value = pictures.psnr(pictures.read_png(os.path.join(desktop_dir, name)),
                          pictures.read_png(os.path.join(page.out, "restored-" + name)))
    check(value >= MIN_PSNR_DB, "after the restore %.2f dB" % value)
    return "%.2f dB after the restore" % value


def grant_wake_lock(b):
    """Chromium keeps the screen wake lock behind its own permission."""
    if b.engine != "chromium":
        return
    b.call("Browser.setPermission", permission={"name": "screen-wake-lock"}, setting="granted",
           origin="http://127.0.0.1:%d" % b.server.port)


def wake_lock_offered(b):
    return b.evaluate('demoStats.wakeLock != "not offered"')


def end_on_escape(b):
    b.key_down("Escape")
    ended = b.wait_for('demoStats.state == "ended"', SOON_S)
    b.key_up("Escape")
    check(ended, "Escape did not end the demo")


def click_watch_again(b):
    check(b.wait_for('!document.getElementById("again").hidden', SOON_S), "no \"watch again\"")
    b.click(*element_centre(b, "again"))


def test_wake_lock_and_watch_again(page):
    """The screen is kept on from the click to Escape; "watch again" plays
    from the start (music and frames), keeps the screen on again, and takes
    nothing from the server: no download of the data package, no second
    decoding of the music."""
    b = page.browser(800, 700)
    grant_wake_lock(b)
    start_play(b)
    offered = wake_lock_offered(b)
    if offered:
        check(b.wait_for('demoStats.wakeLock == "held"', SOON_S),
              "no wake lock while playing (%r)" % b.evaluate("demoStats.wakeLock"))
    hidden = "not checked"
    if offered and hasattr(b, "hide_page"):
        # A hidden tab gives the lock back; back in front, it is held again.
        b.hide_page()
        check(b.wait_for('document.hidden && demoStats.wakeLock == "released"', SOON_S),
              "wake lock %r while the tab is hidden" % b.evaluate("demoStats.wakeLock"))
        b.show_page()
        check(b.wait_for('!document.hidden && demoStats.wakeLock == "held"', SOON_S),
              "wake lock %r when the tab is back" % b.evaluate("demoStats.wakeLock"))
        hidden = "released while hidden"
    time.sleep(2)
    first_end = b.evaluate('demoStats.musicMs[demoStats.musicMs.length - 1]')
    end_on_escape(b)
    if offered:
        check(b.wait_for('demoStats.wakeLock == "released"', SOON_S),
              "wake lock %r after Escape" % b.evaluate("demoStats.wakeLock"))
    check("Reload" not in b.evaluate('document.getElementById("status").innerText'),
          "the end still asks for a reload")
    downloads = page.server.requests.get("/demo.data", 0)
    click_watch_again(b)
    check(b.wait_for('demoStats.plays == 2 && demoStats.musicMs.length >= 2', SOON_S),
          "the second play presented no frame; page says: %r" % page_messages(b))
    second_start = b.evaluate('demoStats.musicMs[0]')
    check(second_start < 1000 and second_start < first_end,
          "the second play started at %.0f ms of music (the first ended at %.0f)" %
          (second_start, first_end))
    time.sleep(3)
    played = b.evaluate('demoStats.musicMs[demoStats.musicMs.length - 1]')
    check(played > 2000, "the second play's music clock reached only %.0f ms" % played)
    if offered:
        check(b.evaluate('demoStats.wakeLock') == "held",
              "no wake lock in the second play (%r)" % b.evaluate("demoStats.wakeLock"))
    check(page.server.requests.get("/demo.data", 0) == downloads,
          "the data package was downloaded again")
    check(b.evaluate('demoStats.musicDecodes') == 1, "the music was decoded %r times" %
          b.evaluate('demoStats.musicDecodes'))
    end_on_escape(b)
    if offered:
        check(b.wait_for('demoStats.wakeLock == "released"', SOON_S),
              "wake lock %r after the second Escape" % b.evaluate("demoStats.wakeLock"))
    check(b.evaluate('demoStats.state == "ended" && demoStats.exitCode == 0'),
          "the second play did not end cleanly")
    fullscreen = "not checked"
    if b.engine == "chromium":
        # Chromium hands the page the Escape that takes it out of
        # fullscreen: that play ended in fullscreen, and so starts
        # the next one.
        click_watch_again(b)
        check(b.wait_for('demoStats.plays == 3 && demoStats.musicMs.length >= 2', SOON_S),
              "the third play presented no frame")
        click_fullscreen_button(b)
        end_on_escape(b)
        click_watch_again(b)
        check(b.wait_for('document.fullscreenElement && document.fullscreenElement.id', SOON_S)
              == "stage", "\"watch again\" after a play in fullscreen is not fullscreen")
        check(b.wait_for('demoStats.plays == 4 && demoStats.musicMs.length >= 2', SOON_S),
              "the fourth play presented no frame")
        fullscreen = "fullscreen again"
    check(not b.errors, "console errors: %r" % b.errors)
    return "wake lock %s; second play from %.0f ms, %d requests of demo.data; %s" % (
        "held and released (%s)" % hidden if offered else "not offered", second_start,
        downloads, fullscreen)


def test_no_wake_lock_plays_quietly(page):
    """A browser without a wake lock plays, ends and plays again as before,
    and nothing is said about it."""
    b = start_play(page.browser(800, 700), page.url(fault="no-wake-lock"))
    check(b.evaluate('demoStats.wakeLock') == "not offered",
          "wake lock %r" % b.evaluate('demoStats.wakeLock'))
    end_on_escape(b)
    click_watch_again(b)
    check(b.wait_for('demoStats.plays == 2 && demoStats.musicMs.length >= 2', SOON_S),
          "the second play presented no frame")
    # (Firefox here has no sound output, and says so.)
    shown = page_messages(b)
    check(b.evaluate('demoStats.errors.length') == 0 and "wake" not in shown.lower() and
          "screen" not in shown.lower(), "page messages: %r" % shown)
    check(not b.errors, "console errors: %r" % b.errors)


def test_watch_again_draws_the_same_frames(page):
    """Stills drawn twice in one page, the second time after the restart that
    "watch again" does: the same pictures (particles, flares and the random
    sequence start again as from a fresh load)."""
    times = ["4", "20"]
    folder = os.path.join(page.out, "again")
    os.makedirs(folder, exist_ok=True)
    b = page.browser()
    b.open(page.url("index.html?at=%s&again=1" % ",".join(times)))
    for run in (0, 1):
        for t in times:
            shoot_still(b, t, os.path.join(folder, "run%d-at-%s.png" % (run, t)), run)
    check(b.wait_for('demoStats.state == "ended"', SOON_S), "the page did not end")
    check(not b.errors, "console errors: %r" % b.errors)
    notes = []
    for t in times:
        value = pictures.psnr(pictures.read_png(os.path.join(folder, "run0-at-%s.png" % t)),
                              pictures.read_png(os.path.join(folder, "run1-at-%s.png" % t)))
        notes.append("%s s: %s" % (t, "identical" if value == float("inf") else "%.2f dB" % value))
        check(value >= MIN_AGAIN_PSNR_DB, "at %s s the second play differs: %.2f dB" % (t, value))
    return ", ".join(notes)


def offline_site(build_web, folder):
    site = os.path.join(folder, "site")
    os.makedirs(site)
    for name in OFFLINE_FILES + ["sw.js"]:
        shutil.copy(os.path.join(build_web, name), os.path.join(site, name))
    return site


def new_build(site, mark, only=None):
    """Another build in the same folder: files that say which build they are
    (window.__builds), with a worker that lists them. With only, the worker
    is made for the whole new build but only those files are put in place:
    a server caught half way through an update."""
    before = {}
    for name in ("page.js", "audio_clock.js", "demo-data.js"):
        path = os.path.join(site, name)
        with open(path, "rb") as f:
            before[name] = f.read()
        with open(path, "ab") as f:
            f.write(("\n;(window.__builds = window.__builds || []).push(%s);\n" %
                     json.dumps(name + " " + mark)).encode())
    subprocess.run([sys.executable, os.path.join(ROOT, "tools", "web-offline.py"),
                    os.path.join(ROOT, "web", "sw.js.in"), site], check=True,
                   stdout=subprocess.DEVNULL, timeout=60)
    if only is not None:
        for name, data in before.items():
            if name not in only:
                with open(os.path.join(site, name), "wb") as f:
                    f.write(data)


def builds_seen(b):
    return sorted(b.evaluate("JSON.stringify(window.__builds || [])") and
                  json.loads(b.evaluate("JSON.stringify(window.__builds || [])")))


def check_app_manifest(b, build_web):
    """The manifest names the app, landscape on black, and its icons are
    PNG pictures of the sizes it gives; Chromium finds the page installable."""
    with open(os.path.join(build_web, "manifest.webmanifest")) as f:
        manifest = json.load(f)
    check(manifest["name"] == ".quellTarn" and manifest["orientation"] == "landscape" and
          manifest["theme_color"] == manifest["background_color"] == "#000000",
          "manifest %r" % manifest)
    for icon in manifest["icons"]:
        width, height, _ = pictures.read_png(os.path.join(build_web, icon["src"]))
        check(icon["sizes"] == "%dx%d" % (width, height), "icon %r is %dx%d" % (icon, width, height))
    if b.engine != "chromium":
        return "manifest and icons checked"
    errors = b.call("Page.getAppManifest").get("errors")
    check(not errors, "manifest errors: %r" % errors)
    found = b.call("Page.getInstallabilityErrors")["installabilityErrors"]
    check(not found, "not installable: %r" % found)
    return "installable"


def test_offline_copy(page):
    """After a first visit the page says it is ready offline; with the server
    gone a reload plays; a new build served later is taken whole at the next
    start, and a server half way through an update changes nothing."""
    with tempfile.TemporaryDirectory(prefix="quelltarn-offline-") as folder:
        site = offline_site(page.build_web, folder)
        b = page.browser(800, 700)
        b.server = page.site(site)
        open_ready(b, b.server.url())
        if b.evaluate('demoStats.offline') == "not offered":
            check(not b.errors, "console errors: %r" % b.errors)
            return "not offered"
        version = b.wait_for('demoStats.offline != "not yet" && demoStats.offline', LOAD_S)
        check(version and version != "failed", "no offline copy (%r)" % version)
        check(b.evaluate('document.getElementById("offline").innerText').strip() ==
              "Ready to play offline.", "the page did not say it is ready offline")
        installable = check_app_manifest(b, page.build_web)
        b.server.close()
        # Offline: the page, the program and the data come from the copy.
        start_play(b)
        check(b.evaluate('document.getElementById("offline").hidden'),
              "\"ready to play offline\" said again")
        time.sleep(2)
        check(b.evaluate('demoStats.musicMs[demoStats.musicMs.length - 1]') > 1000,
              "the offline page does not play")
        check(builds_seen(b) == [], "marks of a build that was never served")
        # A new build is served: the open page's reload stays whole on
        # the old one while the new one is fetched, and the next start
        # takes the new one whole.
        new_build(site, "new")
        b.server = page.site(site, b.server.port)
        open_ready(b, b.server.url())
        check(builds_seen(b) == [], "an old page got files of the new build: %r" %
              builds_seen(b))
        check(b.wait_for('navigator.serviceWorker.getRegistration().then((r) =>'
                         ' !!(r && r.waiting))', LOAD_S), "the new build was not fetched")
        open_ready(b, b.server.url())
        whole = ["audio_clock.js new", "demo-data.js new", "page.js new"]
        check(builds_seen(b) == whole, "the new build came as %r" % builds_seen(b))
        newer = b.wait_for('demoStats.offline != "not yet" && demoStats.offline', LOAD_S)
        check(newer and newer != version, "the copy is still of build %r" % newer)
        check(b.evaluate('document.getElementById("offline").hidden'),
              "\"ready to play offline\" said again for a new build")
        # Half an update on the server: the page stays whole on its build.
        new_build(site, "half", only=["page.js"])
        open_ready(b, b.server.url())
        time.sleep(3)
        open_ready(b, b.server.url())
        check(builds_seen(b) == whole, "after a half update the page came as %r" %
              builds_seen(b))
        check(not b.errors, "console errors: %r" % b.errors)
        return "copy %s, then %s; offline reload played; %s" % (version, newer, installable)


def open_ready(b, url):
    """Opens the page anew (a new visit) and waits until it offers "click to start"."""
    b.evaluate('window.visitBefore = true')
    b.open(url)
    check(b.wait_for('!window.visitBefore && window.demoStats && demoStats.state == "ready"',
                     LOAD_S), "%s: the page did not finish loading (state %r)" % (
                         url, b.evaluate("window.demoStats && demoStats.state")))


def gentle_switch(b):
    return b.evaluate('document.getElementById("gentle").checked')


def test_gentle_switch_is_remembered(page):
    """The start screen's switch "gentle: fewer flashes": off unless the
    browser says the viewer prefers reduced motion, remembered by the page
    across visits once set either way, and the play the click starts takes
    it. In Chromium also: on by itself for a viewer who prefers reduced
    motion."""
    b = page.browser(800, 700)
    open_ready(b, page.url())
    label = b.evaluate('document.getElementById("gentle-switch").textContent.trim()')
    check(label == "gentle: fewer flashes", "the switch reads %r" % label)
    reduced = b.evaluate('matchMedia("(prefers-reduced-motion: reduce)").matches')
    check(gentle_switch(b) == reduced, "the switch is %r where the browser prefers "
          "reduced motion: %r" % (gentle_switch(b), reduced))
    if gentle_switch(b):
        b.click(*element_centre(b, "gentle"))
    b.click(*element_centre(b, "gentle"))
    check(gentle_switch(b), "a click did not turn the switch on")
    stored = b.evaluate('localStorage.getItem("quelltarn-gentle")')
    check(stored == "1", "the page keeps %r for the switch" % stored)

    open_ready(b, page.url())
    check(gentle_switch(b), "the switch was not remembered on")
    b.click(*start_button_centre(b))
    check(b.wait_for('demoStats.musicMs.length >= 2', SOON_S),
          "no frame presented after the click; page says: %r" % page_messages(b))
    check(b.evaluate('demoStats.gentlePlay') is True, "the play is not gentle")
    check(b.evaluate('Module.HEAPU8[Module.page.gentleSwitchAt]') == 1,
          "the program's switch is off")
    end_on_escape(b)

    open_ready(b, page.url())
    b.click(*element_centre(b, "gentle"))
    check(not gentle_switch(b), "a click did not turn the switch off")
    open_ready(b, page.url())
    check(not gentle_switch(b), "the switch was not remembered off")
    check(not b.errors, "console errors: %r" % b.errors)
    if b.engine != "chromium":
        return "prefers-reduced-motion is emulated in Chromium only"
    # A new viewer, who prefers reduced motion.
    page.forget(b)
    b.call("Emulation.setEmulatedMedia",
           features=[{"name": "prefers-reduced-motion", "value": "reduce"}])
    open_ready(b, page.url())
    check(gentle_switch(b), "the switch is off for a viewer who prefers reduced motion")
    b.click(*element_centre(b, "gentle"))
    open_ready(b, page.url())
    check(not gentle_switch(b), "the switch turned off was not remembered over "
          "the preference for reduced motion")


# Stills drawn by seeks, in this order (forward, back into what the first
# seek played, forward past it), against the same moments played from the
# start on the seek's 60 fps clock: the same build draws the same picture.
SEEK_STILLS = ["100", "45", "12", "110.5"]
SUBSET_SEEK_STILLS = ["45", "12", "25.5"]


def still_frame(b, t):
    check(b.wait_for('demoStats.still && demoStats.still.seconds == %s && "ok"' % t, STILL_S),
          "the page did not stop at %s s (messages %r)" % (t, page_messages(b)))
    return b.evaluate("demoStats.still.frame")


def test_seek_stills_match_the_played_stills(page):
    times = SEEK_STILLS if page.engine == "chromium" else SUBSET_SEEK_STILLS
    folder = os.path.join(page.out, "seek")
    os.makedirs(folder, exist_ok=True)
    frames = {}
    b = page.browser()
    for how, order in (("seek", times), ("fps=60", sorted(times, key=float))):
        started = time.time()
        b.open(page.url("index.html?at=%s&%s" % (",".join(order), how)))
        for t in order:
            frames[(how, t)] = still_frame(b, t)
            shoot_still(b, t, os.path.join(folder, "%s-%s.png" % (how[:4], t)))
        check(b.wait_for('demoStats.state == "ended"', SOON_S), "the page did not end")
        print("  %s: %.1f s" % (how, time.time() - started))
    check(not b.errors, "console errors: %r" % b.errors)
    for t in times:
        check(frames[("seek", t)] == frames[("fps=60", t)],
              "%s s: the seek drew frame %r, the play %r" % (t, frames[("seek", t)],
                                                            frames[("fps=60", t)]))
        seek = pictures.read_png(os.path.join(folder, "seek-%s.png" % t))
        played = pictures.read_png(os.path.join(folder, "fps=-%s.png" % t))
        check(seek == played, "%s s: the frame after a seek differs from the frame played "
              "(PSNR %.2f dB)" % (t, pictures.psnr(seek, played)))
    return "%d stills the same byte for byte" % len(times)


def music_ms(b):
    """The music time of the frame presented last."""
    return b.evaluate("demoStats.musicMs[demoStats.musicMs.length - 1]")


def music_frames(b):
    """How many frames of the play have a music time so far."""
    return b.evaluate("demoStats.musicMs.length")


def wait_music(b, low, high, what, since, timeout=120):
    """Waits until a frame presented after the first since of the play is
    between low and high ms: the music plays on meanwhile, and a slow look at
    the frame presented last would miss a stretch the play passed through."""
    check(b.wait_for("demoStats.musicMs.slice(%d).some((m) => m >= %d && m <= %d)"
                     % (since, low, high), timeout),
          "%s: the music is at %r ms, not %d to %d" % (what, music_ms(b), low, high))


def press_to(b, code, key, low, high):
    """Presses a key and waits for the play to pass low to high ms."""
    since = music_frames(b)
    b.key(code, key)
    wait_music(b, low, high, key, since)


def test_pause_and_seek_keys(page):
    """Space holds the picture, the music and the screen's wake lock and plays
    on from the same moment; Left/Right seek 10 s, a number key goes to a
    part's start, Page Up/Down to the part before/after; a key held down acts
    once; Escape ends the play while paused."""
    b = page.browser(800, 700)
    grant_wake_lock(b)
    start_play(b)
    offered = wake_lock_offered(b)
    time.sleep(1.5)
    b.key(32, " ")
    check(b.wait_for("demoStats.paused", SOON_S), "Space did not pause")
    if offered:
        check(b.wait_for('demoStats.wakeLock == "released"', SOON_S),
              "the wake lock is %r while paused" % b.evaluate("demoStats.wakeLock"))
    # Frames, the music and the frame on screen (seeks go from it: on a slow
    # machine it is a frame's drawing behind the music).
    stats = "JSON.stringify([demoStats.frames, demoStats.musicMs.slice(-1)[0], demoStats.frameSeconds])"
    held = json.loads(b.evaluate(stats))
    # Longer than the page waits before it says the demo is not moving.
    time.sleep(6)
    now = json.loads(b.evaluate(stats))
    check(now == held, "paused, the play went on: %r then %r" % (held, now))
    check("not moving" not in page_messages(b), "paused, the page says %r" % page_messages(b))
    # A seek while paused shows its frame and stays paused; the
    # music plays on from there.
    b.key(39, "ArrowRight")
    check(b.wait_for("demoStats.frames == %d" % (held[0] + 1), SOON_S),
          "Right while paused showed %r frames" % (b.evaluate("demoStats.frames") - held[0]))
    time.sleep(0.5)
    check(b.evaluate("demoStats.paused && demoStats.frames") == held[0] + 1,
          "the seek ended the pause")
    shown = b.evaluate("demoStats.frameSeconds") * 1000
    check(held[2] * 1000 + 9000 <= shown <= held[2] * 1000 + 10100,
          "paused at the frame of %.0f ms, Right showed the frame of %.0f ms"
          % (held[2] * 1000, shown))
    since = music_frames(b)
    b.key(32, " ")
    check(b.wait_for("!demoStats.paused", SOON_S), "Space did not play on")
    if offered:
        check(b.wait_for('demoStats.wakeLock == "held"', SOON_S),
              "the wake lock is %r after the pause" % b.evaluate("demoStats.wakeLock"))
    target = shown
    wait_music(b, target - 1000, target + 1000, "Right while paused, then Space", since)
    wait_music(b, target + 800, target + 3000, "played on from %d ms" % target, since)
    # Held down, Right seeks once.
    before, since = music_ms(b), music_frames(b)
    b.key_down("ArrowRight", 39)
    b.key_down("ArrowRight", 39)
    b.key_down("ArrowRight", 39)
    b.key_up("ArrowRight", 39)
    wait_music(b, before + 9000, before + 14000, "Right held down", since)
    time.sleep(1)
    check(music_ms(b) < before + 18000, "a held key seeked more than once: %r from %r"
          % (music_ms(b), before))
    press_to(b, 51, "3", PART_STARTS_MS[3], PART_STARTS_MS[3] + 2500)
    press_to(b, 34, "PageDown", PART_STARTS_MS[4], PART_STARTS_MS[4] + 2500)
    time.sleep(1)
    # 10 s back from where the play is as the key comes: later than the
    # frame seen before it by as long as the look and the press took.
    before, since, looked = music_ms(b), music_frames(b), time.time()
    b.key(37, "ArrowLeft")
    late = 1000 * (time.time() - looked)
    wait_music(b, before - 10500, before - 6500 + late, "Left", since)
    press_to(b, 33, "PageUp", PART_STARTS_MS[2], PART_STARTS_MS[2] + 2500)
    b.key(32, " ")
    check(b.wait_for("demoStats.paused", SOON_S), "Space did not pause again")
    end_on_escape(b)
    check(not b.errors, "console errors: %r" % b.errors)
    return "wake lock %s" % ("given back while paused" if offered else "not offered")


def test_start_time_in_the_address(page):
    """?t=S starts the play S seconds in; a t that is not a time is named on
    the page and the play starts from the beginning; keys pressed before the
    click do nothing."""
    notes = []
    b = page.browser(800, 700)
    for t, low, high, words in (("95.5", 95500, 97500, None),
                                ("abc", 0, 2000, "is not a time in seconds"),
                                ("-5", 0, 2000, "is before the music starts"),
                                ("300", 0, 2000, "is past the end of the demo")):
        open_ready(b, page.url("index.html?t=" + t))
        # Keys before the click (while loading) are dropped.
        b.key(53, "5")
        b.key(39, "ArrowRight")
        b.click(*start_button_centre(b))
        first = b.wait_for("demoStats.musicMs.length >= 1 && demoStats.musicMs[0]", SOON_S)
        check(first is not None and low <= (first or 0) <= high,
              "t=%s: the first frame is at %r ms" % (t, first))
        text = page_messages(b)
        if words:
            check("The address's t=%s %s" % (t, words) in text and
                  "the demo plays from the start" in text,
                  "t=%s: the page says %r" % (t, text))
        else:
            check("The address" not in text, "t=%s: the page says %r" % (t, text))
        notes.append("t=%s: %.0f ms" % (t, first))
        end_on_escape(b)
    check(not b.errors, "console errors: %r" % b.errors)
    return ", ".join(notes)


def test_chapter_bar_on_a_tap(page):
    """A tap (a touch pointer) on the picture shows the bar of the parts and
    the time; a tap on a part goes to its start; the bar hides by itself. A
    mouse click shows nothing. Escape ends the play in the middle of a seek."""
    b = start_play(page.browser(800, 700))
    tap = ('document.getElementById("canvas").dispatchEvent(new PointerEvent("pointerup",'
           ' {pointerType: "%s", bubbles: true})) && demoStats.chapterBar')
    check(b.evaluate(tap % "mouse") == "hidden", "a mouse click showed the bar")
    check(b.evaluate(tap % "touch") == "shown", "a tap did not show the bar")
    bar = json.loads(b.evaluate(
        'JSON.stringify({parts: Array.from(document.querySelectorAll("#chapter-parts'
        ' button")).map((e) => e.textContent), time: document.getElementById('
        '"chapter-time").textContent, box: document.getElementById("chapters")'
        '.getBoundingClientRect().height})'))
    check(bar["parts"] == [str(i) for i in range(9)], "the bar's parts: %r" % bar["parts"])
    check(bar["time"].endswith("/ 3:48"), "the bar's time: %r" % bar["time"])
    check(0 < bar["box"] <= 40, "the bar is %r px high" % bar["box"])
    since = music_frames(b)
    b.evaluate('document.querySelectorAll("#chapter-parts button")[2].click() || 1')
    wait_music(b, PART_STARTS_MS[2], PART_STARTS_MS[2] + 2500, "the tap on part 2", since)
    check(b.wait_for('demoStats.chapterBar == "hidden"', SOON_S), "the bar stayed")
    # Escape during a long seek (the first one to part 8, a second
    # or more) ends the play before the seek is done. The page
    # presses both keys itself, Escape at the seek's first turn for
    # the page: a driver's key press may wait for the next paint,
    # which Firefox's driver did until the seek was over.
    escaped = time.time()
    b.evaluate("""(() => {
        const key = (code) => window.dispatchEvent(
            new KeyboardEvent("keydown", {keyCode: code, bubbles: true}));
        const turns = demoStats.turnsInWork;
        const escapeAtATurn = () => demoStats.turnsInWork > turns ? key(27)
            : setTimeout(escapeAtATurn, 0);
        key(56);
        setTimeout(escapeAtATurn, 0);
        return 1;
    })()""")
    check(b.wait_for('demoStats.state == "ended"', SOON_S), "Escape did not end the demo")
    escaped = time.time() - escaped
    check(music_ms(b) < PART_STARTS_MS[8], "the seek to part 8 was done before Escape")
    check(not b.errors, "console errors: %r" % b.errors)
    return "9 parts, %s; 8 then Escape in the seek ended the play in %.1f s" % (bar["time"],
                                                                                escaped)


# Each runs once in each engine, given the engine's fixture.
TESTS = [test_pause_and_seek_keys, test_start_time_in_the_address, test_chapter_bar_on_a_tap,
         test_seek_stills_match_the_played_stills, test_plays_and_ends_on_escape, test_wake_lock_and_watch_again, test_no_wake_lock_plays_quietly,
         test_watch_again_draws_the_same_frames, test_offline_copy, test_music_clock_keeps_real_time,
         test_phone_shows_the_whole_picture, test_density_two_draws_sharp,
         test_lying_audio_clock_falls_back, test_no_webgl_is_explained,
         test_failed_download_offers_retry, test_context_loss_and_restore, test_missing_scene_file_is_shown,
         test_missing_soundtrack_is_shown, test_gentle_switch_is_remembered,
         test_stills_match_the_desktop]


# WebKitGTK's page process crashed under about one run in eight of the
# watch-again stills here (a segfault of its compositor thread in Mesa's
# software GL, while the page's own thread frees in it): three runs make a
# failure by that crash alone about 1 in 500.
CRASH_RUNS = 3


def main():
    args = sys.argv[1:]
    if len(args) not in (2, 4) or (len(args) == 4 and args[2] != "--stills-out"):
        print(__doc__, file=sys.stderr)
        return 2
    build_web, desktop = args[0], args[1]
    out = args[3] if len(args) == 4 else tempfile.mkdtemp(prefix="quelltarn-stills-")
    os.makedirs(out, exist_ok=True)
    read_timeline(desktop)
    # Ended from outside (a time limit): browsers, servers and folders go too.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    only = os.environ.get("WEB_TESTS")
    engines = os.environ.get("WEB_ENGINES", ",".join(ENGINES)).split(",")
    # The engines side by side, each in a runner of its own (its own display,
    # servers and folders), as many at once as there are processors: a page
    # test waits for the page far more than it computes.
    jobs = int(os.environ.get("WEB_JOBS", os.cpu_count() or 1))
    if len(engines) > 1 and jobs > 1:
        runs = [(engine, [sys.executable, os.path.abspath(__file__), build_web, desktop,
                          "--stills-out", out], dict(os.environ, WEB_ENGINES=engine))
                for engine in engines]
        status = run_side_by_side(runs, jobs)
        if len(args) == 2:
            shutil.rmtree(out, ignore_errors=True)
        return status
    cases = [(engine, test) for engine in engines for test in TESTS
             if not only or only in test.__name__]

    fixtures = {}

    def run(case):
        engine, test = case
        if engine not in fixtures:
            for other in list(fixtures):
                fixtures.pop(other).close()
            fixtures[engine] = page_fixture.Page(engine, build_web, desktop,
                                                 os.path.join(out, engine))
        page = fixtures[engine]
        page.begin()
        try:
            return test(page)
        except BaseException:
            page.drop_browsers()
            raise

    # A test during which the browser lost its page process (the browser's
    # own crash, not the page's fault) runs again in a new browser.
    def browser_crashed(_):
        crashes = driver_base.PageDriver.crashes
        return "the browser crashed: " + "; ".join(crashes) if crashes else None

    try:
        status = run_tests(cases, run, name=lambda case: "%s %s" % (case[0], case[1].__name__),
                           again=browser_crashed, runs=CRASH_RUNS)
    finally:
        for page in fixtures.values():
            page.close()
    if len(args) == 2:
        shutil.rmtree(out, ignore_errors=True)
    return status


if __name__ == "__main__":
    sys.exit(main())
