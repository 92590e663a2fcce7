"""Drawing one piece: demo-capture on the piece's frames, tried again when it
fails, then the checksum written beside it. Each attempt has a log of its own
(log/piece-I.N.log, N counted across resumes) and holds the piece's lock, and
the capture holds it too: however demo-record ends, no capture outlives it
unnoticed and no second one draws the same piece."""
import fcntl
import os
import shutil
import signal
import socket
import subprocess
import time

from . import attempts, identity, pieces

# A test hook, honoured for the tests of retries and only meant for them:
# DEMO_RECORD_TEST_FAIL="INDEX:TRIES" makes the first TRIES attempts at piece
# INDEX fail as a crashed capture would ("INDEX:all": every attempt), and
# several such pairs may be given, comma-separated.
TEST_FAIL = "DEMO_RECORD_TEST_FAIL"
# How long a run waits for a capture that an ended demo-record left drawing a
# piece (it was sent SIGTERM when its parent ended) before leaving the piece.
LOCK_WAIT = 60


def planted_failure(index, attempt):
    for item in os.environ.get(TEST_FAIL, "").split(","):
        name, _, tries = item.partition(":")
        if name.strip() == str(index):
            return tries == "all" or (tries.isdigit() and attempt <= int(tries))
    return False


def log(work, line):
    """One line in the work folder's log, written in one piece so that tasks
    writing at once do not mix their lines."""
    text = time.strftime("%Y-%m-%d %H:%M:%S ") + line + "\n"
    fd = os.open(os.path.join(work, "record.log"), os.O_WRONLY | os.O_CREAT | os.O_APPEND, 0o644)
    try:
        os.write(fd, text.encode())
    finally:
        os.close(fd)


def slurm_ids():
    """Where this piece runs, when Slurm runs it."""
    env = os.environ
    if "SLURM_JOB_ID" not in env:
        return {}
    return {"slurm_job": env.get("SLURM_ARRAY_JOB_ID", env.get("SLURM_JOB_ID")),
            "slurm_task": env.get("SLURM_ARRAY_TASK_ID"),
            "slurm_restarts": env.get("SLURM_RESTART_COUNT", "0")}


def where():
    ids = slurm_ids()
    host = socket.gethostname()
    if ids:
        return "Slurm job %s task %s on %s" % (ids["slurm_job"], ids["slurm_task"], host)
    return "on %s (pid %d)" % (host, os.getpid())


class Stopped(Exception):
    pass


def orphan_guard():
    """The words put before the capture so that it is sent SIGTERM when the
    thread that started it ends, however it ends (kill -9 included)."""
    setpriv = shutil.which("setpriv")
    return [setpriv, "--pdeathsig", "TERM", "--"] if setpriv else []


def take_lock(work, index, stop):
    """The piece's lock (an open descriptor), waiting while a capture left by an
    ended run still draws it; None when it does not end in time."""
    fd = os.open(pieces.lock_path(work, index), os.O_RDWR | os.O_CREAT, 0o644)
    deadline = time.monotonic() + LOCK_WAIT
    while True:
        try:
            fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
            return fd
        except OSError:
            if time.monotonic() > deadline or stop():
                os.close(fd)
                return None
            time.sleep(0.1)


def run_capture(record, index, stop, lock, log_fd):
    """Runs demo-capture for the piece; its exit code. `stop` is polled: when it
    is set, the capture is asked to stop (it then leaves no file). The capture
    inherits the piece's lock and writes its progress into the attempt's log."""
    first, end = record["ranges"][index]
    args = orphan_guard() + [record["capture"]] + record["capture_args"] + [
        "--frames", "%d-%d" % (first, end), "--no-audio",
        "-o", pieces.piece_path(record["work"], index)]
    proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=log_fd, stderr=log_fd,
                            pass_fds=(lock,), start_new_session=True)
    try:
        while True:
            try:
                return proc.wait(timeout=0.2)
            except subprocess.TimeoutExpired:
                if stop():
                    proc.send_signal(signal.SIGTERM)
                    proc.wait()
                    raise Stopped()
    except BaseException:
        if proc.poll() is None:
            proc.send_signal(signal.SIGTERM)
            proc.wait()
        raise


def attempt_once(record, index, attempt, stop, lock, log_fd):
    """One attempt: None when the piece is finished, else why it is not."""
    work = record["work"]
    started = time.monotonic()
    # What an earlier attempt left without a checksum is not a piece.
    for path in (pieces.manifest_path(work, index), pieces.piece_path(work, index)):
        if os.path.exists(path):
            os.remove(path)
    if planted_failure(index, attempt):
        return "failed (the test hook %s)" % TEST_FAIL
    rc = run_capture(record, index, stop, lock, log_fd)
    if rc != 0:
        return ("demo-capture ended with exit code %d" % rc if rc > 0 else
                "demo-capture was killed by signal %d" % -rc)
    extra = {"attempt": attempt, "host": socket.gethostname(),
             "seconds": round(time.monotonic() - started, 3)}
    extra.update(slurm_ids())
    extra.update(identity.of(record["capture"], record["settings"].get("data", "")))
    wrong = pieces.finish(work, record, index, extra)
    return None if wrong is None else "the video demo-capture wrote is not usable: " + wrong


def render_piece(record, index, stop=lambda: False):
    """Draws the piece unless it is finished already; True when it is finished
    after this, False after the last attempt failed (each failure logged)."""
    work = record["work"]
    name = pieces.label(record, index)
    lock = take_lock(work, index, stop)
    if lock is None:
        log(work, "%s: not drawn: another capture still draws it (its lock %s is held), %s"
            % (name, pieces.lock_path(work, index), where()))
        return False
    try:
        if pieces.problem(work, record, index) is None:
            return True
        tries = record["retries"] + 1
        for k in range(tries):
            attempt, log_fd = attempts.start(work, index, where())
            last = record.get("attempt_limit") or attempt + tries - 1 - k
            started = time.monotonic()
            try:
                why = attempt_once(record, index, attempt, stop, lock, log_fd)
            except BaseException:
                attempts.end(log_fd, "stopped")
                raise
            if why is None:
                attempts.end(log_fd, "done")
                log(work, "%s: done in %.1f s, attempt %d of %d, %s"
                    % (name, time.monotonic() - started, attempt, last, where()))
                return True
            attempts.end(log_fd, "failed: " + why)
            log(work, "%s: attempt %d of %d failed: %s, %s (log: %s)"
                % (name, attempt, last, why, where(), attempts.relative(work, index, attempt)))
        return False
    finally:
        os.close(lock)
