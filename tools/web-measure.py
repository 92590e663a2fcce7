#!/usr/bin/env python3
"""Figures of the browser build for docs/web.md, in one engine (chromium,
the default, firefox or webkit):

  tools/web-measure.py [--engine NAME] [--density N] [--query K=V] BUILD_WEB STILLS_DIR OUT_DIR

plays the whole demo in real time after a click (228 s) and prints the frame
rate per part, the time from the click to the first frame, the music clock
against the wall clock over the play, the memory of the browser's processes
at the end and the download size (at --density N, the device pixel ratio, 1
unless given, so the canvas holds N x N pixels per CSS pixel up to the page's
pixel budget; --query adds a page parameter, e.g. antialias=on); then, from STILLS_DIR/desktop and STILLS_DIR/web (what
tests/web/web_tests.py --stills-out writes), makes the side-by-side pictures
OUT_DIR/compare-N.png and prints their PSNR."""

import json
import os
import shutil
import subprocess
import sys
import time
import urllib.parse

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "tests", "web"))
import page_server  # noqa: E402
import pictures  # noqa: E402
import web_tests  # noqa: E402

DOWNLOAD = ["index.html", "page.js", "page.css", "demo.js", "demo.wasm", "demo-data.js",
            "demo.data"]


def tree_rss_mb(pid):
    """Resident memory of a process and all its descendants, in MB."""
    children = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open("/proc/%s/stat" % entry) as f:
                    parent = int(f.read().rsplit(")", 1)[1].split()[1])
                children.setdefault(parent, []).append(int(entry))
            except (OSError, ValueError, IndexError):
                pass
    total, todo = 0, [pid]
    while todo:
        p = todo.pop()
        todo += children.get(p, [])
        try:
            with open("/proc/%d/status" % p) as f:
                total += sum(int(line.split()[1]) for line in f if line.startswith("VmRSS:"))
        except OSError:
            pass
    return total / 1024.0


def play(build_web, engine, density, query):
    server = page_server.Server(build_web)
    try:
        with web_tests.ENGINES[engine](width=800, height=700, timeout=90, density=density) as b:
            path = "index.html" + ("?" + urllib.parse.urlencode(query) if query else "")
            b.open(server.url(path))
            if not b.wait_for('window.demoStats && demoStats.state == "ready"', 90):
                raise RuntimeError("the page did not load")
            x, y = web_tests.start_button_centre(b)
            b.click(x, y)
            if not b.wait_for('demoStats.musicMs.length >= 1', 30):
                raise RuntimeError("no frame after the click")
            wall0 = json.loads(b.evaluate("JSON.stringify([performance.now(),"
                                          " demoStats.musicMs.slice(-1)[0]])"))
            memory = 0.0
            while not b.wait_for('demoStats.state == "ended"', 5, step=1):
                memory = max(memory, tree_rss_mb(b.process.pid))
                if b.evaluate("performance.now()") - wall0[0] > 260000:
                    raise RuntimeError("the demo did not end by itself")
            stats = json.loads(b.evaluate(
                "JSON.stringify({m: demoStats.musicMs, first: demoStats.firstFrameMs,"
                " decode: demoStats.musicDecodeMs, music: demoStats.musicStartMs,"
                " code: demoStats.exitCode, clock: demoStats.clock, wall: performance.now(),"
                " pixels: demoStats.canvasPixels, aa: demoStats.antialias,"
                " budget: demoStats.pixelBudgetReason})"))
            stats["wall0"] = wall0
            stats["memory"] = memory
            return stats, b.errors
    finally:
        server.close()


def main():
    args = sys.argv[1:]
    engine = "chromium"
    density = 1
    query = {}
    while len(args) > 1 and args[0] in ("--engine", "--density", "--query"):
        if args[0] == "--engine":
            engine = args[1]
        elif args[0] == "--density":
            density = float(args[1])
        else:
            key, _, value = args[1].partition("=")
            query[key] = value
        args = args[2:]
    if len(args) != 3 or engine not in web_tests.ENGINES:
        print(__doc__, file=sys.stderr)
        return 2
    build_web, stills, out = args
    web_tests.read_timeline(os.path.join(here, "..", "build"))
    os.makedirs(out, exist_ok=True)
    size = sum(os.path.getsize(os.path.join(build_web, n)) for n in DOWNLOAD)
    print("download: %.1f MB (%d bytes)" % (size / 1e6, size))
    for name in ("demo.wasm", "demo.js", "demo.data"):
        print("  %s %.2f MB" % (name, os.path.getsize(os.path.join(build_web, name)) / 1e6))

    shots = sorted(os.listdir(os.path.join(stills, "web")),
                   key=lambda n: float(n[3:-4]))
    done_parts = set()
    print("| moment | part | PSNR |")
    for name in shots:
        t = float(name[3:-4])
        desktop = pictures.read_png(os.path.join(stills, "desktop", name))
        web = pictures.read_png(os.path.join(stills, "web", name))
        value = pictures.psnr(desktop, web)
        part = web_tests.part_of(t)
        print("| %s s | %d | %.2f dB |" % (name[3:-4], part, value))
        if part not in done_parts:
            done_parts.add(part)
            both = pictures.side_by_side(pictures.half_size(desktop), pictures.half_size(web))
            path = os.path.join(out, "compare-%d.png" % part)
            pictures.write_png(path, *both)
            # Small for the docs: 256 colours where ImageMagick is there.
            if shutil.which("convert"):
                subprocess.run(["convert", path, "-dither", "None", "-colors", "256",
                                "PNG8:" + path], check=True, timeout=60)

    started = time.time()
    stats, errors = play(build_web, engine, density, query)
    print("played in %.0f s, exit code %s, console errors %r" % (time.time() - started,
                                                                 stats["code"], errors))
    print("click to first frame: %.0f ms (MP3 decoded in %.0f ms, music audible %.0f ms "
          "after the click)" % (stats["first"], stats["decode"], stats["music"]))
    music = stats["m"]
    if music:
        print("%s: music clock %.0f ms against %.0f ms of wall clock from the first frame "
              "to the end (clock %s); browser memory at most %.0f MB" % (
                  engine, music[-1] - stats["wall0"][1], stats["wall"] - stats["wall0"][0],
                  stats["clock"], stats["memory"]))
    print("canvas at the end: %r pixels (density %g), antialias %r, budget %r" % (
        stats.get("pixels"), density, stats.get("aa"), stats.get("budget")))
    starts = web_tests.PART_STARTS_MS
    print("| part | frames | fps |")
    for part in range(len(starts) - 1):
        inside = [m for m in music if starts[part] < m <= starts[part + 1]]
        seconds = (starts[part + 1] - starts[part]) / 1000.0
        print("| %d | %d | %.1f |" % (part, len(inside), len(inside) / seconds))
    return 0


if __name__ == "__main__":
    sys.exit(main())
