"""The attempts at each piece, one log file each: log/piece-I.N.log is
attempt N at piece I, numbered across resumes. The log holds demo-capture's
own words (its progress line too: the frames drawn so far) between a first
line saying where the attempt runs and a last line saying how it ended; a log
without that last line belongs to an attempt that runs, or that was killed."""
import os
import re
import time

NAME = re.compile(r"piece-(\d+)\.(\d+)\.log$")
ENDED = re.compile(rb"\ndemo-record: attempt ended: ([^\n]*)\n?$")
PROGRESS = re.compile(rb"frame (\d+)/(\d+)")


def path(work, index, attempt):
    return os.path.join(work, "log", "piece-%d.%d.log" % (index, attempt))


def relative(work, index, attempt):
    return os.path.relpath(path(work, index, attempt), work)


def start(work, index, where):
    """Claims the next attempt's number by creating its log; (number, descriptor)."""
    attempt = max(numbers(work).get(index, [0])) + 1
    while True:
        try:
            fd = os.open(path(work, index, attempt), os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o644)
            break
        except FileExistsError:
            attempt += 1
    os.write(fd, ("demo-record: attempt %d at piece %d, %s, started %s\n"
                  % (attempt, index, where, time.strftime("%Y-%m-%d %H:%M:%S"))).encode())
    return attempt, fd


def end(fd, outcome):
    try:
        os.write(fd, ("\ndemo-record: attempt ended: %s\n" % outcome).encode())
    finally:
        os.close(fd)


def numbers(work):
    """{piece: [attempt numbers]} of the logs in the work folder."""
    found = {}
    try:
        names = os.listdir(os.path.join(work, "log"))
    except OSError:
        return found
    for name in names:
        m = NAME.match(name)
        if m:
            found.setdefault(int(m.group(1)), []).append(int(m.group(2)))
    return found


def tail(work, index, attempt, size=4096):
    try:
        with open(path(work, index, attempt), "rb") as f:
            f.seek(0, os.SEEK_END)
            f.seek(max(0, f.tell() - size))
            return f.read()
    except OSError:
        return b""


def outcome(text):
    """How the attempt whose log ends with `text` ended; None while it runs."""
    m = ENDED.search(text)
    return m.group(1).decode(errors="replace") if m else None


def frames_drawn(text, first, end):
    """Frames of the piece drawn so far by its capture's progress line (which
    counts from the timeline's start: the replay before the piece is not drawn)."""
    found = PROGRESS.findall(text)
    if not found:
        return 0
    done = int(found[-1][0])
    return max(0, min(end - first, done - first))
