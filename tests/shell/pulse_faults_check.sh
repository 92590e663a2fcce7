#!/bin/sh
# The sound server going wrong while the demo plays, on a private PulseAudio
# server: killed, its sink removed, restarted, the sink suspended and
# resumed. Each time the probe (the demo's own start-up and clock) ends by
# itself with exit code 0, says in one line what happened (a suspended sink
# is no fault: nothing), and the music time it drew never went back and ran
# on with the timer. A restarted server plays the music again, in step with
# the pictures (recorded from its sink). Without any server at the start, or
# with one that refuses the music's stream, the player says why and falls
# back to SDL's audio; with no device there either: "cannot play audio".
# Then the real demo, windowed under Xvfb: the server killed while it draws,
# Escape still ends it with exit code 0.
#   pulse_faults_check.sh DEMO_SYNC_PROBE DEMO_CLICK_TRACK [DEMO_WINDOWED DATA_DIR X11_HELPER]
set -u
probe=$1 clicks=$2
here=$(cd "$(dirname "$0")/../support" && pwd)
. "$here/pulse_server.sh"
pulse_need pulseaudio pactl parec python3
pulse_test_dir pulse-faults
pulse_click_track "$clicks" 14
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

for what in killed "sink removed" "sink suspended"; do
    fault "$what"
done

# Restarted once the pictures run: the player calls the server again, and
# the music is heard again where the pictures are (clicks recorded from the
# restarted server's sink, judged from a second after the first one heard,
# against the judge's gate for a server just started).
pulse_start "$dir/server" || fail "the test's sound server does not start"
"$probe" --data "$dir/data" --seconds 11 --log "$dir/probe.log" >"$dir/out" 2>"$dir/err" &
pid=$!
sleep 3
pulse_stop "$dir/server"
pulse_start "$dir/server" || fail "the test's sound server does not start again"
python3 "$here/sync_clicks.py" record "$dir/rec" &
rec=$!
wait $pid
rc=$?
kill $rec 2>/dev/null
wait $rec 2>/dev/null
rec=""
pulse_stop "$dir/server"
echo "server restarted: exit code $rc, $(grep '^audio:' "$dir/err" || echo 'nothing said')"
[ $rc -eq 0 ] || fail "exit code $rc after the server was restarted"
[ "$(grep -c '^audio:' "$dir/err")" -eq 1 ] || fail "not one line about the server restarted"
python3 "$here/sync_clicks.py" judge-comeback "$dir/rec" "$dir/probe.log" ||
    fail "after the server was restarted the music was not heard again in step"

# A server that takes the connection but refuses the music's stream (here:
# it has no sink): said why, then SDL's audio (SDL_AUDIODRIVER names the
# sound server, so SDL's disk driver is set as its choice of device).
pulse_start "$dir/server" || fail "the test's sound server does not start"
pactl unload-module module-null-sink
SDL_AUDIODRIVER=pulseaudio "$probe" --data "$dir/data" --seconds 1 >"$dir/out" 2>"$dir/err"
rc=$?
pulse_stop "$dir/server"
echo "no sink: exit code $rc, $(grep -c '^audio:' "$dir/err") lines: $(grep '^audio:' "$dir/err" | head -2 | tr '\n' ' ')"
grep -q '^audio: the sound server refused the music stream' "$dir/err" ||
    fail "a refused stream did not say why"
grep -q "the pictures run on without sound" "$dir/err" &&
    fail "a refused stream was reported as a lost server"
grep -q "output sdl" "$dir/out" || grep -q '^audio: no output device' "$dir/err" ||
    fail "a refused stream, and SDL's audio was not tried"

# No server at all: said why, then SDL's audio, which finds no device here
# either.
PULSE_SERVER=unix:$dir/no-server "$probe" --data "$dir/data" --seconds 1 >"$dir/out" 2>"$dir/err"
rc=$?
echo "no server: exit code $rc, $(grep -c . "$dir/err") lines on stderr"
[ "$(grep -c '^audio: no sound server' "$dir/err")" -eq 1 ] || fail "no server, and not one line saying so"
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
    xvfb-run -a -s "-screen 0 640x480x24 -noreset" sh -c '
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
