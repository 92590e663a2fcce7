"""A recording in pieces on this machine: the pieces not yet finished drawn K at
a time, then the join."""
import fcntl
import os
import shutil
import sys
import threading
import time
from concurrent.futures import ThreadPoolExecutor

from . import pieces
from .join import failed_attempts, join
from .options import Refused
from .progress import Progress
from .render import Stopped, render_piece


def say(line):
    sys.stderr.write("demo-record: %s\n" % line)


def missing_pieces(record, quiet):
    """The pieces to draw; a damaged one is named before it is drawn again."""
    todo = []
    for i in range(len(record["ranges"])):
        wrong = pieces.problem(record["work"], record, i)
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


def slurm_jobs_gone(work):
    """A recording here and one on Slurm never draw into one work folder at once."""
    from . import slurm
    if not os.path.exists(os.path.join(work, slurm.JOBS)):
        return
    ids = slurm.earlier_jobs(work)
    if ids is None:
        return
    if shutil.which("squeue") is None:
        raise Refused("%s was submitted to Slurm (%s) and Slurm cannot be asked here (no squeue): "
                      "draw it on the cluster, or remove %s to draw it here"
                      % (work, slurm.JOBS, os.path.join(work, slurm.JOBS)), 1)
    still = slurm.still_queued(work, ids)
    if still:
        raise Refused("jobs submitted to Slurm for %s (%s) are still queued or running: follow "
                      "them (demo-record --follow --work %s) or cancel them before drawing here"
                      % (work, ", ".join(sorted(still)), work), 1)


def run_local(record, jobs, quiet):
    work = record["work"]
    hold_work_folder(work)
    slurm_jobs_gone(work)
    todo = missing_pieces(record, quiet)
    count = len(record["ranges"])
    if not quiet and len(todo) < count:
        say("%d of %d pieces are finished already" % (count - len(todo), count))
    progress = Progress(record, quiet)
    stopping = threading.Event()
    failed = []
    with ThreadPoolExecutor(max_workers=jobs) as pool:
        futures = {pool.submit(render_piece, record, i, stopping.is_set): i for i in todo}
        try:
            while not all(f.done() for f in futures):
                progress.show()
                time.sleep(0.5)
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
    progress.show()
    progress.end()
    if failed:
        raise Refused("%s; the same command tries again" % "; ".join(
            "%s %s" % (pieces.label(record, i), failed_attempts(work, i) or "was not drawn (see "
                       "record.log)") for i in failed), 1)
    join(record, quiet)
    return 0
