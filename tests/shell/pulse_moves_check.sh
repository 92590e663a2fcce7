#!/bin/sh
# The demo clock after a pause and after seeks both ways, against what a real
# sound server played: a private PulseAudio server with a null sink, a click
# track as the soundtrack (a 20 ms tone at every whole second, its pitch
# naming the second), the sink's monitor recorded and stamped on the
# monotonic clock, and the probe's log of the music time each frame drew.
# The probe pauses 2 s at 2.5 s, seeks from 5 s to 60 s and from 63.5 s back
# to 20 s, as the demo's keys do. Every click heard from one second after the
# play went on after each is within the judge's gate of the music time drawn
# (its figures printed against the 10 ms goal too), none is heard while the
# picture holds (the start itself is pulse_sync_check.sh's).
#   pulse_moves_check.sh DEMO_SYNC_PROBE DEMO_CLICK_TRACK
# SYNC_MOVE_PLAYS (3) sets the number of plays.
set -u
probe=$1 clicks=$2
here=$(cd "$(dirname "$0")/../support" && pwd)
. "$here/recorded_play.sh"
recorded_setup pulse-moves "$clicks" 70

# One play, recorded and judged.
one_play() {
    recorded_play judge-moves --seconds 13.5 --pause 2.5,2 --seek 5,60 --seek 63.5,20
}

began=$(date +%s)
plays=${SYNC_MOVE_PLAYS:-3}
failed=0
i=1
while [ $i -le "$plays" ]; do
    printf 'play %d: ' $i
    one_play || failed=$((failed + 1))
    i=$((i + 1))
done
echo "took $(( $(date +%s) - began )) s"
[ $failed -eq 0 ] || { echo "FAIL: $failed of $plays plays out of step after a pause or a seek"; exit 1; }
echo "$plays plays in step after a pause and seeks both ways"
