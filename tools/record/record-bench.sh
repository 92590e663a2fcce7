#!/bin/sh
# Times a recording in pieces against one process on this machine: one
# demo-capture; demo-record with 2 pieces 2 at a time and 4 pieces 4 at a time
# here; 4 pieces on a one-node Slurm cluster (tools/slurm-local.sh, as many at a
# time as it has processors); then what a piece pays to replay the timeline
# before its first frame. Prints wall times, speed-ups and the join's share.
#   tools/record/record-bench.sh [BUILD_DIR]   (default build; about 10 minutes on 2 cores)
# RECORD_BENCH_SPAN (default "--rate 30 --time 100-120") chooses the stretch.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
span=${RECORD_BENCH_SPAN:---rate 30 --time 100-120}
tmp=$(mktemp -d)
chmod 755 "$tmp"
cleanup() {
    "$root/tools/slurm-local.sh" stop "$tmp/cluster" >/dev/null 2>&1 || true
    rm -rf "$tmp"
}
trap cleanup EXIT
now() { date +%s.%N; }
secs() { awk "BEGIN { printf \"%.1f\", $2 - $1 }"; }
calc() { awk "BEGIN { print $1 }"; }

echo "stretch: $span, 640x480, $(nproc) processors, load $(cut -d' ' -f1-3 /proc/loadavg)"
t0=$(now)
# shellcheck disable=SC2086
if [ -x /usr/bin/time ]; then
    /usr/bin/time -f "%U %S" -o "$tmp/one.cpu" "$build/demo-capture" $span --quiet -o "$tmp/one.mp4"
else
    "$build/demo-capture" $span --quiet -o "$tmp/one.mp4"
fi
one=$(secs "$t0" "$(now)")
cpu=$(awk '{ printf "%.1f", $1 + $2 }' "$tmp/one.cpu" 2>/dev/null || echo "?")
echo "one process: $one s wall, $cpu s processor (drawing and encoding on their own threads)"

# record LABEL ARGS...: one demo-record run, its wall time and its join's.
record() {
    label=$1
    shift
    t0=$(now)
    # shellcheck disable=SC2086
    "$build/demo-record" $span "$@" --work "$tmp/work-$label" -o "$tmp/$label.mp4" 2>"$tmp/$label.log" ||
        { cat "$tmp/$label.log"; exit 1; }
    wall=$(secs "$t0" "$(now)")
    join=$(grep -o 'in [0-9.]* s\|took [0-9.]* s' "$tmp/$label.log" | tail -1 | grep -o '[0-9.]*')
    printf '%s: %s s, %.2fx one process; join %s s (%.1f %%)\n' "$label" "$wall" \
        "$(calc "$one / $wall")" "$join" "$(calc "100 * $join / $wall")"
}
record "2 pieces, 2 at a time" --pieces 2 --jobs 2
record "4 pieces, 4 at a time" --pieces 4 --jobs 4
conf=$("$root/tools/slurm-local.sh" start "$tmp/cluster" | sed -n 's/^export SLURM_CONF=//p')
SLURM_CONF=$conf record "4 pieces on the one-node cluster" --pieces 4 --slurm
SLURM_CONF=$conf record "2 pieces on the one-node cluster" --pieces 2 --slurm

# The replay before a piece's first frame: the last frames of the timeline
# against the first ones, at 60 fps, both tiny and nothing encoded.
rate60() {
    t0=$(now)
    "$build/demo-capture" --rate 60 --size 160x120 --frames "$1" --png --quiet -o "$tmp/replay-$1"
    secs "$t0" "$(now)"
}
first=$(rate60 0-10)
last=$(rate60 13670-13680)
printf 'replaying the timeline before the last frame (13,670 frames at 60 fps): %.1f s (%.2f ms a frame)\n' \
    "$(calc "$last - $first")" "$(calc "($last - $first) * 1000 / 13670")"
