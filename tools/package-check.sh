#!/bin/sh
# Builds the Debian packages once, without their tests, and checks them:
# lintian finds no error, each package holds what it should, the service
# units pass systemd-analyze, and the server unpacked into a scratch root
# plays a hand. Everything lands in build-deb/.
#   tools/package-check.sh
set -eu
cd "$(dirname "$0")/.."
top="$(pwd)"
out="$top/build-deb"

fail() {
    echo "package check: $*" >&2
    exit 1
}

# The package's version is the program's.
cmake_version="$(sed -n 's/^project(Spades VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
deb_version="$(dpkg-parsechangelog -S Version)"
[ "$cmake_version" = "$deb_version" ] ||
    fail "debian/changelog says $deb_version, CMakeLists.txt $cmake_version"

# dpkg-buildpackage writes beside the source tree, so the tree is copied first
# (tracked and new files, less what git ignores).
rm -rf "$out"
mkdir -p "$out/src"
git ls-files -z --cached --others --exclude-standard |
    xargs -0 sh -c 'for f; do [ -e "$f" ] && printf "%s\0" "$f"; done' sh |
    tar --null -T - -cf - | tar -C "$out/src" -xf -

# debhelper gives the build a HOME of its own; the compiler cache stays the user's.
if command -v ccache >/dev/null 2>&1; then
    export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
    CCACHE_DIR="$(ccache -k cache_dir)"
    export CCACHE_DIR
    config="${XDG_CONFIG_HOME:-$HOME/.config}/ccache/ccache.conf"
    if [ -z "${CCACHE_CONFIGPATH:-}" ] && [ -f "$config" ]; then
        export CCACHE_CONFIGPATH="$config"
    fi
fi
started="$(date +%s)"
(cd "$out/src" && DEB_BUILD_OPTIONS="nocheck parallel=$(nproc)" \
    dpkg-buildpackage -b -us -uc >"$out/build.log" 2>&1) ||
    { tail -n 40 "$out/build.log"; fail "dpkg-buildpackage failed (build-deb/build.log)"; }
echo "== packages built in $(($(date +%s) - started)) s"
grep -E 'warning:' "$out/build.log" | grep -v '^dpkg' && fail "the build has compiler warnings"

changes="$(ls "$out"/spades_*.changes)"
game="$(ls "$out"/spades_*.deb)"
server="$(ls "$out"/spades-server_*.deb)"

echo "== lintian"
status=0
lintian --fail-on error --display-info "$changes" >"$out/lintian.txt" 2>&1 || status=$?
cat "$out/lintian.txt"
[ "$status" -eq 0 ] || fail "lintian reports errors"

# Each package holds exactly its files: the game and the lobby with their desktop
# data in spades, the server with its units and options in spades-server.
contents() { dpkg-deb -c "$1" | awk '{print $6}' | sed 's,^\./,/,' | grep -v '/$' | sort; }
contents "$game" >"$out/spades.files"
contents "$server" >"$out/spades-server.files"
id=net.spadestable.Spades
for f in /usr/games/spades /usr/games/spades-lobby /usr/share/man/man6/spades.6.gz \
    /usr/share/man/man6/spades-lobby.6.gz /usr/share/applications/$id.desktop \
    /usr/share/applications/$id.Lobby.desktop /usr/share/metainfo/$id.metainfo.xml \
    /usr/share/icons/hicolor/48x48/apps/$id.png /usr/share/icons/hicolor/256x256/apps/$id.png \
    /usr/share/icons/hicolor/scalable/apps/$id.svg /usr/share/doc/spades/copyright; do
    grep -qx "$f" "$out/spades.files" || fail "spades lacks $f"
done
for f in /usr/games/spades-server /usr/share/man/man6/spades-server.6.gz \
    /lib/systemd/system/spades-server.service /lib/systemd/system/spades-server@.service \
    /etc/default/spades-server /usr/share/doc/spades-server/copyright; do
    grep -qx "$f" "$out/spades-server.files" || fail "spades-server lacks $f"
done
if grep -E 'spades-server|systemd|/etc/|local/' "$out/spades.files" ||
    grep -E '/usr/games/spades($|-lobby)|applications|local/' "$out/spades-server.files"; then
    fail "a file above is in the wrong package"
fi
# A server for machines without a desktop pulls in no window system.
server_depends="$(dpkg-deb -f "$server" Depends)"
case "$server_depends" in
*libqt6core6*) ;;
*) fail "spades-server does not depend on Qt Core: $server_depends" ;;
esac
case "$server_depends" in
*libqt6gui6* | *libqt6widgets6* | *libx11*) fail "spades-server depends on a desktop: $server_depends" ;;
esac
dpkg-deb -f "$game" Depends | grep -q libqt6widgets6 || fail "spades does not depend on Qt Widgets"
dpkg-deb --ctrl-tarfile "$server" | tar -tf - | grep -qx './conffiles' ||
    fail "/etc/default/spades-server is not a conffile"

echo "== systemd units"
root="$out/root"
dpkg-deb -x "$game" "$root"
dpkg-deb -x "$server" "$root"
# The units are verified where the package puts them, beside the system's own
# targets, and a template through one of its instances; any complaint fails.
verify="$out/verify-root"
cp -a "$root" "$verify"
cp -rn /lib/systemd/system/. "$verify/lib/systemd/system/"
if ! systemd-analyze verify --root="$verify" --man=no spades-server.service \
    spades-server@7800.service >"$out/verify.txt" 2>&1 || [ -s "$out/verify.txt" ]; then
    cat "$out/verify.txt"
    fail "systemd-analyze verify complains"
fi
grep -q "^ExecStart=/usr/games/spades-server " "$root/lib/systemd/system/spades-server.service" ||
    fail "the unit does not start /usr/games/spades-server"
systemd-analyze security --offline=yes --root="$verify" spades-server.service 2>/dev/null |
    tail -n 1 || true

echo "== the unpacked server plays"
"$root/usr/games/spades-server" --help
SPADES_SERVER="$root/usr/games/spades-server" perl debian/tests/server-game
echo "package check: passed"
