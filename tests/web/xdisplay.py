"""One Xvfb display for the browsers that need a display for WebGL (Firefox,
WebKit), started on first use and shared by every browser of the run."""

import atexit
import os
import shutil
import subprocess
import time

from processes import stop_process

# Large enough for a phone's viewport at density 3 (1170x2532 device pixels)
# in a window with its toolbars.
SCREEN = "2800x2800x24"

_display = None


class Display:
    def __init__(self, timeout=60):
        xvfb = shutil.which("Xvfb")
        if not xvfb:
            raise RuntimeError("Xvfb was not found (package xvfb)")
        read, write = os.pipe()
        # -displayfd: Xvfb picks a free display and writes its number.
        self.process = subprocess.Popen(
            [xvfb, "-displayfd", str(write), "-screen", "0", SCREEN, "-nolisten", "tcp"],
            pass_fds=(write,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        deadline = time.time() + timeout
        with os.fdopen(read, "rb") as pipe:
            while not number.endswith(b"\n") and time.time() < deadline:
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.close()
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number.decode().strip()

    def env(self, extra=None):
        env = dict(os.environ, DISPLAY=self.name)
        env.pop("WAYLAND_DISPLAY", None)
        env.update(extra or {})
        return env

    def close(self):
        stop_process(self.process)


def shared():
    global _display
    if _display is None or _display.process.poll() is not None:
        _display = Display()
        atexit.register(_display.close)
    return _display
