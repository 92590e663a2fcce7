#!/bin/sh
# The viewer's keys in a real window under a private X server (xvfb-run -a),
# pressed on the server by xdotool: each key's line on standard output, the
# picture held while paused and changed by a seek, a held key acting once,
# keys pressed while the demo loads dropped, Escape ending it with exit code 0.
#   xvfb_keys.sh DATA_DIR X11_HELPER EXE
# Every wait ends by itself: DEMO_TEST_WAIT seconds (two minutes unless set)
# for each step that waits on the program.
set -u
data_dir=$1 helper=$2 exe=$3
[ -f "$data_dir/light.dat" ] || { echo "no generated data in $data_dir"; exit 77; }
for tool in xvfb-run xdotool; do
    command -v $tool >/dev/null || { echo "SKIP: $tool is missing"; exit 77; }
done
dir=$(mktemp -d "${TMPDIR:-/tmp}/xvfb-keys.XXXXXX")
trap 'rm -rf "$dir"' EXIT
SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 640x480x24 -noreset" sh -c '
    helper=$1 exe=$2 limit=$3 out=$4/out err=$4/err
    fail() {
        echo "FAIL: $*"
        echo "--- the program said:"; cat "$out" "$err"
        kill -KILL $pid 2>/dev/null
        exit 1
    }
    # until CONDITION... holds, DEMO_TEST_WAIT seconds at most
    waiting() {
        what=$1
        shift
        n=0
        until "$@" >/dev/null 2>&1; do
            kill -0 $pid 2>/dev/null || fail "the program ended while waiting for $what"
            n=$((n + 1))
            [ $n -ge $((limit * 10)) ] && fail "no $what after $limit s"
            sleep 0.1
        done
    }
    said() { grep -q "$1" "$out"; }
    lines() { grep -c "$1" "$out"; }
    press() { xdotool keydown --window "$wid" "$1"; sleep 0.1; xdotool keyup --window "$wid" "$1"; }
    picture() { "$helper" hash .quellTarn; }

    "$exe" --start 100 >"$out" 2>"$err" & pid=$!
    waiting "window" xdotool search --name quellTarn
    wid=$(xdotool search --name quellTarn | head -1)
    # Loading and playing the timeline up to 100 s: a seek asked for now is dropped.
    press Right
    waiting "first frame" "$helper" drawn .quellTarn
    sleep 0.5
    said "seek" && fail "a key pressed while loading was acted on"
    echo "step loading: a key pressed while loading was dropped"

    press space
    waiting "pause" said "paused at 10[0-9]\."
    a=$(picture); sleep 1; b=$(picture)
    [ "$a" = "$b" ] || fail "the picture moved while paused"
    # Held: key-downs without a key-up in between act once.
    xdotool keydown --window "$wid" Right; xdotool keydown --window "$wid" Right
    xdotool keydown --window "$wid" Right; sleep 0.3; xdotool keyup --window "$wid" Right
    waiting "seek while paused" said "seek to 11[0-9]\."
    sleep 1
    [ "$(lines "seek to")" -eq 1 ] || fail "a held key acted more than once"
    c=$(picture); sleep 1; d=$(picture)
    [ "$c" != "$a" ] || fail "the seek while paused did not show its frame"
    [ "$c" = "$d" ] || fail "the picture moved while paused after a seek"
    echo "step pause: the picture held, a held Right sought once and showed its frame"

    press space
    waiting "play on" said "playing from 11[0-9]\."
    e=$(picture); sleep 1; f=$(picture)
    [ "$e" != "$f" ] || fail "the picture stood still after playing on"
    press Left
    waiting "seek back" said "seek to 10[0-9]\."
    echo "step play: Space played on, Left sought 10 s back"

    press Next
    waiting "next part" said "seek to 107.817 s"
    press Prior
    waiting "previous part" said "seek to 82.217 s"
    press 6
    waiting "part 6" said "seek to 173.017 s"
    press 0
    waiting "part 0" said "seek to 0.000 s"
    n=$(lines "seek to")
    press 9
    sleep 1
    [ "$(lines "seek to")" -eq "$n" ] || fail "9 sought"
    echo "step parts: Page Down, Page Up, 6 and 0 went to their parts, 9 did nothing"

    xdotool keydown --window "$wid" Escape
    # Not through waiting(): its own check that the program still runs would
    # race with the end awaited here (the shell may reap it between the two).
    n=0
    while kill -0 $pid 2>/dev/null; do
        n=$((n + 1))
        [ $n -ge $((limit * 10)) ] && fail "no end after Escape after $limit s"
        sleep 0.1
    done
    wait $pid
    rc=$?
    [ $rc -eq 0 ] || fail "exit code $rc after Escape"
    grep -q Error "$err" && fail "an error was reported"
    echo "step end: Escape ended the demo, exit code 0"
    cat "$out"
    exit 0' sh "$helper" "$exe" "${DEMO_TEST_WAIT:-120}" "$dir"
