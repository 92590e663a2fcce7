"""The join: every piece checked, then demo-capture --join puts them one after
another without encoding them again and adds the soundtrack once."""
import os
import subprocess
import sys
import time

from . import pieces
from .options import Refused


def check_all(record):
    """What is wrong with the pieces, one line a piece; empty when all are usable."""
    work = record["work"]
    problems, reference = [], None
    for i in range(len(record["ranges"])):
        wrong = pieces.problem(work, record, i)
        if wrong is None:
            sets = pieces.parameter_sets(work, i)
            if reference is None:
                reference = (i, sets)
            elif sets != reference[1]:
                wrong = ("was encoded with other settings than piece %d (its H.264 parameter sets "
                         "differ)" % reference[0])
        if wrong is not None:
            problems.append("%s %s" % (pieces.label(record, i), wrong))
    return problems


def quote(path):
    return "'" + path.replace("'", "'\\''") + "'"


def join(record, quiet=False):
    """Joins the pieces into the record's output. Returns the seconds the join
    took; raises Refused naming every piece that cannot be used."""
    work = record["work"]
    problems = check_all(record)
    if problems:
        raise Refused("cannot join %s: %s\n  %s" % (record["output"], "a piece is not usable"
                      if len(problems) == 1 else "%d pieces are not usable" % len(problems),
                      "\n  ".join(problems)), 1)
    listing = os.path.join(work, "join.txt")
    with open(listing, "w") as f:
        f.write("ffconcat version 1.0\n")
        for i in range(len(record["ranges"])):
            f.write("file %s\n" % quote(pieces.piece_path(work, i)))
    s = record["settings"]
    args = [record["capture"]] + record["capture_args"] + [
        "--frames", "%d-%d" % (s["first"], s["end"]), "--join", listing, "--quiet",
        "-o", record["output"]]
    started = time.monotonic()
    done = subprocess.run(args, stdin=subprocess.DEVNULL)
    seconds = time.monotonic() - started
    if done.returncode != 0:
        raise Refused("the join into %s failed (demo-capture --join ended with exit code %d)"
                      % (record["output"], done.returncode), 1)
    if not quiet:
        sys.stderr.write("demo-record: %d pieces joined into %s in %.1f s\n"
                         % (len(record["ranges"]), record["output"], seconds))
    return seconds
