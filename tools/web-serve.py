#!/usr/bin/env python3
"""Serves a folder (the browser build) on 127.0.0.1 only, with the WebAssembly
MIME type browsers want: web-serve.py FOLDER [PORT]."""

import functools
import http.server
import sys


class Handler(http.server.SimpleHTTPRequestHandler):
    extensions_map = dict(http.server.SimpleHTTPRequestHandler.extensions_map,
                          **{".wasm": "application/wasm", ".js": "text/javascript",
                             ".data": "application/octet-stream",
                             ".webmanifest": "application/manifest+json"})


def main():
    if len(sys.argv) not in (2, 3):
        print("usage: web-serve.py FOLDER [PORT]", file=sys.stderr)
        return 2
    port = int(sys.argv[2]) if len(sys.argv) == 3 else 8080
    handler = functools.partial(Handler, directory=sys.argv[1])
    try:
        server = http.server.ThreadingHTTPServer(("127.0.0.1", port), handler)
    except OSError as e:
        print("cannot serve on 127.0.0.1:%d: %s" % (port, e.strerror), file=sys.stderr)
        return 1
    print("Serving the demo at http://127.0.0.1:%d/ (Ctrl-C stops)" % server.server_address[1],
          flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
