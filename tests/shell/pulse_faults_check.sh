#!/bin/sh
# The sound server going wrong while the demo plays, on a private PulseAudio
# server: killed, its sink removed, restarted, the sink suspended and
# resumed. Each time the probe (the demo's own start-up and clock) ends by
# itself with exit code 0, says in one line what happened (a suspended sink
# is no fault: nothing), and the music time it drew never went back and ran
# on with the timer. Without any server at the start, the player falls back
# to SDL's audio; with no device there either: "cannot play audio".
# Then the real demo, windowed under Xvfb: the server killed while it draws,
# Escape still ends it with exit code 0.
#   pulse_faults_check.sh DEMO_SYNC_PROBE DEMO_CLICK_TRACK [DEMO_WINDOWED DATA_DIR X11_HELPER]
set -u
probe=$1 clicks=$2
here=$(cd "$(dirname "$0")/../support" && pwd)
for tool in pulseaudio pactl; do
    command -v $tool >/dev/null 2>&1 || { echo "SKIP: $tool is not installed"; exit 77; }
done
. "$here/pulse_server.sh"
dir=$(mktemp -d "${TMPDIR:-/tmp}/pulse-faults.XXXXXX")
cleanup() {
    pulse_stop "$dir/server"
    rm -rf "$dir"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
unset SDL_AUDIODRIVER
mkdir -p "$dir/data"
"$clicks" "$dir/data/5tfina.mp3" 8 || { echo "FAIL: no click track"; exit 1; }
failed=0
fail() { echo "FAIL: $*"; failed=1; }

# Frames ran on: drawn time never falls, and from the first frame to the last
# it moved with the timer (within a few frames; a resumed sink may hold the
# picture up to the time it was suspended).
ran_on() {
    awk -v slack="$2" '
        !/^#/ { t = $1 * 1000; d = $2
                if (n++ == 0) { t0 = t; d0 = d }
                else if (d < last) { print "music time went back at " t; bad = 1 }
                last = d; tl = t }
        END { moved = (tl - t0) - (last - d0)
              if (n < 10) { print "only " n " frames"; exit 1 }
              if (moved > slack || moved < -slack) { print "drawn time and timer differ by " moved " ms"; exit 1 }
              exit bad }' "$1"
}

fault() {
    what=$1
    pulse_start "$dir/server" || { fail "the test's sound server does not start"; return; }
    "$probe" --data "$dir/data" --seconds 4 --log "$dir/probe.log" >"$dir/out" 2>"$dir/err" &
    pid=$!
    sleep 1.5
    case $what in
        killed) pulse_stop "$dir/server" ;;
        "sink removed") pactl unload-module module-null-sink ;;
        restarted) pulse_stop "$dir/server"; pulse_start "$dir/server" ;;
        "sink suspended") pactl suspend-sink null 1; sleep 0.5; pactl suspend-sink null 0 ;;
    esac
    wait $pid
    rc=$?
    pulse_stop "$dir/server"
    lines=$(grep -c '^audio:' "$dir/err")
    echo "server $what: exit code $rc, $(grep '^audio:' "$dir/err" || echo 'nothing said')"
    [ $rc -eq 0 ] || fail "exit code $rc after the server was $what"
    if [ "$what" = "sink suspended" ]; then
        [ "$lines" -eq 0 ] || fail "a suspended sink was reported as a fault"
        ran_on "$dir/probe.log" 1500 || fail "the pictures did not run on"
    else
        [ "$lines" -eq 1 ] || fail "$lines lines about the server $what, not one"
        ran_on "$dir/probe.log" 100 || fail "the pictures did not run on with the timer"
    fi
}

for what in killed "sink removed" restarted "sink suspended"; do
    fault "$what"
done

# No server at all: SDL's audio, which finds no device here either.
PULSE_SERVER=unix:$dir/no-server "$probe" --data "$dir/data" --seconds 1 >"$dir/out" 2>"$dir/err"
rc=$?
echo "no server: exit code $rc, $(grep -c . "$dir/err") lines on stderr"
if [ $rc -eq 0 ]; then
    grep -q "output sdl" "$dir/out" || fail "no server, yet it did not play through SDL's audio"
else
    grep -q "cannot play audio" "$dir/err" || fail "no server and no device, without \"cannot play audio\""
fi
# The same with SDL's disk driver named: it plays through it.
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null PULSE_SERVER=unix:$dir/no-server \
    "$probe" --data "$dir/data" --seconds 1 >"$dir/out" 2>"$dir/err" ||
    fail "SDL's disk driver named, the probe did not play"
grep -q "output sdl" "$dir/out" || fail "SDL's disk driver named, yet not played through SDL"

# The real demo under Xvfb: the server killed as it draws, then Escape.
if [ $# -ge 5 ] && command -v xvfb-run >/dev/null 2>&1 && command -v xdotool >/dev/null 2>&1 &&
    [ -f "$4/light.dat" ]; then
    demo=$3 data=$4 helper=$5
    pulse_start "$dir/server" || fail "the test's sound server does not start"
    xvfb-run -a -s "-screen 0 640x480x24" sh -c '
        demo=$1 helper=$2 server=$3 limit=$4 support=$5
        . "$support/pulse_server.sh"
        "$demo" 2>"$server.err" & pid=$!
        n=0
        until "$helper" drawn .quellTarn >/dev/null 2>&1; do
            kill -0 $pid 2>/dev/null || { echo "the demo ended before drawing"; exit 1; }
            n=$((n + 1)); [ $n -ge $((limit * 5)) ] && { kill -KILL $pid; exit 1; }
            sleep 0.2
        done
        sleep 1
        pulse_stop "$server"
        sleep 2
        kill -0 $pid 2>/dev/null || { echo "the demo ended when the server went"; wait $pid; exit 1; }
        # Focus the window and press Escape, again each second until it ends
        # (a busy machine may be slow to draw the frame that sees it).
        n=0
        while kill -0 $pid 2>/dev/null; do
            if [ $((n % 10)) -eq 0 ]; then
                wid=$(xdotool search --name quellTarn 2>/dev/null | head -1)
                [ -n "$wid" ] && xdotool windowfocus "$wid" 2>/dev/null
                xdotool key Escape 2>/dev/null
            fi
            n=$((n + 1)); [ $n -ge 300 ] && { echo "Escape did not end it"; kill -KILL $pid; exit 1; }
            sleep 0.1
        done
        wait $pid' sh "$demo" "$helper" "$dir/server" "${DEMO_TEST_WAIT:-120}" "$here"
    rc=$?
    echo "demo, server killed, then Escape: exit code $rc, $(grep '^audio:' "$dir/server.err" || echo 'nothing said')"
    [ $rc -eq 0 ] || fail "the demo did not end with exit code 0 after Escape (got $rc)"
    [ "$(grep -c '^audio:' "$dir/server.err")" -eq 1 ] || fail "the demo did not say in one line that the server went"
fi
exit $failed
