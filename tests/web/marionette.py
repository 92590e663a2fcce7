"""Firefox ESR driven over Marionette (its built-in remote protocol: JSON
messages prefixed by their length, over TCP), with the Python standard library
only. Firefox has WebGL only with a display, so it runs under the shared Xvfb.

The density (devicePixelRatio) is set through Firefox's own preference
layout.css.devPixelsPerPx, from the browser's chrome context. The window is
never narrower than 500 CSS pixels (Firefox's own limit): set_viewport returns
the viewport it got."""

import base64
import json
import os
import shutil
import socket
import subprocess
import tempfile
import time

import driver_base
import xdisplay
from pyrun.servers import stop_process

PREFS = {
    "browser.shell.checkDefaultBrowser": False,
    "browser.startup.homepage_override.mstone": "ignore",
    "browser.startup.page": 0,
    "browser.aboutwelcome.enabled": False,
    "browser.tabs.warnOnClose": False,
    "datareporting.policy.dataSubmissionEnabled": False,
    "toolkit.telemetry.reportingpolicy.firstRun": False,
    "app.update.disabledForTesting": True,
    "browser.safebrowsing.update.enabled": False,
    "network.captive-portal-service.enabled": False,
    "extensions.update.enabled": False,
    "webgl.force-enabled": True,
    "full-screen-api.warning.timeout": 0,
    "full-screen-api.transition-duration.enter": "0 0",
    "full-screen-api.transition-duration.leave": "0 0",
    "dom.min_background_timeout_value": 4,
    "layout.css.devPixelsPerPx": "1.0",
    "toolkit.legacyUserProfileCustomizations.stylesheets": True,
}

# Without its toolbars the window can be as narrow as a phone.
USER_CHROME = "#navigator-toolbox, #TabsToolbar, #nav-bar { display: none !important; }\n"


def find_firefox():
    for name in ("firefox-esr", "firefox"):
        path = shutil.which(name)
        if path:
            return path
    raise RuntimeError("firefox was not found (package firefox-esr)")


class Browser(driver_base.WebDriverPage):
    engine = "firefox"
    can_set_density = True

    def __init__(self, width=640, height=480, timeout=90, density=1):
        self.profile = tempfile.mkdtemp(prefix="quelltarn-firefox-")
        self.timeout = timeout
        self.errors_before = []
        self.next_id = 0
        self.sock = None
        port = driver_base.free_port()
        prefs = dict(PREFS, **{"marionette.port": port})
        with open(os.path.join(self.profile, "user.js"), "w") as f:
            for name, value in prefs.items():
                f.write("user_pref(%s, %s);\n" % (json.dumps(name), json.dumps(value)))
        os.makedirs(os.path.join(self.profile, "chrome"))
        with open(os.path.join(self.profile, "chrome", "userChrome.css"), "w") as f:
            f.write(USER_CHROME)
        self.process = subprocess.Popen(
            [find_firefox(), "--marionette", "--remote-allow-system-access", "--no-remote", "--profile", self.profile,
             "about:blank"], env=xdisplay.shared().env({"MOZ_CRASHREPORTER_DISABLE": "1"}),
            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        deadline = time.time() + timeout
        while self.sock is None:
            try:
                self.sock = socket.create_connection(("127.0.0.1", port), timeout=timeout)
            except OSError:
                if time.time() > deadline or self.process.poll() is not None:
                    self.close()
                    raise RuntimeError("firefox did not open its Marionette port")
                time.sleep(0.2)
        self.buffer = b""
        self._read()  # the greeting: application type and protocol level
        self.call("WebDriver:NewSession", capabilities={"alwaysMatch": {"pageLoadStrategy": "eager"}})
        self.set_viewport(width, height, density)

    def _read(self):
        while b":" not in self.buffer:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise RuntimeError("Marionette closed the connection")
            self.buffer += chunk
        length, _, rest = self.buffer.partition(b":")
        n = int(length)
        while len(rest) < n:
            chunk = self.sock.recv(max(65536, n - len(rest)))
            if not chunk:
                raise RuntimeError("Marionette closed the connection")
            rest += chunk
        self.buffer = rest[n:]
        return json.loads(rest[:n])

    def call(self, command, **params):
        self.next_id += 1
        me = self.next_id
        body = json.dumps([0, me, command, params]).encode()
        self.sock.sendall(str(len(body)).encode() + b":" + body)
        while True:
            message = self._read()
            if message[0] == 1 and message[1] == me:
                if message[2]:
                    raise RuntimeError("%s: %s" % (command, message[2].get("message", message[2])))
                return message[3]

    def evaluate(self, expression):
        result = self.call("WebDriver:ExecuteScript",
                           script="return (async () => (%s))();" % expression, args=[])
        return result.get("value") if isinstance(result, dict) else result

    def set_viewport(self, width, height, density=1):
        """Sizes the window so that the page's viewport is width x height CSS
        pixels at the given density."""
        self.call("Marionette:SetContext", value="chrome")
        try:
            self.call("WebDriver:ExecuteScript", args=[], script=(
                "Services.prefs.setStringPref('layout.css.devPixelsPerPx', '%s');" % float(density)))
        finally:
            self.call("Marionette:SetContext", value="content")
        # Firefox keeps its windows at least 500 CSS pixels wide: a phone's
        # portrait width is not reached. The caller sees what it got.
        return self.fit_window(width, height, density)

    def window_size(self):
        rect = self.call("WebDriver:GetWindowRect")
        return rect["width"], rect["height"]

    def resize_window(self, width, height):
        self.call("WebDriver:SetWindowRect", width=width, height=height)

    def open(self, url):
        self.errors_before = self.errors
        self.call("WebDriver:Navigate", url=url)

    def perform(self, actions, release=True):
        self.call("WebDriver:PerformActions", actions=actions)
        if release:
            self.call("WebDriver:ReleaseActions")

    def hide_page(self):
        """A new tab in front of the page (document.hidden); show_page
        closes it and brings the page back. Scripts still run in the page."""
        self.shown = self.call("WebDriver:GetWindowHandle")["value"]
        self.cover = self.call("WebDriver:NewWindow", type="tab", focus=True)["handle"]

    def show_page(self):
        self.call("WebDriver:SwitchToWindow", handle=self.cover, focus=True)
        self.call("WebDriver:CloseWindow")
        self.call("WebDriver:SwitchToWindow", handle=self.shown, focus=True)

    def png(self):
        return base64.b64decode(self.call("WebDriver:TakeScreenshot", full=False, hash=False)["value"])

    def close(self):
        try:
            if self.sock:
                try:
                    self.call("Marionette:Quit")
                except (OSError, RuntimeError):
                    pass
                self.sock.close()
        finally:
            # Told to quit over Marionette: only waited for, killed if it hangs.
            stop_process(self.process, terminate=False)
            shutil.rmtree(self.profile, ignore_errors=True)
