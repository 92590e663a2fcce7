#!/bin/bash
# Soak run: the windowed demo plays its whole timeline several times in a row,
# each time as a fresh process under a virtual X server, while its resident
# memory is sampled once a second. Reports per run the peak, the size at 30 s
# and at the end, and whether it grew while playing.
#
#   tools/soak.sh BUILD_DIR [RUNS]      (default 3 runs, about 4 minutes each)
#
# The first parts of the timeline bring new pictures and GL state, so the size
# steps up right after several part starts (first use in the GL driver; the
# RSS at each part start is printed) and the change from 30 s to the end is
# shown for information. Growth is judged on the second half, from 140 s on,
# where everything has been drawn at least once: the lowest size in the last
# 10 s against the lowest between 140 and 150 s.
#
# Exit code: 0 when every run ended by itself with exit code 0 and did not grow
# by more than SOAK_GROWTH_KB (default 512) in the second half; 1 otherwise.
# SOAK_SAMPLES=DIR keeps the samples (seconds, VmRSS kB) as DIR/runN.rss.
set -u

# Inner mode, run inside xvfb-run: start the program, sample it, report.
if [ "${1:-}" = "--sample" ]; then
    exe=$2 samples=$3 limit=$4
    "$exe" &
    pid=$!
    start=$SECONDS
    : >"$samples"
    while kill -0 "$pid" 2>/dev/null; do
        rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null)
        [ -n "$rss" ] && echo "$((SECONDS - start)) $rss" >>"$samples"
        if [ $((SECONDS - start)) -ge "$limit" ]; then
            echo "still running after $limit s: stopped" >&2
            kill -KILL "$pid" 2>/dev/null
            wait "$pid" 2>/dev/null
            exit 124
        fi
        sleep 1
    done
    wait "$pid"
    exit $?
fi

build=${1:?usage: tools/soak.sh BUILD_DIR [RUNS]}
runs=${2:-3}
growth_limit=${SOAK_GROWTH_KB:-512}
exe=$(cd "$build" && pwd)/demo-windowed
[ -x "$exe" ] || { echo "no program at $exe"; exit 1; }
[ -f "$(dirname "$exe")/data/light.dat" ] || { echo "no data beside $exe"; exit 1; }
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (package xvfb)"; exit 1; }

work=$(mktemp -d /tmp/quelltarn-soak-XXXXXX)
trap 'rm -rf "$work"' EXIT
failed=0
self=$(cd "$(dirname "$0")" && pwd)/$(basename "$0")

for run in $(seq 1 "$runs"); do
    samples=$work/run$run.rss
    t0=$SECONDS
    SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 640x480x24 -noreset" \
        bash "$self" --sample "$exe" "$samples" 330 >"$work/run$run.log" 2>&1
    rc=$?
    took=$((SECONDS - t0))
    # Sample lines: seconds since start, VmRSS in kB.
    read -r peak at30 last last_t low1 low2 < <(awk '
        { if ($2 > peak) peak = $2; if (at30 == "" && $1 >= 30) at30 = $2
          if ($1 >= 140 && $1 <= 150 && (low1 == "" || $2 < low1)) low1 = $2
          t[NR] = $1; v[NR] = $2; last = $2; lt = $1 }
        END {
            for (i = 1; i <= NR; ++i)
                if (t[i] >= lt - 10 && (low2 == "" || v[i] < low2)) low2 = v[i]
            print peak + 0, (at30 == "" ? 0 : at30), last + 0, lt + 0, low1 + 0, low2 + 0
        }' "$samples")
    within=$((low2 - low1))
    grew=$((last - at30))
    verdict=ok
    if [ "$rc" -ne 0 ]; then
        verdict="FAILED (exit code $rc)"
        [ "$rc" -gt 128 ] && verdict="FAILED (signal $((rc - 128)))"
        [ "$rc" -eq 124 ] && verdict="FAILED (did not end)"
        failed=1
    elif [ "$at30" -eq 0 ]; then
        verdict="FAILED (ended before 30 s)"
        failed=1
    elif [ "$low1" -eq 0 ]; then
        verdict="FAILED (ended before 150 s)"
        failed=1
    elif [ "$within" -gt "$growth_limit" ]; then
        verdict="FAILED (grew by $within kB in the second half)"
        failed=1
    fi
    printf 'run %d: %d s, exit code %d, peak RSS %d kB, at 30 s %d kB, at end (%d s) %d kB, change 30 s to end %+d kB, change 140 s to end %+d kB: %s\n' \
        "$run" "$took" "$rc" "$peak" "$at30" "$last_t" "$last" "$grew" "$within" "$verdict"
    awk 'BEGIN { n = split("13 54 82 108 134 173 201 217", starts, " ") }
         { rss[$1] = $2; if ($1 > last) last = $1 }
         END {
             line = "  RSS by part start (s: MB):"
             for (i = 1; i <= n; ++i) if (starts[i] in rss)
                 line = line sprintf(" %d: %.1f", starts[i], rss[starts[i]] / 1024)
             print line sprintf(", end %d: %.1f", last, rss[last] / 1024)
         }' "$samples"
    [ -n "${SOAK_SAMPLES:-}" ] && mkdir -p "$SOAK_SAMPLES" && cp "$samples" "$SOAK_SAMPLES/"
    if [ "$verdict" != ok ]; then
        echo "--- output of run $run:"
        tail -20 "$work/run$run.log"
    fi
done
if [ "$failed" -eq 0 ]; then
    echo "soak: all $runs runs ended normally without growth in the second half"
else
    echo "soak: FAILED"
fi
exit "$failed"
