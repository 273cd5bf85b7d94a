#!/usr/bin/env bash
# The Debian package: made by CPack from the build, in a scratch folder;
# its control data and contents checked with dpkg-deb; lintian with no
# errors and no warnings; and installed into and removed from a private
# root (dpkg --root, the libraries' packages taken as present), which must
# leave nothing behind.
#
# usage: debian_package.sh BUILD_DIR VERSION
set -uo pipefail

BUILD_DIR=$(realpath "$1")
VERSION=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
# shellcheck source=../tools/checks.sh
source "$(dirname "${BASH_SOURCE[0]}")/../tools/checks.sh"

for tool in cpack dpkg-deb dpkg-shlibdeps fakeroot; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed (scripts/setup installs it)"; exit 77; }
done

check "cpack" 0 cpack -G DEB -B "$WORK/out-dir" --config "$BUILD_DIR/CPackConfig.cmake"
if [[ $failures -ne 0 ]]; then sed 's/^/  cpack: /' "$WORK/out"; finish; exit 1; fi
DEB=$(ls "$WORK"/out-dir/zelvik_"$VERSION"_*.deb 2>/dev/null | head -1)
expect "package file zelvik_${VERSION}_<arch>.deb made" test -f "$DEB"
[[ -f "$DEB" ]] || { finish; exit 1; }

dpkg-deb --info "$DEB" >"$WORK/info"
dpkg-deb --contents "$DEB" | awk '{print $NF}' | sed 's|^\./|/|' >"$WORK/contents"
field() { dpkg-deb --field "$DEB" "$1"; }
expect "Package: zelvik" test "$(field Package)" = zelvik
expect "Version: $VERSION" test "$(field Version)" = "$VERSION"
expect "Section: games" test "$(field Section)" = games
expect "Depends names SDL2, SDL2_ttf, libopenmpt, FFmpeg and libpng" bash -c \
  'for l in libsdl2-2.0-0 libsdl2-ttf-2.0-0 libopenmpt0 libavcodec libpng16-16 libc6; do grep -q "$l" <<<"$1" || exit 1; done' \
  - "$(field Depends)"
expect "a synopsis and a long description" test "$(field Description | wc -l)" -ge 5
expect "no maintainer scripts" bash -c '! grep -qE "^ +[0-9]+ bytes, +[0-9]+ lines +\*? *(pre|post)(inst|rm)" "$1"' - "$WORK/info"
for path in /usr/games/zelvik /usr/games/zelvik-capture /usr/share/zelvik/scene1.bmp /usr/share/zelvik/demo.xm \
            /usr/share/applications/org.quillomarth.Zelvik.desktop \
            /usr/share/metainfo/org.quillomarth.Zelvik.metainfo.xml \
            /usr/share/icons/hicolor/16x16/apps/org.quillomarth.Zelvik.png \
            /usr/share/icons/hicolor/256x256/apps/org.quillomarth.Zelvik.png \
            /usr/share/man/man6/zelvik.6.gz /usr/share/man/man1/zelvik-capture.1.gz \
            /usr/share/doc/zelvik/copyright /usr/share/doc/zelvik/changelog.gz /usr/share/doc/zelvik/NOTICE; do
  expect "package holds $path" grep -qx "$path" "$WORK/contents"
done
expect "nothing outside /usr" bash -c '! grep -v "^/usr/" "$1" | grep -qv "^/$"' - "$WORK/contents"

if command -v lintian >/dev/null; then
  lintian --fail-on error,warning "$DEB" >"$WORK/lintian" 2>&1
  status=$?
  grep -v "running with root privileges" "$WORK/lintian" | sed 's/^/lintian: /'
  expect "lintian: no errors or warnings" test "$status" -eq 0
else
  echo "SKIP: lintian is not installed (scripts/setup installs it): package not linted"
fi

# Install and remove in a private root: the files land, then all go.
ROOT="$WORK/root"
mkdir -p "$ROOT/var/lib/dpkg/info" "$ROOT/var/lib/dpkg/updates"
touch "$ROOT/var/lib/dpkg/status" "$ROOT/var/lib/dpkg/available"
check "dpkg -i in a private root" 0 dpkg --root="$ROOT" --force-depends --force-not-root --log=/dev/null -i "$DEB"
expect "installed: /usr/games/zelvik" test -x "$ROOT/usr/games/zelvik"
expect "installed: every file of the package" bash -c \
  'while read -r p; do [[ -e "$2$p" ]] || exit 1; done <"$1"' - "$WORK/contents" "$ROOT"
check "dpkg -r in a private root" 0 dpkg --root="$ROOT" --force-not-root --log=/dev/null -r zelvik
expect "removed: nothing left outside dpkg's own records" \
  test -z "$(find "$ROOT" -mindepth 1 -not -path "$ROOT/var" -not -path "$ROOT/var/*")"

finish
