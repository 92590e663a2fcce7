"""One Xvfb display for the browsers that need a display for WebGL (Firefox,
WebKit), started on first use and shared by every browser of the run."""

import atexit

import driver_base  # noqa: F401 (puts tests/ on the path)
from pyrun.servers import Xvfb

# Large enough for a phone's viewport at density 3 (1170x2532 device pixels)
# in a window with its toolbars.
SCREEN = "2800x2800x24"

_display = None


def shared():
    global _display
    if _display is None or not _display.running():
        _display = Xvfb(SCREEN)
        atexit.register(_display.close)
    return _display
