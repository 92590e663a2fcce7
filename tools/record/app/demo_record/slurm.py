"""A recording in pieces on a Slurm cluster: an array job with one task a
piece, the join as a job after it, and the following of both until the video
is there. The work folder is the one place both sides see (a shared file
system): the tasks write their pieces, checksums and log lines there, the
follower reads them."""
import json
import os
import shutil
import subprocess
import sys
import time

from . import pieces
from .join import join
from .options import Refused
from .plan import write_json
from .progress import Progress
from .render import render_piece

JOBS = "slurm.json"
JOIN_RESULT = "join.json"


def say(line):
    sys.stderr.write("demo-record: %s\n" % line)


def need(program):
    if shutil.which(program) is None:
        raise Refused("%s was not found: --slurm needs Slurm's client programs on PATH (Debian's "
                      "slurm-client) and the cluster's configuration (SLURM_CONF)" % program, 1)


def array_list(indices):
    """0,1,2,5 -> "0-2,5": sbatch's --array."""
    parts, start = [], None
    for k, i in enumerate(indices):
        if start is None:
            start = i
        if k + 1 == len(indices) or indices[k + 1] != i + 1:
            parts.append(str(start) if start == i else "%d-%d" % (start, i))
            start = None
    return ",".join(parts)


def shell_quote(text):
    return "'" + text.replace("'", "'\\''") + "'"


def write_script(work, name, mode):
    """The batch script: exec, so that scancel's SIGTERM reaches the program,
    which stops its capture and leaves no half-written file."""
    path = os.path.join(work, "log", name)
    me = os.path.abspath(sys.argv[0])
    with open(path, "w") as f:
        f.write("#!/bin/sh\n# Written by demo-record for the recording in %s.\n" % work)
        f.write("exec %s %s --work %s\n" % (shell_quote(me), mode, shell_quote(work)))
    os.chmod(path, 0o755)
    return path


def sbatch(args):
    done = subprocess.run(["sbatch", "--parsable"] + args, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if done.returncode != 0:
        raise Refused("sbatch refused the job: %s" % done.stderr.strip(), 1)
    return done.stdout.strip().split(";")[0]


def queued(ids):
    """The ids among `ids` (array or plain job ids) that Slurm still lists as
    waiting or running; None when Slurm cannot be asked."""
    done = subprocess.run(["squeue", "-h", "-j", ",".join(ids), "-o", "%F %T"],
                          stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          text=True)
    if done.returncode != 0:
        # A job that ended long ago is forgotten: asking for it is an error.
        return set() if "Invalid job id" in done.stderr else None
    return {line.split()[0] for line in done.stdout.splitlines() if line.strip()}


def submit(record, opts):
    need("sbatch")
    need("squeue")
    work = record["work"]
    jobs_path = os.path.join(work, JOBS)
    if os.path.exists(jobs_path):
        earlier = read_jobs(work)
        ids = [earlier["array"], earlier["join"]] if earlier.get("array") else [earlier["join"]]
        still = queued(ids)
        if still:
            raise Refused("the jobs submitted for %s earlier (%s) are still queued or running: "
                          "follow them with demo-record --follow --work %s"
                          % (work, ", ".join(sorted(still)), work), 1)
        if not opts.resume:
            raise Refused("%s holds a submission already (jobs %s); --resume submits what is "
                          "not finished" % (work, ", ".join(i for i in ids if i)), 1)
    todo = [i for i in range(len(record["ranges"]))
            if pieces.problem(work, record, i, deep=False) is not None]
    common = []
    if opts.partition:
        common += ["--partition", opts.partition]
    if opts.time_limit:
        common += ["--time", opts.time_limit]
    common += opts.sbatch_args
    result = os.path.join(work, JOIN_RESULT)
    if os.path.exists(result):
        os.remove(result)
    array = None
    if todo:
        script = write_script(work, "piece.sh", "--task")
        extra = ["--cpus-per-task", str(opts.cpus_per_task)] if opts.cpus_per_task else []
        array = sbatch(["--array", array_list(todo), "--job-name", "demo-record-pieces",
                        "--output", os.path.join(work, "log", "piece-%a.log")] + extra + common +
                       [script])
    script = write_script(work, "join.sh", "--join-only")
    after = ["--dependency", "afterany:" + array] if array else []
    join_id = sbatch(after + ["--job-name", "demo-record-join",
                              "--output", os.path.join(work, "log", "join.log")] + common + [script])
    write_json(os.path.join(work, JOBS), {"array": array, "join": join_id, "pieces": todo,
                                          "submitted": time.time()})
    if not opts.quiet:
        say("submitted %d piece%s as array job %s and the join as job %s"
            % (len(todo), "" if len(todo) == 1 else "s", array, join_id) if array else
            "every piece is finished; submitted the join as job %s" % join_id)
    return follow(record, opts.quiet)


def read_jobs(work):
    try:
        with open(os.path.join(work, JOBS)) as f:
            return json.load(f)
    except (OSError, ValueError) as e:
        raise Refused("no jobs to follow for %s (%s)" % (work, e), 1)


def how_to_follow(work, ids):
    return ("the jobs go on: follow them again with demo-record --follow --work %s (or cancel "
            "them: scancel %s)" % (work, " ".join(ids)))


def follow(record, quiet):
    need("squeue")
    work = record["work"]
    jobs = read_jobs(work)
    ids = [i for i in (jobs.get("array"), jobs["join"]) if i]
    s = record["settings"]
    progress = Progress(s["end"] - s["first"], len(record["ranges"]),
                        pieces.finished_frames(work, record), quiet)
    unreachable_since = None
    try:
        while True:
            listed = queued(ids)
            if listed is None:
                unreachable_since = unreachable_since or time.monotonic()
                if time.monotonic() - unreachable_since > 60:
                    progress.end()
                    raise Refused("Slurm does not answer (squeue fails); " + how_to_follow(work, ids), 1)
            else:
                unreachable_since = None
                if jobs["join"] not in listed:
                    break
            progress.show(pieces.finished_count(work, record), pieces.finished_frames(work, record),
                          "(joining)" if listed is not None and jobs.get("array") not in listed else "")
            time.sleep(1)
    except KeyboardInterrupt:
        progress.end()
        say("stopped following; " + how_to_follow(work, ids))
        return 130
    progress.show(pieces.finished_count(work, record), pieces.finished_frames(work, record))
    progress.end()
    return join_outcome(record, jobs)


def join_outcome(record, jobs):
    work = record["work"]
    try:
        with open(os.path.join(work, JOIN_RESULT)) as f:
            result = json.load(f)
    except (OSError, ValueError):
        raise Refused("the join job %s ended without finishing (see %s)"
                      % (jobs["join"], os.path.join(work, "log", "join.log")), 1)
    if not result.get("ok"):
        raise Refused("%s\nWhat is not finished is submitted again by the same command with "
                      "--resume." % result.get("message", "the join failed"), 1)
    say("%d pieces joined into %s (the join took %.1f s)"
        % (len(record["ranges"]), record["output"], result.get("seconds", 0)))
    return 0


def run_task(record):
    """One array task: the piece its SLURM_ARRAY_TASK_ID names."""
    text = os.environ.get("SLURM_ARRAY_TASK_ID", "")
    if not text.isdigit() or int(text) >= len(record["ranges"]):
        raise Refused("--task runs under Slurm as a task of the array job (SLURM_ARRAY_TASK_ID "
                      "is %r)" % text, 2)
    return 0 if render_piece(record, int(text)) else 1


def run_join(record):
    path = os.path.join(record["work"], JOIN_RESULT)
    try:
        seconds = join(record, quiet=True)
    except Refused as e:
        write_json(path, {"ok": False, "message": str(e)})
        raise
    write_json(path, {"ok": True, "seconds": round(seconds, 3),
                      "job": os.environ.get("SLURM_JOB_ID")})
    return 0
