"""Drawing one piece: demo-capture on the piece's frames, tried again when it
fails, then the checksum written beside it."""
import os
import signal
import socket
import subprocess
import time

from . import pieces

# A test hook, honoured for the tests of retries and only meant for them:
# DEMO_RECORD_TEST_FAIL="INDEX:TRIES" makes the first TRIES attempts at piece
# INDEX fail as a crashed capture would ("INDEX:all": every attempt), and
# several such pairs may be given, comma-separated.
TEST_FAIL = "DEMO_RECORD_TEST_FAIL"


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


def run_capture(record, index, stop):
    """Runs demo-capture for the piece; its exit code. `stop` is polled: when it
    is set, the capture is asked to stop (it then leaves no file)."""
    first, end = record["ranges"][index]
    args = [record["capture"]] + record["capture_args"] + [
        "--frames", "%d-%d" % (first, end), "--no-audio", "--quiet",
        "-o", pieces.piece_path(record["work"], index)]
    proc = subprocess.Popen(args, stdin=subprocess.DEVNULL, start_new_session=True)
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


def render_piece(record, index, stop=lambda: False):
    """Draws the piece unless it is finished already; True when it is finished
    after this, False after the last attempt failed (each failure logged)."""
    work = record["work"]
    name = pieces.label(record, index)
    if pieces.problem(work, record, index, deep=False) is None:
        return True
    attempts = record["retries"] + 1
    for attempt in range(1, attempts + 1):
        started = time.monotonic()
        # What an earlier attempt left without a checksum is not a piece.
        for path in (pieces.manifest_path(work, index), pieces.piece_path(work, index)):
            if os.path.exists(path):
                os.remove(path)
        if planted_failure(index, attempt):
            rc, why = 1, "failed (the test hook %s)" % TEST_FAIL
        else:
            rc = run_capture(record, index, stop)
            why = "demo-capture ended with exit code %d" % rc if rc >= 0 else \
                "demo-capture was killed by signal %d" % -rc
        if rc == 0:
            extra = {"attempt": attempt, "host": socket.gethostname(),
                     "seconds": round(time.monotonic() - started, 3)}
            extra.update(slurm_ids())
            wrong = pieces.finish(work, record, index, extra)
            if wrong is None:
                log(work, "%s: done in %.1f s, attempt %d of %d, %s"
                    % (name, extra["seconds"], attempt, attempts, where()))
                return True
            why = "the video demo-capture wrote is not usable: " + wrong
        log(work, "%s: attempt %d of %d failed: %s, %s" % (name, attempt, attempts, why, where()))
    return False
