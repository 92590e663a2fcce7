"""Times demo-record's join (checks, copy, soundtrack) on pieces of a chosen
size, made up of noise so that they do not shrink: by default 10 pieces of
274 frames and about 475 MB, the pieces of the 4K recording cut for 50 nodes.
    join-bench.py BUILD_DIR [PIECES FRAMES MB] [DEMO_RECORD ...]
Each demo-record named (default BUILD_DIR/demo-record) joins the same work
folder, in turns, three times; the best time of each is printed."""
import os
import shutil
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "app"))
from demo_record import identity, pieces, plan  # noqa: E402

build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
count, frames, mb = (int(v) for v in (sys.argv[2:5] if len(sys.argv) > 4 else (10, 274, 475)))
programs = sys.argv[5:] or [os.path.join(build, "demo-record")]
capture, data = os.path.join(build, "demo-capture"), os.path.join(build, "data")

tmp = tempfile.mkdtemp(prefix="join-bench-")
try:
    work = os.path.join(tmp, "work")
    os.makedirs(os.path.join(work, "pieces"))
    os.makedirs(os.path.join(work, "log"))
    # Lossless noise in the brightness alone: about 1.6 bytes a pixel, so
    # the picture size sets the bytes.
    side = int((mb * 1e6 / 1.6 / frames / 12) ** 0.5)
    size = "%dx%d" % (4 * side // 2 * 2, 3 * side // 2 * 2)
    one = os.path.join(tmp, "one.mp4")
    subprocess.run(["ffmpeg", "-v", "error", "-f", "lavfi", "-i", "nullsrc=s=%s:r=60" % size,
                    "-vf", "geq=random(1)*255:128:128", "-frames:v", str(frames), "-c:v", "libx264",
                    "-preset", "ultrafast", "-qp", "0", "-pix_fmt", "yuv444p", "-movflags",
                    "+faststart", one], check=True)
    args = ["--rate", "60", "--data", data]
    settings = plan.capture_settings(args)
    settings.update({"rate": "60/1", "size": size, "first": 0, "end": count * frames,
                     "pieces": count})
    record = {"version": 1, "capture": capture, "capture_args": args, "settings": settings,
              "ranges": plan.split(0, count * frames, count), "output": os.path.join(tmp, "out.mp4"),
              "retries": 0, "identity": identity.of(capture, data)}
    plan.write_json(os.path.join(work, plan.RECORD), record)
    found = pieces.probe(one)
    for i, (first, end) in enumerate(record["ranges"]):
        path = pieces.piece_path(work, i)
        shutil.copy(one, path)
        manifest = {"index": i, "first": first, "end": end, "settings": settings,
                    "bytes": os.path.getsize(path), "sha256": pieces.sha256(path), "frames": found[0],
                    "parameter_sets": found[1], "codec": found[2]}
        manifest.update(record["identity"])
        plan.write_json(pieces.manifest_path(work, i), manifest)
    total = count * os.path.getsize(one) / 1e6
    print("%d pieces of %d frames, %.0f MB each (%s), %.0f MB in all; load %s"
          % (count, frames, total / count, size, total, open("/proc/loadavg").read().split()[0]))
    best = {p: None for p in programs}
    for _ in range(3):
        for p in programs:
            if os.path.exists(record["output"]):
                os.remove(record["output"])
            started = time.monotonic()
            done = subprocess.run([p, "--join-only", "--work", work], stderr=subprocess.PIPE, text=True)
            seconds = time.monotonic() - started
            if done.returncode != 0:
                sys.exit("%s failed: %s" % (p, done.stderr))
            best[p] = seconds if best[p] is None else min(best[p], seconds)
    for p, seconds in best.items():
        print("%s: join %.1f s (%.0f MB/s of pieces)" % (p, seconds, total / seconds))
finally:
    shutil.rmtree(tmp, ignore_errors=True)
