#!/bin/sh
# The Windows stage of the tests: builds the Windows programs and the zip
# (tools/windows.sh), runs their unit tests under Wine (CTest runs each test
# program through wine) and the Wine tests of the real programs
# (wine_tests.py: one Xvfb, one PulseAudio server, one private Wine prefix).
# WINE_TESTS=NAME,NAME picks tests of wine_tests.py.
set -eu
cd "$(dirname "$0")/../.."

tools/need-packages.sh wine wine64 xvfb xauth xdotool pulseaudio pulseaudio-utils ffmpeg \
    googletest
tools/windows.sh

# The unit tests run in a prefix of their own, made without a display.
prefix=$(mktemp -d)
trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true; rm -rf "$prefix"' EXIT
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
(unset DISPLAY; wineboot -i >/dev/null 2>&1; wineserver -w)
(unset DISPLAY; ctest --test-dir build-win64 --output-on-failure -j1)
wineserver -k 2>/dev/null || true
unset WINEPREFIX

timeout 1500 python3 tests/win32/wine_tests.py build-win64 $(echo "${WINE_TESTS:-}" | tr ',' ' ')
