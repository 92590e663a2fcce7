#!/usr/bin/env python3
"""Tests of the page's "Save as video" (web/record.js), each a function of a
page driver b (with b.server, the page server of the build) and a folder:

- a 3-second span from a place of fast motion, saved as the page's script
  asks (?record=...&to=opfs) and read back through the driver: ffprobe finds
  the frames, the rate, the codec, the BT.709 tags and an audio stream as long
  as the video; every frame decoded as its tags say is within the encoder's
  loss (MIN_PSNR_DB) of the page's own still at its time (the still mode on
  the same 30 fps clock) and further from the stills one step before and
  after;
- a Cancel half-way leaves no file, and the page plays afterwards;
- a codec the engine does not encode is said on the page, and nothing written.

  video_tests.py BUILD_WEB [ENGINE...]   (chromium firefox webkit; all three
                                          unless named or WEB_ENGINES says)

runs them in each engine, one browser and one server each, the engines side
by side as the page tests run them (WEB_JOBS at once, the number of
processors unless set), and prints one line per test and "N passed, N
failed"."""

import base64
import json
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import cdp  # noqa: E402
import driver_base  # noqa: E402,F401 (puts tests/ on the path)
import marionette  # noqa: E402
import page_server  # noqa: E402
import webkit  # noqa: E402
from pyrun.runner import Failure, check, run_side_by_side, run_tests  # noqa: E402

ENGINES = {"chromium": cdp.Browser, "firefox": marionette.Browser, "webkit": webkit.Browser}
# Part 5's flight through the artery: every frame differs from the next (about
# 23 dB apart), and its colours survive 4:2:0 (41 dB and more there; part 4's
# fine coloured walls keep 27 dB of any 4:2:0 file against the RGB drawn).
SPAN = (140.0, 143.0)
RATE = 30
# Encoder loss of the saved frames against the stills drawn the same way, RGB
# against RGB. The artery's saturated red costs this span most: the BT.709
# 4:2:0 conversion alone keeps 40.7 dB there (red 36.9). Firefox's H.264
# keeps 37.4 dB at worst; Chromium's keeps 34.9 on its key frames and the
# frame after them whatever the rate (2, 2.5 and 6 bits a pixel measured
# alike; its VP9 keeps 36.8). A frame one step off is 20 to 45 dB.
MIN_PSNR_DB = 34.5
# Each frame is closer to its own still than to the stills a step either side,
# by at least this much. Where the span barely moves (frames 19-22, stills a
# step apart at 41-45 dB) that is all the margin a frame has; elsewhere it is
# 5 to 25 dB.
MIN_STEP_GAP_DB = 1.0


def messages(b):
    return b.evaluate('document.getElementById("messages").innerText') or ""


def record(b, query, timeout=600):
    """Opens the page's recording and waits for it to end; its final state."""
    b.open(b.server.url("index.html?" + query))
    state = b.wait_for('window.demoRecording && ["done", "failed", "cancelled"].includes('
                       'demoRecording.state) && demoRecording.state', timeout)
    check(state, "the recording did not end (%r); page says %r" % (
        b.evaluate("window.demoRecording && JSON.stringify(demoRecording)"), messages(b)))
    return state


def left_behind(b):
    """Whether the recording's file is among the page's private files."""
    b.evaluate("demoRecording.listFiles()")
    files = json.loads(b.wait_for("demoRecording.files && JSON.stringify(demoRecording.files)", 20))
    return b.evaluate("demoRecording.name") in files


def fetch_recording(b, path):
    size = b.evaluate("demoRecording.size")
    with open(path, "wb") as f:
        for offset in range(0, size, 1 << 18):
            b.evaluate("demoRecording.read(%d, %d)" % (offset, 1 << 18))
            chunk = b.wait_for("demoRecording.chunk", 30)
            check(chunk is not None, "the page did not hand out the file at %d" % offset)
            f.write(base64.b64decode(chunk))
    return size


def shoot_stills(b, frames, folder):
    """The page's own stills (still mode, 30 fps) of the frames, s%03d.png."""
    times = ["%.6f" % (f / RATE) for f in frames]
    b.open(b.server.url("index.html?at=" + ",".join(times)))
    for i, t in enumerate(times):
        got = b.wait_for('demoStats.still && demoStats.still.seconds == %s && "ok"' % t, 240)
        check(got, "the page did not stop at %s s: %r" % (t, messages(b)))
        b.screenshot(os.path.join(folder, "s%03d.png" % i),
                     clip={"x": 0, "y": 0, "width": 640, "height": 480})
        b.evaluate("demoResume()")


def probe(path):
    out = subprocess.run(["ffprobe", "-v", "error", "-count_frames", "-show_streams", "-of", "json",
                          path], capture_output=True, text=True, timeout=120, check=True).stdout
    return json.loads(out)["streams"]


def psnr_per_frame(frames, stills, first_still, folder):
    """PSNR of each frame picture (decoded as the file's tags say) against the
    stills from s{first_still}.png on, one for one."""
    stats = os.path.join(folder, "psnr-%d.txt" % first_still)
    subprocess.run(
        ["ffmpeg", "-v", "error", "-i", frames, "-start_number", str(first_still), "-i",
         os.path.join(stills, "s%03d.png"), "-lavfi",
         "[0:v]format=gbrp[a];[1:v]format=gbrp[b];[a][b]psnr=stats_file=%s" % stats,
         "-f", "null", "-"],
        check=True, timeout=300)
    values = []
    with open(stats) as f:
        for line in f:
            field = dict(p.split(":", 1) for p in line.split())
            values.append(float("inf") if field["psnr_avg"] == "inf" else float(field["psnr_avg"]))
    return values


def test_saves_the_frames_drawn_with_sound(b, out):
    state = record(b, "record=%g-%g&size=640x480&rate=%d&supersample=1&gentle=0&to=opfs" % (
        SPAN[0], SPAN[1], RATE))
    check(state == "done", "not saved: %r" % messages(b))
    video = os.path.join(out, "span.mp4")
    fetch_recording(b, video)
    recorded_fps = b.evaluate("demoRecording.fps")
    codec = b.evaluate("demoRecording.codec")
    streams = probe(video)
    v = [s for s in streams if s["codec_type"] == "video"]
    a = [s for s in streams if s["codec_type"] == "audio"]
    check(len(v) == 1 and len(a) == 1, "streams: %r" % [s["codec_type"] for s in streams])
    v, a = v[0], a[0]
    frames = int(v["nb_read_frames"])
    check(frames == RATE * (SPAN[1] - SPAN[0]), "%d frames" % frames)
    check(v["r_frame_rate"] == "%d/1" % RATE, "rate %s" % v["r_frame_rate"])
    check(v["codec_name"] == {"avc1": "h264", "vp09": "vp9", "av01": "av1"}[codec[:4]],
          "codec %s for %s" % (v["codec_name"], codec))
    tags = [v.get(k) for k in ("color_primaries", "color_transfer", "color_space", "color_range")]
    check(tags == ["bt709", "bt709", "bt709", "tv"], "colour tags %r" % tags)
    length = frames / RATE
    check(abs(float(a["duration"]) - length) < 1.0 / RATE,
          "audio %s s against %.3f s of video" % (a["duration"], length))
    # Every frame against its own still and the stills a step either side:
    # the stills of frames first-1 .. first+frames, s000 onwards.
    first = round(SPAN[0] * RATE)
    stills = os.path.join(out, "stills")
    os.makedirs(stills, exist_ok=True)
    shoot_stills(b, range(first - 1, first + frames + 1), stills)
    decoded = os.path.join(out, "decoded")
    os.makedirs(decoded, exist_ok=True)
    subprocess.run(["ffmpeg", "-v", "error", "-i", video, "-vf",
                    "scale=in_color_matrix=bt709:in_range=tv:out_range=pc,format=rgb24",
                    "-vsync", "0", "-start_number", "0", os.path.join(decoded, "v%03d.png")],
                   check=True, timeout=120)
    before, own, after = (psnr_per_frame(os.path.join(decoded, "v%03d.png"), stills, k,
                                         out)[:frames] for k in (0, 1, 2))
    check(len(own) == frames, "compared %d frames" % len(own))
    worst = min(own)
    print("  dB against the still before / own / after:\n" + "\n".join(
        "  %3d %6.2f %6.2f %6.2f" % (i, before[i], own[i], after[i]) for i in range(frames)))
    check(worst >= MIN_PSNR_DB, "frame %d at %.2f dB" % (own.index(worst), worst))
    for i in range(frames):
        off = max(before[i], after[i])
        check(off <= own[i] - MIN_STEP_GAP_DB,
              "frame %d: %.2f dB, a step off %.2f dB" % (i, own[i], off))
    size = os.path.getsize(video)
    gap = min(own[i] - max(before[i], after[i]) for i in range(frames))
    return ("%s, %d frames, %d bytes, %.1f frames/s, own still %.1f-%.1f dB, a step off at most "
            "%.1f dB, at least %.1f dB below the own still" % (
                codec, frames, size, recorded_fps, worst, max(own),
                max(max(before), max(after)), gap))


def test_cancel_leaves_nothing_and_the_page_plays(b, out):
    b.open(b.server.url("index.html?record=100-110&size=640x480&rate=30&to=opfs"))
    check(b.wait_for("window.demoRecording && demoRecording.frames >= 150", 600),
          "the recording did not get half-way: %r" % messages(b))
    at = b.evaluate("demoRecording.frames")
    b.evaluate('document.getElementById("record-cancel").click()')
    check(b.wait_for('demoRecording.state == "cancelled"', 60), "not cancelled: %r" % messages(b))
    check("cancelled: no file was kept" in messages(b), "page says %r" % messages(b))
    check(not left_behind(b), "the cancelled file was left behind")
    b.open(b.server.url())
    check(b.wait_for('window.demoStats && demoStats.state == "ready"', 90), "the page did not load")
    r = json.loads(b.evaluate('JSON.stringify(document.getElementById("start").getBoundingClientRect())'))
    b.click(r["x"] + r["width"] / 2, r["y"] + r["height"] / 2)
    check(b.wait_for("demoStats.musicMs.length >= 10", 60), "no play after the Cancel")
    return "cancelled at frame %d of 300" % at


def test_no_encoder_is_said(b, out):
    # As an engine without H.264 answers: the test takes it away before the page asks.
    b.open(b.server.url("index.html?record=110-111&codec=avc&to=opfs"))
    check(b.wait_for("window.VideoEncoder !== undefined && window.demoStats", 30), "no page")
    b.evaluate("VideoEncoder.isConfigSupported = async (c) => ({ supported: !/^avc1/.test(c.codec) })")
    check(b.wait_for('demoRecording.state == "failed"', 120), "not refused: %r" % messages(b))
    said = messages(b)
    check("encodes no H.264 video at 640x480" in said and "Nothing was written" in said,
          "page says %r" % said)
    check(not left_behind(b), "a file was written")
    return said.strip()


TESTS = [test_saves_the_frames_drawn_with_sound, test_cancel_leaves_nothing_and_the_page_plays,
         test_no_encoder_is_said]


def main():
    if len(sys.argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    build_web = sys.argv[1]
    engines = sys.argv[2:]
    if not engines:
        asked = os.environ.get("WEB_ENGINES", ",".join(ENGINES)).split(",")
        engines = [e for e in asked if e in ENGINES]
    only = os.environ.get("WEB_TESTS")
    if not os.path.exists(os.path.join(build_web, "mediabunny.min.mjs")):
        print("SKIP video tests: no muxer in %s (tools/web.sh could not fetch it)" % build_web)
        return 0
    # Encoding computes more than it waits: engines side by side keep more of
    # a shared machine's processors, each in a runner of its own.
    jobs = int(os.environ.get("WEB_JOBS", os.cpu_count() or 1))
    if len(engines) > 1 and jobs > 1:
        return run_side_by_side([(engine, [sys.executable, os.path.abspath(__file__), build_web,
                                           engine], os.environ) for engine in engines], jobs)
    out = os.environ.get("VIDEO_OUT") or tempfile.mkdtemp(prefix="quelltarn-video-")
    status = 0
    try:
        for engine in engines:
            with page_server.Server(build_web) as server, ENGINES[engine]() as b:
                b.server = server
                folder = os.path.join(out, engine)
                os.makedirs(folder)
                tests = [t for t in TESTS if not only or only in t.__name__]
                status |= run_tests(tests, lambda t: t(b, folder),
                                    name=lambda t: "%s %s" % (engine, t.__name__))
    finally:
        if not os.environ.get("VIDEO_OUT"):
            shutil.rmtree(out, ignore_errors=True)
    return status


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Failure as e:
        print("FAIL %s" % e)
        sys.exit(1)
