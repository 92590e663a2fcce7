#!/bin/sh
# The browser stage of the tests: builds build-web (tools/web.sh) and runs the
# headless Chromium tests against it and the desktop build in ./build.
set -eu
cd "$(dirname "$0")/../.."

tools/need-packages.sh chromium

tools/web.sh
timeout 480 python3 tests/web/web_tests.py build-web build
