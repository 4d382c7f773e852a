#!/bin/sh
# Installs the Debian packages the build needs (only when some are missing), builds the
# program, then starts it ("run") or runs the whole test suite ("test"; the engine's tests run
# a second time from a build with AddressSanitizer and UndefinedBehaviorSanitizer).
set -eu
cd "$(dirname "$0")/.."

packages="cmake ninja-build ccache g++ pkg-config qt6-base-dev qt6-charts-dev qt6-serialport-dev
libgtest-dev libgmock-dev libbenchmark-dev libgif-dev fonts-liberation2 libdbd-xbase-perl
libsqlite3-dev libcrypt-dev libreoffice-calc-nogui libreoffice-base-drivers libsane-dev imagemagick
libsane1 sane-utils xvfb"

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
    failed=0
    ctest --test-dir build --output-on-failure -j 2 || failed=1
    # The engine tests once more, built with AddressSanitizer and UndefinedBehaviorSanitizer.
    cmake -S . -B build-asan -G Ninja -DSHELFWISE_SANITIZE=ON -DSHELFWISE_BENCH=OFF
    cmake --build build-asan --target engine_tests
    ctest --test-dir build-asan/tests/engine --output-on-failure -j 2 || failed=1
    exit $failed
    ;;
*)
    echo "usage: $0 [run|test]" >&2
    exit 2
    ;;
esac
