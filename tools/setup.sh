#!/bin/sh
# Installs what the build needs (Debian packages), then configures and builds
# everything into ./build. Run from anywhere; safe to run again.
set -eu
cd "$(dirname "$0")/.."

packages="cmake g++ make pkg-config libsdl2-dev libmpg123-dev libjpeg62-turbo-dev
libgl-dev libglu1-mesa-dev libgl1 libegl1 libegl-mesa0 libgl1-mesa-dri libgles2 libgtest-dev libbenchmark-dev
libfreetype-dev libpng-dev libmp3lame-dev fonts-dejavu-core xvfb xauth ffmpeg libstb-dev
libx11-dev xserver-xorg-core xserver-xorg-video-dummy xdotool x11-xserver-utils x11-utils dpkg-dev
libpulse-dev pulseaudio pulseaudio-utils"

tools/need-packages.sh $packages

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(tools/build-jobs.sh)"
