#!/bin/sh
# The browser stage of the tests: builds build-web (tools/web.sh) and runs the
# page tests against it and the desktop build in ./build, in each engine:
# headless Chromium, Firefox ESR and WebKitGTK (both under one Xvfb).
# WEB_ENGINES=chromium,firefox picks engines, WEB_TESTS=NAME tests, WEB_JOBS=N
# how many engines run at once (the number of processors unless set). Then the
# page's "Save as video" (tests/web/video_tests.py) in each engine.
set -eu
cd "$(dirname "$0")/../.."

tools/need-packages.sh chromium firefox-esr webkit2gtk-driver xvfb xauth

tools/web.sh
# The last guard only: every wait of the tests ends by itself, each as soon as
# what it waits for holds, and at most minutes later on a busy machine.
timeout 3000 python3 tests/web/web_tests.py build-web build
# "Save as video", each engine with a browser and server of its own.
timeout 2400 python3 tests/web/video_tests.py build-web
