#!/bin/sh
# The browser stage of the tests: builds build-web (tools/web.sh) and runs the
# headless Chromium tests against it and the desktop build in ./build.
set -eu
cd "$(dirname "$0")/../.."

if ! command -v chromium >/dev/null 2>&1; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "chromium is missing: sudo apt-get install -y chromium" >&2
        exit 1
    fi
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq chromium
fi

tools/web.sh
timeout 480 python3 tests/web/web_tests.py build-web build
