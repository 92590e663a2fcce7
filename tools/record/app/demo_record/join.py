"""The join: every piece checked, then demo-capture --join puts them one after
another without encoding them again and adds the soundtrack once."""
import os
import subprocess
import sys
import time

from . import attempts, feed, pieces
from .options import Refused


def failed_attempts(work, index):
    """"failed N attempts: see log/piece-I.N.log" when the piece was tried and
    its last attempt did not finish it, else None."""
    tried = attempts.numbers(work).get(index)
    if not tried:
        return None
    last = max(tried)
    if attempts.outcome(attempts.tail(work, index, last)) == "done":
        return None  # drawn, then lost
    return "failed %d attempt%s: see %s" % (len(tried), "" if len(tried) == 1 else "s",
                                           attempts.relative(work, index, last))


def check_all(record, streamed=()):
    """What is wrong with the pieces, one line a piece; empty when all are
    usable. The checksums of the pieces `streamed` are left to the join."""
    work = record["work"]
    problems, reference = [], None
    for i in range(len(record["ranges"])):
        wrong = pieces.problem(work, record, i, checksum=i not in streamed)
        if wrong is not None and wrong.startswith("is missing"):
            wrong = failed_attempts(work, i) or wrong
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


def renderers(record):
    """Names the pieces drawn by another GL renderer than the first piece's (on
    a mixed cluster their frames may differ); None when one drew them all."""
    work = record["work"]
    drawn = [(i, (pieces.read_manifest(work, i) or {}).get("renderer"))
             for i in range(len(record["ranges"]))]
    first = drawn[0][1]
    others = ["%s by %s" % (pieces.label(record, i), r) for i, r in drawn if r != first]
    if not others:
        return None
    return ("pieces drawn by another GL renderer than piece 0's (%s), whose frames may differ: %s"
            % (first, "; ".join(others)))


def quote(path):
    return "'" + path.replace("'", "'\\''") + "'"


def refuse_pieces(record, problems):
    raise Refused("cannot join %s: %s\n  %s" % (record["output"], "a piece is not usable"
                  if len(problems) == 1 else "%d pieces are not usable" % len(problems),
                  "\n  ".join(problems)), 1)


def join(record, quiet=False):
    """Joins the pieces into the record's output. Returns the seconds the join
    took; raises Refused naming every piece that cannot be used. Each piece is
    read once: its checksum is taken as it is copied (feed.py), and the video
    takes its name only when every checksum matched."""
    work = record["work"]
    count = len(record["ranges"])
    paths = [pieces.piece_path(work, i) for i in range(count)]
    streamed = [i for i in range(count) if feed.index_first(paths[i])]
    problems = check_all(record, streamed)
    if problems:
        refuse_pieces(record, problems)
    record["note"] = renderers(record)
    if record["note"] and not quiet:
        sys.stderr.write("demo-record: %s\n" % record["note"])
    feeder = feed.Feeder(work, [paths[i] for i in streamed])
    listing = os.path.join(work, "join.txt")
    with open(listing, "w") as f:
        f.write("ffconcat version 1.0\n")
        for i in range(count):
            f.write("file %s\n" % quote(feeder.pipes[streamed.index(i)] if i in streamed else paths[i]))
    folder, name = os.path.split(record["output"])
    unchecked = os.path.join(folder, ".%s-unchecked.mp4" % name[:-4])
    s = record["settings"]
    args = [record["capture"]] + record["capture_args"] + [
        "--frames", "%d-%d" % (s["first"], s["end"]), "--join", listing, "--quiet",
        "-o", unchecked]
    started = time.monotonic()
    try:
        done = subprocess.run(args, stdin=subprocess.DEVNULL)
    finally:
        sums = feeder.finish()
    seconds = time.monotonic() - started
    if done.returncode != 0:
        raise Refused("the join into %s failed (demo-capture --join ended with exit code %d)"
                      % (record["output"], done.returncode), 1)
    wrong = [i for k, i in enumerate(streamed)
             if sums[k] != (pieces.read_manifest(work, i) or {}).get("sha256")]
    if wrong:
        os.remove(unchecked)
        refuse_pieces(record, ["%s is damaged: its checksum, read as it was joined, does not match "
                               "the one written when it was finished" % pieces.label(record, i)
                               for i in wrong])
    os.replace(unchecked, record["output"])
    if not quiet:
        sys.stderr.write("demo-record: %d pieces joined into %s in %.1f s\n"
                         % (count, record["output"], seconds))
    if record.get("clean"):
        clean(record, quiet)
    return seconds


def clean(record, quiet):
    """Removes the pieces once the joined video holds every frame."""
    s = record["settings"]
    done = subprocess.run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                           "stream=nb_frames", "-of", "csv=p=0", record["output"]],
                          stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          text=True)
    found = done.stdout.strip()
    if done.returncode != 0 or found != str(s["end"] - s["first"]):
        raise Refused("the pieces are kept: %s holds %s frames, not %d"
                      % (record["output"], found or "no readable", s["end"] - s["first"]), 1)
    work = record["work"]
    for i in range(len(record["ranges"])):
        for path in (pieces.piece_path(work, i), pieces.manifest_path(work, i),
                     pieces.lock_path(work, i)):
            if os.path.exists(path):
                os.remove(path)
    if not quiet:
        sys.stderr.write("demo-record: the pieces in %s are removed (--clean)\n" % work)
