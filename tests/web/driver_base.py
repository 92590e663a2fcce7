"""What the Firefox and WebKit drivers share: polling, the page's own record
of console errors (the test server puts a script in front of the page that
keeps them, as these protocols do not stream the console), screenshots cut to
a clip, and free ports."""

import json
import os
import socket
import tempfile
import time

import pictures

ESCAPE = "\ue00c"
# W3C WebDriver key values of the keys the tests press.
KEY_VALUES = {"Escape": ESCAPE, "Enter": "\ue007", " ": " "}


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class PageDriver:
    """The part of the interface of cdp.Browser built on evaluate(),
    perform() (W3C actions) and png() (a viewport screenshot)."""

    engine = None
    can_set_density = False

    def wait_for(self, expression, timeout, step=0.1):
        deadline = time.time() + timeout
        guarded = "(() => { try { return (%s); } catch (e) { return null; } })()" % expression
        while time.time() < deadline:
            try:
                value = self.evaluate(guarded)
            except RuntimeError:
                value = None  # between two pages
            if value:
                return value
            time.sleep(step)
        return None

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

    def key_down(self, key):
        self.perform([{"type": "key", "id": "keyboard",
                       "actions": [{"type": "keyDown", "value": KEY_VALUES.get(key, key)}]}])

    def key_up(self, key):
        self.perform([{"type": "key", "id": "keyboard",
                       "actions": [{"type": "keyUp", "value": KEY_VALUES.get(key, key)}]}])

    def key(self, code, key):
        self.key_down(key)
        self.key_up(key)

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

    def viewport(self):
        return json.loads(self.evaluate(
            "JSON.stringify([innerWidth, innerHeight, devicePixelRatio])"))

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
