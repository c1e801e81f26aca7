#!/usr/bin/env bash
# Checks what installing the program puts on a system.
#   check_package.sh install BUILD_DIR   every file lands under a fresh prefix
#   check_package.sh validate BUILD_DIR  desktop entry, metainfo and manual page pass the validators
#   check_package.sh deb BUILD_DIR       the .deb holds the files and computed dependencies
set -euo pipefail
what=$1
build=$(cd "$2" && pwd)
app=org.mobrell.Quenlow
source "$(dirname "$0")/checks.sh"
expected_files=(
  bin/quenlow
  share/applications/$app.desktop
  share/metainfo/$app.metainfo.xml
  share/icons/hicolor/16x16/apps/$app.png
  share/icons/hicolor/32x32/apps/$app.png
  share/icons/hicolor/48x48/apps/$app.png
  share/icons/hicolor/128x128/apps/$app.png
  share/icons/hicolor/scalable/apps/$app.svg
  share/man/man1/quenlow.1.gz
  lib/quenlow/quenlow_window.so
)

case $what in
install|validate)
  cmake --install "$build" --prefix "$work/prefix" >/dev/null
  if [ "$what" = install ]; then
    for file in "${expected_files[@]}"; do check "installs $file" test -s "$work/prefix/$file"; done
    check "the installed program is executable" test -x "$work/prefix/bin/quenlow"
    # It finds its window module from where it is installed: still running
    # with its window after two seconds (timeout's 124), not ended at once.
    check "the installed program opens its window" sh -c \
      'XDG_CONFIG_HOME="$1" QT_QPA_PLATFORM=offscreen timeout 2 "$2"; test $? = 124' sh "$work/config" \
      "$work/prefix/bin/quenlow"
  else
    check "desktop-file-validate" desktop-file-validate "$work/prefix/share/applications/$app.desktop"
    check "appstreamcli validate" appstreamcli validate --no-net --pedantic --explain \
      "$work/prefix/share/metainfo/$app.metainfo.xml"
    check "the desktop entry has a Chinese name" grep -qx 'Name\[zh_TW\]=墨貝昆洛' \
      "$work/prefix/share/applications/$app.desktop"
    page=$work/prefix/share/man/man1/quenlow.1.gz
    MANWIDTH=80 man --warnings -E UTF-8 -l "$page" >"$work/manual.txt" 2>"$work/manual.warnings" || true
    check "man renders the manual page" test -s "$work/manual.txt"
    check "man renders it without warnings" test ! -s "$work/manual.warnings"
    cat "$work/manual.warnings"
    # Every option --help names is in the manual page, and the other way round.
    "$work/prefix/bin/quenlow" --help | grep -o -- '--[a-z]*' | sort -u >"$work/help.options"
    grep -o -- '--[a-z]*' "$work/manual.txt" | sort -u >"$work/manual.options"
    check "--help and the manual page name the same options" cmp -s "$work/help.options" "$work/manual.options"
    diff "$work/help.options" "$work/manual.options" || true
  fi
  ;;
deb)
  (cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work" >/dev/null)
  deb=$(ls "$work"/quenlow_*.deb)
  dpkg-deb -c "$deb" | awk '{print $NF}' | sed 's|^\./usr/||' > "$work/contents"
  for file in "${expected_files[@]}"; do check ".deb holds $file" grep -qx "$file" "$work/contents"; done
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $depends"
  check ".deb depends on Qt 6 widgets" grep -q 'libqt6widgets6' <<<"$depends"
  check ".deb depends on xcb" grep -q 'libxcb1' <<<"$depends"
  check ".deb depends on xcb-ewmh" grep -q 'libxcb-ewmh2' <<<"$depends"
  check ".deb depends on Qt's X11 platform plugin" grep -q 'qt6-qpa-plugins' <<<"$depends"
  check "apt accepts the .deb" apt-get install --simulate -qq "$deb"
  check ".deb is version 1.1.0.2" test "$(dpkg-deb -f "$deb" Version)" = 1.1.0.2
  echo "size: $(stat -c %s "$deb") bytes"
  ;;
*) echo "usage: $0 install|validate|deb BUILD_DIR"; exit 2 ;;
esac
[ $failures -eq 0 ]
