#!/usr/bin/env bash
# Runs a test program against a headless sway (wlroots' headless backend,
# software rendering, XWayland on) and ends sway after. sway refuses to run
# as root, so as root it runs as the throw-away user quenlow-test, made if
# missing; the program itself runs as the caller.
#   run_under_sway.sh PROGRAM ARGS...
# The program gets SWAYSOCK, WAYLAND_DISPLAY (a full path) and DISPLAY
# (sway's XWayland).
set -euo pipefail
for needed in sway swaymsg Xwayland setpriv; do
  command -v "$needed" >/dev/null || { echo "$needed is not installed (packages sway xwayland util-linux)"; exit 1; }
done
work=$(mktemp -d)
sway_pid=""
cleanup() {
  if [ -n "$sway_pid" ]; then kill "$sway_pid" 2>/dev/null || true; wait "$sway_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

run_as=()
if [ "$(id -u)" -eq 0 ]; then
  id -u quenlow-test >/dev/null 2>&1 \
    || useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin quenlow-test
  run_as=(setpriv --reuid="$(id -u quenlow-test)" --regid="$(id -g quenlow-test)" --init-groups)
fi
mkdir -m 700 "$work/runtime"
printf 'output HEADLESS-1 mode 1280x1024 position 0 0\nxwayland enable\n' > "$work/sway.conf"
if [ ${#run_as[@]} -gt 0 ]; then chown -R quenlow-test: "$work"; fi
socket=$work/runtime/sway.sock

"${run_as[@]}" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME="$work" XDG_RUNTIME_DIR="$work/runtime" \
  WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman SWAYSOCK="$socket" \
  sway -c "$work/sway.conf" >"$work/sway.log" 2>&1 &
sway_pid=$!
for _ in $(seq 200); do swaymsg -s "$socket" -t get_version >/dev/null 2>&1 && break; sleep 0.05; done
swaymsg -s "$socket" -t get_version >/dev/null 2>&1 || { echo "sway did not start; its log:"; cat "$work/sway.log"; exit 1; }
# sway's own children know the names of its Wayland socket and X display;
# XWayland lets in only the user it runs as, so the caller is let in too.
swaymsg -s "$socket" exec "sh -c 'xhost +si:localuser:$(id -un) >/dev/null 2>&1; \
  echo \$WAYLAND_DISPLAY \$DISPLAY > $work/runtime/displays.tmp && mv $work/runtime/displays.tmp $work/runtime/displays'" >/dev/null
for _ in $(seq 200); do [ -s "$work/runtime/displays" ] && break; sleep 0.05; done
read -r wayland_display x_display < "$work/runtime/displays" \
  || { echo "sway did not say its displays; its log:"; cat "$work/sway.log"; exit 1; }

status=0
SWAYSOCK=$socket WAYLAND_DISPLAY=$work/runtime/$wayland_display DISPLAY=$x_display \
  XDG_RUNTIME_DIR=$work/runtime "$@" || status=$?
[ $status -eq 0 ] || { echo "sway's log:"; tail -20 "$work/sway.log"; }
exit $status
