#!/bin/sh
# The desktop builds on an X server that really switches modes: an Xorg
# server with the dummy video driver, 1280x1024 desktop, 640x480 among its
# modes, no window manager.
#   xorg_desktop.sh DATA_DIR DEMO DEMO_WINDOWED X11_HELPER
# Fullscreen: the display is at 640x480 while the demo runs and back at
# 1280x1024 after Escape, a close request, SIGTERM, SIGINT, and each start-up
# failure after the switch; focus taken by another program gives the desktop
# its mode back while the demo keeps running. Windowed: resized to 1000x500,
# the picture is the centred 4:3 rectangle with black bars. Then, on an Xvfb
# server that offers only its 1280x1024 screen, the fullscreen build plays at
# that size, its picture 1280x960 in the middle. demo --desktop-size on the
# Xorg server: no mode switch, the screen's size, the picture centred.
set -u
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
Xorg -displayfd 3 -noreset -nolisten tcp -config "$tmp/xorg.conf" -configdir "$tmp/conf.d" \
    -logfile "$tmp/xorg.log" 3>"$tmp/display" >"$tmp/xorg.out" 2>&1 &
xpid=$!
i=0
while [ ! -s "$tmp/display" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
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
window_id() { xwininfo -root -tree 2>/dev/null | awk -v n="\"$1\":" '$2 == n {print $1; exit}'; }
# Waits up to $2 tenths of a second for the display mode $1.
wait_mode() {
    i=0
    while [ "$(mode)" != "$1" ] && [ $i -lt "$2" ]; do sleep 0.1; i=$((i + 1)); done
    [ "$(mode)" = "$1" ]
}
wait_window() {
    i=0
    while [ -z "$(window_id "$1")" ] && [ $i -lt 600 ]; do sleep 0.1; i=$((i + 1)); done
    window_id "$1"
}
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
# Waits for the program to end, answering every error box with Return (an
# SDL box on an X server waits for a click forever); 90 s at most. Sets rc.
finish() {
    i=0
    while running && [ $i -lt 900 ]; do
        box=$(window_id Error)
        if [ -n "$box" ]; then
            echo "  box: mode $(mode) while it is shown" >>"$tmp/boxes"
            xdotool key --window "$box" Return 2>/dev/null
            sleep 0.3
        fi
        sleep 0.1
        i=$((i + 1))
    done
    if running; then
        kill -KILL "$pid" 2>/dev/null
        sleep 1
        rc=124
    else
        rc=$(cat "$tmp/rc")
    fi
    release_escape
}
expect_end() {
    what=$1 want=$2
    [ "$rc" = "$want" ] || fail "$what: exit code $rc, expected $want; $(tail -3 "$tmp/out")"
    wait_mode 1280x1024 30 || fail "$what: the desktop is left at $(mode)"
    echo "$what: exit code $rc, desktop back at $(mode)"
}

# Retries the picture check: the first seconds of the demo are dark.
check_picture() {
    for attempt in 1 2 3; do
        "$helper" check-picture .quellTarn && return 0
        sleep 2
    done
    return 1
}

mkdir "$tmp/app" "$tmp/nodata"
cp "$demo" "$tmp/app/demo"
cp "$demo" "$tmp/nodata/demo"
ln -s "$data" "$tmp/app/data"

# Normal ways out, the demo running at 640x480.
for how in escape close term int; do
    start "$tmp/app/demo" dummy
    wait_mode 640x480 300 || fail "$how: the display did not switch to 640x480 ($(mode))"
    w=$(wait_window .quellTarn)
    case $how in
        escape) sleep 2; press_escape "$w" ;;
        close) sleep 2; "$helper" close .quellTarn ;;
        term) sleep 2; kill -TERM "$pid" ;;
        int) sleep 2; kill -INT "$pid" ;;
    esac
    finish
    expect_end "$how" 0
done

# Another program takes the focus (Alt-Tab): the desktop gets its mode back,
# the demo plays on; coming back, then Escape.
start "$tmp/app/demo" dummy
wait_mode 640x480 300 || fail "focus: the display did not switch to 640x480"
w=$(wait_window .quellTarn)
sleep 2
"$helper" focus-away &
away=$!
wait_mode 1280x1024 50 || fail "focus: another program has the focus, the desktop stays at $(mode)"
running || fail "focus: the demo ended when it lost the focus"
echo "focus lost: desktop at $(mode), demo still running"
kill "$away"
wait "$away" 2>/dev/null
xdotool windowfocus "$w" 2>/dev/null
wait_mode 640x480 50 || fail "focus back: the display stays at $(mode)"
echo "focus back: display at $(mode)"
press_escape "$w"
finish
expect_end "focus, then escape" 0

# Start-up failures after the switch: each error box is answered.
: >"$tmp/boxes"
start "$tmp/nodata/demo" dummy
finish
expect_end "no data (cannot load scenes or textures)" 1
grep -q "cannot load scenes or textures" "$tmp/out" || fail "no data: $(cat "$tmp/out")"
grep -q "mode 640x480" "$tmp/boxes" || fail "no data: the display was never switched"
tail -1 "$tmp/boxes" | grep -q "mode 1280x1024" ||
    fail "no data: the last box was shown before the desktop got its mode back"
cat "$tmp/boxes"

: >"$tmp/boxes"
start "$tmp/app/demo" no-such-audio-driver
finish
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
w=$(wait_window .quellTarn)
sleep 8
[ "$(mode)" = 1280x1024 ] || fail "desktop size: the display switched to $(mode)"
size=$(xwininfo -id "$w" 2>/dev/null | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')
[ "$size" = 1280x1024 ] || fail "desktop size: the window is $size, not the screen's 1280x1024"
check_picture || fail "desktop size: the picture is not the centred 4:3 rectangle"
grep -q "switch\|does not switch" "$tmp/out" && fail "desktop size: $(cat "$tmp/out")"
press_escape "$w"
finish
expect_end "desktop size" 0
echo "desktop size: window $size, display at $(mode) throughout"

# The windowed build, resized to 1000x500.
start "$windowed" dummy
w=$(wait_window .quellTarn)
xdotool windowmove "$w" 0 0
xdotool windowsize "$w" 1000 500
sleep 8
check_picture || fail "resize: the picture is not a centred 4:3 rectangle with black bars"
press_escape "$w"
finish
[ "$rc" = 0 ] || fail "resize: exit code $rc; $(tail -3 "$tmp/out")"

kill "$xpid"
wait "$xpid" 2>/dev/null
xpid=""
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$tmp/display2" >"$tmp/xvfb.out" 2>&1 &
vpid=$!
i=0
while [ ! -s "$tmp/display2" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
if [ -s "$tmp/display2" ]; then
    DISPLAY=:$(cat "$tmp/display2")
    echo "Xvfb, 1280x1024 only, on $DISPLAY"
    start "$tmp/app/demo" dummy
    w=$(wait_window .quellTarn)
    sleep 8
    check_picture || fail "no 640x480 mode: not fullscreen with a centred 4:3 picture"
    grep -q "fullscreen at the desktop size" "$tmp/out" || fail "no 640x480 mode: $(cat "$tmp/out")"
    press_escape "$w"
    finish
    [ "$rc" = 0 ] || fail "no 640x480 mode: exit code $rc; $(tail -3 "$tmp/out")"
else
    fail "Xvfb did not start: $(tail -3 "$tmp/xvfb.out")"
fi

[ $failures -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all desktop checks passed"
