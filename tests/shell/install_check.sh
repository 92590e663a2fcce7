#!/bin/sh
# Installs the build into a temporary prefix and records a frame with the
# installed capture tool while the build folder is out of sight (an empty
# folder mounted over it, where the system allows that), so nothing of the
# build is used: the data comes from PREFIX/share/quelltarn/data. Then checks
# that cpack makes a Debian package whose dependencies are runtime packages.
#   install_check.sh BUILD_DIR
set -u
build=$(cd "$1" && pwd)
[ -f "$build/data/light.dat" ] || { echo "no generated data in $build/data"; exit 77; }
# A build that reads another build's data (DEMO_GENERATE_DATA off) installs none.
grep -q "quelltarn/data" "$build/cmake_install.cmake" 2>/dev/null ||
    { echo "this build does not install the data (DEMO_GENERATE_DATA is off)"; exit 77; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

prefix=$tmp/prefix
cmake --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 ||
    fail "cmake --install: $(tail -3 "$tmp/install.log")"
for f in bin/demo bin/demo-windowed bin/demo-capture bin/demo-record share/quelltarn/data/light.dat \
    share/quelltarn/data/5tfina.mp3 share/quelltarn/data/flare.cfg \
    share/applications/quelltarn.desktop share/icons/hicolor/scalable/apps/quelltarn.svg; do
    [ -e "$prefix/$f" ] || fail "not installed: $f"
done
[ ! -e "$prefix/share/quelltarn/data/.complete" ] || fail "the build's marker file was installed"
grep -q "^Exec=$prefix/bin/demo$" "$prefix/share/applications/quelltarn.desktop" ||
    fail "the menu entry does not start the installed demo: $(grep Exec "$prefix/share/applications/quelltarn.desktop")"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/share/applications/quelltarn.desktop" || fail "invalid menu entry"
fi

# A hang guard only: up to DEMO_TEST_WAIT seconds (two minutes unless set).
capture="cd '$tmp' && SDL_VIDEODRIVER=offscreen LIBGL_ALWAYS_SOFTWARE=1 \
    timeout ${DEMO_TEST_WAIT:-120} '$prefix/bin/demo-capture' --at 1 --quiet -o '$tmp/stills' &&
    timeout ${DEMO_TEST_WAIT:-120} '$prefix/bin/demo-record' --rate 2 --size 160x120 --frames 2-6 \
        --pieces 2 --quiet --work '$tmp/pieces' -o '$tmp/pieces.mp4'"
mkdir "$tmp/stills"
if unshare -m true 2>/dev/null; then
    echo "running the installed capture with the build folder hidden"
    unshare -m sh -c "mount -t tmpfs none '$build' && $capture" >"$tmp/capture.log" 2>&1
else
    echo "cannot hide the build folder here (no mount namespace); running from the prefix"
    sh -c "$capture" >"$tmp/capture.log" 2>&1
fi
rc=$?
[ $rc -eq 0 ] || fail "the installed demo-capture failed (exit code $rc): $(tail -5 "$tmp/capture.log")"
ls "$tmp/stills"/*.png >/dev/null 2>&1 || fail "no frame written: $(tail -5 "$tmp/capture.log")"
echo "installed capture wrote $(ls "$tmp/stills")"
[ -s "$tmp/pieces.mp4" ] || fail "the installed demo-record wrote no video: $(tail -5 "$tmp/capture.log")"

# The Debian package.
command -v cpack >/dev/null || fail "cpack is missing"
(cd "$tmp" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/pkg") >"$tmp/cpack.log" 2>&1 ||
    fail "cpack -G DEB: $(tail -5 "$tmp/cpack.log")"
deb=$(ls "$tmp/pkg"/*.deb 2>/dev/null | head -1)
[ -n "$deb" ] || fail "no .deb made: $(tail -5 "$tmp/cpack.log")"
depends=$(dpkg-deb -f "$deb" Depends)
echo "package $(basename "$deb"): Depends: $depends"
for lib in libsdl2 libmpg123 libjpeg62-turbo libglu1-mesa libgl1; do
    echo "$depends" | grep -q "$lib" || fail "the package does not depend on $lib"
done
echo "$depends" | grep -q -- "-dev" && fail "the package depends on development packages"
dpkg-deb -c "$deb" >"$tmp/contents"
for f in usr/bin/demo usr/bin/demo-windowed usr/bin/demo-capture usr/bin/demo-record usr/share/quelltarn/data/light.dat \
    usr/share/applications/quelltarn.desktop; do
    grep -q " \./$f\$" "$tmp/contents" || fail "the package lacks $f"
done
grep -q "^Exec=/usr/bin/demo$" "$tmp/pkg/_CPack_Packages/Linux/DEB/quelltarn_1.0.0_amd64/usr/share/applications/quelltarn.desktop" 2>/dev/null ||
    dpkg-deb --fsys-tarfile "$deb" | tar -xOf - ./usr/share/applications/quelltarn.desktop | grep -q "^Exec=/usr/bin/demo$" ||
    fail "the packaged menu entry does not start /usr/bin/demo"
echo "installed and packaged"
