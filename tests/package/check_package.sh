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
  share/doc/quenlow/copyright
  share/doc/quenlow/changelog.gz
  lib/quenlow/quenlow_window.so
  share/quenlow/gnome-shell/legacy/quenlow@mobrell.example/extension.js
  share/quenlow/gnome-shell/legacy/quenlow@mobrell.example/metadata.json
  share/quenlow/gnome-shell/module/quenlow@mobrell.example/extension.js
  share/quenlow/gnome-shell/module/quenlow@mobrell.example/metadata.json
)

case $what in
install|validate)
  cmake --install "$build" --prefix "$work/prefix" >/dev/null
  if [ "$what" = install ]; then
    for file in "${expected_files[@]}"; do check "installs $file" test -s "$work/prefix/$file"; done
    check "the installed program is executable" test -x "$work/prefix/bin/quenlow"
    # Where GNOME Shell looks (PREFIX/share is among XDG_DATA_DIRS for /usr
    # and /usr/local), the build for this machine's GNOME Shell 43.
    check "installs the legacy build where GNOME Shell 43 finds it" test \
      "$(readlink "$work/prefix/share/gnome-shell/extensions/quenlow@mobrell.example")" = \
      "$work/prefix/share/quenlow/gnome-shell/legacy/quenlow@mobrell.example"
    # It finds its window module from where it is installed: still running
    # with its window after two seconds (timeout's 124), not ended at once.
    check "the installed program opens its window" sh -c \
      'XDG_CONFIG_HOME="$1" QT_QPA_PLATFORM=offscreen timeout 2 "$2"; test $? = 124' sh "$work/config" \
      "$work/prefix/bin/quenlow"
  else
    entry=$work/prefix/share/applications/$app.desktop
    # Its hints count too: two main categories show the entry twice in menus.
    check "desktop-file-validate, without a hint" sh -c \
      'desktop-file-validate "$1" >"$2" 2>&1; status=$?; cat "$2"; [ $status -eq 0 ] && [ ! -s "$2" ]' sh \
      "$entry" "$work/validated"
    # Each launcher action sizes the active browser window at one preset:
    # the command line takes its words (no display here, so status 5, not
    # a usage error's 2).
    sed -n 's/^Exec=quenlow //p' "$entry" | sort >"$work/actions"
    check "the launcher has an action per size" test "$(tr '\n' ' ' <"$work/actions")" = \
      "--size 1024x768 --size 1280x1024 --size 640x480 --size 800x600 "
    while read -r words; do
      check "the command line takes '$words'" sh -c \
        'env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_SESSION_TYPE -u QT_QPA_PLATFORM "$@"; test $? = 5' sh \
        "$work/prefix/bin/quenlow" $words
    done <"$work/actions"
    check "appstreamcli validate" appstreamcli validate --no-net --pedantic --explain \
      "$work/prefix/share/metainfo/$app.metainfo.xml"
    check "the desktop entry has a Chinese name" grep -qx 'Name\[zh_TW\]=墨貝昆洛' "$entry"
    check "its actions have Chinese names" test "$(grep -c '^Name=' "$entry")" = "$(grep -c '^Name\[zh_TW\]=' "$entry")"
    check "and it has keywords in both languages" grep -q '^Keywords\[zh_TW\]=.*瀏覽器' "$entry"
    page=$work/prefix/share/man/man1/quenlow.1.gz
    MANWIDTH=80 man --warnings -E UTF-8 -l "$page" >"$work/manual.txt" 2>"$work/manual.warnings" || true
    check "man renders the manual page" test -s "$work/manual.txt"
    check "man renders it without warnings" test ! -s "$work/manual.warnings"
    check "the manual page names the program's version" grep -q "quenlow $("$work/prefix/bin/quenlow" --version \
      | sed 's/.* //')" "$work/manual.txt"
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
  # Debian's own checks: an error fails the tier, warnings are shown.
  lintian_status=0
  lintian --fail-on error "$deb" >"$work/lintian" 2>&1 || lintian_status=$?
  sed 's/^/lintian: /' "$work/lintian"
  check "lintian finds no error in the .deb" test $lintian_status -eq 0
  # A warning only, but the window module is no library ldconfig should know.
  check "no maintainer script runs ldconfig" sh -c '! grep -q ldconfig "$1"' sh "$work/lintian"
  check ".deb is version 1.1.0.2" test "$(dpkg-deb -f "$deb" Version)" = 1.1.0.2
  # The GNOME Shell extension: each build names the shells it is made for,
  # and the one that fits the installed shell becomes the system-wide one.
  dpkg-deb -x "$deb" "$work/root"
  dpkg-deb -e "$deb" "$work/control"
  shells() { jq -c '."shell-version"' "$work/root/usr/share/quenlow/gnome-shell/$1/quenlow@mobrell.example/metadata.json"; }
  check "the legacy build is for GNOME Shell 42 to 44" test "$(shells legacy)" = '["42","43","44"]'
  check "the module build is for GNOME Shell 45 to 50" test "$(shells module)" = '["45","46","47","48","49","50"]'
  check "the .deb leaves the extension's link to postinst" sh -c '! grep -q "^share/gnome-shell" "$1"' sh \
    "$work/contents"
  # Outside GNOME Shell neither build can import what it needs, but gjs
  # parses each first: a syntax error shows before the missing imports.
  check "gjs is there to parse the builds" command -v gjs
  for build in legacy module; do
    check "the $build build parses (gjs)" sh -c '! gjs $2 "$1" 2>&1 | grep -q SyntaxError' sh \
      "$work/root/usr/share/quenlow/gnome-shell/$build/quenlow@mobrell.example/extension.js" \
      "$( [ $build = module ] && echo -m)"
  done
  # postinst, postrm and the trigger, with stand-in GNOME Shells on PATH.
  mkdir -p "$work/shell"
  shell_says() { printf '#!/bin/sh\n%s\n' "$1" > "$work/shell/gnome-shell"; chmod +x "$work/shell/gnome-shell"; }
  linked() { readlink "$work/root/usr/share/gnome-shell/extensions/quenlow@mobrell.example"; }
  maintainer() { DPKG_ROOT=$work/root PATH="$work/shell:$PATH" sh "$work/control/$1" "$2"; }
  module=/usr/share/quenlow/gnome-shell/module/quenlow@mobrell.example
  legacy=/usr/share/quenlow/gnome-shell/legacy/quenlow@mobrell.example
  shell_says 'echo "GNOME Shell 47.2"'; maintainer postinst configure
  check "postinst links the module build for GNOME Shell 47" test "$(linked)" = $module
  shell_says 'echo "GNOME Shell 42.9"'; maintainer postinst triggered
  check "and the legacy build once the shell is 42" test "$(linked)" = $legacy
  shell_says 'exit 1'; maintainer postinst configure
  check "and the module build when GNOME Shell does not say its version" test "$(linked)" = $module
  maintainer postrm remove
  check "postrm removes the link" test ! -e "$work/root/usr/share/gnome-shell/extensions/quenlow@mobrell.example"
  maintainer postinst abort-remove
  check "a removal rolled back links it again" test "$(linked)" = $module
  check "the package is triggered by GNOME Shell's upgrades" grep -qx 'interest-noawait /usr/bin/gnome-shell' \
    "$work/control/triggers"
  echo "size: $(stat -c %s "$deb") bytes"
  ;;
*) echo "usage: $0 install|validate|deb BUILD_DIR"; exit 2 ;;
esac
[ $failures -eq 0 ]
