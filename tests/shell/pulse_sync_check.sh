#!/bin/sh
# The demo clock against what a real sound server played: a private
# PulseAudio server with a null sink, a click track as the soundtrack (a 20 ms
# tone at every whole second, its pitch naming the second), the sink's monitor
# recorded by a separate process that stamps each chunk on the monotonic
# clock, and the probe's log of the music time each frame drew (the demo's own
# start-up and clock). Every start: the first frame and every frame from 1 s
# on within the judge's gate of the clicks heard, its figures printed against
# the 10 ms goal too (tests/support/sync_clicks.py). Then the same with two
# busy loops.
#   pulse_sync_check.sh DEMO_SYNC_PROBE DEMO_CLICK_TRACK
# SYNC_STARTS (20) and SYNC_BUSY_STARTS (20) set the number of starts.
set -u
probe=$1 clicks=$2
here=$(cd "$(dirname "$0")/../support" && pwd)
. "$here/recorded_play.sh"
busy=""
pulse_test_cleanup() { for p in $busy; do kill "$p" 2>/dev/null; done; }
recorded_setup pulse-sync "$clicks" 8

# One start: record, play 3 s through the probe, judge.
one_start() {
    recorded_play judge --seconds 3
}

starts() {
    what=$1 count=$2 failed=0
    i=1
    while [ $i -le "$count" ]; do
        printf '%s start %d: ' "$what" $i
        one_start || failed=$((failed + 1))
        i=$((i + 1))
    done
    [ $failed -eq 0 ] || { echo "FAIL: $failed of $count starts $what out of step"; return 1; }
    echo "$count starts $what: in step"
}

began=$(date +%s)
result=0
starts quiet "${SYNC_STARTS:-20}" || result=1
for n in 1 2; do
    sh -c 'while :; do :; done' &
    busy="$busy $!"
done
starts busy "${SYNC_BUSY_STARTS:-20}" || result=1
echo "took $(( $(date +%s) - began )) s"
exit $result
