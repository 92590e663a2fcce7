# What the sync checks share: the test's own sound server with a click track as
# the soundtrack, and one play of the sync probe recorded from the server's sink
# and judged. Source it with $here (tests/support) and $probe
# (demo-sync-probe) set, then:
#   recorded_setup NAME CLICKS SECONDS
#                                   skips the test where a tool is missing,
#                                   makes its folder $dir (pulse_test_dir NAME),
#                                   starts the server in $dir/server and writes
#                                   SECONDS of clicks to $dir/data/5tfina.mp3
#   recorded_play JUDGE ARGS...     records a play of the probe with ARGS and
#                                   judges it with sync_clicks.py JUDGE; a
#                                   recording too poor to judge is made again,
#                                   three times at most
# $rec holds the recorder's pid while it runs, for the clean-up.
. "$here/pulse_server.sh"

recorded_setup() {
    pulse_need pulseaudio pactl parec python3
    pulse_test_dir "$1"
    pulse_start "$dir/server" || { echo "FAIL: the test's sound server does not start"; exit 1; }
    pulse_click_track "$2" "$3"
    # The measuring side (recorder and its parec) runs ahead of everything else
    # where real-time priority is allowed: late stamps would blame the program.
    rt=""
    chrt -f 20 true 2>/dev/null && rt="chrt -f 20"
}

recorded_play() {
    judge=$1
    shift
    for try in 1 2 3; do
        rm -f "$dir/rec.raw" "$dir/rec.stamps" "$dir/probe.log"
        $rt python3 "$here/sync_clicks.py" record "$dir/rec" &
        rec=$!
        n=0
        until [ -s "$dir/rec.stamps" ] || [ $n -ge 600 ]; do sleep 0.05; n=$((n + 1)); done
        "$probe" --data "$dir/data" --log "$dir/probe.log" "$@" >"$dir/probe.out" 2>&1
        rc=$?
        sleep 0.2
        kill $rec 2>/dev/null
        wait $rec 2>/dev/null
        rec=""
        [ $rc -eq 0 ] || { cat "$dir/probe.out"; echo "probe exit code $rc"; return 1; }
        grep -q "output pulseaudio" "$dir/probe.out" ||
            { cat "$dir/probe.out"; echo "the probe did not play through the sound server"; return 1; }
        python3 "$here/sync_clicks.py" "$judge" "$dir/rec" "$dir/probe.log" >"$dir/judge.out"
        rc=$?
        cat "$dir/judge.out"
        [ $rc -eq 4 ] && continue
        return $rc
    done
    return 1
}
