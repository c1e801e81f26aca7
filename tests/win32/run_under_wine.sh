#!/usr/bin/env bash
# Runs a Windows test program under Wine on a private Xvfb, in the build's
# own 64-bit Wine prefix, and ends the Wine server and the X server after.
#   run_under_wine.sh --prepare          create the prefix (once)
#   run_under_wine.sh PROGRAM.exe ARGS   run a program in it
#   run_under_wine.sh --dpi N PROGRAM.exe ARGS
#                                        ... on a desktop scaled to N dpi
#                                        (96 again once it has ended)
#   run_under_wine.sh --wine-desktop PROGRAM.exe ARGS
#                                        ... inside a desktop window Wine
#                                        draws itself, frames included
#   run_under_wine.sh --wait PROGRAM.exe ARGS
#                                        ... and every program it started
#                                        (an uninstaller that reruns itself)
set -euo pipefail
dpi=""
wine_desktop=""
wait_for_all=""
case "${1:-}" in
  --dpi) dpi=$2; shift 2 ;;
  --wine-desktop) wine_desktop=1; shift ;;
  --wait) wait_for_all=1; shift ;;
esac
: "${QUENLOW_WINEPREFIX:?set QUENLOW_WINEPREFIX to the Wine prefix folder}"
export WINEPREFIX=$QUENLOW_WINEPREFIX WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
command -v wine >/dev/null || { echo "wine is not installed (package wine)"; exit 1; }
command -v Xvfb >/dev/null || { echo "Xvfb is not installed (package xvfb)"; exit 1; }
if [ "$1" != --prepare ] && [ ! -f "$1" ]; then
  echo "$1 was not built: the mingw-w64 cross build is missing (package g++-mingw-w64-x86-64)"
  exit 1
fi

work=$(mktemp -d)
xvfb=""
desktop_dpi_key='HKCU\Control Panel\Desktop'
explorer_key='HKCU\Software\Wine\Explorer'
cleanup() {
  if [ -n "$dpi" ]; then wine reg delete "$desktop_dpi_key" /v LogPixels /f >/dev/null 2>&1 || true; fi
  if [ -n "$wine_desktop" ]; then wine reg delete "$explorer_key" /v Desktop /f >/dev/null 2>&1 || true; fi
  # Wait for the Wine server to be gone, so the next run does not meet it
  # shutting down.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
[ -s "$work/display" ] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -1 "$work/display")"

if [ "$1" = --prepare ]; then
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1
    wineserver -w
  fi
  [ -f "$WINEPREFIX/system.reg" ] || { echo "could not create the Wine prefix $WINEPREFIX"; exit 1; }
  # A run that was cut short leaves its dpi or desktop behind: start from
  # 96 dpi and Wine's windows on the X server itself.
  wine reg delete "$desktop_dpi_key" /v LogPixels /f >/dev/null 2>&1 || true
  wine reg delete "$explorer_key" /v Desktop /f >/dev/null 2>&1 || true
  echo "Wine prefix ready: $WINEPREFIX"
  exit 0
fi
if [ -n "$dpi" ]; then
  wine reg add "$desktop_dpi_key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 \
    || { echo "could not set the desktop to $dpi dpi"; exit 1; }
fi
if [ -n "$wine_desktop" ]; then
  { wine reg add "$explorer_key\\Desktops" /v Default /t REG_SZ /d 1920x1080 /f \
      && wine reg add "$explorer_key" /v Desktop /t REG_SZ /d Default /f; } >/dev/null 2>&1 \
    || { echo "could not set up Wine's own desktop"; exit 1; }
  # The desktop is made when Wine starts: start it again with the setting.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
fi
status=0
wine "$@" || status=$?
if [ -n "$wait_for_all" ]; then
  # Wine ends once its last program has; give up after a minute.
  timeout 60 wineserver -w || { echo "programs were still running after a minute"; status=1; }
fi
[ $status -eq 0 ] || echo "wine exited with status $status"
exit $status
