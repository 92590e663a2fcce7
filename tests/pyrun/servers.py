"""The servers the Python tests start for themselves: an X server (Xvfb), a
PulseAudio server and Wine's server. Each is private (a display number of
its own, sockets in the test's own folder, a Wine prefix of its own) and is
ended by its own pid or prefix, never by name."""

import os
import shutil
import subprocess
import time

HERE = os.path.dirname(os.path.abspath(__file__))
PULSE_HELPER = os.path.join(HERE, "..", "support", "pulse_server.sh")


def stop_process(process, terminate=True):
    """Ends a child process: asks it to end (unless it was already told some
    other way), waits 10 s, then kills it."""
    if process.poll() is not None:
        return
    if terminate:
        process.terminate()
    try:
        process.wait(timeout=10)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()


class Xvfb:
    """An X server without a screen: Xvfb picks a free display itself
    (-displayfd) and listens on no TCP port. name is ":N". It never resets
    when its last client leaves (-noreset): a client connecting during a
    reset is refused."""

    def __init__(self, screen, limit=60):
        program = shutil.which("Xvfb")
        if not program:
            raise RuntimeError("Xvfb was not found (package xvfb)")
        read, write = os.pipe()
        self.process = subprocess.Popen(
            [program, "-displayfd", str(write), "-screen", "0", screen, "-noreset", "-nolisten", "tcp"],
            pass_fds=(write,), stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        os.close(write)
        number = b""
        deadline = time.monotonic() + limit
        with os.fdopen(read, "rb") as pipe:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                chunk = pipe.read(1)
                if not chunk:
                    break
                number += chunk
        if not number.strip():
            self.close()
            raise RuntimeError("Xvfb did not start")
        self.name = ":" + number.decode().strip()

    def env(self, extra=None, base=None):
        """An environment whose programs draw on this display."""
        environment = dict(os.environ if base is None else base, DISPLAY=self.name)
        environment.pop("WAYLAND_DISPLAY", None)
        environment.update(extra or {})
        return environment

    def running(self):
        return self.process.poll() is None

    def close(self):
        stop_process(self.process)


class PulseServer:
    """A PulseAudio server with one null sink, its socket and files in FOLDER
    (tests/support/pulse_server.sh). address is what PULSE_SERVER takes."""

    def __init__(self, folder, limit=120):
        self.folder = folder
        subprocess.run(["sh", "-c", '. "$0" && pulse_start "$1"', PULSE_HELPER, folder],
                       check=True, timeout=limit)
        self.address = "unix:" + os.path.join(folder, "native")

    def close(self):
        subprocess.run(["sh", "-c", '. "$0" && pulse_stop "$1"', PULSE_HELPER, self.folder],
                       timeout=60)


def wine_env(prefix, base=None):
    """The environment of a Wine program in PREFIX, a prefix of its own: no
    display, no sound server, no debug output, no Mono or Gecko install
    prompt. The caller adds DISPLAY and PULSE_SERVER."""
    env = dict(os.environ if base is None else base)
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "PULSE_SERVER", "SDL_VIDEODRIVER"):
        env.pop(name, None)
    env.update(WINEPREFIX=prefix, WINEARCH="win64", WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    return env


def wine_server_stop(prefix, limit=60):
    """Ends the Wine server of PREFIX (and every program it runs there)."""
    if os.path.isdir(prefix):
        subprocess.run(["wineserver", "-k"], env=wine_env(prefix), stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=limit)
