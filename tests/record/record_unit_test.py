"""demo-record's planning, checks and Slurm arguments, without drawing."""
import json
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools", "record", "app"))

from demo_record import options, pieces, plan, render, slurm  # noqa: E402
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
        self.assertIn("more than the 40 frames", refused(plan.check_pieces, 0, 40, (10, 1), 41))
        # Pieces under a second do not join cleanly: the most that do is named.
        text = refused(plan.check_pieces, 0, 40, (10, 1), 5)
        self.assertIn("8 frames, less than a second", text)
        self.assertIn("at most 4 pieces", text)
        self.assertIn("at most 3 pieces", refused(plan.check_pieces, 0, 100, (30000, 1001), 4))
        plan.check_pieces(0, 40, (10, 1), 4)
        plan.check_pieces(0, 5, (60, 1), 1)  # one piece joins as it is, however short

    def test_settings_record_every_option_that_changes_a_frame(self):
        s = plan.capture_settings(["--rate", "10", "--supersample", "2", "--lossless", "--data",
                                   "/d", "--frames", "0-9", "--warm-up", "--preset", "slow"])
        self.assertEqual((s["supersample"], s["preset"], s["data"]), ("2", "slow", "/d"))
        self.assertTrue(s["lossless"] and s["warm_up"])
        self.assertEqual(plan.capture_settings([])["msaa"], "0")

    def test_a_work_folder_of_another_recording_is_refused_by_what_differs(self):
        old = {"rate": "10/1", "size": "160x120", "supersample": "1", "first": 0, "end": 40,
               "pieces": 4}
        new = dict(old, size="320x240", supersample="2", end=50)
        diff = plan.differences(old, new)
        self.assertEqual(diff, ["--size 160x120 there, --size 320x240 here",
                                "--supersample 1 there, --supersample 2 here",
                                "frames 0-40 there, frames 0-50 here"])
        self.assertEqual(plan.differences(old, dict(old)), [])


class CommandLine(unittest.TestCase):
    def test_capture_options_pass_on_and_the_data_folder_becomes_absolute(self):
        o = options.parse(["--rate", "10", "--data", "rel/data", "--lossless", "--pieces", "4",
                           "--work", "w", "-o", "v.mp4"])
        self.assertEqual(o.capture_args[:2], ["--rate", "10"])
        self.assertEqual(o.capture_args[3], os.path.abspath("rel/data"))
        self.assertIn("--lossless", o.capture_args)
        self.assertEqual(o.work, os.path.abspath("w"))

    def test_refusals(self):
        base = ["--work", "w", "-o", "v.mp4"]
        cases = [
            (["--pieces", "0"] + base, "bad --pieces"),
            (["--pieces", "x"] + base, "bad --pieces"),
            (base, "--pieces N is needed"),
            (["--pieces", "2", "--work", "w"], "-o VIDEO.mp4 is needed"),
            (["--pieces", "2", "--work", "w", "-o", "v.mkv"], "must be an .mp4"),
            (["--pieces", "2", "--png"] + base, "--png would make PNG frames"),
            (["--pieces", "2", "--slurm", "--jobs", "2"] + base, "--jobs is for this machine"),
            (["--pieces", "2", "--resume"] + base, "--resume needs --slurm"),
            (["--pieces", "2", "--partition", "p"] + base, "--partition needs --slurm"),
            (["--pieces", "2", "--bogus"] + base, "unknown option: '--bogus'"),
            (["--pieces"], "--pieces needs a value"),
        ]
        for argv, words in cases:
            with self.subTest(argv=argv):
                self.assertIn(words, refused(options.parse, argv))


class Slurm(unittest.TestCase):
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


class PieceChecks(unittest.TestCase):
    """The checks a piece passes before it counts as finished, on files made
    here (ffprobe is not asked: deep=False)."""

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
        return pieces.problem(self.work, self.record, index, deep=False)

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
