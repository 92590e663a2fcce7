"""WebKitGTK driven by WebKitWebDriver (W3C WebDriver over HTTP), which starts
MiniBrowser under the shared Xvfb, with the Python standard library only.

The density cannot be set per page here: it is GTK's whole-number GDK_SCALE of
the browser process, so a browser is started for each density."""

import base64
import json
import os
import shutil
import subprocess
import time
import urllib.error
import urllib.request

import driver_base
import xdisplay
from pyrun.servers import stop_process

MINIBROWSER = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
# /proc's command names are cut at 15 characters.
PAGE_PROCESS = "WebKitWebProces"


def descendants(pid):
    """The command names of a process's running children, grandchildren and
    so on, from /proc."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                stat = f.read()
        except OSError:
            continue  # ended meanwhile
        name, rest = stat[stat.index("(") + 1:].rsplit(")", 1)
        state, parent = rest.split()[:2]
        if state != "Z":  # ended, not yet waited for
            children.setdefault(int(parent), []).append((int(entry), name))
    found, todo = [], [pid]
    while todo:
        for child, name in children.get(todo.pop(), []):
            found.append(name)
            todo.append(child)
    return found


class Browser(driver_base.WebDriverPage):
    engine = "webkit"
    can_set_density = False

    def __init__(self, width=640, height=480, timeout=90, density=1):
        driver = shutil.which("WebKitWebDriver")
        if not driver:
            raise RuntimeError("WebKitWebDriver was not found (package webkit2gtk-driver)")
        self.timeout = timeout
        self.errors_before = []
        self.session = None
        self.density = int(density)
        port = driver_base.free_port()
        self.base = "http://127.0.0.1:%d" % port
        self.process = subprocess.Popen(
            [driver, "--port=%d" % port],
            env=xdisplay.shared().env({"GDK_SCALE": str(self.density)}),
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + timeout
        while True:
            try:
                self._http("GET", "/status")
                break
            except (OSError, RuntimeError):
                if time.time() > deadline or self.process.poll() is not None:
                    self.close()
                    raise RuntimeError("WebKitWebDriver did not start")
                time.sleep(0.2)
        # "normal": a navigation is answered once the page has loaded. With
        # "eager" it is answered at DOMContentLoaded, and a script call that
        # reaches the driver before it has seen the load end is held until
        # the page-load timeout (300 s) and never run: now and then for this
        # page, every time for one that keeps its main thread busy in its
        # load handler.
        caps = {"capabilities": {"alwaysMatch": {"pageLoadStrategy": "normal",
                "webkitgtk:browserOptions": {"binary": MINIBROWSER, "args": ["--automation"]}}}}
        self.session = self._http("POST", "/session", caps)["sessionId"]
        self.set_viewport(width, height)

    def _http(self, method, path, body=None):
        data = json.dumps(body if body is not None else {}).encode() if method == "POST" else None
        request = urllib.request.Request(self.base + path, data=data, method=method,
                                         headers={"Content-Type": "application/json"})
        try:
            with urllib.request.urlopen(request, timeout=self.timeout) as reply:
                answer = json.loads(reply.read() or b"{}")
        except urllib.error.HTTPError as e:
            try:
                detail = json.loads(e.read()).get("value", {})
            except ValueError:
                detail = {}
            raise RuntimeError("%s %s: %s" % (method, path, detail.get("message", e.code)))
        return answer.get("value")

    def crash_reason(self):
        # The page process crashes now and then (a segfault of its compositor
        # thread in Mesa's software GL, in the kernel's log) and MiniBrowser
        # starts no other: from then on every script call fails. A new page
        # starts its process before the old one ends, so none at all is a
        # crash, not a page change; looked at twice to be sure.
        if self.process.poll() is not None:
            return "WebKitWebDriver ended"
        for attempt in range(2):
            names = descendants(self.process.pid)
            if "MiniBrowser" not in names:
                return "MiniBrowser ended"
            if PAGE_PROCESS in names:
                return None
            if attempt == 0:
                time.sleep(0.5)
        return "WebKit's page process ended under the page (a crash of the browser's own)"

    def call(self, method, path, body=None):
        return self._http(method, "/session/%s%s" % (self.session, path), body)

    def evaluate(self, expression):
        return self.call("POST", "/execute/sync",
                         {"script": "return (async () => (%s))();" % expression, "args": []})

    def set_viewport(self, width, height, density=None):
        if density not in (None, self.density):
            raise RuntimeError("WebKit's density is fixed per browser (GDK_SCALE)")
        return self.fit_window(width, height)

    def window_size(self):
        rect = self.call("GET", "/window/rect")
        return rect["width"], rect["height"]

    def resize_window(self, width, height):
        self.call("POST", "/window/rect", {"width": width, "height": height})

    def open(self, url):
        try:
            self.errors_before = self.errors
        except RuntimeError:
            pass
        self.call("POST", "/url", {"url": url})

    def perform(self, actions, release=True):
        self.call("POST", "/actions", {"actions": actions})
        if release:
            self.call("DELETE", "/actions")

    def png(self):
        return base64.b64decode(self.call("GET", "/screenshot"))

    def close(self):
        try:
            if self.session:
                self.note_crash()
                try:
                    self._http("DELETE", "/session/" + self.session)
                except (OSError, RuntimeError):
                    pass
        finally:
            stop_process(self.process)
