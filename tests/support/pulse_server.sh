# A private PulseAudio server for tests: one null sink called "null", a
# socket in the test's own folder, ended by its pid. Never touches another
# server on the machine. Source this file, then:
#   pulse_start DIR   starts the server (socket DIR/native, runtime files in
#                     DIR, state in DIR/state, log in DIR/log), waits until it
#                     answers and exports PULSE_SERVER; non-zero if it cannot
#   pulse_stop DIR    ends the server whose pid is in DIR/pid and waits for it
# Clients started after pulse_start find the server through PULSE_SERVER.
# For a test of the demo through such a server:
#   pulse_need TOOLS...   exits 77 (skipped) when one of the tools is missing
#   pulse_test_dir NAME   makes the test's temporary folder $dir; on the way
#                         out ends the recorder whose pid is in $rec (if any)
#                         and runs the caller's pulse_test_cleanup where one
#                         is defined, ends the server in $dir/server and
#                         removes $dir; plays through the sound server (no
#                         SDL_AUDIODRIVER)
#   pulse_click_track CLICKS SECONDS   writes SECONDS of the click track
#                         (DEMO_CLICK_TRACK) as $dir/data/5tfina.mp3

pulse_start() {
    _pdir=$1
    [ -n "$_pdir" ] || { echo "pulse_start: no folder given" >&2; return 2; }
    mkdir -p "$_pdir/state" || return 1
    chmod 700 "$_pdir" 2>/dev/null
    command -v pulseaudio >/dev/null 2>&1 ||
        { echo "pulse_start: pulseaudio is not installed" >&2; return 1; }
    # A desktop's sound server plays with real-time priority (rtkit gives it);
    # where we may, ours does too, so a busy test machine does not make it late.
    _prt=""
    chrt -r 5 true 2>/dev/null && _prt="chrt -r 5"
    PULSE_RUNTIME_PATH=$_pdir PULSE_STATE_PATH=$_pdir/state \
        $_prt pulseaudio --daemonize=yes --exit-idle-time=-1 --disallow-exit -n \
        --use-pid-file=yes --log-target="file:$_pdir/log" \
        --load="module-null-sink sink_name=null" \
        --load="module-native-protocol-unix socket=$_pdir/native auth-anonymous=1" \
        2>>"$_pdir/log" ||
        { echo "pulse_start: pulseaudio did not start (see $_pdir/log)" >&2; return 1; }
    # Up in well under a second on a quiet machine; a slow, busy one gets 30 s.
    _ptries=0
    until PULSE_SERVER=unix:$_pdir/native pactl info >/dev/null 2>&1; do
        _ptries=$((_ptries + 1))
        if [ $_ptries -ge 300 ]; then
            echo "pulse_start: the server in $_pdir does not answer" >&2
            pulse_stop "$_pdir"
            return 1
        fi
        sleep 0.1
    done
    export PULSE_SERVER=unix:$_pdir/native
    return 0
}

pulse_stop() {
    _pdir=$1
    [ -f "$_pdir/pid" ] || return 0
    _ppid=$(tr -dc 0-9 <"$_pdir/pid")
    [ -n "$_ppid" ] || return 0
    kill "$_ppid" 2>/dev/null || { rm -f "$_pdir/pid"; return 0; }
    # Not our child (it daemonized): poll until the pid is gone.
    _ptries=0
    while kill -0 "$_ppid" 2>/dev/null; do
        _ptries=$((_ptries + 1))
        if [ $_ptries -ge 100 ]; then
            kill -9 "$_ppid" 2>/dev/null
        fi
        [ $_ptries -ge 200 ] && break
        sleep 0.05
    done
    rm -f "$_pdir/pid"
    return 0
}

pulse_need() {
    for _ptool in "$@"; do
        command -v "$_ptool" >/dev/null 2>&1 || { echo "SKIP: $_ptool is not installed"; exit 77; }
    done
}

pulse_test_dir() {
    dir=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX") || exit 1
    trap _pulse_test_end EXIT
    trap 'exit 1' INT TERM
    unset SDL_AUDIODRIVER
}

_pulse_test_end() {
    [ -n "${rec:-}" ] && kill "$rec" 2>/dev/null
    command -v pulse_test_cleanup >/dev/null 2>&1 && pulse_test_cleanup
    pulse_stop "$dir/server"
    rm -rf "$dir"
}

pulse_click_track() {
    mkdir -p "$dir/data" && "$1" "$dir/data/5tfina.mp3" "$2" || { echo "FAIL: no click track"; exit 1; }
}
