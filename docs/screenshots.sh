#!/usr/bin/env bash
# Renders the README's screenshots on a private Xvfb with metacity, which
# honours the program's request for no maximise box (needs the built
# program, xvfb, metacity, xdotool, imagemagick and fonts-noto-cjk, the
# font run.sh installs).
set -euo pipefail
cd "$(dirname "$0")/.."
program=build/src/quenlow
work=$(mktemp -d)
exec 3<> "$work/displayfd"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $(jobs -p) 2>/dev/null; wait 2>/dev/null; rm -rf "$work"' EXIT
for _ in $(seq 100); do [ -s "$work/displayfd" ] && break; sleep 0.1; done
export DISPLAY=":$(head -1 "$work/displayfd")"
metacity --sm-disable >/dev/null 2>&1 &
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
sleep 1  # the manager may drop map requests until its event loop runs
xmessage -title "Start page - Netscape" "a browser" >/dev/null 2>&1 &
xmessage -title "Docs - Microsoft Internet Explorer" "another browser" >/dev/null 2>&1 &
for _ in $(seq 100); do [ "$(xdotool search --name 'Netscape|Explorer' 2>/dev/null | wc -l)" -ge 2 ] && break; sleep 0.1; done

shoot() {  # language-setting output-file [about-box-file]
  mkdir -p "$work/$1/Mobrell"
  printf '[Tavrim]\nChinese=%s\n' "$1" > "$work/$1/Mobrell/Mobrell.conf"
  XDG_CONFIG_HOME="$work/$1" XDG_RUNTIME_DIR="$work" "$program" >/dev/null 2>&1 &
  local pid=$! id=""
  for _ in $(seq 100); do id=$(xdotool search --pid $pid 2>/dev/null | tail -1) && [ -n "$id" ] && break; sleep 0.1; done
  sleep 1
  import -window "$(xdotool getwindowfocus -f)" -frame "$2" 2>/dev/null || import -window "$id" -frame "$2"
  if [ -n "${3:-}" ]; then
    xdotool mousemove --window "$id" 218 27 click 1
    local about=""
    for _ in $(seq 100); do about=$(xdotool search --name '^About me$' 2>/dev/null | tail -1) && [ -n "$about" ] && break; sleep 0.1; done
    sleep 1
    import -window "$about" -frame "$3"
  fi
  kill $pid
}
shoot 0 docs/main-window-english.png docs/about-box.png
shoot 1 docs/main-window-chinese.png
echo "wrote docs/main-window-english.png docs/main-window-chinese.png docs/about-box.png"
