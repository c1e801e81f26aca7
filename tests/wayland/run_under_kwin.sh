#!/usr/bin/env bash
# Runs a test program inside a headless KWin (Plasma's Wayland compositor,
# with XWayland) on a private session bus, and ends both after.
#   run_under_kwin.sh PROGRAM ARGS...
set -euo pipefail
for needed in kwin_wayland Xwayland dbus-daemon; do
  command -v "$needed" >/dev/null || { echo "$needed is not installed (packages kwin-wayland xwayland dbus-daemon)"; exit 1; }
done
work=$(mktemp -d)
bus=""
cleanup() {
  [ -n "$bus" ] && kill "$bus" 2>/dev/null && wait "$bus" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -m 700 "$work/runtime" "$work/home"
export HOME=$work/home XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/home/.config
export XDG_DATA_HOME=$work/home/.local/share XDG_CACHE_HOME=$work/home/.cache
# No GPU here: KWin composites with QPainter, and XWayland renders in software.
export KWIN_COMPOSE=Q LIBGL_ALWAYS_SOFTWARE=1

exec 3>"$work/address"
dbus-daemon --session --nofork --print-address=3 >/dev/null 2>&1 &
bus=$!
for _ in $(seq 100); do [ -s "$work/address" ] && break; sleep 0.05; done
[ -s "$work/address" ] || { echo "the session bus did not start"; exit 1; }
DBUS_SESSION_BUS_ADDRESS=$(head -1 "$work/address")
export DBUS_SESSION_BUS_ADDRESS

# The packaged binary carries a file capability (cap_sys_resource) that a
# sandbox may refuse at exec; a plain copy runs anywhere.
cp "$(command -v kwin_wayland)" "$work/kwin_wayland"
# KWin ends with the program it starts but passes on neither its output
# nor its exit status.
{
  echo '#!/usr/bin/env bash'
  printf '%q ' "$@"
  printf '>%q 2>&1\necho $? > %q\n' "$work/output" "$work/status"
} > "$work/session.sh"
chmod +x "$work/session.sh"
"$work/kwin_wayland" --virtual --no-lockscreen --no-global-shortcuts --no-kactivities --xwayland \
  --socket "quenlow-$$" --exit-with-session "$work/session.sh" >"$work/kwin.log" 2>&1 || true
[ -f "$work/output" ] && cat "$work/output"
if [ ! -s "$work/status" ]; then
  echo "KWin did not run the tests; its log:"
  cat "$work/kwin.log"
  exit 1
fi
exit "$(cat "$work/status")"
