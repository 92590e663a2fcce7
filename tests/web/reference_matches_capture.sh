#!/bin/sh
# The browser tests' desktop stills (web-reference-stills) are the capture
# program's frames: demo-capture --rate 30 --at gives the same bytes.
# Usage: reference_matches_capture.sh BUILD_DIR
set -eu
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
mkdir "$out/capture" "$out/reference"
times=0.5,2,3.25
"$build/demo-capture" --rate 30 --at "$times" -o "$out/capture" --quiet
"$build/tests/web-reference-stills" --at "$times" -o "$out/reference"
for t in 0.5 2 3.25; do
    cmp "$out/capture/at-$t.png" "$out/reference/at-$t.png"
done
echo "stills at $times are the capture program's"
