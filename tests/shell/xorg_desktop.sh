#!/bin/sh
# The desktop builds on an X server that really switches modes: an Xorg
# server with the dummy video driver, 1280x1024 desktop, 640x480 among its
# modes, no window manager.
#   xorg_desktop.sh DATA_DIR DEMO DEMO_WINDOWED X11_HELPER
# Fullscreen: the display is at 640x480 while the demo runs and back at
# 1280x1024 after Escape, a close request, SIGTERM, SIGINT, and each start-up
# failure after the switch; focus taken by another program gives the desktop
# its mode back while the demo keeps running, also when it was taken while the
# demo was loading. Windowed: resized to 1000x500,
# the picture is the centred 4:3 rectangle with black bars. Then, on an Xvfb
# server that offers only its 1280x1024 screen, the fullscreen build plays at
# that size, its picture 1280x960 in the middle. demo --desktop-size on the
# Xorg server: no mode switch, the screen's size, the picture centred.
set -u
# Every wait below (the X server starting, a mode switch, a window, the focus,
# a picture, a program ending) gives up only after this many seconds: what a
# sanitized build on a busy machine can need. Each ends the moment its
# condition holds. DEMO_TEST_WAIT overrides it.
wait_limit=${DEMO_TEST_WAIT:-120}
data=$(cd "$1" 2>/dev/null && pwd) demo=$2 windowed=$3 helper=$4
[ -n "$data" ] && [ -f "$data/light.dat" ] || { echo "no generated data in $data"; exit 77; }
for tool in Xorg Xvfb xrandr xdotool xwininfo; do
    command -v $tool >/dev/null || { echo "$tool is missing (tools/setup.sh installs it)"; exit 1; }
done
[ -f /usr/lib/xorg/modules/drivers/dummy_drv.so ] ||
    { echo "the dummy video driver is missing (xserver-xorg-video-dummy)"; exit 1; }

tmp=$(mktemp -d)
xpid=""
vpid=""
cleanup() {
    [ -n "$xpid" ] && kill "$xpid" 2>/dev/null && wait "$xpid" 2>/dev/null
    [ -n "$vpid" ] && kill "$vpid" 2>/dev/null && wait "$vpid" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
mkdir "$tmp/conf.d"
cat >"$tmp/xorg.conf" <<'CONF'
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 64000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0 - 1000.0
    VertRefresh 5.0 - 200.0
    Modeline "1280x1024" 108.00 1280 1328 1440 1688 1024 1025 1028 1066 +hsync +vsync
    Modeline "640x480" 25.18 640 656 752 800 480 490 492 525 -hsync -vsync
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Modes "1280x1024" "640x480"
        Virtual 1280 1024
    EndSubSection
EndSection
CONF
# Nanoseconds; and the seconds since such a reading, to a tenth.
now() { date +%s%N; }
since() {
    tenths=$((($(now) - $1) / 100000000))
    echo "$((tenths / 10)).$((tenths % 10))"
}
# wait_for [-r] [-p SECONDS] STEP COMMAND...: runs COMMAND every 0.1 s (or
# every SECONDS) until it succeeds, wait_limit seconds at most, and prints how
# long the step took. -r: gives up as soon as the program from start() has
# ended. Fails when the command never succeeded.
wait_for() {
    while_running="" every=0.1
    while :; do
        case $1 in
            -r) while_running=1; shift ;;
            -p) every=$2; shift 2 ;;
            *) break ;;
        esac
    done
    step=$1
    shift
    begun=$(now)
    until "$@"; do
        if [ -n "$while_running" ] && ! running; then
            echo "step $step: gave up after $(since "$begun") s:" \
                "the program ended (exit code $(cat "$tmp/rc"))"
            return 1
        fi
        if [ $(($(now) - begun)) -ge $((wait_limit * 1000000000)) ]; then
            echo "step $step: gave up after $(since "$begun") s"
            return 1
        fi
        sleep "$every"
    done
    echo "step $step: $(since "$begun") s"
}

Xorg -displayfd 3 -noreset -nolisten tcp -config "$tmp/xorg.conf" -configdir "$tmp/conf.d" \
    -logfile "$tmp/xorg.log" 3>"$tmp/display" >"$tmp/xorg.out" 2>&1 &
xpid=$!
# Up, or given up (without root it ends at once).
xorg_up() { [ -s "$tmp/display" ] || ! kill -0 "$xpid" 2>/dev/null; }
wait_for "Xorg start" xorg_up
if [ ! -s "$tmp/display" ]; then
    echo "Xorg with the dummy driver did not start (it needs root here):"
    tail -5 "$tmp/xorg.out"
    exit 77
fi
DISPLAY=:$(cat "$tmp/display")
export DISPLAY
export SDL_VIDEODRIVER=x11
unset WAYLAND_DISPLAY
echo "Xorg (dummy driver) on $DISPLAY"

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
mode() { xrandr 2>/dev/null | awk '/current/ {gsub(",", "", $10); print $8 "x" $10; exit}'; }
mode_is() { [ "$(mode)" = "$1" ]; }
# The id of the top-level window named $1 (names may hold spaces).
window_id() { xwininfo -root -tree 2>/dev/null | awk -v n="\"$1\":" 'index($0, n) {print $1; exit}'; }
has_window() { [ -n "$(window_id "$1")" ]; }
no_window() { [ -z "$(window_id "$1")" ]; }
# Window $1 is on the screen and $2 (WIDTHxHEIGHT) in size.
shown_at() {
    xwininfo -id "$1" 2>/dev/null | awk -v want="$2" '
        /Width:/ {w = $2} /Height:/ {h = $2} /Map State:/ {m = $3}
        END {exit !(m == "IsViewable" && w "x" h == want)}'
}
# The demo has presented a frame.
drawn() { "$helper" drawn .quellTarn >/dev/null 2>&1; }
# The picture fills the centred 4:3 rectangle, black bars around it; what the
# last check found is in $tmp/picture.
picture_ok() { "$helper" check-picture .quellTarn >"$tmp/picture" 2>&1; }
# Starts program $1 with audio driver $2 in the background; pid is its id.
# SIGINT stays deliverable (a shell's background jobs ignore it otherwise).
start() {
    rm -f "$tmp/pid" "$tmp/rc"
    (
        SDL_AUDIODRIVER=$2 env --default-signal=INT "$1" >"$tmp/out" 2>&1 &
        echo $! >"$tmp/pid.part"
        mv "$tmp/pid.part" "$tmp/pid"
        wait $!
        echo $? >"$tmp/rc.part"
        mv "$tmp/rc.part" "$tmp/rc"
    ) &
    while [ ! -f "$tmp/pid" ]; do sleep 0.05; done
    pid=$(cat "$tmp/pid")
}
running() { [ ! -f "$tmp/rc" ]; }
# Escape held down until the program has ended: a press and release between
# two frames would leave no trace. xdotool presses it on the server itself
# (XTEST) when the window has the focus, so it is released afterwards.
press_escape() { xdotool keydown --window "$1" Escape; }
release_escape() { xdotool keyup Escape 2>/dev/null; }
# finish STEP: waits for the program to end, answering every error box with
# Return (an SDL box on an X server waits for a click forever); wait_limit
# seconds at most. Sets rc.
finish() {
    begun=$(now)
    while running && [ $(($(now) - begun)) -lt $((wait_limit * 1000000000)) ]; do
        box=$(window_id Error)
        if [ -n "$box" ]; then
            echo "  box: mode $(mode) while it is shown" >>"$tmp/boxes"
            xdotool key --window "$box" Return 2>/dev/null
            sleep 0.3
        fi
        sleep 0.1
    done
    if running; then
        echo "step $1: gave up after $(since "$begun") s, killed"
        kill -KILL "$pid" 2>/dev/null
        while running; do sleep 0.1; done
        rc=124
    else
        echo "step $1: $(since "$begun") s"
        rc=$(cat "$tmp/rc")
    fi
    release_escape
}
expect_end() {
    what=$1 want=$2
    [ "$rc" = "$want" ] || fail "$what: exit code $rc, expected $want; $(tail -3 "$tmp/out")"
    wait_for "$what: desktop mode back" mode_is 1280x1024 || fail "$what: the desktop is left at $(mode)"
    echo "$what: exit code $rc, desktop back at $(mode)"
}
# watch_mode WHAT MODE: the display stays at MODE for the next two seconds.
watch_mode() {
    for tick in 1 2 3 4 5 6 7 8 9 10; do
        mode_is "$2" || { fail "$1: the display switched to $(mode)"; return; }
        sleep 0.2
    done
}

mkdir "$tmp/app" "$tmp/nodata"
cp "$demo" "$tmp/app/demo"
cp "$demo" "$tmp/nodata/demo"
ln -s "$data" "$tmp/app/data"
suite_begun=$(now)

# Normal ways out, the demo running at 640x480.
for how in escape close term int; do
    start "$tmp/app/demo" dummy
    wait_for -r "$how: switch to 640x480" mode_is 640x480 ||
        fail "$how: the display did not switch to 640x480 ($(mode))"
    wait_for -r "$how: window" has_window .quellTarn || fail "$how: no demo window"
    w=$(window_id .quellTarn)
    wait_for -r "$how: first frame" drawn || fail "$how: the demo never drew a frame"
    case $how in
        escape) press_escape "$w" ;;
        close) "$helper" close .quellTarn ;;
        term) kill -TERM "$pid" ;;
        int) kill -INT "$pid" ;;
    esac
    finish "$how: end"
    # Stopped by a signal, the demo still gives the desktop back, and says
    # by its exit code that it was interrupted.
    case $how in term) code=143 ;; int) code=130 ;; *) code=0 ;; esac
    expect_end "$how" "$code"
done

# Another program takes the focus (Alt-Tab): the desktop gets its mode back,
# the demo plays on; coming back, then Escape. The demo has to be on the
# screen at 640x480 and drawing first, and the other program's window there,
# or a slow machine would take the focus from a demo that never had it.
start "$tmp/app/demo" dummy
wait_for -r "focus: switch to 640x480" mode_is 640x480 ||
    fail "focus: the display did not switch to 640x480"
wait_for -r "focus: window" has_window .quellTarn || fail "focus: no demo window"
w=$(window_id .quellTarn)
wait_for -r "focus: window on the screen at 640x480" shown_at "$w" 640x480 ||
    fail "focus: the demo window is not on the screen at 640x480"
wait_for -r "focus: first frame" drawn || fail "focus: the demo never drew a frame"
"$helper" focus-away &
away=$!
wait_for "focus: the other program's window" has_window "another program" ||
    fail "focus: the other program's window did not appear"
wait_for -r "focus: desktop mode back" mode_is 1280x1024 ||
    fail "focus: another program has the focus, the desktop stays at $(mode)"
running || fail "focus: the demo ended when it lost the focus"
echo "focus lost: desktop at $(mode), demo still running"
kill "$away"
wait "$away" 2>/dev/null
# Gone from the server too, or its focus would outlive it.
wait_for "focus back: the other program's window gone" no_window "another program"
xdotool windowfocus "$w" 2>/dev/null
wait_for -r "focus back: switch to 640x480" mode_is 640x480 ||
    fail "focus back: the display stays at $(mode)"
echo "focus back: display at $(mode)"
press_escape "$w"
finish "focus: end"
expect_end "focus, then escape" 0

# The focus taken while the demo is still loading, before its first frame: it
# must not take the mode back once it plays, for as long as the other program
# holds the focus. The soundtrack starts just before the first frame (SDL's
# audio thread then exists).
audio_started() { grep -qs SDLAudioP /proc/"$pid"/task/*/comm; }
start "$tmp/app/demo" dummy
wait_for -r "early focus: switch to 640x480" mode_is 640x480 ||
    fail "early focus: the display did not switch to 640x480"
audio_started && echo "early focus: the demo was playing before the focus was taken (step proves little)"
"$helper" focus-away &
away=$!
wait_for "early focus: the other program's window" has_window "another program" ||
    fail "early focus: the other program's window did not appear"
wait_for -r "early focus: soundtrack started" audio_started ||
    fail "early focus: the demo never started its soundtrack"
wait_for -r "early focus: desktop mode" mode_is 1280x1024 ||
    fail "early focus: another program has the focus, the desktop stays at $(mode)"
watch_mode "early focus: the demo playing without the focus" 1280x1024
running || fail "early focus: the demo ended"
kill "$away"
wait "$away" 2>/dev/null
wait_for "early focus: the other program's window gone" no_window "another program"
kill -TERM "$pid"
finish "early focus: end"
expect_end "early focus, then SIGTERM" 143

# Start-up failures after the switch: each error box is answered.
: >"$tmp/boxes"
start "$tmp/nodata/demo" dummy
finish "no data: end"
expect_end "no data (cannot load scenes or textures)" 1
grep -q "cannot load scenes or textures" "$tmp/out" || fail "no data: $(cat "$tmp/out")"
grep -q "mode 640x480" "$tmp/boxes" || fail "no data: the display was never switched"
tail -1 "$tmp/boxes" | grep -q "mode 1280x1024" ||
    fail "no data: the last box was shown before the desktop got its mode back"
cat "$tmp/boxes"

: >"$tmp/boxes"
start "$tmp/app/demo" no-such-audio-driver
finish "no audio: end"
expect_end "no audio (cannot play audio)" 1
grep -q "cannot play audio" "$tmp/out" || fail "no audio: $(cat "$tmp/out")"
cat "$tmp/boxes"

# --desktop-size (with multisampling, as the menu's "sharp" action): the
# display keeps its 1280x1024 before, during and after; the window and its
# drawable are the screen; the picture the centred 1280x960 rectangle.
printf '#!/bin/sh\nexec "%s/demo" --desktop-size --msaa 4\n' "$tmp/app" >"$tmp/app/demo-sharp"
chmod +x "$tmp/app/demo-sharp"
[ "$(mode)" = 1280x1024 ] || fail "desktop size: the display is at $(mode) before the start"
start "$tmp/app/demo-sharp" dummy
wait_for -r "desktop size: window" has_window .quellTarn || fail "desktop size: no demo window"
w=$(window_id .quellTarn)
# A switch would come before the first frame; watched a little longer.
wait_for -r "desktop size: first frame" drawn || fail "desktop size: the demo never drew a frame"
watch_mode "desktop size" 1280x1024
size=$(xwininfo -id "$w" 2>/dev/null | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[ "$size" = 1280x1024 ] || fail "desktop size: the window is $size, not the screen's 1280x1024"
# The first seconds of the demo are dark: the check is repeated until the
# picture is bright enough to show its edges.
wait_for -r -p 1 "desktop size: centred picture" picture_ok ||
    fail "desktop size: the picture is not the centred 4:3 rectangle: $(cat "$tmp/picture")"
grep -q "switch\|does not switch" "$tmp/out" && fail "desktop size: $(cat "$tmp/out")"
press_escape "$w"
finish "desktop size: end"
expect_end "desktop size" 0
echo "desktop size: window $size, display at $(mode) throughout"

# The windowed build, resized to 1000x500.
start "$windowed" dummy
wait_for -r "resize: window" has_window .quellTarn || fail "resize: no demo window"
w=$(window_id .quellTarn)
wait_for -r "resize: window on the screen at 640x480" shown_at "$w" 640x480 ||
    fail "resize: the window is not on the screen at 640x480"
xdotool windowmove "$w" 0 0
xdotool windowsize "$w" 1000 500
wait_for -r "resize: window at 1000x500" shown_at "$w" 1000x500 ||
    fail "resize: the window did not take the size 1000x500"
wait_for -r -p 1 "resize: centred picture" picture_ok ||
    fail "resize: the picture is not a centred 4:3 rectangle with black bars: $(cat "$tmp/picture")"
press_escape "$w"
finish "resize: end"
[ "$rc" = 0 ] || fail "resize: exit code $rc; $(tail -3 "$tmp/out")"

kill "$xpid"
wait "$xpid" 2>/dev/null
xpid=""
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display2" >"$tmp/xvfb.out" 2>&1 &
vpid=$!
xvfb_up() { [ -s "$tmp/display2" ] || ! kill -0 "$vpid" 2>/dev/null; }
wait_for "Xvfb start" xvfb_up
if [ -s "$tmp/display2" ]; then
    DISPLAY=:$(cat "$tmp/display2")
    echo "Xvfb, 1280x1024 only, on $DISPLAY"
    start "$tmp/app/demo" dummy
    wait_for -r "no 640x480 mode: window" has_window .quellTarn ||
        fail "no 640x480 mode: no demo window"
    w=$(window_id .quellTarn)
    wait_for -r "no 640x480 mode: window on the screen at 1280x1024" shown_at "$w" 1280x1024 ||
        fail "no 640x480 mode: the window does not cover the screen"
    wait_for -r -p 1 "no 640x480 mode: centred picture" picture_ok ||
        fail "no 640x480 mode: not fullscreen with a centred 4:3 picture: $(cat "$tmp/picture")"
    grep -q "fullscreen at the desktop size" "$tmp/out" || fail "no 640x480 mode: $(cat "$tmp/out")"
    press_escape "$w"
    finish "no 640x480 mode: end"
    [ "$rc" = 0 ] || fail "no 640x480 mode: exit code $rc; $(tail -3 "$tmp/out")"
else
    fail "Xvfb did not start: $(tail -3 "$tmp/xvfb.out")"
fi

echo "all steps: $(since "$suite_begun") s"
[ $failures -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all desktop checks passed"
