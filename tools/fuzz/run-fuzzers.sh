#!/bin/sh
# Builds the fuzz targets with clang (AddressSanitizer + UndefinedBehaviorSanitizer
# + libFuzzer) and runs them side by side for the given number of seconds each.
#   tools/fuzz/run-fuzzers.sh SECONDS [scene bmp jpeg flare mp3]
# Seeds come from the generated data folder (build/data) and tools/fuzz/seeds;
# the growing corpora live in fuzz-out/corpus-TARGET, findings in fuzz-out/findings.
set -eu
cd "$(dirname "$0")/../.."
seconds=${1:-60}
shift || true
targets=${*:-scene bmp jpeg flare mp3}
build=build-fuzz
out=fuzz-out
data=${DATA:-build/data}

CC=clang CXX=clang++ cmake -S . -B $build -DDEMO_FUZZ=ON -DDEMO_BUILD_TESTS=OFF \
    -DDEMO_GENERATE_DATA=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
for t in $targets; do cmake --build $build -j2 --target fuzz-$t >/dev/null; done

mkdir -p $out/findings
seed() {  # target, files...
    dir=$out/seeds-$1
    mkdir -p $dir
    shift
    for f in "$@"; do [ -f "$f" ] && cp "$f" $dir/; done
    [ -d tools/fuzz/seeds/$(basename $dir | sed 's/seeds-//') ] && cp tools/fuzz/seeds/$(basename $dir | sed 's/seeds-//')/* $dir/ 2>/dev/null
    true
}
seed scene $data/kopuli.dat $data/light.dat $data/morph1.dat
seed bmp $data/surface.bmp $data/water.bmp
seed jpeg $data/black.jpg $data/lens1.jpg $data/blue.jpg
seed flare $data/flare.cfg
# A short MP3 cut from the soundtrack's start.
mkdir -p $out/seeds-mp3
[ -f $data/5tfina.mp3 ] && head -c 20000 $data/5tfina.mp3 > $out/seeds-mp3/start.mp3

for t in $targets; do
    mkdir -p $out/corpus-$t
    dict=""
    [ -f tools/fuzz/$t.dict ] && dict="-dict=tools/fuzz/$t.dict"
    maxlen=65536
    [ $t = mp3 ] && maxlen=20000
    nice -n 10 $build/fuzz-$t $out/corpus-$t $out/seeds-$t $dict -max_total_time=$seconds \
        -max_len=$maxlen -timeout=10 -rss_limit_mb=2048 -close_fd_mask=3 -print_final_stats=1 \
        -artifact_prefix=$out/findings/$t- > $out/$t.log 2>&1 &
done
wait
for t in $targets; do
    echo "== $t"
    grep -E 'stat::number_of_executed_units|stat::peak_rss_mb|ERROR|SUMMARY' $out/$t.log || true
done
ls $out/findings
