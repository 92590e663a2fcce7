"""A recording in pieces on this machine: the pieces not yet finished drawn K at
a time, then the join."""
import fcntl
import os
import sys
import threading
import time
from concurrent.futures import ThreadPoolExecutor

from . import pieces
from .join import join
from .options import Refused
from .progress import Progress
from .render import Stopped, render_piece


def say(line):
    sys.stderr.write("demo-record: %s\n" % line)


def missing_pieces(record, quiet):
    """The pieces to draw; a damaged one is named before it is drawn again."""
    todo = []
    for i in range(len(record["ranges"])):
        wrong = pieces.problem(record["work"], record, i, deep=False)
        if wrong is None:
            continue
        if wrong != "is missing" and not quiet:
            say("%s %s: drawing it again" % (pieces.label(record, i), wrong))
        todo.append(i)
    return todo


def hold_work_folder(work):
    """The folder's lock, held until this process ends: two recordings drawing
    the same pieces at once would only waste each other's time."""
    fd = os.open(os.path.join(work, "record.lock"), os.O_RDWR | os.O_CREAT, 0o644)
    try:
        fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        os.close(fd)
        raise Refused("another demo-record is drawing the pieces in %s now" % work, 1)
    return fd


def run_local(record, jobs, quiet):
    work = record["work"]
    hold_work_folder(work)
    todo = missing_pieces(record, quiet)
    count = len(record["ranges"])
    if not quiet and len(todo) < count:
        say("%d of %d pieces are finished already" % (count - len(todo), count))
    s = record["settings"]
    progress = Progress(s["end"] - s["first"], count, pieces.finished_frames(work, record), quiet)
    stopping = threading.Event()
    failed = []
    with ThreadPoolExecutor(max_workers=jobs) as pool:
        futures = {pool.submit(render_piece, record, i, stopping.is_set): i for i in todo}
        try:
            while not all(f.done() for f in futures):
                progress.show(pieces.finished_count(work, record), pieces.finished_frames(work, record))
                time.sleep(0.25)
        except KeyboardInterrupt:
            stopping.set()
            for f in futures:
                f.cancel()
            pool.shutdown(wait=True)
            progress.end()
            say("stopped; the finished pieces are kept in %s: the same command resumes" % work)
            return 130
        for f, i in futures.items():
            try:
                if not f.result():
                    failed.append(i)
            except Stopped:
                failed.append(i)
    progress.show(pieces.finished_count(work, record), pieces.finished_frames(work, record))
    progress.end()
    if failed:
        raise Refused("%s failed every attempt (see %s/record.log); the same command tries again"
                      % (", ".join(pieces.label(record, i) for i in failed), work), 1)
    join(record, quiet)
    return 0
