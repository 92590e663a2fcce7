#!/bin/sh
# The demo clock against what a real sound server played: a private
# PulseAudio server with a null sink, a click track as the soundtrack (a 20 ms
# tone at every whole second, its pitch naming the second), the sink's monitor
# recorded by a separate process that stamps each chunk on the monotonic
# clock, and the probe's log of the music time each frame drew (the demo's own
# start-up and clock). Every start: the first frame and every frame from 1 s
# on within 10 ms of the clicks heard. Then the same with two busy loops.
#   pulse_sync_check.sh DEMO_SYNC_PROBE DEMO_CLICK_TRACK
# SYNC_STARTS (20) and SYNC_BUSY_STARTS (20) set the number of starts.
set -u
probe=$1 clicks=$2
here=$(cd "$(dirname "$0")/../support" && pwd)
for tool in pulseaudio pactl parec python3; do
    command -v $tool >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
. "$here/pulse_server.sh"
dir=$(mktemp -d "${TMPDIR:-/tmp}/pulse-sync.XXXXXX")
busy=""
cleanup() {
    for p in $busy; do kill "$p" 2>/dev/null; done
    pulse_stop "$dir/server"
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
unset SDL_AUDIODRIVER
pulse_start "$dir/server" || { echo "FAIL: the test's sound server does not start"; exit 1; }
mkdir -p "$dir/data"
"$clicks" "$dir/data/5tfina.mp3" 8 || { echo "FAIL: no click track"; exit 1; }
# The measuring side (recorder and its parec) runs ahead of everything else
# where real-time priority is allowed: late stamps would blame the program.
rt=""
chrt -f 20 true 2>/dev/null && rt="chrt -f 20"

# One start: record, play 3 s through the probe, judge. A recording that
# cannot be trusted (clicks missing or out of order) is made again.
one_start() {
    for try in 1 2 3; do
        rm -f "$dir/rec.raw" "$dir/rec.stamps" "$dir/probe.log"
        $rt python3 "$here/sync_clicks.py" record "$dir/rec" &
        rec=$!
        n=0
        until [ -s "$dir/rec.stamps" ] || [ $n -ge 600 ]; do sleep 0.05; n=$((n + 1)); done
        "$probe" --data "$dir/data" --seconds 3 --log "$dir/probe.log" >"$dir/probe.out" 2>&1
        rc=$?
        sleep 0.2
        kill $rec 2>/dev/null
        wait $rec 2>/dev/null
        [ $rc -eq 0 ] || { cat "$dir/probe.out"; echo "probe exit code $rc"; return 1; }
        grep -q "output pulseaudio" "$dir/probe.out" ||
            { cat "$dir/probe.out"; echo "the probe did not play through the sound server"; return 1; }
        python3 "$here/sync_clicks.py" judge "$dir/rec" "$dir/probe.log" >"$dir/judge.out"
        rc=$?
        cat "$dir/judge.out"
        [ $rc -eq 4 ] && continue
        return $rc
    done
    return 1
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
