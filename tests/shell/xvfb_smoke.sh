#!/bin/sh
# The real window under an X server: each build starts, draws for a few
# seconds and ends through the close handling (SIGTERM arrives as a close
# request) with exit code 0.
set -u
data_dir=$1
shift
[ -f "$data_dir/light.dat" ] || { echo "no generated data in $data_dir"; exit 77; }
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (package xvfb)"; exit 1; }
for exe in "$@"; do
    SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 640x480x24" sh -c '
        "$1" & pid=$!
        sleep 12
        kill -TERM $pid
        wait $pid' sh "$exe"
    rc=$?
    echo "$exe: exit code $rc"
    [ $rc -eq 0 ] || exit 1
done
exit 0
