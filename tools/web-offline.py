#!/usr/bin/env python3
"""Writes the offline worker of a browser build: web-offline.py TEMPLATE
BUILD_WEB writes BUILD_WEB/sw.js from the template, with the list of the
build's files and their SHA-256, and a version made from that list, so any
change of any file makes a new worker and a new offline copy."""

import hashlib
import json
import os
import sys

# Every file the page loads, in the order the worker fetches them.
FILES = ["index.html", "page.css", "audio_clock.js", "page.js", "manifest.webmanifest",
         "icon-192.png", "icon-512.png", "demo-data.js", "demo.js", "demo.wasm", "demo.data"]


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    template, folder = sys.argv[1], sys.argv[2]
    listed = []
    for name in FILES:
        digest = hashlib.sha256()
        try:
            with open(os.path.join(folder, name), "rb") as f:
                for chunk in iter(lambda: f.read(1 << 20), b""):
                    digest.update(chunk)
        except OSError as e:
            print("web-offline: %s: %s" % (name, e.strerror), file=sys.stderr)
            return 1
        listed.append([name, digest.hexdigest()])
    version = hashlib.sha256(json.dumps(listed).encode()).hexdigest()[:16]
    with open(template) as f:
        text = f.read()
    text = text.replace("@VERSION@", version).replace("@FILES@", json.dumps(listed, indent=0))
    out = os.path.join(folder, "sw.js")
    with open(out + ".new", "w") as f:
        f.write(text)
    os.replace(out + ".new", out)
    print("web-offline: sw.js for build %s" % version)
    return 0


if __name__ == "__main__":
    sys.exit(main())
