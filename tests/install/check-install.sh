#!/usr/bin/env bash
# An install into a temporary prefix holds every file the desktop needs, and
# its tovisca-cli reads an installed game: check-install.sh BUILD_DIR
set -euo pipefail
build=$1
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
id=io.github.tovisca.Tovisca
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null
for file in \
  bin/tovisca bin/tovisca-cli \
  share/applications/$id.desktop \
  share/metainfo/$id.metainfo.xml \
  share/icons/hicolor/scalable/apps/$id.svg \
  share/icons/hicolor/48x48/apps/$id.png \
  share/tovisca/manual/tovisca.qch share/tovisca/manual/tovisca.qhc; do
  [ -f "$prefix/$file" ] || fail "$file is not installed"
done
[ -x "$prefix/bin/tovisca" ] && [ -x "$prefix/bin/tovisca-cli" ] || fail "programs not executable"
# Every bundled game and game definition file.
for game in "$source_dir"/data/*.csv "$source_dir"/data/*.ini; do
  [ -e "$game" ] || continue
  cmp -s "$game" "$prefix/share/tovisca/$(basename "$game")" || fail "$(basename "$game") not installed as it is"
done
# The installed program reads an installed game.
info=$("$prefix/bin/tovisca-cli" info "$prefix/share/tovisca/megasena.csv")
echo "$info" | grep -q 50063860 || fail "tovisca-cli info: $info"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null
echo "install: ok"
