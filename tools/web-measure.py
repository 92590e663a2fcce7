#!/usr/bin/env python3
"""Figures of the browser build for docs/web.md, in headless Chromium:

  tools/web-measure.py BUILD_WEB STILLS_DIR OUT_DIR

plays the whole demo in real time after a click (228 s) and prints the frame
rate per part, the time from the click to the first frame and the download
size; then, from STILLS_DIR/desktop and STILLS_DIR/web (what
tests/web/web_tests.py --stills-out writes), makes the side-by-side pictures
OUT_DIR/compare-N.png and prints their PSNR."""

import json
import os
import shutil
import subprocess
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "tests", "web"))
import cdp  # noqa: E402
import pictures  # noqa: E402
import web_tests  # noqa: E402

DOWNLOAD = ["index.html", "page.js", "page.css", "demo.js", "demo.wasm", "demo-data.js",
            "demo.data"]


def play(build_web):
    server = cdp.Server(build_web)
    try:
        with cdp.Browser(width=800, height=700, timeout=60) as b:
            b.open(server.url())
            if not b.wait_for('window.demoStats && demoStats.state == "ready"', 60):
                raise RuntimeError("the page did not load")
            x, y = web_tests.start_button_centre(b)
            b.click(x, y)
            if not b.wait_for('demoStats.state == "ended"', 260, step=1):
                raise RuntimeError("the demo did not end by itself")
            stats = json.loads(b.evaluate(
                "JSON.stringify({m: demoStats.musicMs, first: demoStats.firstFrameMs,"
                " decode: demoStats.musicDecodeMs, music: demoStats.musicStartMs,"
                " code: demoStats.exitCode})"))
            return stats, b.errors
    finally:
        server.close()


def main():
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    build_web, stills, out = sys.argv[1:]
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
    stats, errors = play(build_web)
    print("played in %.0f s, exit code %s, console errors %r" % (time.time() - started,
                                                                 stats["code"], errors))
    print("click to first frame: %.0f ms (MP3 decoded in %.0f ms, music audible %.0f ms "
          "after the click)" % (stats["first"], stats["decode"], stats["music"]))
    music = stats["m"]
    starts = web_tests.PART_STARTS_MS
    print("| part | frames | fps |")
    for part in range(9):
        inside = [m for m in music if starts[part] < m <= starts[part + 1]]
        seconds = (starts[part + 1] - starts[part]) / 1000.0
        print("| %d | %d | %.1f |" % (part, len(inside), len(inside) / seconds))
    return 0


if __name__ == "__main__":
    sys.exit(main())
