#!/bin/sh
# Installs what is missing, builds, and then plays or tests.
#   tools/setup.sh play            build and start a solo game
#   tools/setup.sh test            build and run every test
#   tools/setup.sh test-sanitize   the same tests built with AddressSanitizer and UBSan
#   tools/setup.sh sounds          regenerate the embedded sounds (resources/sounds)
set -eu
cd "$(dirname "$0")/.."
mode="${1:-play}"

packages="cmake ninja-build g++ pkgconf qt6-base-dev libgtest-dev libgmock-dev \
libbenchmark-dev libjpeg62-turbo-dev libasound2-dev libavahi-client-dev fonts-dejavu-core \
fonts-liberation2"
case "$mode" in
test*) packages="$packages liblz4-dev zlib1g-dev desktop-file-utils appstream \
clang-14 libclang-rt-14-dev xvfb xauth xdotool avahi-daemon dbus iproute2 util-linux" ;;
sounds) packages="$packages espeak-ng sox" ;;
esac

missing=""
for p in $packages; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing="$missing $p"
    fi
done
if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    echo "Installing:$missing"
    $sudo apt-get update
    # The local-network tests start their own avahi-daemon; installing it for
    # them must not start one for the whole machine. policy-rc.d says no to
    # starting services while the test packages are installed.
    blocker=""
    if [ "${mode#test}" != "$mode" ] && [ ! -e /usr/sbin/policy-rc.d ]; then
        blocker=/usr/sbin/policy-rc.d
        printf '#!/bin/sh\nexit 101\n' | $sudo tee "$blocker" >/dev/null
        $sudo chmod 755 "$blocker"
    fi
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends $missing ||
        { [ -z "$blocker" ] || $sudo rm -f "$blocker"; exit 1; }
    [ -z "$blocker" ] || $sudo rm -f "$blocker"
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
sounds)
    exec resources/sounds/make_sounds.sh
    ;;
*)
    echo "usage: $0 play|test|test-sanitize|sounds" >&2
    exit 2
    ;;
esac
