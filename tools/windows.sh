#!/bin/sh
# Builds the Windows programs on this Debian machine: demo.exe (fullscreen)
# and demo-windowed.exe, cross-compiled with mingw-w64, with the data folder
# of the Linux build beside them, into build-win64/, and the release zip
# build-win64/quelltarn-win64.zip. Installs missing packages; builds the
# Linux build first (tools/setup.sh) when its generated data is not there.
set -eu
cd "$(dirname "$0")/.."

tools/need-packages.sh cmake make g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
    libstb-dev zip
[ -f build/data/.complete ] || tools/setup.sh

cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DDEMO_DATA_DIR="$PWD/build/data" >/dev/null
cmake --build build-win64 -j"$(tools/build-jobs.sh)"

# Only the system's own DLLs: nothing has to lie beside the programs.
system_dlls='^(kernel32|user32|gdi32|opengl32|glu32|winmm|msacm32|msvcrt)\.dll$'
for exe in demo.exe demo-windowed.exe; do
    for dll in $(x86_64-w64-mingw32-objdump -p "build-win64/$exe" | sed -n 's/^.*DLL Name: //p'); do
        if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$system_dlls"; then
            echo "windows.sh: $exe imports $dll, which is not a system DLL" >&2
            exit 1
        fi
    done
done

# The zip: one folder with the two programs, the data and the text.
stage=build-win64/zip/quelltarn
rm -rf build-win64/zip build-win64/quelltarn-win64.zip
mkdir -p "$stage"
cp build-win64/demo.exe build-win64/demo-windowed.exe "$stage/"
cp -r build-win64/data "$stage/data"
rm -f "$stage/data/.complete"
# Windows line ends, so Notepad of any age shows the lines.
sed 's/$/\r/' packaging/windows-readme.txt >"$stage/README.txt"
(cd build-win64/zip && zip -qr -9 -X ../quelltarn-win64.zip quelltarn)
rm -rf build-win64/zip
size=$(du -k build-win64/quelltarn-win64.zip | cut -f1)
echo "build-win64/quelltarn-win64.zip: ${size} KB (demo.exe, demo-windowed.exe, data, README.txt)"
