"""demo-record's planning, checks and Slurm arguments, without drawing."""
import json
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools", "record", "app"))

from demo_record import (attempts, join, nodes, options, pieces, plan, render,  # noqa: E402
                         slurm, status)
from demo_record.options import Refused  # noqa: E402


def refused(fn, *args):
    try:
        fn(*args)
    except Refused as e:
        return str(e)
    raise AssertionError("not refused: %r" % (args,))


class Planning(unittest.TestCase):
    def test_pieces_cover_every_frame_once_in_order(self):
        for first, end, n in ((0, 40, 4), (1720, 1760, 3), (5, 6, 1), (0, 13681, 7)):
            ranges = plan.split(first, end, n)
            self.assertEqual(len(ranges), n)
            self.assertEqual(ranges[0][0], first)
            self.assertEqual(ranges[-1][1], end)
            for (a, b), (c, _) in zip(ranges, ranges[1:]):
                self.assertEqual(b, c)
            self.assertLessEqual(max(b - a for a, b in ranges) - min(b - a for a, b in ranges), 1)

    def test_impossible_piece_counts_are_refused_with_the_numbers(self):
        self.assertIn("--pieces got '41'; it takes at most one piece a frame: 40 frames chosen",
                      refused(plan.check_pieces, 0, 40, (10, 1), 41))
        # Pieces under a second do not join cleanly: the most that do is named.
        text = refused(plan.check_pieces, 0, 40, (10, 1), 5)
        self.assertIn("8 frames, less than a second", text)
        self.assertIn("at most 4 pieces", text)
        self.assertIn("pieces of 1 frame,", refused(plan.check_pieces, 0, 3, (10, 1), 3))
        self.assertEqual([plan.pieces_of_seconds(0, 600, (10, 1), s) for s in (15, 20, 100, 1e6)],
                         [4, 3, 1, 1])
        self.assertIn("at most 3 pieces", refused(plan.check_pieces, 0, 100, (30000, 1001), 4))
        plan.check_pieces(0, 40, (10, 1), 4)
        plan.check_pieces(0, 5, (60, 1), 1)  # one piece joins as it is, however short

    def test_settings_record_every_option_that_changes_a_frame(self):
        s = plan.capture_settings(["--rate", "10", "--supersample", "2", "--lossless", "--data",
                                   "/d", "--frames", "0-9", "--warm-up", "--preset", "slow"])
        self.assertEqual((s["supersample"], s["preset"], s["data"]), ("2", "slow", "/d"))
        self.assertTrue(s["lossless"] and s["warm_up"])
        self.assertEqual(plan.capture_settings([])["msaa"], "0")
        self.assertEqual(plan.capture_settings(["--gentle", "--rate", "5"])["other"], ["--gentle"])

    def test_a_work_folder_of_another_recording_is_refused_by_what_differs(self):
        old = {"rate": "10/1", "size": "160x120", "supersample": "1", "first": 0, "end": 40,
               "pieces": 4}
        new = dict(old, size="320x240", supersample="2", end=50)
        diff = plan.differences(old, new)
        self.assertEqual(diff, ["--size 160x120 there, --size 320x240 here",
                                "--supersample 1 there, --supersample 2 here",
                                "frames 0-40 there, frames 0-50 here"])
        self.assertEqual(plan.differences(old, dict(old)), [])


KNOWN = {"--rate": True, "--data": True, "--lossless": False, "--gentle": False}


class CommandLine(unittest.TestCase):
    def test_capture_options_pass_on_and_the_data_folder_becomes_absolute(self):
        o = options.parse(["--rate", "10", "--data", "rel/data", "--lossless", "--pieces", "4",
                           "--work", "w", "-o", "v.mp4"], KNOWN)
        self.assertEqual(o.capture_args[:2], ["--rate", "10"])
        self.assertEqual(o.capture_args[3], os.path.abspath("rel/data"))
        self.assertIn("--lossless", o.capture_args)
        self.assertEqual(o.work, os.path.abspath("w"))

    def test_refusals(self):
        base = ["--work", "w", "-o", "v.mp4"]
        cases = [
            (["--pieces", "0"] + base, "--pieces got '0'; it takes a whole number from 1"),
            (["--pieces", "x"] + base, "--pieces got 'x'; it takes a whole number from 1"),
            (base, "--pieces got nothing; it takes how many pieces"),
            (["--pieces", "2", "--piece-seconds", "9"] + base, "--piece-seconds got '9'"),
            (["--pieces", "2", "--work", "w"], "-o got nothing; it takes the video"),
            (["--pieces", "2", "--work", "w", "-o", "v.mkv"], "-o got '%s'; it takes an .mp4"
             % os.path.abspath("v.mkv")),
            (["--pieces", "2", "--png"] + base, "--png would make PNG frames"),
            (["--pieces", "2", "--slurm", "--jobs", "2"] + base, "--jobs got '2'"),
            (["--pieces", "2", "--resume"] + base, "got '--resume'; it takes --resume only with --slurm"),
            (["--pieces", "2", "--mem", "2G"] + base, "--mem only with --slurm"),
            (["--pieces", "2", "--slurm", "--mem", "lots"] + base, "--mem got 'lots'"),
            (["--pieces", "2", "--bogus"] + base, "the command line got '--bogus'"),
            (["--pieces"], "--pieces got nothing"),
        ]
        for argv, words in cases:
            with self.subTest(argv=argv):
                self.assertIn(words, refused(options.parse, argv, KNOWN))

    def test_the_options_passed_on_are_those_of_demo_captures_help(self):
        with tempfile.NamedTemporaryFile("w", suffix=".sh", delete=False) as f:
            f.write("#!/bin/sh\ncat <<'EOF'\nusage: demo-capture [options]\n"
                    "  -o, --output PATH  a file\n  --png              frames\n"
                    "  --rate N[/D]       frames per second\n                     (default 60)\n"
                    "  --gentle           gentle play\n  --new-one X        new\nEOF\n")
        os.chmod(f.name, 0o755)
        try:
            self.assertEqual(options.capture_options(f.name),
                             {"--rate": True, "--gentle": False, "--new-one": True})
        finally:
            os.remove(f.name)


class Slurm(unittest.TestCase):
    def test_memory_asked_grows_with_the_pixels_drawn(self):
        cases = [("640x480", "1", "320M"), ("3840x2880", "1", "1088M"), ("3840x2880", "2", "1472M"),
                 ("3840x2880", "4", "3008M")]
        for size, k, mem in cases:
            self.assertEqual(slurm.memory_for({"size": size, "supersample": k}), mem)

    def test_the_time_past_the_demos_end_is_said(self):
        self.assertIn("ends at second 228", plan.cut_short(["--time", "226-235"], 2280, (10, 1)))
        self.assertIsNone(plan.cut_short(["--time", "172-176"], 1760, (10, 1)))
        self.assertIsNone(plan.cut_short(["--time", "100-"], 2280, (10, 1)))
        self.assertIn("ends at frame 2280", plan.cut_short(["--frames", "0-9999"], 2280, (10, 1)))

    def test_array_lists(self):
        self.assertEqual(slurm.array_list([0, 1, 2, 3]), "0-3")
        self.assertEqual(slurm.array_list([2]), "2")
        self.assertEqual(slurm.array_list([0, 2, 3, 4, 7]), "0,2-4,7")

    def test_the_test_hook_fails_only_the_attempts_it_names(self):
        os.environ[render.TEST_FAIL] = "1:1,3:all"
        try:
            self.assertTrue(render.planted_failure(1, 1))
            self.assertFalse(render.planted_failure(1, 2))
            self.assertTrue(render.planted_failure(3, 9))
            self.assertFalse(render.planted_failure(0, 1))
        finally:
            del os.environ[render.TEST_FAIL]
        self.assertFalse(render.planted_failure(1, 1))


class Retries(unittest.TestCase):
    """Where a task that must be tried again goes, and how Slurm said it ended."""
    def test_the_nodes_a_retry_leaves(self):
        # (nodes the piece failed on, failures by node, partition, left)
        table = [(["n1"], {"n1": 1}, ["n1"], []),                # one node: stays
                 (["n1"], {"n1": 1}, ["n1", "n2"], ["n1"]),      # another node
                 ([], {"n1": 2}, ["n1", "n2"], ["n1"]),          # left for good
                 (["n2"], {"n1": 2, "n2": 1}, ["n1", "n2"], ["n1"]),  # not both
                 (["n1", "n2"], {"n1": 1, "n2": 1}, ["n1", "n2", "n3"], ["n1", "n2"]),
                 (["n1"], {"n1": 1}, [], [])]                    # nodes unknown
        for here, failures, partition, left in table:
            self.assertEqual(nodes.excluded(here, failures, partition), left,
                             (here, failures, partition))

    def test_states_read_from_scontrol_and_the_jobcomp_file(self):
        text = ("JobId=12 ArrayJobId=11 ArrayTaskId=0 JobName=p JobState=COMPLETED Reason=None "
                "NodeList=n1 BatchHost=n1\n"
                "JobId=13 ArrayJobId=11 ArrayTaskId=1 JobState=TIMEOUT Reason=TimeLimit "
                "NodeList=n2 BatchHost=n2\n"
                "JobId=14 ArrayJobId=11 ArrayTaskId=2 JobState=PENDING Reason=Priority "
                "NodeList=(null)\n"
                "JobId=20 ArrayJobId=19 ArrayTaskId=0 JobState=FAILED NodeList=n1\n"
                # jobcomp's lines: no BatchHost; a later end of a task replaces it
                "JobId=15 UserId=root(0) JobState=PREEMPTED Partition=main NodeList=n1 "
                "ArrayJobId=11 ArrayTaskId=3 ExitCode=0:15\n"
                "JobId=15 JobState=FAILED NodeList=n2 ArrayJobId=11 ArrayTaskId=3\n")
        self.assertEqual(nodes.task_ends(text, "11"), {0: ("COMPLETED", "n1"), 1: ("TIMEOUT", "n2"),
                                                      2: ("PENDING", ""), 3: ("FAILED", "n2")})
        self.assertTrue({"TIMEOUT", "PREEMPTED", "FAILED"} <= nodes.RETRIED)
        self.assertNotIn("CANCELLED", nodes.RETRIED)


class Attempts(unittest.TestCase):
    """Attempt logs: numbered across runs, and a piece's state read from them."""

    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="record-unit-")
        for folder in ("log", "pieces"):
            os.makedirs(os.path.join(self.work, folder))
        self.record = {"work": self.work, "ranges": [(0, 10), (10, 20)],
                       "settings": {"rate": "10/1", "first": 0, "end": 20, "pieces": 2}}

    def tearDown(self):
        import shutil
        shutil.rmtree(self.work)

    def test_numbers_go_on_and_states_follow_the_last_attempt(self):
        n, fd = attempts.start(self.work, 1, "on here (pid 1)")
        os.write(fd, b"\r[#] frame 12/20  1 fps\r[#] frame 15/20  1 fps")
        self.assertEqual(n, 1)
        held = os.open(pieces.lock_path(self.work, 1), os.O_RDWR | os.O_CREAT)
        import fcntl
        fcntl.flock(held, fcntl.LOCK_EX)
        piece = status.snapshot(self.record)[1]
        self.assertEqual((piece["state"], piece["frames"], piece["where"]),
                         ("running", 5, "on here (pid 1)"))
        os.close(held)  # the capture ended without a word: killed
        self.assertEqual(status.snapshot(self.record)[1]["state"], "failed")
        attempts.end(fd, "failed: demo-capture ended with exit code 1")
        n2, fd2 = attempts.start(self.work, 1, "on there (pid 2)")
        attempts.end(fd2, "failed: again")
        self.assertEqual(n2, 2)
        self.assertEqual(status.snapshot(self.record)[1]["why"], "failed: again")
        self.assertEqual([p["state"] for p in status.snapshot(self.record)], ["pending", "failed"])
        self.assertEqual(join.failed_attempts(self.work, 1), "failed 2 attempts: see log/piece-1.2.log")


class PieceChecks(unittest.TestCase):
    """The checks a piece passes before it counts as finished, on files made
    here (ffprobe is not asked)."""

    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="record-unit-")
        os.makedirs(os.path.join(self.work, "pieces"))
        self.record = {"work": self.work, "ranges": [(0, 10), (10, 20)],
                       "settings": {"rate": "10/1", "first": 0, "end": 20, "pieces": 2}}

    def tearDown(self):
        import shutil
        shutil.rmtree(self.work)

    def finish(self, index, data=b"video"):
        with open(pieces.piece_path(self.work, index), "wb") as f:
            f.write(data)
        first, end = self.record["ranges"][index]
        manifest = {"index": index, "first": first, "end": end, "settings": self.record["settings"],
                    "bytes": len(data), "sha256": pieces.sha256(pieces.piece_path(self.work, index))}
        plan.write_json(pieces.manifest_path(self.work, index), manifest)

    def problem(self, index):
        return pieces.problem(self.work, self.record, index)

    def test_each_way_a_piece_goes_wrong_is_told_apart(self):
        self.assertEqual(self.problem(0), "is missing")
        with open(pieces.piece_path(self.work, 0), "wb") as f:
            f.write(b"half")
        self.assertIn("not finished", self.problem(0))
        self.finish(0)
        self.finish(1, b"other video")
        self.assertIsNone(self.problem(0))
        with open(pieces.piece_path(self.work, 0), "ab") as f:
            f.write(b"!")
        self.assertIn("is damaged", self.problem(0))
        self.finish(0)
        with open(pieces.piece_path(self.work, 0), "r+b") as f:
            f.write(b"V")  # same size, other bytes
        self.assertIn("checksum does not match", self.problem(0))
        # Another piece's video and checksum in its place.
        for ext in (".mp4", ".json"):
            with open(pieces.piece_path(self.work, 1)[:-4] + ext, "rb") as f:
                data = f.read()
            with open(pieces.piece_path(self.work, 0)[:-4] + ext, "wb") as f:
                f.write(data)
        self.assertIn("frames 10-19 of piece 1", self.problem(0))
        self.finish(0)
        with open(pieces.manifest_path(self.work, 0), "w") as f:
            f.write("{not json")
        self.assertIn("cannot be read", self.problem(0))
        self.finish(0)
        self.record["settings"] = dict(self.record["settings"], rate="30/1")
        self.assertIn("other settings", self.problem(0))


if __name__ == "__main__":
    unittest.main()
