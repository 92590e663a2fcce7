#!/bin/sh
# The demo clock against the audio device: SDL's disk driver plays the
# soundtrack at its own pace (a thread that writes a buffer, then sleeps),
# and the probe compares, every frame, the music time drawn with the sample
# being played. In step: within the CI gate (25 ms, the goal of 10 ms printed
# beside it), no drift beyond it; also with a device set to
# sleep 45 ms per 46.4 ms buffer (SDL_DISKAUDIODELAY), whose clock runs 3 %
# fast. The clock the demo once had (zero taken when the stream was started,
# never following the device) must fail the same check on that device, or
# the check proves nothing.
#   sync_check.sh DEMO_SYNC_PROBE DATA_DIR
set -u
probe=$1 data=$2
[ -f "$data/5tfina.mp3" ] || { echo "no generated soundtrack in $data"; exit 77; }
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
# A sound card keeps its own time; the disk driver's thread only sleeps, and
# on a busy machine wakes late. Real-time scheduling, where allowed, keeps it
# close to a card.
rt=""
chrt -f 10 true 2>/dev/null && rt="chrt -f 10"
probe="$rt $probe"
# Even so the thread can miss its time by a few buffers once in a while: that
# sound really is late, and the clock takes a second or two to follow it. Such
# a run counts as a stall of the machine, and is tried again (three times).
in_step() {
    for try in 1 2 3; do
        "$@" && return 0
    done
    return 1
}
in_step $probe --seconds 8 --check 2>/dev/null ||
    { echo "FAIL: the demo clock is out of step with the device"; exit 1; }
in_step env SDL_DISKAUDIODELAY=45 $probe --seconds 6 --check 2>/dev/null ||
    { echo "FAIL: the demo clock does not follow a fast device"; exit 1; }
SDL_DISKAUDIODELAY=45 $probe --seconds 4 --uncompensated --check 2>/dev/null
rc=$?
[ $rc -eq 3 ] || { echo "FAIL: the check passed a clock that ignores the device (exit code $rc)"; exit 1; }
echo "in step; the uncompensated clock is caught"
