#!/bin/sh
# Sets up and builds (tools/setup.sh), then plays the demo in a window.
set -eu
cd "$(dirname "$0")/.."
tools/setup.sh
exec build/demo-windowed
