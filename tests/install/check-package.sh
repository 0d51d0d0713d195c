#!/usr/bin/env bash
# The Debian package built by CPack holds the programs, the desktop entry,
# the metainfo, the icons, the games and the manual, and depends on what the
# programs link and open: check-package.sh BUILD_DIR
set -euo pipefail
build=$1
id=io.github.tovisca.Tovisca
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log" >&2; fail "cpack"; }
deb=$(ls "$out"/tovisca_*.deb)
files=$(dpkg-deb -c "$deb" | awk '{print $6}')
for file in \
  ./usr/bin/tovisca ./usr/bin/tovisca-cli \
  ./usr/share/applications/$id.desktop \
  ./usr/share/metainfo/$id.metainfo.xml \
  ./usr/share/icons/hicolor/scalable/apps/$id.svg \
  ./usr/share/icons/hicolor/48x48/apps/$id.png \
  ./usr/share/tovisca/megasena.csv \
  ./usr/share/tovisca/manual/tovisca.qch ./usr/share/tovisca/manual/tovisca.qhc; do
  echo "$files" | grep -qxF "$file" || fail "$file is not in $(basename "$deb")"
done
[ "$(dpkg-deb -f "$deb" Package)" = tovisca ] || fail "package name"
depends=$(dpkg-deb -f "$deb" Depends)
for dependency in libqt6widgets6 libqt6charts6 libqt6help6 libqt6sql6-sqlite libcurl4 libzip4 libc6; do
  echo "$depends" | grep -q "$dependency" || fail "Depends lacks $dependency: $depends"
done
echo "package: ok ($(basename "$deb"))"
