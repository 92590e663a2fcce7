#!/bin/sh
# Sets up and builds (tools/setup.sh), runs every test headless, builds the
# browser version and tests it in Chromium, Firefox and WebKit (tests/web/run.sh), builds
# the Windows programs and tests them under Wine (tests/win32/run.sh), then builds
# again with AddressSanitizer and UndefinedBehaviorSanitizer, runs the tests
# there too and records the whole demo at a low frame rate under them.
set -eu
cd "$(dirname "$0")/.."
tools/setup.sh
jobs=$(nproc)
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== Browser build and its page tests in Chromium, Firefox and WebKit"
tests/web/run.sh

echo "== Windows build, its unit tests and the programs under Wine"
tests/win32/run.sh

echo "== Sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DDEMO_SANITIZE=ON -DDEMO_GENERATE_DATA=OFF \
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g" >/dev/null
cmake --build build-asan -j"$jobs"
# The generated data is the same; the sanitized programs read the plain build's.
rm -rf build-asan/data
ln -s ../build/data build-asan/data
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The real-time runs (label realtime) were made above; the rest runs again
# here. Tests that start the programs as processes (label process) check the
# exit codes of those programs, where the GL driver's own memory, orphaned when
# a program ends from inside its close handling, would count as a leak: they
# run without the leak checker, everything else with it (tests/CMakeLists.txt).
ASAN_OPTIONS=detect_leaks=1:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE 'process|realtime'
ASAN_OPTIONS=detect_leaks=0:halt_on_error=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs" -L process -LE realtime
export ASAN_OPTIONS=detect_leaks=1:halt_on_error=1

echo "== The whole demo under the sanitizers, 2 frames a second"
frames=$(mktemp -d)
build-asan/demo-capture --rate 2 --png -o "$frames" --quiet
count=$(ls "$frames" | wc -l)
rm -rf "$frames"
echo "captured $count frames"
[ "$count" -eq 456 ]
echo "all tests passed"
