#!/bin/sh
# The real window under an X server: each build starts, draws for a few
# seconds and ends through the close handling when SIGTERM asks it to stop,
# saying so by its exit code, 143 (started in the background, as here, where
# the shell has it ignore SIGINT: SIGTERM is its own all the same).
#   xvfb_smoke.sh DATA_DIR X11_HELPER EXE...
# The few seconds count from the first frame: how long the start-up takes
# (up to DEMO_TEST_WAIT seconds, two minutes unless set) is the machine's
# business. Each step says how long it took.
# First, each build copied where it finds no data: its start-up failure is
# read here through a pipe, so it ends at once with exit code 1 and shows no
# box that would wait for a click.
# -noreset: without it the X server resets each time its last client leaves,
# and the helper's polls end that way many times a second; a program that
# connects during a reset is refused (6 in 300 connections here), and SDL
# then falls back to a driver that shows nothing.
set -u
data_dir=$1 helper=$2
shift 2
[ -f "$data_dir/light.dat" ] || { echo "no generated data in $data_dir"; exit 77; }
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (package xvfb)"; exit 1; }
for exe in "$@"; do
    SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 640x480x24 -noreset" sh -c '
        helper=$1 exe=$2 limit=$3
        now() { date +%s%N; }
        since() {
            tenths=$((($(now) - $1) / 100000000))
            echo "$((tenths / 10)).$((tenths % 10))"
        }
        nodata=$(mktemp -d "${TMPDIR:-/tmp}/xvfb-smoke.XXXXXX")
        cp "$exe" "$nodata/"
        begun=$(now)
        out=$(timeout -k 2 "$limit" "$nodata/$(basename "$exe")" 2>&1; echo "rc=$?")
        rm -rf "$nodata"
        case $out in
            *"cannot load scenes or textures"*"rc=1") ;;
            *) echo "step no data: not refused as it should be: $out"; exit 1 ;;
        esac
        echo "step no data: refused in $(since "$begun") s"
        "$exe" & pid=$!
        begun=$(now)
        until "$helper" drawn .quellTarn >/dev/null 2>&1; do
            if ! kill -0 $pid 2>/dev/null; then
                echo "step first frame: ended after $(since "$begun") s without drawing"
                wait $pid
                exit 1
            fi
            if [ $(($(now) - begun)) -ge $((limit * 1000000000)) ]; then
                echo "step first frame: gave up after $(since "$begun") s"
                kill -KILL $pid
                exit 1
            fi
            sleep 0.2
        done
        echo "step first frame: $(since "$begun") s"
        sleep 5
        kill -TERM $pid
        begun=$(now)
        while kill -0 $pid 2>/dev/null; do
            if [ $(($(now) - begun)) -ge $((limit * 1000000000)) ]; then
                echo "step end after the close request: gave up after $(since "$begun") s, killed"
                kill -KILL $pid
                wait $pid
                exit 1
            fi
            sleep 0.1
        done
        wait $pid
        rc=$?
        echo "step end after the close request: $(since "$begun") s"
        exit $rc' sh "$helper" "$exe" "${DEMO_TEST_WAIT:-120}"
    rc=$?
    echo "$exe: exit code $rc"
    [ $rc -eq 143 ] || exit 1
done
exit 0
