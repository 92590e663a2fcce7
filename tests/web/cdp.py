"""A headless Chromium driven over its remote-debugging protocol, with the
Python standard library only (a minimal WebSocket client)."""

import base64
import json
import os
import re
import shutil
import socket
import struct
import subprocess
import tempfile
import threading
import time
import urllib.request

import driver_base
from pyrun.servers import stop_process

CHROMIUM_FLAGS = [
    "--headless=new", "--no-sandbox", "--use-angle=swiftshader", "--enable-unsafe-swiftshader",
    "--ignore-gpu-blocklist", "--no-first-run", "--no-default-browser-check",
    "--disable-background-networking", "--disable-component-update", "--disable-sync",
    "--disable-extensions", "--mute-audio", "--hide-scrollbars",
    "--disable-background-timer-throttling", "--disable-renderer-backgrounding",
    "--disable-backgrounding-occluded-windows", "--remote-debugging-address=127.0.0.1",
]


def find_chromium():
    for name in ("chromium", "chromium-browser", "google-chrome"):
        path = shutil.which(name)
        if path:
            return path
    raise RuntimeError("chromium was not found (package chromium)")


class WebSocket:
    def __init__(self, url, timeout):
        m = re.match(r"ws://([^:/]+):(\d+)(/.*)", url)
        host, port, path = m.group(1), int(m.group(2)), m.group(3)
        self.sock = socket.create_connection((host, port), timeout=timeout)
        key = base64.b64encode(os.urandom(16)).decode()
        request = ("GET %s HTTP/1.1\r\nHost: %s:%d\r\nUpgrade: websocket\r\n"
                   "Connection: Upgrade\r\nSec-WebSocket-Key: %s\r\n"
                   "Sec-WebSocket-Version: 13\r\n\r\n") % (path, host, port, key)
        self.sock.sendall(request.encode())
        head = b""
        while b"\r\n\r\n" not in head:
            chunk = self.sock.recv(1)
            if not chunk:
                raise RuntimeError("websocket handshake failed")
            head += chunk
        if b" 101 " not in head.split(b"\r\n")[0]:
            raise RuntimeError("websocket handshake refused: %r" % head[:80])

    def send(self, text):
        data = text.encode()
        header = bytearray([0x81])
        n = len(data)
        if n < 126:
            header.append(0x80 | n)
        elif n < 65536:
            header.append(0x80 | 126)
            header += struct.pack(">H", n)
        else:
            header.append(0x80 | 127)
            header += struct.pack(">Q", n)
        mask = os.urandom(4)
        header += mask
        self.sock.sendall(bytes(header) + bytes(b ^ mask[i % 4] for i, b in enumerate(data)))

    def _exact(self, n):
        out = bytearray()
        while len(out) < n:
            chunk = self.sock.recv(n - len(out))
            if not chunk:
                raise RuntimeError("websocket closed")
            out += chunk
        return bytes(out)

    def receive(self):
        message = bytearray()
        while True:
            b0, b1 = self._exact(2)
            n = b1 & 0x7F
            if n == 126:
                n = struct.unpack(">H", self._exact(2))[0]
            elif n == 127:
                n = struct.unpack(">Q", self._exact(8))[0]
            payload = self._exact(n)
            opcode = b0 & 0x0F
            if opcode == 8:
                raise RuntimeError("websocket closed by the browser")
            if opcode in (0, 1, 2):
                message += payload
                if b0 & 0x80:
                    return message.decode()


class Browser(driver_base.PageDriver):
    """One headless Chromium with one page; console errors and exceptions of
    the page are collected in self.errors, console lines in self.console."""

    engine = "chromium"
    can_set_density = True

    def __init__(self, width=640, height=480, timeout=60, density=1):
        self.profile = tempfile.mkdtemp(prefix="quelltarn-chromium-")
        self.timeout = timeout
        args = [find_chromium()] + CHROMIUM_FLAGS + [
            "--remote-debugging-port=0", "--user-data-dir=" + self.profile,
            "--window-size=%d,%d" % (width, height), "about:blank"]
        self.process = subprocess.Popen(args, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                        stderr=subprocess.PIPE, text=True)
        port = None
        deadline = time.time() + timeout
        while port is None and time.time() < deadline:
            line = self.process.stderr.readline()
            if not line:
                break
            m = re.search(r"DevTools listening on ws://127\.0\.0\.1:(\d+)/", line)
            if m:
                port = int(m.group(1))
        if port is None:
            self.close()
            raise RuntimeError("chromium did not start its debugging port")
        threading.Thread(target=self._drain_stderr, daemon=True).start()
        targets = json.load(urllib.request.urlopen("http://127.0.0.1:%d/json" % port, timeout=10))
        page = [t for t in targets if t.get("type") == "page"][0]
        self.ws = WebSocket(page["webSocketDebuggerUrl"], timeout)
        self.next_id = 0
        self.errors = []
        self.console = []
        self.call("Runtime.enable")
        self.call("Log.enable")
        self.call("Page.enable")
        self.set_viewport(width, height, density)

    def _drain_stderr(self):
        for _ in self.process.stderr:
            pass

    def _event(self, message):
        method = message.get("method")
        params = message.get("params", {})
        if method == "Runtime.consoleAPICalled":
            text = " ".join(str(a.get("value", a.get("description", ""))) for a in params["args"])
            self.console.append((params["type"], text))
            if params["type"] in ("error", "assert"):
                self.errors.append(text)
        elif method == "Runtime.exceptionThrown":
            details = params["exceptionDetails"]
            self.errors.append(details.get("exception", {}).get("description", details["text"]))
        elif method == "Log.entryAdded" and params["entry"]["level"] == "error":
            self.errors.append(params["entry"]["text"])

    def call(self, method, **params):
        self.next_id += 1
        me = self.next_id
        self.ws.send(json.dumps({"id": me, "method": method, "params": params}))
        while True:
            message = json.loads(self.ws.receive())
            if message.get("id") == me:
                if "error" in message:
                    raise RuntimeError("%s: %s" % (method, message["error"]))
                return message.get("result", {})
            self._event(message)

    def evaluate(self, expression):
        result = self.call("Runtime.evaluate", expression=expression, returnByValue=True,
                           awaitPromise=True)
        if "exceptionDetails" in result:
            raise RuntimeError("page: %s" % result["exceptionDetails"])
        return result["result"].get("value")

    def open(self, url):
        self.call("Page.navigate", url=url)

    def click(self, x, y):
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left",
                      clickCount=1)

    def key_down(self, key, code=27):
        self.call("Input.dispatchKeyEvent", type="keyDown", windowsVirtualKeyCode=code,
                  key=key, code=key)

    def key_up(self, key, code=27):
        self.call("Input.dispatchKeyEvent", type="keyUp", windowsVirtualKeyCode=code,
                  key=key, code=key)

    def set_viewport(self, width, height, density=1):
        self.call("Emulation.setDeviceMetricsOverride", width=width, height=height,
                  deviceScaleFactor=density, mobile=density > 1)
        return [width, height, density]

    def forget(self):
        """Forgets the errors and console lines kept so far, the media
        features emulated and the permissions granted."""
        self.errors, self.console = [], []
        self.call("Emulation.setEmulatedMedia", features=[])
        self.call("Browser.resetPermissions")

    def hide_page(self):
        """Another tab in front of the page (document.hidden); show_page
        brings the page back."""
        pages = [t for t in self.call("Target.getTargets")["targetInfos"] if t["type"] == "page"]
        self.shown = pages[0]["targetId"]
        self.cover = self.call("Target.createTarget", url="about:blank")["targetId"]

    def show_page(self):
        self.call("Target.activateTarget", targetId=self.shown)
        self.call("Target.closeTarget", targetId=self.cover)

    def screenshot(self, path, clip=None):
        params = {"format": "png"}
        if clip:
            params["clip"] = dict(clip, scale=1)
        data = self.call("Page.captureScreenshot", **params)["data"]
        with open(path, "wb") as f:
            f.write(base64.b64decode(data))

    def close(self):
        try:
            if getattr(self, "ws", None):
                self.ws.sock.close()
        finally:
            stop_process(self.process)
            shutil.rmtree(self.profile, ignore_errors=True)
