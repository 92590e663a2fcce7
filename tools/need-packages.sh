#!/bin/sh
# Installs the Debian packages named on the command line that are missing:
# with apt-get when run as root, otherwise prints the exact line to run and
# fails. Used by the build scripts.
set -eu
missing=""
for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
    echo "These packages are missing. Install them, then run this again:"
    echo "  sudo apt-get update && sudo apt-get install -y$missing"
    exit 1
fi
echo "Installing:$missing"
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing
