"""A recording in pieces on a Slurm cluster: an array job with one task a
piece, the join as a job after it, and the following of both until the video
is there. The work folder is the one place both sides see (a shared file
system): the tasks write their pieces, checksums and log lines there, the
follower reads them."""
import json
import os
import pwd
import shutil
import signal
import subprocess
import sys
import time

from . import attempts, nodes, pieces, status
from .join import join
from .local import hold_work_folder
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


def memory_for(settings):
    """Slurm's --mem for one task, in MB: the program and its data, the
    pictures drawn (supersampled: about 10 bytes a pixel), and the video's
    frames in the capture and in its encoder (about 52 bytes a pixel), about a
    third more than the capture and ffmpeg together were measured to take."""
    w, h = (int(v) for v in settings["size"].split("x"))
    k = int(settings.get("supersample", "1"))
    mb = 256 + (12 * w * h * k * k + 64 * w * h) / (1 << 20)
    return "%dM" % (-(-int(mb) // 64) * 64)


def write_script(work, name, mode, options):
    """The batch script, its sbatch options in #SBATCH lines (paths relative to
    the work folder, where it is submitted from): `cd WORK && sbatch log/NAME`
    submits it by hand. exec, so that scancel's SIGTERM reaches the program,
    which stops its capture and leaves no half-written file."""
    path = os.path.join(work, "log", name)
    me = os.path.abspath(sys.argv[0])
    lines = ["#!/bin/sh", "# Written by demo-record for the recording in %s;" % work,
             "# submitted from that folder (cd there, then sbatch log/%s)." % name]
    lines += ["#SBATCH " + o for o in options]
    lines.append("exec %s %s --work %s" % (shell_quote(me), mode, shell_quote(work)))
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")
    os.chmod(path, 0o755)
    return path


def sbatch(work, args):
    done = subprocess.run(["sbatch", "--parsable"] + args, cwd=work, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if done.returncode != 0:
        raise Refused("sbatch refused the job: %s" % done.stderr.strip(), 1)
    return done.stdout.strip().split(";")[0]


def squeue(args):
    """squeue's lines, [] when it knows none of the jobs asked for; a failing
    squeue is refused, never read as "nothing queued"."""
    done = subprocess.run(["squeue", "-h"] + args, stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    if done.returncode != 0:
        # A job that ended long ago is forgotten: asking for it is an error.
        if "Invalid job id" in done.stderr:
            return []
        raise Refused("cannot ask Slurm which jobs still run (squeue: %s)" % done.stderr.strip(), 1)
    return [line for line in done.stdout.splitlines() if line.strip()]


def queued(ids):
    """The ids among `ids` (array or plain job ids) that Slurm still lists as
    waiting or running."""
    return {line.split()[0] for line in squeue(["-j", ",".join(ids), "-o", "%F %T"])}


def earlier_jobs(work):
    """The submission written down for the work folder, or None."""
    if not os.path.exists(os.path.join(work, JOBS)):
        return None
    return read_jobs(work)


def still_queued(work, jobs):
    """Jobs of an earlier submission still queued or running: by their ids, and
    by the comment every job of it carries (a submission interrupted before
    sbatch answered has no id written down)."""
    ids = job_ids(jobs)
    found = queued(ids) if ids else set()
    if jobs.get("token") and (jobs.get("state") != "submitted" or not ids):
        user = pwd.getpwuid(os.getuid()).pw_name
        for line in squeue(["-u", user, "-o", "%F %k"]):
            job, _, comment = line.partition(" ")
            if comment.strip() == comment_of(jobs["token"]):
                found.add(job)
    return found


def comment_of(token):
    return "demo-record:" + token


def script_options(record, opts, token):
    """The #SBATCH lines of the array's script and the join's."""
    common = ["--comment=" + comment_of(token)]
    if opts.partition:
        common.append("--partition=" + opts.partition)
    if opts.time_limit:
        common.append("--time=" + opts.time_limit)
    if opts.sbatch_args:
        common.append(" ".join(shell_quote(a) if " " in a else a for a in opts.sbatch_args))
    task = ["--job-name=demo-record-pieces", "--output=log/slurm-%A_%a.out", "--requeue",
            "--mem=" + (opts.mem or memory_for(record["settings"]))]
    if opts.cpus_per_task:
        task.append("--cpus-per-task=%d" % opts.cpus_per_task)
    join = ["--job-name=demo-record-join", "--output=log/join-%j.out"]
    return task + common, join + common


def submit(record, opts):
    need("sbatch")
    need("squeue")
    work = record["work"]
    lock = hold_work_folder(work)
    earlier = earlier_jobs(work)
    if earlier is not None and not opts.dry_run:
        still = still_queued(work, earlier)
        if still:
            raise Refused("the jobs submitted for %s earlier (%s) are still queued or running: "
                          "follow them with demo-record --follow --work %s"
                          % (work, ", ".join(sorted(still)), work), 1)
        if not opts.resume:
            raise Refused("%s holds a submission already (jobs %s); --resume submits what is "
                          "not finished" % (work, ", ".join(
                              i for i in (earlier.get("array"), earlier.get("join")) if i)
                              or "not written down"), 1)
    todo = [i for i in range(len(record["ranges"])) if pieces.problem(work, record, i) is not None]
    token = "%x-%d" % (int(time.time() * 1000), os.getpid())
    task, join_options = script_options(record, opts, token)
    if todo:
        task.insert(0, "--array=" + array_list(todo))
    array_script = write_script(work, "pieces.sh", "--task", task)
    join_script = write_script(work, "join.sh", "--join-only", join_options)
    if opts.dry_run:
        for path in (array_script, join_script):
            with open(path) as f:
                sys.stdout.write("# %s\n%s\n" % (path, f.read()))
        sys.stdout.write("# the join goes after the pieces: sbatch --dependency=afterany:ARRAY_JOB_ID "
                         "log/join.sh\n")
        return 0
    result = os.path.join(work, JOIN_RESULT)
    if os.path.exists(result):
        os.remove(result)
    # What is about to be submitted is written down first: a kill between
    # sbatch's submitting and its answer leaves jobs a later run finds by
    # their comment. Ctrl-C, SIGTERM and SIGHUP wait until both jobs are in.
    stops = {signal.SIGINT, signal.SIGTERM, signal.SIGHUP}
    signal.pthread_sigmask(signal.SIG_BLOCK, stops)
    try:
        jobs = {"token": token, "state": "submitting", "array": None, "join": None, "pieces": todo,
                "partition": opts.partition, "attempts_before": {
                    str(i): len(attempts.numbers(work).get(i, [])) for i in todo},
                "submitted": time.time(), "frames_before": status.frames(status.snapshot(record))}
        write_json(os.path.join(work, JOBS), jobs)
        if todo:
            try:
                jobs["array"] = sbatch(work, [array_script])
            except Refused:
                os.remove(os.path.join(work, JOBS))  # nothing was submitted
                raise
            write_json(os.path.join(work, JOBS), jobs)
        after = ["--dependency=afterany:" + jobs["array"]] if jobs["array"] else []
        jobs["join"] = sbatch(work, after + [join_script])
        jobs["state"] = "submitted"
        write_json(os.path.join(work, JOBS), jobs)
    finally:
        try:
            signal.pthread_sigmask(signal.SIG_UNBLOCK, stops)
        except KeyboardInterrupt:
            if jobs.get("state") == "submitted":
                say("stopped following; " + how_to_follow(work, [jobs["array"] or "", jobs["join"]]))
            raise
    os.close(lock)
    if not opts.quiet:
        say("submitted %d piece%s as array job %s and the join as job %s"
            % (len(todo), "" if len(todo) == 1 else "s", jobs["array"], jobs["join"])
            if jobs["array"] else "every piece is finished; submitted the join as job %s" % jobs["join"])
    return follow(record, opts.quiet)


def read_jobs(work):
    try:
        with open(os.path.join(work, JOBS)) as f:
            return json.load(f)
    except (OSError, ValueError) as e:
        raise Refused("no jobs to follow for %s (%s)" % (work, e), 1)


def job_ids(jobs):
    """The array's, the join's and the tasks' submitted again."""
    return [i for i in [jobs.get("array"), jobs.get("join")] +
            [r["job"] for r in jobs.get("retries", [])] if i]


def how_to_follow(work, ids):
    return ("the jobs go on: follow them again with demo-record --follow --work %s (or cancel "
            "them: scancel %s)" % (work, " ".join(ids)))


def retry_failed_tasks(record, jobs):
    """Submits again each task that ended failed, killed at its time limit or
    pre-empted, while the piece has attempts left, leaving the nodes it failed
    on (nodes.excluded); the join is made to wait for the new tasks. True when
    something was submitted. What was read is written down, so that a later
    --follow counts no end twice."""
    handled = set(jobs.setdefault("handled", []))
    submitted = False
    for array in [jobs.get("array")] + [r["job"] for r in jobs.setdefault("retries", [])]:
        for index, (state, node) in sorted(nodes.ask(array).items()) if array else ():
            key = "%s_%d" % (array, index)
            if state in nodes.RETRIED and key not in handled:
                handled.add(key)
                jobs["handled"].append(key)
                submitted = retry_task(record, jobs, index, state, node) or submitted
    if len(handled) != len(jobs.get("written", [])):
        jobs["written"] = list(jobs["handled"])
        write_json(os.path.join(record["work"], JOBS), jobs)
    return submitted


def retry_task(record, jobs, index, state, node):
    """Counts the end of a task of the piece and submits its next attempt
    when one is left; True when it did."""
    work, failures = record["work"], jobs.setdefault("failures", {})
    if node:
        failures[node] = failures.get(node, 0) + 1
        jobs.setdefault("failed_on", {}).setdefault(str(index), []).append(node)
    ends = jobs.setdefault("ends", {})
    ends[str(index)] = ends.get(str(index), 0) + 1
    # A task that ended before its attempt began (the piece's lock held
    # elsewhere) counts too: retries stay bounded.
    used = len(attempts.numbers(work).get(index, []))
    tried = max(used - attempts_before(jobs, index), ends[str(index)])
    if tried >= record["retries"] + 1 or pieces.problem(work, record, index) is None:
        return False
    if "nodes" not in jobs:
        jobs["nodes"] = nodes.partition_nodes(jobs.get("partition"))
    leave = nodes.excluded(jobs.get("failed_on", {}).get(str(index), []), failures, jobs["nodes"])
    args = ["--array=%d" % index] + (["--exclude=" + ",".join(leave)] if leave else [])
    job = sbatch(work, args + [os.path.join("log", "pieces.sh")])
    jobs["retries"].append({"piece": index, "job": job, "after": state, "exclude": leave})
    say("%s %s%s: attempt %d submitted as job %s%s"
        % (pieces.label(record, index), state.lower().replace("_", " "),
           " on " + node if node else "", used + 1, job,
           ", leaving " + ",".join(leave) if leave else ""))
    return True


def wait_join_for_retries(record, jobs, join_listed):
    """Makes the join wait for the tasks submitted again: its dependency is
    set while it waits, else (it ran already) a new join is submitted."""
    work = record["work"]
    # Only jobs Slurm still knows: one that ended long ago is forgotten, and
    # naming it would be refused.
    live = queued([jobs["array"]] + [r["job"] for r in jobs.get("retries", [])])
    after = ":".join(i for i in [jobs["array"]] + [r["job"] for r in jobs["retries"]] if i in live)
    if join_listed:
        if not after:
            return  # the retries ended already; the join runs after them
        done = subprocess.run(["scontrol", "update", "JobId=" + jobs["join"],
                               "Dependency=afterany:" + after], stdin=subprocess.DEVNULL,
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        if done.returncode == 0:
            return
    result = os.path.join(work, JOIN_RESULT)
    if os.path.exists(result):
        os.remove(result)
    jobs["join"] = sbatch(work, (["--dependency=afterany:" + after] if after else []) +
                          [os.path.join("log", "join.sh")])
    write_json(os.path.join(work, JOBS), jobs)


def follow(record, quiet):
    need("squeue")
    work = record["work"]
    jobs = read_jobs(work)
    if jobs.get("state") != "submitted" or not jobs.get("join"):
        raise Refused("the submission for %s was interrupted before Slurm answered: see squeue "
                      "for jobs with the comment %s, cancel them, and submit again with --resume"
                      % (work, comment_of(jobs.get("token", "?"))), 1)
    ids = job_ids(jobs)
    progress = Progress(record, quiet, jobs.get("submitted"), jobs.get("frames_before"))
    try:
        while True:
            try:
                listed = queued(ids)
            except Refused as e:
                # squeue tries the controller for some 18 s before it fails:
                # a cluster gone is not waited for any longer.
                progress.end()
                raise Refused("%s; %s" % (e, how_to_follow(work, ids)), 1)
            if jobs.get("array") and retry_failed_tasks(record, jobs):
                wait_join_for_retries(record, jobs, jobs["join"] in queued([jobs["join"]]))
                ids = job_ids(jobs)
                continue
            if jobs["join"] not in listed:
                break
            progress.show("" if set(ids) - {jobs["join"]} & listed else "(joining)")
            time.sleep(1)
    except KeyboardInterrupt:
        progress.end()
        say("stopped following; " + how_to_follow(work, ids))
        return 130
    progress.show()
    progress.end()
    return join_outcome(record, jobs)


def join_outcome(record, jobs):
    work = record["work"]
    try:
        with open(os.path.join(work, JOIN_RESULT)) as f:
            result = json.load(f)
    except (OSError, ValueError):
        raise Refused("the join job %s ended without finishing (see %s)"
                      % (jobs["join"], os.path.join(work, "log", "join-%s.out" % jobs["join"])), 1)
    if not result.get("ok"):
        raise Refused("%s\nWhat is not finished is submitted again by the same command with "
                      "--resume." % result.get("message", "the join failed"), 1)
    if result.get("note"):
        say(result["note"])
    say("%d pieces joined into %s (the join took %.1f s)"
        % (len(record["ranges"]), record["output"], result.get("seconds", 0)))
    return 0


def run_task(record):
    """One array task: the piece its SLURM_ARRAY_TASK_ID names."""
    text = os.environ.get("SLURM_ARRAY_TASK_ID", "")
    if not text.isdigit() or int(text) >= len(record["ranges"]):
        raise Refused("--task runs under Slurm as a task of the array job (SLURM_ARRAY_TASK_ID "
                      "is %r)" % text, 2)
    # One attempt a task: the follower submits the next one, elsewhere when
    # the partition has another node (retry_failed_tasks).
    index = int(text)
    limit = attempts_before(read_jobs(record["work"]), index) + record["retries"] + 1
    return 0 if render_piece(dict(record, retries=0, attempt_limit=limit), index) else 1


def attempts_before(jobs, index):
    """The attempts at the piece made before this submission (resumes)."""
    return jobs.get("attempts_before", {}).get(str(index), 0)


def run_join(record):
    path = os.path.join(record["work"], JOIN_RESULT)
    try:
        seconds = join(record, quiet=True)
    except Refused as e:
        write_json(path, {"ok": False, "message": str(e)})
        raise
    write_json(path, {"ok": True, "seconds": round(seconds, 3), "note": record.get("note"),
                      "job": os.environ.get("SLURM_JOB_ID")})
    return 0
