"""A headless Chromium driven over its remote-debugging protocol, with the
Python standard library only (a minimal WebSocket client), and a static file
server on 127.0.0.1 for the page."""

import base64
import functools
import http.server
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


# Put in front of the page for the drivers that do not stream the console
# (Firefox, WebKit): the page's console errors and uncaught errors, kept in
# window.__pageErrors.
CONSOLE_KEEPER = """<script>
(function () {
  window.__pageErrors = []; window.__pageConsole = [];
  for (const kind of ['log', 'info', 'warn', 'error']) {
    const original = console[kind].bind(console);
    console[kind] = function () {
      const text = Array.from(arguments).map(String).join(' ');
      window.__pageConsole.push([kind, text]);
      if (kind === 'error') window.__pageErrors.push(text);
      original.apply(null, arguments);
    };
  }
  window.addEventListener('error', (e) => window.__pageErrors.push(String(e.message || e.type)));
  window.addEventListener('unhandledrejection', (e) => window.__pageErrors.push(String(e.reason)));
})();
</script>
"""


# Faults a test asks for with a path /m/FAULT/...: scripts put in front of the
# page, or a broken download of the data package.
FAULT_SCRIPTS = {
    "no-webgl": """
  const getContext = HTMLCanvasElement.prototype.getContext;
  HTMLCanvasElement.prototype.getContext = function (kind) {
    if (kind === 'webgl' || kind === 'experimental-webgl') return null;
    return getContext.apply(this, arguments);
  };""",
    "no-wake-lock": """
  delete Navigator.prototype.wakeLock;""",
    "ts-offset": """
  wrapTimestamp((ts) => ({ contextTime: ts.contextTime, performanceTime: ts.performanceTime + 2100 }));""",
    "ts-rate": """
  let base = null;
  wrapTimestamp((ts) => {
    if (base === null && ts.performanceTime > 0) base = ts.performanceTime;
    return base === null ? ts : { contextTime: ts.contextTime,
                                  performanceTime: base + 2 * (ts.performanceTime - base) };
  });""",
    "ts-frozen": """
  let first = null;
  wrapTimestamp((ts) => {
    if (first === null && ts.performanceTime > 0) first = ts;
    return first || ts;
  });""",
}
FAULT_PRELUDE = """
  function wrapTimestamp(change) {
    const Context = window.AudioContext || window.webkitAudioContext;
    const original = Context && Context.prototype.getOutputTimestamp;
    if (!original) return;
    Context.prototype.getOutputTimestamp = function () { return change(original.call(this)); };
  }"""


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map,
                          **{".wasm": "application/wasm", ".js": "text/javascript",
                             ".webmanifest": "application/manifest+json"})

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        counts = self.server.requests
        counts[path] = counts.get(path, 0) + 1
        fault = ""
        m = re.match(r"/m/([a-z0-9-]+)(/.*)", path)
        if m:
            fault, path = m.group(1), m.group(2)
            self.path = path
        if path.endswith("/demo.data") and fault.startswith("data-"):
            self.broken_download(fault, os.path.join(self.directory, "demo.data"))
            return
        # The page as a browser opens it gets the test hooks; the offline
        # worker's own copy of it (a fetch, not a navigation) is the file.
        navigation = self.headers.get("Sec-Fetch-Dest", "document") in ("document", "iframe")
        if path in ("/", "/index.html") and navigation:
            with open(os.path.join(self.directory, "index.html"), "rb") as f:
                page = f.read()
            marker = b'<script src="page.js">'
            hooks = CONSOLE_KEEPER
            if fault in FAULT_SCRIPTS:
                hooks += "<script>\n(function () {%s%s\n})();\n</script>\n" % (
                    FAULT_PRELUDE, FAULT_SCRIPTS[fault])
            body = page.replace(marker, hooks.encode() + marker, 1)
            self.send_response(200)
            self.send_header("Content-Type", "text/html; charset=utf-8")
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Cache-Control", "no-store")
            self.end_headers()
            self.wfile.write(body)
            return
        super().do_GET()

    def broken_download(self, fault, path):
        if fault == "data-404":
            self.send_error(404)
            return
        if fault == "data-html":
            body = b"<!doctype html><html><body><h1>Welcome</h1></body></html>"
            self.send_response(200)
            self.send_header("Content-Type", "text/html")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)
            return
        # data-truncated: the full length announced, half of it sent, then
        # the connection dropped.
        size = os.path.getsize(path)
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(size))
        self.end_headers()
        with open(path, "rb") as f:
            self.wfile.write(f.read(size // 2))
        self.wfile.flush()
        self.close_connection = True
        try:
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass

    def log_message(self, *args):
        pass


class Server:
    """Serves a folder on 127.0.0.1 at a free port (or the one given: a page
    served again at its old address), in a thread. self.requests counts the
    requests by path."""

    def __init__(self, folder, port=0):
        handler = functools.partial(QuietHandler, directory=folder)
        self.httpd = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
        self.httpd.requests = {}
        self.requests = self.httpd.requests
        self.port = self.httpd.server_address[1]
        self.thread = threading.Thread(target=self.httpd.serve_forever, daemon=True)
        self.thread.start()

    def url(self, path="index.html", fault=None):
        return "http://127.0.0.1:%d/%s%s" % (self.port, "m/%s/" % fault if fault else "", path)

    def close(self):
        self.httpd.shutdown()
        self.httpd.server_close()


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


class Browser:
    """One headless Chromium with one page; console errors and exceptions of
    the page are collected in self.errors, console lines in self.console."""

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

    def wait_for(self, expression, timeout, step=0.1):
        """Polls a page expression until it is truthy; returns its value, or
        None after the timeout."""
        deadline = time.time() + timeout
        guarded = "(() => { try { return (%s); } catch (e) { return null; } })()" % expression
        while time.time() < deadline:
            value = self.evaluate(guarded)
            if value:
                return value
            time.sleep(step)
        return None

    def open(self, url):
        self.call("Page.navigate", url=url)

    def click(self, x, y):
        for kind in ("mousePressed", "mouseReleased"):
            self.call("Input.dispatchMouseEvent", type=kind, x=x, y=y, button="left",
                      clickCount=1)

    engine = "chromium"
    can_set_density = True

    def key_down(self, key, code=27):
        self.call("Input.dispatchKeyEvent", type="keyDown", windowsVirtualKeyCode=code,
                  key=key, code=key)

    def key_up(self, key, code=27):
        self.call("Input.dispatchKeyEvent", type="keyUp", windowsVirtualKeyCode=code,
                  key=key, code=key)

    def viewport(self):
        """[innerWidth, innerHeight, devicePixelRatio] of the page."""
        return json.loads(self.evaluate(
            "JSON.stringify([innerWidth, innerHeight, devicePixelRatio])"))

    def set_viewport(self, width, height, density=1):
        self.call("Emulation.setDeviceMetricsOverride", width=width, height=height,
                  deviceScaleFactor=density, mobile=density > 1)
        return [width, height, density]

    def key(self, code, key):
        for kind in ("keyDown", "keyUp"):
            self.call("Input.dispatchKeyEvent", type=kind, windowsVirtualKeyCode=code,
                      key=key, code=key)

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

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
