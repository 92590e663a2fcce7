"""The static file server for the page tests, on 127.0.0.1 in a thread: the
page as a browser opens it gets the test hooks put in front of it (the
console keeper, a fault a test asks for), and the data package can be broken
on request."""

import functools
import http.server
import os
import re
import socket
import threading


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


# An empty page of the server's origin (no file of the page), where the
# page tests' fixture clears what the origin keeps.
BLANK = "blank.html"


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
            self.reply(page.replace(marker, hooks.encode() + marker, 1))
            return
        if path == "/" + BLANK:
            # Its own icon: a browser asking for /favicon.ico would be told 404.
            self.reply(b'<!doctype html><title>blank</title><link rel="icon" href="data:,">')
            return
        super().do_GET()

    def reply(self, body, kind="text/html; charset=utf-8"):
        self.send_response(200)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        self.wfile.write(body)

    def broken_download(self, fault, path):
        if fault == "data-404":
            self.send_error(404)
            return
        if fault == "data-html":
            self.reply(b"<!doctype html><html><body><h1>Welcome</h1></body></html>", "text/html")
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

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
