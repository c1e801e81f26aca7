#!/usr/bin/env bash
# Renders the Windows main window's screenshots: the cross-built quenlow.exe
# under Wine, on a private Xvfb with a desktop Wine draws itself, next to
# two windows titled as browsers (needs the built tree, wine, xvfb,
# imagemagick and fonts-noto-cjk).
set -euo pipefail
cd "$(dirname "$0")/.."
program=build/win32/src/win32_front_end/quenlow.exe
host=build/win32/tests/win32_backend_tests.exe
[ -f "$program" ] && [ -f "$host" ] || { echo "build the tree first (./test.sh or cmake --build build)"; exit 1; }
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
exec 3<> "$work/displayfd"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
trap 'wineserver -k 2>/dev/null; kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/displayfd" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$work/displayfd")"
wineboot --init >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 800x600 /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f >/dev/null 2>&1
wineserver -k; wineserver -w

shoot() {  # chinese-setting output-file
  wine reg add 'HKCU\Software\VB and VBA Program Settings\Mobrell\Tavrim' /v Chinese /t REG_SZ /d "$1" /f \
    >/dev/null 2>&1
  wine "$host" --host-window "Start page - Netscape" >/dev/null 2>&1 &
  wine "$host" --host-window "Docs - Microsoft Internet Explorer" >/dev/null 2>&1 &
  sleep 3
  wine "$program" >/dev/null 2>&1 &
  sleep 4
  # The main window opens at the desktop's top left corner: 330 x 256.
  import -window root -crop 330x256+0+0 +repage "$2"
  wineserver -k; wineserver -w
}
shoot 0 docs/windows-main-window-english.png
shoot 1 docs/windows-main-window-chinese.png
echo "wrote docs/windows-main-window-english.png docs/windows-main-window-chinese.png"
