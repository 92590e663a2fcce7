#!/bin/sh
# Benchmark (prints figures, judges nothing): the demo clock against what a
# sound server played over the whole timeline. A private PulseAudio server
# (or, with --pipewire, a private PipeWire with its pulse layer) plays a click
# track through the probe; the sink's monitor is recorded and each click
# dated on the monotonic clock; the music time the probe drew at each frame
# is compared with the one heard. Then SDL's disk driver, judged by the
# probe's own report (nothing to record there).
# SDL's disk thread runs with real-time scheduling where allowed, as a sound
# card's clock would.
#   tools/sync-probe/sync-bench.sh [--seconds N] [--pipewire] [--no-disk] [BUILD_DIR]
set -u
seconds=228 pipewire=0 disk=1 build=build
while [ $# -gt 0 ]; do
    case $1 in
        --seconds) seconds=$2; shift 2 ;;
        --pipewire) pipewire=1; shift ;;
        --no-disk) disk=0; shift ;;
        *) build=$1; shift ;;
    esac
done
root=$(cd "$(dirname "$0")/../.." && pwd)
support=$root/tests/support
probe=$build/demo-sync-probe clicks=$build/demo-click-track
[ -x "$probe" ] && [ -x "$clicks" ] || { echo "build demo-sync-probe and demo-click-track first"; exit 1; }
. "$support/pulse_server.sh"
pw=""
pulse_test_cleanup() {
    # PipeWire's processes by their pids; the session then ends by itself,
    # and with it its bus.
    [ -f "$dir/pw.pids" ] && kill $(cat "$dir/pw.pids") 2>/dev/null
    [ -n "$pw" ] && wait $pw
}
pulse_test_dir sync-bench
pulse_click_track "$clicks" $((seconds + 2 < 235 ? seconds + 2 : 235))

if [ $pipewire -eq 1 ]; then
    # PipeWire headless: its own runtime folder and session bus; the null
    # sink through its pulse layer.
    mkdir -m 700 "$dir/xdg"
    XDG_RUNTIME_DIR=$dir/xdg dbus-run-session -- sh -c '
        pipewire & echo $! >"$1"; wireplumber & echo $! >>"$1"
        pipewire-pulse & echo $! >>"$1"; wait' sh "$dir/pw.pids" >"$dir/pw.log" 2>&1 &
    pw=$!
    export XDG_RUNTIME_DIR=$dir/xdg PULSE_SERVER=unix:$dir/xdg/pulse/native
    n=0
    until pactl info >/dev/null 2>&1; do
        n=$((n + 1)); [ $n -ge 100 ] && { echo "PipeWire does not answer"; cat "$dir/pw.log"; exit 1; }
        sleep 0.1
    done
    pactl load-module module-null-sink sink_name=null >/dev/null
    pactl set-default-sink null
    what="PipeWire $(pactl info | sed -n 's/^Server Name: //p')"
else
    pulse_start "$dir/server" || exit 1
    what="PulseAudio $(pactl info | sed -n 's/^Server Version: //p')"
fi
rt=""
chrt -f 20 true 2>/dev/null && rt="chrt -f 20"
$rt python3 "$support/sync_clicks.py" record "$dir/rec" &
rec=$!
until [ -s "$dir/rec.stamps" ]; do sleep 0.05; done
"$probe" --data "$dir/data" --seconds "$seconds" --log "$dir/probe.log"
sleep 0.3
kill $rec; wait $rec
echo "$what, ${seconds} s, against the recording:"
python3 "$support/sync_clicks.py" judge "$dir/rec" "$dir/probe.log" --quiet
[ $disk -eq 1 ] || exit 0
echo "SDL disk driver, ${seconds} s, the probe's own report:"
rt=""
chrt -f 10 true 2>/dev/null && rt="chrt -f 10"
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null $rt "$probe" --data "$dir/data" --seconds "$seconds" 2>/dev/null
