"""demo-record's recordings, drawn for real: here and on a one-node Slurm
cluster started for these tests (tools/slurm-local.sh), with short stretches of
the demo at a small size where particles, water and a part's first frame are.
Every joined video is checked against what one demo-capture process draws.
    record_tests.py BUILD_DIR"""
import glob
import math
import os
import re
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import unittest

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.path.abspath(sys.argv.pop(1) if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
CAPTURE = os.path.join(BUILD, "demo-capture")
RECORD = os.path.join(BUILD, "demo-record")
DATA = os.path.join(BUILD, "data")
# 172-176 s at 10 fps: frames 1720-1759, the end of part 5 (two clouds of 3000
# particles) and the start of part 6 (water drawn every frame, morphing fish);
# frame 1731 is part 6's first.
SPAN = ["--rate", "10", "--size", "160x120", "--data", DATA, "--time", "172-176"]
FIRST, END = 1720, 1760
WAIT = 300  # no run below waits longer than this
# Ctrl-C is sent to demo-record as a person's would be. A shell that starts
# this runner in the background passes SIGINT on ignored, and a Python program
# started with it ignored never turns it into KeyboardInterrupt: the runner
# takes it again, so the programs it starts get the usual disposition.
signal.signal(signal.SIGINT, signal.default_int_handler)

tmp = None
cluster_env = None


def run(args, env=None, timeout=WAIT):
    return subprocess.run(args, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, text=True, env=env, timeout=timeout)


def record(args, work, output, env=None, slurm=False, span=SPAN):
    base = [RECORD] + span + ["--quiet", "--work", work, "-o", output]
    environment = dict(cluster_env if slurm else os.environ)
    environment.update(env or {})
    return run(base + args + (["--slurm"] if slurm else []), environment)


def frame_hashes(path, start=None):
    """MD5 of each decoded frame as RGB bytes (ffmpeg's framemd5)."""
    args = ["ffmpeg", "-v", "error"]
    if start is not None:
        args += ["-start_number", str(start)]
    args += ["-i", path, "-map", "0:v", "-f", "framemd5", "-pix_fmt", "rgb24", "-"]
    done = run(args)
    assert done.returncode == 0, done.stderr
    return [line.rsplit(",", 1)[1].strip() for line in done.stdout.splitlines()
            if line and not line.startswith("#")]


def slurp(path):
    with open(path, "rb") as f:
        return f.read()


def probe(path, entries, stream="v:0"):
    done = run(["ffprobe", "-v", "error", "-select_streams", stream, "-show_entries", entries,
                "-of", "csv=p=0", path])
    assert done.returncode == 0, done.stderr
    return done.stdout.split()


def wait_for(condition):
    deadline = time.monotonic() + WAIT
    while not condition():
        assert time.monotonic() < deadline, "waited %d s" % WAIT
        time.sleep(0.05)


def interrupt_when(proc, path, sig):
    """Sends `sig` to the process once `path` exists; its exit code and stderr."""
    deadline = time.monotonic() + WAIT
    while not os.path.exists(path) and time.monotonic() < deadline:
        time.sleep(0.05)
    proc.send_signal(sig)
    _, err = proc.communicate(timeout=WAIT)
    return proc.returncode, err


def captures_drawing(work):
    """The pids of demo-capture processes drawing a piece into `work`."""
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            args = slurp("/proc/%s/cmdline" % pid).split(b"\0")
        except OSError:
            continue
        if args and args[0] == CAPTURE.encode() and any(a.startswith(work.encode() + b"/pieces/")
                                                         for a in args):
            found.append(int(pid))
    return found


def png_capture(folder, frames, extra=()):
    done = run([CAPTURE] + SPAN[:-2] + list(extra) + ["--png", "--quiet", "--frames", frames, "-o",
                                                        folder])
    assert done.returncode == 0, done.stderr


def setUpModule():
    global tmp, cluster_env
    if not os.path.isfile(os.path.join(DATA, "light.dat")):
        raise unittest.SkipTest("no generated data in " + DATA)
    tmp = tempfile.mkdtemp(prefix="record-tests-")
    os.chmod(tmp, 0o755)  # munge's socket lies below it
    started = run([os.path.join(ROOT, "tools", "slurm-local.sh"), "start", tmp + "/cluster"],
                  timeout=600)
    if started.returncode != 0:
        raise RuntimeError("the local Slurm cluster did not start:\n" + started.stderr + started.stdout)
    conf = shlex.split(re.search(r"export SLURM_CONF=(.+)", started.stdout).group(1))[0]
    cluster_env = dict(os.environ, SLURM_CONF=conf)
    # What one process draws: the reference of every test.
    png_capture(tmp + "/reference", "%d-%d" % (FIRST, END))
    Recorded.reference = frame_hashes(tmp + "/reference/frame-%06d.png", FIRST)


def tearDownModule():
    if tmp:
        run([os.path.join(ROOT, "tools", "slurm-local.sh"), "stop", tmp + "/cluster"])
        shutil.rmtree(tmp, ignore_errors=True)


class Recorded(unittest.TestCase):
    reference = []

    def assertRecorded(self, done):
        self.assertEqual(done.returncode, 0, done.stderr)

    def assertNoCaptureLeft(self, work):
        deadline = time.monotonic() + 15
        while captures_drawing(work) and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertEqual(captures_drawing(work), [], "captures left drawing")

    def assertSoundAsLongAsPictures(self, video):
        v = float(probe(video, "stream=duration")[0])
        a = float(probe(video, "stream=duration", "a:0")[0])
        self.assertAlmostEqual(v, (END - FIRST) / 10, places=3)
        self.assertLess(abs(a - v), 0.1, "sound %.4f s, pictures %.4f s" % (a, v))

    def test_pieces_draw_the_frames_of_one_process(self):
        # Cut anywhere, a part's first frame and a one-second piece included,
        # each piece draws exactly the frames one process draws, history and all.
        for frames in ("1720-1731", "1731-1741", "1741-1760"):
            png_capture(tmp + "/cut", frames)
        for f in range(FIRST, END):
            name = "frame-%06d.png" % f
            self.assertEqual(slurp(tmp + "/reference/" + name), slurp(tmp + "/cut/" + name), name)
        # And in part 2, where the particle heads move along their path.
        whole, cut = tmp + "/part2", tmp + "/part2-cut"
        for folder, frames in ((whole, "740-770"), (cut, "740-751"), (cut, "751-770")):
            png_capture(folder, frames)
        self.assertEqual(frame_hashes(whole + "/frame-%06d.png", 740),
                         frame_hashes(cut + "/frame-%06d.png", 740))

    def test_gentle_pieces_are_the_gentle_frames_of_one_process(self):
        # Every option of demo-capture reaches the pieces: --gentle here.
        work, video = tmp + "/gentle", tmp + "/gentle.mp4"
        self.assertRecorded(record(["--gentle", "--lossless", "--pieces", "2"], work, video))
        png_capture(tmp + "/gentle-png", "%d-%d" % (FIRST, END), ["--gentle"])
        gentle = frame_hashes(tmp + "/gentle-png/frame-%06d.png", FIRST)
        self.assertNotEqual(gentle, self.reference)  # the stretch flashes
        self.assertEqual(frame_hashes(video), gentle)

    def test_lossless_on_slurm_is_the_one_process_recording_with_a_task_retried(self):
        work, video = tmp + "/slurm-lossless", tmp + "/slurm-lossless.mp4"
        # With what a cluster user passes on to sbatch; Ctrl-C stops the
        # following, not the jobs, and --follow takes it up again.
        args = [RECORD] + SPAN + ["--lossless", "--pieces", "4", "--partition", "main",
                                  "--time-limit", "10", "--cpus-per-task", "1", "--sbatch-args",
                                  "--job-name=tested --nice=0", "--slurm", "--work", work, "-o", video]
        env = dict(cluster_env, DEMO_RECORD_TEST_FAIL="1:1")
        following = subprocess.Popen(args, stdin=subprocess.DEVNULL, stderr=subprocess.PIPE,
                                     text=True, env=env)
        code, err = interrupt_when(following, work + "/slurm.json", signal.SIGINT)
        self.assertEqual(code, 130, err)
        self.assertIn("the jobs go on: follow them again with demo-record --follow --work " + work, err)
        done = run([RECORD, "--follow", "--work", work], cluster_env)
        self.assertRecorded(done)
        self.assertIn("4 pieces joined into " + video, done.stderr)
        self.assertEqual(frame_hashes(video), self.reference)
        self.assertSoundAsLongAsPictures(video)
        with open(work + "/record.log") as f:
            log = f.read()
        for i in range(4):
            self.assertRegex(log, r"piece %d \(frames \d+-\d+\): done .* Slurm job \d+ task %d on " % (i, i))
        self.assertRegex(log, r"piece 1 .*attempt 1 of 3 failed")
        # The follower submitted the retry as a job of its own.
        failed = re.search(r"piece 1 .*attempt 1 of 3 failed.*Slurm job (\d+) task 1 ", log)
        retried = re.search(r"piece 1 .*done .*attempt 2 of 3, Slurm job (\d+) task 1 ", log)
        self.assertNotEqual(failed.group(1), retried.group(1), log)
        # Each attempt's own log is kept.
        self.assertIn(b"attempt ended: failed", slurp(work + "/log/piece-1.1.log"))
        self.assertTrue(slurp(work + "/log/piece-1.2.log").endswith(b"attempt ended: done\n"))

    def test_lossy_on_slurm_joins_its_pieces_exactly_and_keeps_the_quality(self):
        # The demo's own size: the smaller the picture, the further two lossy
        # encodes of the same frames drift apart (160x120: 39.6 dB at worst).
        span = SPAN + ["--size", "640x480"]
        work, video = tmp + "/slurm-lossy", tmp + "/slurm-lossy.mp4"
        self.assertRecorded(record(["--pieces", "4"], work, video, slurm=True, span=span))
        pieces = sorted(glob.glob(work + "/pieces/piece-*.mp4"))
        self.assertEqual(len(pieces), 4)
        self.assertEqual(frame_hashes(video), sum((frame_hashes(p) for p in pieces), []))
        # Evenly spaced timestamps: no rounding jump where one piece meets the next.
        pts = [int(p) for p in probe(video, "packet=pts")]
        pts.sort()
        steps = {b - a for a, b in zip(pts, pts[1:])}
        self.assertEqual(len(steps), 1, "timestamp steps %s" % sorted(steps))
        self.assertSoundAsLongAsPictures(video)
        # Against one process's recording: the encoder's own tolerance.
        one = tmp + "/one-process.mp4"
        done = run([CAPTURE] + span + ["--quiet", "-o", one])
        self.assertEqual(done.returncode, 0, done.stderr)
        done = run(["ffmpeg", "-v", "error", "-i", video, "-i", one, "-lavfi",
                    "[0:v][1:v]psnr=stats_file=-", "-f", "null", "-"])
        errors = [float(v) for v in re.findall(r"mse_avg:(\S+)", done.stdout)]
        self.assertEqual(len(errors), END - FIRST, done.stderr)
        psnr = lambda mse: 10 * math.log10(255 * 255 / mse) if mse > 0 else math.inf
        self.assertGreaterEqual(psnr(max(errors)), 40.0, "the worst frame")
        # The mean as the PSNR of the mean error: frames that came out
        # identical (no error) do not lift it.
        self.assertGreaterEqual(psnr(sum(errors) / len(errors)), 45.0, "the mean")

    def test_a_task_that_always_fails_is_named_and_resume_finishes_it(self):
        work, video = tmp + "/slurm-failing", tmp + "/slurm-failing.mp4"
        done = record(["--lossless", "--pieces", "4"], work, video, {"DEMO_RECORD_TEST_FAIL": "2:all"},
                      slurm=True)
        self.assertEqual(done.returncode, 1, done.stderr)
        self.assertIn("piece 2 (frames 1740-1749) failed 3 attempts: see log/piece-2.3.log",
                      done.stderr)
        self.assertIn("--resume", done.stderr)
        self.assertFalse(os.path.exists(video))
        self.assertEqual(len(re.findall(b"attempt . of 3 failed", slurp(work + "/record.log"))), 3)
        again = record(["--lossless", "--pieces", "4"], work, video, slurm=True)
        self.assertEqual(again.returncode, 1)
        self.assertIn("holds a submission already", again.stderr)
        resumed = record(["--lossless", "--pieces", "4", "--resume"], work, video, slurm=True)
        self.assertRecorded(resumed)
        with open(work + "/slurm.json") as f:
            self.assertIn('"pieces": [\n  2\n ]', f.read())  # only the missing one went again
        self.assertEqual(frame_hashes(video), self.reference)
        self.assertTrue(os.path.exists(work + "/log/piece-2.4.log"))  # counted across resumes

    def test_an_interrupted_recording_resumes_and_damaged_pieces_are_refused(self):
        work, video = tmp + "/local", tmp + "/local.mp4"
        args = [RECORD] + SPAN + ["--lossless", "--pieces", "4", "--jobs", "1", "--quiet",
                                  "--work", work, "-o", video]
        proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        deadline = time.monotonic() + WAIT
        while not os.path.exists(work + "/record.lock") and time.monotonic() < deadline:
            time.sleep(0.05)
        second = run(args)
        self.assertEqual(second.returncode, 1, second.stderr)
        self.assertIn("another demo-record is drawing the pieces in " + work, second.stderr)
        # A hang-up (a closed ssh session) stops it as Ctrl-C does, its
        # capture too; kill -9 leaves the kernel to end the capture.
        wait_for(lambda: os.path.exists(work + "/pieces/piece-0000.json") and captures_drawing(work))
        proc.send_signal(signal.SIGHUP)
        _, err = proc.communicate(timeout=WAIT)
        self.assertEqual(proc.returncode, 130, err)
        self.assertIn("the same command resumes", err)
        self.assertNoCaptureLeft(work)
        proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: captures_drawing(work))
        proc.kill()
        proc.wait()
        self.assertNoCaptureLeft(work)
        self.assertFalse(os.path.exists(video))
        self.assertEqual(glob.glob(work + "/pieces/.*"), [], "half-written files left")
        finished = len(glob.glob(work + "/pieces/*.json"))
        self.assertLess(finished, 4)
        done = run([a for a in args if a != "--quiet"])
        self.assertRecorded(done)
        self.assertIn("%d of 4 pieces are finished already" % finished, done.stderr)
        self.assertEqual(frame_hashes(video), self.reference)

        # Each kind of damage is named by piece and refused by the join.
        pristine = tmp + "/pristine"
        shutil.copytree(work + "/pieces", pristine)
        os.remove(video)
        piece = lambda i, ext=".mp4": "%s/pieces/piece-%04d%s" % (work, i, ext)

        def truncate():
            with open(piece(2), "r+b") as f:
                f.truncate(os.path.getsize(piece(2)) // 2)

        def another_piece():
            shutil.copy(piece(0), piece(2))
            shutil.copy(piece(0, ".json"), piece(2, ".json"))

        def another_video():
            shutil.copy(piece(0), piece(2))

        def other_settings():
            # Drawn with another preset, its checksum file written to match.
            os.remove(piece(2))
            done = run([CAPTURE] + SPAN[:-2] + ["--lossless", "--preset", "ultrafast", "--no-audio",
                                                "--quiet", "--frames", "1740-1750", "-o", piece(2)])
            assert done.returncode == 0, done.stderr
            sys.path.insert(0, os.path.join(ROOT, "tools", "record", "app"))
            from demo_record import pieces
            import json
            with open(piece(2, ".json")) as f:
                m = json.load(f)
            m.update(bytes=os.path.getsize(piece(2)), sha256=pieces.sha256(piece(2)),
                     parameter_sets=pieces.probe(piece(2))[1])
            with open(piece(2, ".json"), "w") as f:
                json.dump(m, f)

        cases = [(truncate, "is damaged"), (another_piece, "holds frames 1720-1729 of piece 0"),
                 (another_video, "is damaged: %d bytes whose checksum does not match"
                  % os.path.getsize(piece(0))),
                 (other_settings, "was encoded with other settings than piece 0"),
                 (lambda: os.remove(piece(2)), "is missing")]
        for damage, words in cases:
            with self.subTest(words):
                shutil.rmtree(work + "/pieces")
                shutil.copytree(pristine, work + "/pieces")
                damage()
                joined = run([RECORD, "--join-only", "--work", work])
                self.assertEqual(joined.returncode, 1, joined.stderr)
                self.assertIn("piece 2 (frames 1740-1749) " + words, joined.stderr)
                self.assertFalse(os.path.exists(video))
                self.assertEqual(glob.glob(tmp + "/.local*"), [])
        # The recording itself draws a damaged piece again and says why.
        done = run(args)
        self.assertRecorded(done)
        self.assertEqual(frame_hashes(video), self.reference)

    def test_bad_input_is_refused_and_nothing_is_lost(self):
        work, video = tmp + "/bad", tmp + "/bad.mp4"
        cases = [
            (["--pieces", "0"], 2, "--pieces got '0'; it takes a whole number from 1"),
            (["--pieces", "41"], 2, "--pieces got '41'; it takes at most one piece a frame: 40 frames"),
            (["--pieces", "2", "--gentle", "--no-audio"], 2, "the command line got '--no-audio'"),
            (["--pieces", "5"], 2, "less than a second at 10 fps"),
            (["--pieces", "1", "--frames", "999990-999999"], 2, "selects no frame"),
        ]
        for args, code, words in cases:
            with self.subTest(args=args):
                span = SPAN[:-2] if "--frames" in args else SPAN
                done = run([RECORD] + span + args + ["--work", work, "-o", video])
                self.assertEqual(done.returncode, code, done.stderr)
                self.assertIn(words, done.stderr)
        self.assertFalse(os.path.exists(work))
        with open(tmp + "/a-file", "w"):
            pass
        done = run([RECORD] + SPAN + ["--pieces", "2", "--work", tmp + "/a-file/work", "-o", video])
        self.assertEqual(done.returncode, 1)
        self.assertIn("cannot write into the work folder " + tmp + "/a-file/work", done.stderr)
        done = run([RECORD] + SPAN + ["--pieces", "2", "--work", work, "-o", tmp + "/no/such/v.mp4"])
        self.assertIn("the folder %s/no/such does not exist" % tmp, done.stderr)
        # A work folder of other options keeps its pieces.
        self.assertRecorded(run([RECORD] + SPAN + ["--pieces", "2", "--quiet", "--work", work, "-o",
                                                   video]))
        before = {p: slurp(p) for p in glob.glob(work + "/pieces/*")}
        for args, words in ((["--size", "320x240"], "--size 160x120 there, --size 320x240 here"),
                            (["--rate", "20"], "--rate 10/1 there, --rate 20/1 here"),
                            (["--supersample", "2"], "--supersample 1 there, --supersample 2 here")):
            with self.subTest(args=args):
                done = run([RECORD] + SPAN + args + ["--pieces", "2", "--work", work, "-o", video])
                self.assertEqual(done.returncode, 1, done.stderr)
                self.assertIn("holds pieces of another recording", done.stderr)
                self.assertIn(words, done.stderr)
        self.assertEqual(before, {p: slurp(p) for p in glob.glob(work + "/pieces/*")})
        done = record(["--pieces", "2", "--partition", "nosuch"], tmp + "/bad-slurm", video, slurm=True)
        self.assertEqual(done.returncode, 1, done.stderr)
        self.assertIn("sbatch refused the job", done.stderr)
        self.assertIn("partition", done.stderr.lower())


if __name__ == "__main__":
    unittest.main(verbosity=2)
