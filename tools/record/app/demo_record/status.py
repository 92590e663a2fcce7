"""Where a recording stands, read from its work folder alone: each piece
pending, running (where, frames so far), failed (why, its log) or done."""
import fcntl
import json
import os
import shutil
import subprocess

from . import attempts, pieces


def lock_held(work, index):
    """Whether a capture holds the piece's lock now."""
    try:
        fd = os.open(pieces.lock_path(work, index), os.O_RDONLY)
    except OSError:
        return False
    try:
        fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
        fcntl.flock(fd, fcntl.LOCK_UN)
        return False
    except OSError:
        return True
    finally:
        os.close(fd)


def where_from(text):
    """The place written on an attempt log's first line."""
    first = text.split(b"\n", 1)[0].decode(errors="replace")
    parts = first.split(", ")
    return parts[1] if len(parts) > 2 else "?"


def snapshot(record):
    """[{"index", "state", "frames", "where", "why", "log", "seconds"}] a piece."""
    work = record["work"]
    tried = attempts.numbers(work)
    found = []
    for i, (first, end) in enumerate(record["ranges"]):
        p = {"index": i, "state": "pending", "frames": 0, "where": "", "why": "", "log": "",
             "seconds": None}
        numbers = tried.get(i)
        if numbers:
            p["log"] = attempts.relative(work, i, max(numbers))
            p["attempts"] = len(numbers)
        if os.path.exists(pieces.manifest_path(work, i)):
            m = pieces.read_manifest(work, i) or {}
            p.update(state="done", frames=end - first, where=m.get("host", ""),
                     seconds=m.get("seconds"))
        elif numbers:
            text = attempts.tail(work, i, max(numbers))
            ended = attempts.outcome(text)
            with open(attempts.path(work, i, max(numbers)), "rb") as f:
                p["where"] = where_from(f.read(400))
            if ended is None and lock_held(work, i):
                p.update(state="running", frames=attempts.frames_drawn(text, first, end))
            elif ended is None:
                p.update(state="failed", why="its attempt ended without a word (killed)")
            elif ended.startswith("failed") or ended == "stopped":
                p.update(state="failed", why=ended)
        found.append(p)
    return found


def counts(snap):
    c = {"pending": 0, "running": 0, "failed": 0, "done": 0}
    for p in snap:
        c[p["state"]] += 1
    return c


def frames(snap):
    return sum(p["frames"] for p in snap)


def queue_lines(work):
    """What squeue says of the jobs submitted for the work folder, if asked."""
    try:
        with open(os.path.join(work, "slurm.json")) as f:
            jobs = json.load(f)
    except (OSError, ValueError):
        return []
    ids = [j for j in (jobs.get("array"), jobs.get("join")) if j]
    if not ids or shutil.which("squeue") is None:
        return ["Slurm jobs: %s (not asked: no squeue here)" % (", ".join(ids) or "none")]
    done = subprocess.run(["squeue", "-h", "-j", ",".join(ids), "-o", "%i %T %R"],
                          stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          text=True)
    if done.returncode != 0 and "Invalid job id" not in done.stderr:
        return ["Slurm jobs %s: squeue fails (%s)" % (", ".join(ids), done.stderr.strip())]
    listed = done.stdout.strip().splitlines()
    return ["Slurm jobs %s: %s" % (", ".join(ids), "; ".join(listed) if listed else "none queued")]


def report(record):
    """The text of demo-record --status."""
    snap = snapshot(record)
    c = counts(snap)
    s = record["settings"]
    total = s["end"] - s["first"]
    lines = ["%s: %d pieces: %d pending, %d running, %d failed, %d done; frames %d of %d"
             % (record["work"], len(snap), c["pending"], c["running"], c["failed"], c["done"],
                frames(snap), total)]
    for p in snap:
        name = pieces.label(record, p["index"])
        if p["state"] == "running":
            lines.append("  %s running %s: %d frames so far (log %s)"
                         % (name, p["where"], p["frames"], p["log"]))
        elif p["state"] == "failed":
            lines.append("  %s failed %s: %s (log %s)" % (name, p["where"], p["why"], p["log"]))
    drawn = [p for p in snap if p["seconds"] is not None]
    if drawn:
        hours = sum(p["seconds"] for p in drawn) / 3600
        cpus = record.get("cpus_per_task") or 1
        lines.append("drawing so far: %.2f hours a task took, added up (%.2f processor hours at "
                     "%d processor%s a task)" % (hours, hours * cpus, cpus, "" if cpus == 1 else "s"))
        slowest = sorted(drawn, key=lambda p: -p["seconds"])[:3]
        lines.append("slowest: " + ", ".join("%s %.1f s" % (pieces.label(record, p["index"]),
                                                          p["seconds"]) for p in slowest))
    lines += queue_lines(record["work"])
    return "\n".join(lines) + "\n"
