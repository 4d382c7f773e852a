#!/bin/sh
# Installs the Debian packages the build needs (only when some are missing), builds the
# program, then starts it ("run") or runs the whole test suite ("test").
set -eu
cd "$(dirname "$0")/.."

packages="cmake ninja-build ccache g++ pkg-config qt6-base-dev qt6-charts-dev qt6-serialport-dev
libgtest-dev libgmock-dev libbenchmark-dev libgif-dev fonts-liberation2 libdbd-xbase-perl"

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    as_root=""
    [ "$(id -u)" -eq 0 ] || as_root="sudo"
    $as_root apt-get update
    DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y $missing
fi

cmake -S . -B build -G Ninja
cmake --build build

case "${1:-run}" in
run)
    exec build/bin/shelfwise
    ;;
test)
    cd build
    exec ctest --output-on-failure -j 2
    ;;
*)
    echo "usage: $0 [run|test]" >&2
    exit 2
    ;;
esac
