#!/bin/sh
# How many compilers a build runs at once: one per processor, plus one for
# each unit of load the machine already carries (rounded up), so that a build
# on a shared machine keeps about its share of the processors instead of
# queueing behind the other work; at most twice the processors, and no more
# than the memory leaves room for (about 1 GB a compiler: the sanitized and
# optimised C++ compilers take up to that). On a quiet machine it is the
# number of processors.
set -eu
processors=$(nproc)
load=$(cut -d' ' -f1 /proc/loadavg 2>/dev/null || echo 0)
jobs=$(awk -v p="$processors" -v l="$load" 'BEGIN {
    j = p + int(l + 0.999)
    if (j > 2 * p) j = 2 * p
    print j }')
memory_mb=$(awk '/^MemAvailable:/ { print int($2 / 1024) }' /proc/meminfo 2>/dev/null || echo 0)
by_memory=$((memory_mb / 1024))
[ "$by_memory" -ge "$jobs" ] || jobs=$by_memory
[ "$jobs" -ge "$processors" ] || jobs=$processors
echo "$jobs"
