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
# A step that the rest of its part needs (the window, the first frame) stops
# that part's program when it fails, says what the program printed, which
# windows the server had and what the program was doing, and the test goes on
# with the next part.
set -u
# Nothing here reads from a terminal.
exec </dev/null
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
pid=""
away=""
cleanup() {
    [ -n "$pid" ] && [ ! -f "$tmp/rc" ] && kill -KILL "$pid" 2>/dev/null
    [ -n "$away" ] && kill "$away" 2>/dev/null
    [ -n "$xpid" ] && kill "$xpid" 2>/dev/null && wait "$xpid" 2>/dev/null
    [ -n "$vpid" ] && kill "$vpid" 2>/dev/null && wait "$vpid" 2>/dev/null
    rm -rf "$tmp"
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM
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
# One X client call (xwininfo, xrandr, xdotool, the helper): none may hold a
# step past its limit, also on a server that stopped answering.
x() { timeout -k 2 30 "$@"; }
# wait_for [-r] [-p SECONDS] STEP COMMAND...: runs COMMAND every 0.1 s (or
# every SECONDS) until it succeeds, wait_limit seconds at most, and prints how
# long the step took. -r: gives up as soon as the program from start() has
# ended or shows an error box (which would wait for a click for ever). Fails
# when the command never succeeded.
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
        if [ -n "$while_running" ] && has_window Error; then
            echo "step $step: gave up after $(since "$begun") s: the program shows an error box"
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
mode() { x xrandr 2>/dev/null | awk '/current/ {gsub(",", "", $10); print $8 "x" $10; exit}'; }
mode_is() { [ "$(mode)" = "$1" ]; }
# The top-level windows, one a line: id "name": ("instance" "class") geometry.
top_windows() { x xwininfo -root -children 2>/dev/null | awk '$1 ~ /^0x/'; }
# The id of the top-level window named $1 (names may hold spaces); nothing
# when there is none.
window_id() { top_windows | awk -v n="\"$1\":" 'index($0, n) {print $1; exit}'; }
has_window() { [ -n "$(window_id "$1")" ]; }
no_window() { [ -z "$(window_id "$1")" ]; }
# $1 names a window. xwininfo and xdotool take an empty or zero id as the
# window the user clicks next, and wait for that click.
is_window() {
    case $1 in
        0x*[!0-9a-fA-F]* | 0x) return 1 ;;
        0x*) [ $(($1)) -ne 0 ] ;;
        *) return 1 ;;
    esac
}
# Window $1's size (WIDTHxHEIGHT), and its map state when asked (-m).
window_size() {
    [ "$1" = -m ] && { state=1; shift; } || state=""
    is_window "$1" || return 1
    x xwininfo -id "$1" 2>/dev/null | awk -v state="$state" '
        /Width:/ {w = $2} /Height:/ {h = $2} /Map State:/ {m = $3}
        END {if (w == "") exit 1; print w "x" h (state ? " " m : "")}'
}
# Window $1 is on the screen and $2 (WIDTHxHEIGHT) in size.
shown_at() { [ "$(window_size -m "$1")" = "$2 IsViewable" ]; }
# The demo has presented a frame.
drawn() { x "$helper" drawn .quellTarn >/dev/null 2>&1; }
# The picture fills the centred 4:3 rectangle, black bars around it; what the
# last check found is in $tmp/picture.
picture_ok() { x "$helper" check-picture .quellTarn >"$tmp/picture" 2>&1; }
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
press_escape() { is_window "$1" && x xdotool keydown --window "$1" Escape; }
release_escape() { x xdotool keyup Escape 2>/dev/null; }
# finish STEP [SECONDS]: waits for the program to end, answering every error
# box with Return (an SDL box on an X server waits for a click forever);
# wait_limit seconds (or SECONDS) at most, then kills it. Sets rc.
finish() {
    begun=$(now)
    limit=${2:-$wait_limit}
    while running && [ $(($(now) - begun)) -lt $((limit * 1000000000)) ]; do
        box=$(window_id Error)
        if is_window "$box"; then
            echo "  box: mode $(mode) while it is shown" >>"$tmp/boxes"
            x xdotool key --window "$box" Return 2>/dev/null
            sleep 0.3
        fi
        sleep 0.1
    done
    if running; then
        echo "step $1: gave up after $(since "$begun") s, killed"
        # With its children: an SDL error box is a process of its own.
        for child in $(ps -o pid= --ppid "$pid" 2>/dev/null); do kill -KILL "$child" 2>/dev/null; done
        kill -KILL "$pid" 2>/dev/null
        while running; do sleep 0.1; done
        rc=124
    else
        echo "step $1: $(since "$begun") s"
        rc=$(cat "$tmp/rc")
    fi
    release_escape
}
# give_up STEP: a step that the rest of this part needs failed. Says what
# the program printed, which windows the server has and what the program is
# doing (its state, CPU time, where it waits), then stops it: SIGTERM, SIGKILL
# after ten seconds. The Xorg server is put back at 1280x1024 for the next
# part.
give_up() {
    fail "$1"
    echo "  the program said:"
    tail -5 "$tmp/out" | sed 's/^/    /'
    echo "  windows on the server:"
    top_windows | sed 's/^/    /'
    if running && [ -r "/proc/$pid/stat" ]; then
        # Fields after the command name: state, ..., utime and stime (14, 15).
        awk -v hz="$(getconf CLK_TCK)" '{sub(/^.*\) /, ""); printf "  the program: state %s, %.1f s of CPU time", $1, ($12 + $13) / hz}' "/proc/$pid/stat"
        echo ", waiting in $(cat "/proc/$pid/wchan" 2>/dev/null || echo '?')," \
            "$(ls "/proc/$pid/task" 2>/dev/null | wc -l) threads"
    fi
    running && kill -TERM "$pid" 2>/dev/null
    finish "${1%%:*}: stop" 10
    release_escape
    [ -z "$xpid" ] || mode_is 1280x1024 || x xrandr -s 1280x1024 2>/dev/null
}
# demo_window PART: waits for the demo's window; sets w to its id.
demo_window() {
    w=""
    wait_for -r "$1: window" has_window .quellTarn && w=$(window_id .quellTarn) && is_window "$w"
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

# Normal ways out, the demo running at 640x480.
way_out() {
    how=$1
    start "$tmp/app/demo" dummy
    wait_for -r "$how: switch to 640x480" mode_is 640x480 ||
        fail "$how: the display did not switch to 640x480 ($(mode))"
    demo_window "$how" || { give_up "$how: no demo window"; return; }
    wait_for -r "$how: first frame" drawn || { give_up "$how: the demo never drew a frame"; return; }
    case $how in
        escape) press_escape "$w" ;;
        close) x "$helper" close .quellTarn ;;
        term) kill -TERM "$pid" ;;
        int) kill -INT "$pid" ;;
    esac
    finish "$how: end"
    # Stopped by a signal, the demo still gives the desktop back, and says
    # by its exit code that it was interrupted.
    case $how in term) code=143 ;; int) code=130 ;; *) code=0 ;; esac
    expect_end "$how" "$code"
}

# Another program takes the focus (Alt-Tab): the desktop gets its mode back,
# the demo plays on; coming back, then Escape. The demo has to be on the
# screen at 640x480 and drawing first, and the other program's window there,
# or a slow machine would take the focus from a demo that never had it.
focus_lost() {
    start "$tmp/app/demo" dummy
    wait_for -r "focus: switch to 640x480" mode_is 640x480 ||
        fail "focus: the display did not switch to 640x480"
    demo_window focus || { give_up "focus: no demo window"; return; }
    wait_for -r "focus: window on the screen at 640x480" shown_at "$w" 640x480 ||
        { give_up "focus: the demo window is not on the screen at 640x480"; return; }
    wait_for -r "focus: first frame" drawn || { give_up "focus: the demo never drew a frame"; return; }
    "$helper" focus-away &
    away=$!
    wait_for "focus: the other program's window" has_window "another program" ||
        fail "focus: the other program's window did not appear"
    wait_for -r "focus: desktop mode back" mode_is 1280x1024 ||
        fail "focus: another program has the focus, the desktop stays at $(mode)"
    running || fail "focus: the demo ended when it lost the focus"
    echo "focus lost: desktop at $(mode), demo still running"
    other_program_gone "focus back"
    x xdotool windowfocus "$w" 2>/dev/null
    wait_for -r "focus back: switch to 640x480" mode_is 640x480 ||
        fail "focus back: the display stays at $(mode)"
    echo "focus back: display at $(mode)"
    press_escape "$w"
    finish "focus: end"
    expect_end "focus, then escape" 0
}
# other_program_gone PART: ends the focus-away program; its window has to
# be gone from the server too, or its focus would outlive it.
other_program_gone() {
    kill "$away"
    wait "$away" 2>/dev/null
    away=""
    wait_for "$1: the other program's window gone" no_window "another program"
}

# The focus taken while the demo is still loading, before its first frame: it
# must not take the mode back once it plays, for as long as the other program
# holds the focus. The soundtrack starts just before the first frame (SDL's
# audio thread then exists).
audio_started() { grep -qs SDLAudioP /proc/"$pid"/task/*/comm; }
early_focus() {
    start "$tmp/app/demo" dummy
    wait_for -r "early focus: switch to 640x480" mode_is 640x480 ||
        fail "early focus: the display did not switch to 640x480"
    audio_started && echo "early focus: the demo was playing before the focus was taken (step proves little)"
    "$helper" focus-away &
    away=$!
    wait_for "early focus: the other program's window" has_window "another program" ||
        fail "early focus: the other program's window did not appear"
    if wait_for -r "early focus: soundtrack started" audio_started; then
        wait_for -r "early focus: desktop mode" mode_is 1280x1024 ||
            fail "early focus: another program has the focus, the desktop stays at $(mode)"
        watch_mode "early focus: the demo playing without the focus" 1280x1024
        running || fail "early focus: the demo ended"
    else
        give_up "early focus: the demo never started its soundtrack"
    fi
    other_program_gone "early focus"
    running || return
    kill -TERM "$pid"
    finish "early focus: end"
    expect_end "early focus, then SIGTERM" 143
}

# Start-up failures after the switch: each error box is answered.
start_up_failures() {
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
}

# --desktop-size (with multisampling, as the menu's "sharp" action): the
# display keeps its 1280x1024 before, during and after; the window and its
# drawable are the screen; the picture the centred 1280x960 rectangle.
desktop_size() {
    printf '#!/bin/sh\nexec "%s/demo" --desktop-size --msaa 4\n' "$tmp/app" >"$tmp/app/demo-sharp"
    chmod +x "$tmp/app/demo-sharp"
    [ "$(mode)" = 1280x1024 ] || fail "desktop size: the display is at $(mode) before the start"
    start "$tmp/app/demo-sharp" dummy
    demo_window "desktop size" || { give_up "desktop size: no demo window"; return; }
    # A switch would come before the first frame; watched a little longer.
    wait_for -r "desktop size: first frame" drawn ||
        { give_up "desktop size: the demo never drew a frame"; return; }
    watch_mode "desktop size" 1280x1024
    size=$(window_size "$w")
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
}

# The windowed build, resized to 1000x500.
resize() {
    start "$windowed" dummy
    demo_window resize || { give_up "resize: no demo window"; return; }
    wait_for -r "resize: window on the screen at 640x480" shown_at "$w" 640x480 ||
        { give_up "resize: the window is not on the screen at 640x480"; return; }
    x xdotool windowmove "$w" 0 0
    x xdotool windowsize "$w" 1000 500
    wait_for -r "resize: window at 1000x500" shown_at "$w" 1000x500 ||
        fail "resize: the window did not take the size 1000x500"
    wait_for -r -p 1 "resize: centred picture" picture_ok ||
        fail "resize: the picture is not a centred 4:3 rectangle with black bars: $(cat "$tmp/picture")"
    press_escape "$w"
    finish "resize: end"
    [ "$rc" = 0 ] || fail "resize: exit code $rc; $(tail -3 "$tmp/out")"
}

# On an X server without a 640x480 mode: fullscreen at the screen's size.
no_small_mode() {
    start "$tmp/app/demo" dummy
    demo_window "no 640x480 mode" || { give_up "no 640x480 mode: no demo window"; return; }
    wait_for -r "no 640x480 mode: window on the screen at 1280x1024" shown_at "$w" 1280x1024 ||
        { give_up "no 640x480 mode: the window does not cover the screen"; return; }
    wait_for -r -p 1 "no 640x480 mode: centred picture" picture_ok ||
        fail "no 640x480 mode: not fullscreen with a centred 4:3 picture: $(cat "$tmp/picture")"
    grep -q "fullscreen at the desktop size" "$tmp/out" || fail "no 640x480 mode: $(cat "$tmp/out")"
    press_escape "$w"
    finish "no 640x480 mode: end"
    [ "$rc" = 0 ] || fail "no 640x480 mode: exit code $rc; $(tail -3 "$tmp/out")"
}

mkdir "$tmp/app" "$tmp/nodata"
cp "$demo" "$tmp/app/demo"
cp "$demo" "$tmp/nodata/demo"
ln -s "$data" "$tmp/app/data"
suite_begun=$(now)

for how in escape close term int; do
    way_out "$how"
done
focus_lost
early_focus
start_up_failures
desktop_size
resize

kill "$xpid"
wait "$xpid" 2>/dev/null
xpid=""
Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset -nolisten tcp 3>"$tmp/display2" >"$tmp/xvfb.out" 2>&1 &
vpid=$!
xvfb_up() { [ -s "$tmp/display2" ] || ! kill -0 "$vpid" 2>/dev/null; }
wait_for "Xvfb start" xvfb_up
if [ -s "$tmp/display2" ]; then
    DISPLAY=:$(cat "$tmp/display2")
    echo "Xvfb, 1280x1024 only, on $DISPLAY"
    no_small_mode
else
    fail "Xvfb did not start: $(tail -3 "$tmp/xvfb.out")"
fi

echo "all steps: $(since "$suite_begun") s"
[ $failures -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "all desktop checks passed"
