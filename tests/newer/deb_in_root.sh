#!/usr/bin/env bash
# The .deb on Debian 13: made with CPack from the build, installed with apt
# into the trixie root (an overlay: the root itself is left as it was),
# then GNOME Shell 48 started there finds the extension the package's
# postinst linked, and the packaged program lists through it.
#   deb_in_root.sh SOURCE_FOLDER BUILD_FOLDER
set -euo pipefail
source_folder=$(readlink -f "$1") build=$(readlink -f "$2")
packed=$(mktemp -d "$build/newer-deb.XXXXXX")
trap 'rm -rf "$packed"' EXIT
(cd "$packed" && cpack --config "$build/CPackConfig.cmake" -B "$packed" >"$packed/cpack.log" 2>&1) \
  || { cat "$packed/cpack.log"; exit 1; }
deb=$(ls "$packed"/quenlow_*.deb)
echo "Installing $(basename "$deb") in Debian 13"
QUENLOW_ROOT_SETUP="apt-get install -y -qq --no-install-recommends $deb" \
  "$source_folder/tests/newer/in_root.sh" trixie "$source_folder" "$build" \
  "$source_folder/tests/gnome/run_under_gnome.sh" "$build" none "$source_folder/tests/newer/lists_through_packaged_extension.sh"
