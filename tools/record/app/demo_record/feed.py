"""The join's one read of each piece: every piece goes to the join through a
named pipe of its own, its checksum taken on the way, so that checking a
piece and copying it are the same read. This needs an MP4 whose index comes
before its data (demo-capture writes its pieces so): the join then reads it
front to back."""
import errno
import fcntl
import hashlib
import os
import threading
import time


def index_first(path):
    """Whether the MP4's index (moov) comes before its data (mdat)."""
    try:
        with open(path, "rb") as f:
            while True:
                head = f.read(8)
                if len(head) < 8:
                    return False
                size, kind, header = int.from_bytes(head[:4], "big"), head[4:8], 8
                if size == 1:
                    size, header = int.from_bytes(f.read(8), "big"), 16
                if kind == b"moov":
                    return True
                if kind == b"mdat" or size < header:
                    return False
                f.seek(size - header, os.SEEK_CUR)
    except OSError:
        return False


class Feeder:
    """Writes each piece into its pipe, in order, while the join reads them."""

    def __init__(self, work, paths):
        self.paths = paths
        self.pipes = [os.path.join(work, "join-pipe-%d" % i) for i in range(len(paths))]
        for pipe in self.pipes:
            if os.path.lexists(pipe):
                os.remove(pipe)
            os.mkfifo(pipe, 0o600)
        self.sums = [None] * len(paths)
        self.stopping = False
        self.thread = threading.Thread(target=self.run, daemon=True)
        self.thread.start()

    def writer(self, pipe):
        """The pipe opened for writing once the join opens it for reading;
        None when the join ended first."""
        while not self.stopping:
            try:
                fd = os.open(pipe, os.O_WRONLY | os.O_NONBLOCK)
            except OSError as e:
                if e.errno != errno.ENXIO:  # no reader yet
                    raise
                time.sleep(0.005)
                continue
            fcntl.fcntl(fd, fcntl.F_SETFL, fcntl.fcntl(fd, fcntl.F_GETFL) & ~os.O_NONBLOCK)
            return fd
        return None

    def run(self):
        for i, (path, pipe) in enumerate(zip(self.paths, self.pipes)):
            fd = self.writer(pipe)
            if fd is None:
                return
            h = hashlib.sha256()
            try:
                with open(path, "rb") as f:
                    for block in iter(lambda: f.read(1 << 20), b""):
                        h.update(block)
                        view = memoryview(block)
                        while fd is not None and view:
                            try:
                                view = view[os.write(fd, view):]
                            except BrokenPipeError:
                                # The join stopped reading: the rest is read
                                # for the checksum alone.
                                os.close(fd)
                                fd = None
            except OSError:
                h = None
            if fd is not None:
                os.close(fd)
            self.sums[i] = h.hexdigest() if h else None

    def finish(self):
        """The checksums of the pieces written ([None] for one never read)."""
        self.stopping = True
        self.thread.join()
        for pipe in self.pipes:
            if os.path.lexists(pipe):
                os.remove(pipe)
        return self.sums
