#!/bin/sh
# Installs what is missing, builds, and then plays or tests.
#   tools/setup.sh play            build and start a solo game
#   tools/setup.sh test            build and run every test
#   tools/setup.sh test-sanitize   the same tests built with AddressSanitizer and UBSan
#   tools/setup.sh package         build the Debian packages into build-deb/ and check them
#   tools/setup.sh sounds          regenerate the embedded sounds (resources/sounds)
set -eu
cd "$(dirname "$0")/.."
mode="${1:-play}"

packages="cmake ninja-build g++ pkgconf qt6-base-dev libgtest-dev libgmock-dev \
libbenchmark-dev libjpeg62-turbo-dev libasound2-dev libavahi-client-dev fonts-dejavu-core \
fonts-liberation2 qt6-websockets-dev libhiredis-dev libminiupnpc-dev libnatpmp-dev"
case "$mode" in
package) packages="$packages dpkg-dev debhelper lintian systemd git perl" ;;
test*) packages="$packages liblz4-dev zlib1g-dev desktop-file-utils appstream \
clang-14 libclang-rt-14-dev xvfb xauth xdotool iproute2 util-linux python3 redis-server \
miniupnpd-nftables nftables avahi-daemon dbus" ;;
sounds) packages="$packages espeak-ng sox" ;;
esac

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing="$missing $p"
    fi
done
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    $sudo apt-get update
    # Some packages are for the tests, which start their own daemons (the
    # router's, Redis, Avahi): installing must neither ask questions nor leave a
    # service of theirs running on this machine.
    own_policy=""
    if [ ! -e /usr/sbin/policy-rc.d ]; then
        printf '#!/bin/sh\nexit 101\n' | $sudo tee /usr/sbin/policy-rc.d >/dev/null
        $sudo chmod +x /usr/sbin/policy-rc.d
        own_policy=1
    fi
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing || {
        [ -n "$own_policy" ] && $sudo rm -f /usr/sbin/policy-rc.d
        exit 1
    }
    [ -n "$own_policy" ] && $sudo rm -f /usr/sbin/policy-rc.d
    if command -v systemctl >/dev/null 2>&1; then
        for service in miniupnpd redis-server avahi-daemon; do
            $sudo systemctl disable --now "$service" >/dev/null 2>&1 || true
        done
    fi
fi

# The rest of what the packages' build needs is read from debian/control.
if [ "$mode" = package ] && ! dpkg-checkbuilddeps -Pnocheck 2>/dev/null; then
    DEBIAN_FRONTEND=noninteractive $sudo apt-get build-dep -y --no-install-recommends \
        -Pnocheck ./
fi

jobs="$(nproc)"
case "$mode" in
play)
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build --target spades spades-lobby -j "$jobs"
    exec ./build/spades
    ;;
test)
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
    cmake --build build -j "$jobs"
    cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$jobs"
    ;;
test-sanitize)
    cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSPADES_SANITIZE=ON \
        -DSPADES_BUILD_BENCH=OFF
    cmake --build build-asan -j "$jobs"
    cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1 \
        LSAN_OPTIONS=suppressions="$(pwd)/../tests/lsan.supp" \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure -j "$jobs"
    ;;
package)
    exec tools/package-check.sh
    ;;
sounds)
    exec resources/sounds/make_sounds.sh
    ;;
*)
    echo "usage: $0 play|test|test-sanitize|package|sounds" >&2
    exit 2
    ;;
esac
