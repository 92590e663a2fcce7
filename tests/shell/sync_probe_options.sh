#!/bin/sh
# demo-sync-probe takes only what it understands, and says so: a number with
# trailing text or out of range, a missing value, an unknown option (exit
# code 2), a log it cannot create or write (exit code 1, the file named).
#   sync_probe_options.sh DEMO_SYNC_PROBE DATA_DIR
set -u
probe=$1 data=$2
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
failed=0
expect() {
    code=$1 text=$2
    shift 2
    "$probe" "$@" >/dev/null 2>/tmp/probe-options.$$
    rc=$?
    if [ $rc -ne "$code" ] || ! grep -qF -- "$text" /tmp/probe-options.$$; then
        echo "FAIL: demo-sync-probe $*: exit code $rc, wanted $code and \"$text\":"
        cat /tmp/probe-options.$$
        failed=1
    fi
}
expect 2 "demo-sync-probe: --seconds got '2abc'; it takes seconds" --seconds 2abc
expect 2 "--seconds got '0'" --seconds 0
expect 2 "--seconds got '241'" --seconds 241
expect 2 "--seconds got nothing; it takes" --seconds
expect 2 "--log got nothing; it takes a file name" --log
expect 2 "--seek got '5'; it takes two times" --seek 5
expect 2 "--pause got '1,2,3'" --pause 1,2,3
expect 2 "the command line got '--fast'" --fast
expect 2 "usage: demo-sync-probe" --fast
expect 1 "cannot create /nonexistent-folder/sync.log" --log /nonexistent-folder/sync.log
if [ -f "$data/5tfina.mp3" ] && [ -w /dev/full ]; then
    expect 1 "cannot write /dev/full" --seconds 0.2 --log /dev/full
fi
rm -f /tmp/probe-options.$$
[ $failed -eq 0 ] && echo "the probe refuses what it does not take"
exit $failed
