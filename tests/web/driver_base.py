"""What the browser drivers share. Every driver: polling a page expression,
the viewport, a key press, closing at the end of a with-block. The Firefox
and WebKit drivers besides: the page's own record of console errors (the test
server puts a script in front of the page that keeps them, as these
protocols do not stream the console), W3C actions for the mouse and keys,
screenshots cut to a clip, and free ports."""

import json
import os
import socket
import sys
import tempfile
import time

import pictures

# The runners' shared package (tests/pyrun) lies beside this folder.
TESTS = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
if TESTS not in sys.path:
    sys.path.append(TESTS)

ESCAPE = "\ue00c"
# W3C WebDriver key values of the keys the tests press.
KEY_VALUES = {"Escape": ESCAPE, "Enter": "\ue007", " ": " ", "PageUp": "\ue00e",
              "PageDown": "\ue00f", "ArrowLeft": "\ue012", "ArrowRight": "\ue014"}


class BrowserCrashed(RuntimeError):
    """The browser itself went away under the page (a crash of its own), as
    opposed to a page that does not answer."""


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class PageDriver:
    """The interface the page tests use, as far as it is built on
    evaluate(page expression) and the driver's own key_down(key, code) and
    key_up(key, code), and close()."""

    engine = None
    can_set_density = False
    # What each browser of the test run lost under its pages, as crash_reason
    # said when it closed: cleared by the runner before each test.
    crashes = []

    def crash_reason(self):
        """Why the browser can no longer answer for the page, where its own
        processes went away; None while they run."""
        return None

    def note_crash(self):
        """Called by close() before it ends the browser."""
        try:
            reason = self.crash_reason()
        except OSError:
            reason = None
        if reason:
            PageDriver.crashes.append(reason)

    def wait_for(self, expression, timeout, step=0.1):
        """Polls a page expression until it is truthy; returns its value, or
        None after the timeout. Raises BrowserCrashed when the browser lost
        the page under it: waiting on would only run out the time."""
        deadline = time.time() + timeout
        guarded = "(() => { try { return (%s); } catch (e) { return null; } })()" % expression
        while time.time() < deadline:
            try:
                value = self.evaluate(guarded)
            except RuntimeError:
                value = None  # between two pages
                reason = self.crash_reason()
                if reason:
                    raise BrowserCrashed(reason)
            if value:
                return value
            time.sleep(step)
        return None

    def forget(self):
        """Forgets the errors kept so far and whatever a test set in the
        browser that a new browser would not have."""
        raise NotImplementedError

    def viewport(self):
        """[innerWidth, innerHeight, devicePixelRatio] of the page."""
        return json.loads(self.evaluate(
            "JSON.stringify([innerWidth, innerHeight, devicePixelRatio])"))

    def key(self, code, key):
        """Presses and lets go of a key (code: its Windows virtual-key code)."""
        self.key_down(key, code)
        self.key_up(key, code)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()


class WebDriverPage(PageDriver):
    """The rest for the drivers that speak W3C WebDriver's terms (Firefox over
    Marionette, WebKit): built on evaluate(), perform() (W3C actions), png()
    (a viewport screenshot), window_size() and resize_window(width, height)."""

    def fit_window(self, width, height, density=None):
        """Sizes the window so that the page's viewport is width x height CSS
        pixels (at that density, where one is given). Returns the viewport it
        got: a browser's own limits may keep it from the one asked for."""
        for _ in range(4):
            inner = self.viewport()
            if inner[0] == width and inner[1] == height and density in (None, inner[2]):
                return inner
            window_width, window_height = self.window_size()
            self.resize_window(window_width + width - inner[0], window_height + height - inner[1])
            time.sleep(0.3)
        return self.viewport()

    def forget(self):
        self.errors_before = []

    @property
    def errors(self):
        try:
            found = self.evaluate("window.__pageErrors ? window.__pageErrors.slice() : []")
        except RuntimeError:
            found = []
        return list(self.errors_before) + list(found or [])

    @property
    def console(self):
        return self.evaluate("window.__pageConsole ? window.__pageConsole.slice() : []") or []

    def click(self, x, y):
        self.perform([{"type": "pointer", "id": "mouse", "parameters": {"pointerType": "mouse"},
                       "actions": [{"type": "pointerMove", "x": int(round(x)),
                                    "y": int(round(y)), "origin": "viewport", "duration": 0},
                                   {"type": "pointerDown", "button": 0},
                                   {"type": "pointerUp", "button": 0}]}])

    # W3C actions name keys by their values: the virtual-key code is not used.
    def key_down(self, key, code=None):
        # Held until key_up: releasing the actions would let the key go.
        self.perform([{"type": "key", "id": "keyboard",
                       "actions": [{"type": "keyDown", "value": KEY_VALUES.get(key, key)}]}],
                     release=False)

    def key_up(self, key, code=None):
        self.perform([{"type": "key", "id": "keyboard",
                       "actions": [{"type": "keyUp", "value": KEY_VALUES.get(key, key)}]}])

    def screenshot(self, path, clip=None):
        data = self.png()
        if not clip:
            with open(path, "wb") as f:
                f.write(data)
            return
        fd, whole = tempfile.mkstemp(suffix=".png")
        os.close(fd)
        try:
            with open(whole, "wb") as f:
                f.write(data)
            width, height, rgb = pictures.read_png(whole)
        finally:
            os.remove(whole)
        x0, y0 = int(clip["x"]), int(clip["y"])
        w, h = int(clip["width"]), int(clip["height"])
        if x0 + w > width or y0 + h > height:
            raise RuntimeError("screenshot %dx%d is smaller than the clip %r" % (width, height, clip))
        rows = [rgb[((y0 + y) * width + x0) * 3:((y0 + y) * width + x0 + w) * 3] for y in range(h)]
        pictures.write_png(path, w, h, b"".join(rows))
