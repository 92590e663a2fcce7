"""How each task of the array ended, as Slurm tells it, and where a task that
must be tried again goes: a node a piece failed on is left for that piece
while the partition has another, and a node two pieces (or one, twice) failed
on is left for the rest of the recording. One node only: the retry stays."""
import subprocess

# Ends that cost an attempt and are submitted again while attempts are left:
# the piece's own failure, the time limit, pre-emption, a lost node, memory.
RETRIED = {"FAILED", "TIMEOUT", "PREEMPTED", "NODE_FAIL", "OUT_OF_MEMORY", "BOOT_FAIL",
           "DEADLINE"}
# A node left for good after this many failures on it.
LEFT_AFTER = 2


def fields(line):
    """scontrol's (or the jobcomp file's) KEY=VALUE words as a dict."""
    found = {}
    for word in line.split():
        key, sep, value = word.partition("=")
        if sep:
            found[key] = value
    return found


def task_ends(text, array):
    """{task index: (state, node)} for the tasks of array job `array` in the
    lines of `scontrol -o show job` or of the jobcomp file; a later line of a
    task (a requeued one ends again) replaces an earlier one."""
    ends = {}
    for line in text.splitlines():
        f = fields(line)
        if f.get("ArrayJobId") != array or not f.get("ArrayTaskId", "").isdigit():
            continue
        state = f.get("JobState", "")
        node = f.get("BatchHost") or f.get("NodeList") or ""
        ends[int(f["ArrayTaskId"])] = (state, "" if node == "(null)" else node)
    return ends


def ask(array):
    """task_ends() for a running or recently ended array job; {} when Slurm
    no longer knows it."""
    done = subprocess.run(["scontrol", "-o", "show", "job", array], stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    return task_ends(done.stdout, array) if done.returncode == 0 else {}


def partition_nodes(partition):
    """The node names of the partition (the default one when None); [] when
    sinfo cannot say."""
    args = ["sinfo", "-h", "-N", "-o", "%N"] + (["-p", partition] if partition else [])
    done = subprocess.run(args, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, text=True)
    if done.returncode != 0:
        return []
    return sorted({line.strip() for line in done.stdout.splitlines() if line.strip()})


def excluded(failed_here, failures, nodes):
    """The nodes a retry of a piece leaves: those the piece failed on
    (`failed_here`) and those that failed LEFT_AFTER times in the recording
    (`failures`: {node: count}), as long as one node of the partition (`nodes`)
    stays; else the nodes left for good, if one stays; else none (also when
    the partition's nodes are not known)."""
    bad = sorted(n for n, c in failures.items() if c >= LEFT_AFTER)
    for choice in (sorted(set(bad) | set(failed_here)), bad):
        if nodes and set(nodes) - set(choice):
            return [n for n in choice if n]
    return []
