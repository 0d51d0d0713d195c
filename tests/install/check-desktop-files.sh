#!/usr/bin/env bash
# The desktop entry and the metainfo pass their validators, agree on one id,
# and the pictures the metainfo shows exist: check-desktop-files.sh DESKTOP_DIR METAINFO
set -euo pipefail
desktop_dir=$1 metainfo=$2
id=io.github.tovisca.Tovisca
source_dir=$(cd "$desktop_dir/.." && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }

desktop-file-validate "$desktop_dir/$id.desktop"
appstreamcli validate --no-net "$metainfo"

grep -qx "Icon=$id" "$desktop_dir/$id.desktop" || fail "desktop entry icon is not $id"
grep -q "^Exec=tovisca " "$desktop_dir/$id.desktop" || fail "desktop entry does not start tovisca"
grep -q "<id>$id</id>" "$metainfo" || fail "metainfo id"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo launchable"
[ -f "$desktop_dir/$id.svg" ] || fail "no scalable icon"
# The PNG icon is 48x48 (width and height of the IHDR chunk).
size=$(od -An -tu1 -j16 -N8 "$desktop_dir/$id-48.png" | tr -s ' ')
[ "$size" = " 0 0 0 48 0 0 0 48" ] || fail "icon size is not 48x48: $size"

shots=$(grep -o 'docs/manual/images/[a-z-]*\.png' "$metainfo" || true)
[ -n "$shots" ] || fail "metainfo has no screenshots"
for shot in $shots; do
  [ -f "$source_dir/$shot" ] || fail "metainfo screenshot $shot does not exist"
done
# The README shows the same pictures.
for shot in $(grep -o 'docs/manual/images/[a-z-]*\.png' "$source_dir/README.md"); do
  [ -f "$source_dir/$shot" ] || fail "README picture $shot does not exist"
done
echo "desktop files: ok"
