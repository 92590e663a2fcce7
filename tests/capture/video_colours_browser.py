#!/usr/bin/env python3
"""A recording's colours as a browser shows them: headless Chromium (the
engine here that plays H.264) draws the first frame of a video made by
demo-capture into a canvas, and its mean red, green and blue are each within
2 levels of the same frame drawn (--png). The red part at 152 s at 1280x960
and a blue one at 62 s at 640x480.

  video_colours_browser.py BUILD

Prints the means; skipped (exit 77) without the generated data, ffmpeg or
chromium."""

import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "web"))
sys.path.insert(0, os.path.join(HERE, ".."))
import cdp  # noqa: E402
import page_server  # noqa: E402
import pictures  # noqa: E402

# At 4 frames a second: frame 608 is 152 s, frame 248 is 62 s.
CASES = [("red", "1280x960", 608), ("blue", "640x480", 248)]
LIMIT = 2.0

PAGE = """<!doctype html><meta charset="utf-8"><script>
// The mean red, green and blue of a video's first frame, drawn into a canvas.
function videoMean(src) {
  return new Promise((ok, fail) => {
    const video = document.createElement('video');
    video.muted = true;
    setTimeout(() => fail(new Error(src + ': no frame within 60 s')), 60000);
    video.onerror = () => fail(new Error(src + ': ' + (video.error && video.error.message)));
    // loadeddata can come before the frame reaches the element's picture:
    // the canvas is then still empty (all zero). Draw again until it is not,
    // for up to 10 s; a video that really is black is shown as black then.
    const draw = (tries) => {
      const w = video.videoWidth, h = video.videoHeight;
      const canvas = document.createElement('canvas');
      canvas.width = w;
      canvas.height = h;
      const g = canvas.getContext('2d', { willReadFrequently: true });
      g.drawImage(video, 0, 0);
      const data = g.getImageData(0, 0, w, h).data, sum = [0, 0, 0, 0];
      for (let i = 0; i < data.length; i += 4)
        for (let c = 0; c < 4; ++c) sum[c] += data[i + c];
      if (sum[3] === 0 && tries > 0) {
        setTimeout(() => draw(tries - 1), 50);
        return;
      }
      ok(sum.slice(0, 3).map((s) => s / (w * h)));
    };
    video.onloadeddata = () => draw(200);
    video.src = src;
  });
}
</script>
"""


def mean(rgb):
    n = len(rgb) // 3
    return [sum(rgb[c::3]) / n for c in range(3)]


def capture(build, args):
    env = dict(os.environ, SDL_VIDEODRIVER="offscreen", LIBGL_ALWAYS_SOFTWARE="1")
    env.pop("DISPLAY", None)
    subprocess.run([os.path.join(build, "demo-capture"), "--data", os.path.join(build, "data"),
                    "--quiet", "--rate", "4"] + args, env=env, check=True, timeout=300,
                   stdin=subprocess.DEVNULL)


def main():
    build = os.path.abspath(sys.argv[1])
    for program in ("ffmpeg", "chromium"):
        if not shutil.which(program):
            print("skipped: no %s" % program)
            return 77
    if not os.path.exists(os.path.join(build, "data", "light.dat")):
        print("skipped: no generated data in %s" % build)
        return 77
    folder = tempfile.mkdtemp(prefix="quelltarn-colours-")
    try:
        drawn = {}
        for name, size, frame in CASES:
            frames = "%d-%d" % (frame, frame + 1)
            capture(build, ["--size", size, "--frames", frames, "-o",
                            os.path.join(folder, name + ".mp4")])
            capture(build, ["--size", size, "--frames", frames, "--png", "-o",
                            os.path.join(folder, name)])
            png = os.path.join(folder, name, "frame-%06d.png" % frame)
            drawn[name] = mean(pictures.read_png(png)[2])
        with open(os.path.join(folder, "colours.html"), "w") as f:
            f.write(PAGE)
        failed = False
        with page_server.Server(folder) as server, cdp.Browser(timeout=120) as browser:
            browser.open(server.url("colours.html"))
            if not browser.wait_for("typeof videoMean === 'function'", 60):
                raise RuntimeError("the page did not load")
            for name, size, frame in CASES:
                shown = browser.evaluate("videoMean('%s.mp4')" % name)
                off = [s - d for s, d in zip(shown, drawn[name])]
                print("%s %s at %g s: drawn %s, shown by Chromium %s" % (
                    name, size, frame / 4.0, " ".join("%.2f" % v for v in drawn[name]),
                    " ".join("%.2f" % v for v in shown)))
                if max(abs(v) for v in off) > LIMIT:
                    print("  off by %s (red, green, blue), more than %g levels"
                          % (" ".join("%+.2f" % v for v in off), LIMIT))
                    failed = True
        return 1 if failed else 0
    finally:
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
