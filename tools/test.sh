#!/bin/sh
# Sets up and builds (tools/setup.sh), runs every test headless, records in
# pieces here and on a Slurm cluster of its own (tests/record), builds the
# browser version and tests it in Chromium, Firefox and WebKit (tests/web/run.sh)
# and its clock after a pause and seeks against the sound heard,
# builds the Windows programs and tests them under Wine (tests/win32/run.sh), then builds
# again with AddressSanitizer and UndefinedBehaviorSanitizer, runs the tests
# there too and records the whole demo at a low frame rate under them, as
# played and as played gently.
# Each stage says how long it took ("== stage NAME: SECONDS s").
set -eu
cd "$(dirname "$0")/.."
jobs=$(nproc)

# stage NAME COMMAND...: runs one stage and prints its wall time with the load
# average at its start and end (on a shared machine the load, not the stage,
# sets most of the time); a stage that fails ends the script (the exit trap
# says which one, and after how long).
current_stage=""
load() { cut -d' ' -f1 /proc/loadavg 2>/dev/null || echo "?"; }
stage() {
    current_stage=$1
    stage_begun=$(date +%s)
    stage_load=$(load)
    shift
    echo "== $current_stage"
    "$@"
    echo "== stage $current_stage: $(($(date +%s) - stage_begun)) s (load $stage_load, then $(load))"
    current_stage=""
}
frames=""
on_exit() {
    rc=$?
    [ -z "$current_stage" ] ||
        echo "== stage $current_stage: failed after $(($(date +%s) - stage_begun)) s" \
            "(load $stage_load, then $(load))"
    [ -z "$frames" ] || rm -rf "$frames"
    exit $rc
}
trap on_exit EXIT
trap 'exit 1' HUP INT TERM

plain_build_and_tests() {
    tools/setup.sh
    ctest --test-dir build --output-on-failure -j"$jobs"
}

# The tests run under the leak checker, with the sanitizer runtime's hook on
# the dynamic thread-local blocks off (intercept_tls_get_addr=0). GCC 12's
# runtime takes a block that happens to start 16 bytes into a page for the
# header glibc gave such blocks before 2.25, reads the two words before it as
# the block's place and size, and the leak checker's stop-the-world step then
# crashes on them as the program ends ("Tracer caught signal 11", "LeakSanitizer
# has encountered a fatal error"), after every test of the program passed.
# Where the blocks land follows the program's allocations, so a program that
# crashes so crashes on every run on that machine. Without the hook those
# blocks are not scanned for pointers; nothing of ours lives only there.
sanitizer_options=detect_leaks=1:halt_on_error=1:intercept_tls_get_addr=0
leak_checked_tests() {
    ASAN_OPTIONS=$sanitizer_options LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp" \
        ctest --test-dir build-asan --output-on-failure -j"$jobs" -LE 'process|realtime|once'
}

# The sanitizer build compiles what its tests run: no data generation (it reads
# the plain build's), no benchmark that no test runs, and line tables for the
# sanitizers' reports (-g1: file, line and function of every frame) instead of
# full debug information, which only a debugger would read.
sanitizer_build_and_tests() {
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DDEMO_SANITIZE=ON -DDEMO_GENERATE_DATA=OFF \
        -DDEMO_BENCHMARKS=OFF -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" >/dev/null
    cmake --build build-asan -j"$(tools/build-jobs.sh)"
    # The generated data is the same; the sanitized programs read the plain build's.
    rm -rf build-asan/data
    ln -s ../build/data build-asan/data
    # The real-time runs and the tests that judge what the sanitizers leave
    # alone (labels realtime, once) were made above; the rest runs again here.
    # Tests that start the programs as processes (label process) check the
    # exit codes of those programs, where the GL driver's own memory, orphaned
    # when a program ends from inside its close handling, would count as a
    # leak: they run without the leak checker, everything else with it
    # (tests/CMakeLists.txt).
    leak_checked_tests
    ASAN_OPTIONS=detect_leaks=0:halt_on_error=1 \
        ctest --test-dir build-asan --output-on-failure -j"$jobs" -L process -LE 'realtime|once'
}

# The whole demo at 2 frames a second, as played and as played gently (the
# flash tests' stretches at 60 frames a second run in the plain build only).
# How many frames that is follows from the demo's length and the rate;
# demo-capture says it (--print-frames: "frames 0-N rate ..."), so the count
# expected is the one the timeline gives.
capture_rate=2
sanitized_capture() {
    selected=$(build-asan/demo-capture --rate "$capture_rate" --print-frames)
    expected=$(echo "$selected" | sed -n 's/^frames 0-\([0-9][0-9]*\) .*/\1/p')
    if [ -z "$expected" ]; then
        echo "demo-capture --print-frames said \"$selected\", not \"frames 0-N ...\""
        return 1
    fi
    for play in "" --gentle; do
        frames=$(mktemp -d)
        ASAN_OPTIONS=$sanitizer_options \
            build-asan/demo-capture $play --rate "$capture_rate" --png -o "$frames" --quiet
        count=$(ls "$frames" | wc -l)
        rm -rf "$frames"
        frames=""
        if [ "$count" -ne "$expected" ]; then
            echo "captured $count frames${play:+ ($play)}, expected $expected" \
                "(the whole demo at $capture_rate a second)"
            return 1
        fi
        echo "captured $count frames${play:+ ($play)}"
    done
}

stage "Build and every test headless" plain_build_and_tests
stage "Recordings in pieces, here and on a one-node Slurm cluster" \
    python3 -B tests/record/record_tests.py build
stage "Browser build and its page tests in Chromium, Firefox and WebKit" tests/web/run.sh
# The page's clock after a pause and seeks against the clicks heard through a
# sound server of its own: on its own, with the machine otherwise quiet.
page_sync() {
    DEMO_WEB_BUILD="$PWD/build-web" ctest --test-dir build -L page --output-on-failure
}
stage "The page's clock after a pause and seeks, heard through a sound server" page_sync
stage "Windows build, its unit tests and the programs under Wine" tests/win32/run.sh
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
stage "Sanitizer build (AddressSanitizer + UndefinedBehaviorSanitizer)" sanitizer_build_and_tests
stage "The whole demo under the sanitizers, plain and gentle, $capture_rate frames a second" \
    sanitized_capture
echo "all tests passed"
