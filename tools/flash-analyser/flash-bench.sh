#!/bin/sh
# The whole demo through demo-flashes, as a viewer sees it: captured at 60 fps
# (160x120 is enough: the counts are those of larger pictures), played plainly
# and gently, each counted by a quarter of the picture and by WCAG's own area.
# Prints each worst window; exits non-zero when gentle play fails either count.
#   tools/flash-analyser/flash-bench.sh [BUILD_DIR]   (about 5 minutes on 2 cores)
# FLASH_BENCH_TIME="S-E" counts a stretch of music instead of the whole.
set -u
span=${FLASH_BENCH_TIME:+--time $FLASH_BENCH_TIME}
build=$(cd "${1:-$(dirname "$0")/../../build}" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
gentle_failed=0
for play in plain gentle; do
    option=""
    [ $play = gentle ] && option=--gentle
    begun=$(date +%s)
    # shellcheck disable=SC2086
    "$build/demo-capture" $option $span --rate 60 --size 160x120 --png --quiet -o "$tmp/$play" || exit 1
    echo "$play: captured in $(($(date +%s) - begun)) s"
    for area in "" "--area 2.8"; do
        # shellcheck disable=SC2086
        "$build/demo-flashes" --rate 60 $area "$tmp/$play" >"$tmp/report" 2>&1
        rc=$?
        echo "$play${area:+ ($area)}: $(grep "^worst" "$tmp/report"); $(tail -n 1 "$tmp/report") (exit $rc)"
        [ $play = gentle ] && [ $rc -ne 0 ] && gentle_failed=1
    done
    rm -rf "${tmp:?}/$play"
done
exit $gentle_failed
