"""The progress line: pieces pending, running, failed and done, the frames
drawn (those of running pieces too), frames a second and the time left."""
import sys
import time

from . import status


class Progress:
    def __init__(self, record, quiet, since=None, frames_before=None):
        """since/frames_before: when the recording (or its submission) started
        and the frames finished then, so that the rate holds across --follow."""
        s = record["settings"]
        self.record = record
        self.total = s["end"] - s["first"]
        self.started = since if since is not None else time.time()
        self.before = (frames_before if frames_before is not None
                       else status.frames(status.snapshot(record)))
        self.quiet = quiet
        self.shown = False
        # On a terminal the line is redrawn in place; in a log, a line is
        # written when the pieces' states change.
        self.terminal = sys.stderr.isatty()
        self.last = None

    def show(self, note=""):
        if self.quiet:
            return
        snap = status.snapshot(self.record)
        c = status.counts(snap)
        drawn = status.frames(snap)
        elapsed = time.time() - self.started
        new = drawn - self.before
        rate = new / elapsed if elapsed > 0 and new > 0 else 0.0
        left = (self.total - drawn) / rate if rate > 0 else None
        left_text = "%d:%02d left" % divmod(int(left), 60) if left is not None else "time left unknown"
        text = ("pieces %d pending, %d running, %d failed, %d done; frames %d/%d  %.1f frames/s  %s  %s"
                % (c["pending"], c["running"], c["failed"], c["done"], drawn, self.total, rate,
                   left_text, note))
        key = (c["pending"], c["running"], c["failed"], c["done"], note)
        if self.terminal:
            sys.stderr.write("\r" + text.rstrip() + "\x1b[K")
            self.shown = True
        elif key != self.last:
            sys.stderr.write(text.rstrip() + "\n")
        self.last = key
        sys.stderr.flush()

    def end(self):
        if self.shown:
            sys.stderr.write("\n")
            self.shown = False
