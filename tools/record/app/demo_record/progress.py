"""The progress line: pieces finished out of all, frames a second, time left."""
import sys
import time


class Progress:
    def __init__(self, total_frames, pieces, frames_before, quiet):
        self.total = total_frames
        self.pieces = pieces
        self.before = frames_before   # frames already finished when this run started
        self.started = time.monotonic()
        self.quiet = quiet
        self.shown = False
        # On a terminal the line is redrawn in place; in a log, a line is
        # written when a piece finishes.
        self.terminal = sys.stderr.isatty()
        self.last = None

    def show(self, finished_pieces, finished_frames, note=""):
        if self.quiet:
            return
        elapsed = time.monotonic() - self.started
        new = finished_frames - self.before
        rate = new / elapsed if elapsed > 0 and new > 0 else 0.0
        left = (self.total - finished_frames) / rate if rate > 0 else None
        left_text = "%d:%02d left" % divmod(int(left), 60) if left is not None else "time left unknown"
        text = "pieces %d/%d finished  %.1f frames/s  %s  %s" % (
            finished_pieces, self.pieces, rate, left_text, note)
        if self.terminal:
            sys.stderr.write("\r" + text.rstrip() + "\x1b[K")
            self.shown = True
        elif (finished_pieces, note) != self.last:
            sys.stderr.write(text.rstrip() + "\n")
        self.last = (finished_pieces, note)
        sys.stderr.flush()

    def end(self):
        if self.shown:
            sys.stderr.write("\n")
            self.shown = False
