#!/usr/bin/env bash
# Runs a test program against a headless GNOME Shell (mutter's headless
# Wayland backend with a 1920x1200 virtual monitor, XWayland on) with the
# program's Shell extension installed and enabled, and ends the shell after.
#   run_under_gnome.sh BUILD_FOLDER EXTENSION_BUILDS|none PROGRAM ARGS...
# EXTENSION_BUILDS holds the extension's builds (legacy/ and module/): the
# one that fits the shell's version is installed, as run.sh does, or the
# one QUENLOW_GNOME_EXTENSION_BUILD names.
# Everything runs in namespaces of its own: a private /tmp (mutter takes
# the first free X display and removes lock files whose process it cannot
# see), a network namespace (XWayland's abstract sockets never meet the
# host's displays), a pid namespace (whatever is left ends with it), and a
# private session bus that also stands in for the system bus (GNOME Shell
# wants one; the host's logind is none of its business). The program runs
# on that bus, with WAYLAND_DISPLAY, DISPLAY and XAUTHORITY set. Needs root
# (or sudo) for the namespaces; GNOME Shell 43 runs as root. Inside a newer
# Debian's root (tests/newer/in_root.sh, QUENLOW_IN_ROOT=1) the namespaces
# are there already and it runs as that root's unprivileged user.
set -euo pipefail
shell_wayland=quenlow-gnome-0

case ${1:-} in
--inside)  # in the new namespaces
  shift
  # The script, the extension and the tests may live under /tmp (a clean
  # clone, say): those folders are bound back into the private one, from
  # descriptors opened before it hid them (mount must not resolve the
  # descriptor's path, which now names the empty new folder).
  source_folder=$1 build_folder=$2; shift 2
  if [ -z "${QUENLOW_IN_ROOT:-}" ]; then
    exec 7<"$source_folder" 8<"$build_folder"
    mount -t tmpfs -o mode=1777 quenlow-tmp /tmp
    for kept in 7:"$source_folder" 8:"$build_folder"; do
      if [ ! -e "${kept#*:}" ]; then mkdir -p "${kept#*:}"; mount --no-canonicalize --bind "/proc/self/fd/${kept%%:*}" "${kept#*:}"; fi
    done
    exec 7<&- 8<&-
  fi
  mkdir -p -m 1777 /tmp/.X11-unix
  mkdir -p /tmp/home /tmp/runtime; chmod 700 /tmp/runtime
  # The session bus's chatter goes to a log, shown when the run fails; the
  # rest of this script's errors and the program's (fd 3) do not.
  status=0
  env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/tmp/home XDG_RUNTIME_DIR=/tmp/runtime LANG=C.UTF-8 QUENLOW_GNOME_EXTENSION_BUILD=${QUENLOW_GNOME_EXTENSION_BUILD:-} \
    dbus-run-session -- "$0" --session "$@" 3>&2 2>/tmp/session.log || status=$?
  if [ $status -ne 0 ]; then echo "The session bus's log:"; grep -v '^dbus-daemon' /tmp/session.log | tail -10; fi
  exit $status
  ;;
--session)  # on a session bus of its own
  shift
  exec 2>&3
  extension=$1; shift
  shell_pid=""
  stop() {
    # SIGHUP ends GNOME Shell 43 cleanly; SIGTERM makes it crash on exit.
    if [ -n "$shell_pid" ]; then kill -HUP "$shell_pid" 2>/dev/null || true; wait "$shell_pid" 2>/dev/null || true; fi
  }
  trap stop EXIT
  # GNOME Shell wants a system bus too: the private session bus stands in.
  export DBUS_SYSTEM_BUS_ADDRESS=$DBUS_SESSION_BUS_ADDRESS
  # GNOME Shell finds extensions only as it starts.
  if [ "$extension" != none ]; then
    uuid=quenlow@mobrell.example
    version=$(gnome-shell --version | sed -n 's/^GNOME Shell \([0-9][0-9]*\).*/\1/p')
    build=legacy; [ "${version:-0}" -ge 45 ] && build=module
    fitting=$build
    build=${QUENLOW_GNOME_EXTENSION_BUILD:-$build}  # a test may want the other one
    echo "GNOME Shell $(gnome-shell --version | sed 's/^GNOME Shell //'), the extension's $build build"
    mkdir -p "$HOME/.local/share/gnome-shell/extensions"
    cp -r "$extension/$build/$uuid" "$HOME/.local/share/gnome-shell/extensions/$uuid"
    gsettings set org.gnome.shell enabled-extensions "['$uuid']"
    gsettings set org.gnome.shell disable-user-extensions false
  fi
  # Ready once GNOME Shell has finished starting (its log says so), XWayland
  # is up and the extension (or, without it, the shell) answers on the bus.
  ready() {
    grep -q "GNOME Shell started" /tmp/gnome-shell.log || return 1
    display=$(sed -n 's/.*Using public X11 display \(:[0-9]*\).*/\1/p' /tmp/gnome-shell.log | head -1)
    authority=$(ls "$XDG_RUNTIME_DIR"/.mutter-Xwaylandauth.* 2>/dev/null | head -1 || true)
    [ -n "$display" ] && [ -n "$authority" ] || return 1
    if [ "$extension" = none ] || [ "$build" != "$fitting" ]; then
      gdbus call --session --timeout 2 --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.gnome.Shell.Extensions.ListExtensions >/dev/null 2>&1
    else
      gdbus call --session --timeout 2 --dest org.gnome.Shell --object-path /org/mobrell/Quenlow/Shell \
        --method org.mobrell.Quenlow.Shell.List >/dev/null 2>&1
    fi
  }
  # GNOME Shell 43 runs JavaScript in the child it forks to start
  # ibus-daemon, and now and then that child deadlocks and the shell with
  # it, before it has finished starting: such a shell is ended and started
  # again.
  for attempt in 1 2 3; do
    started=$(date +%s%N)
    gnome-shell --headless --wayland --wayland-display "$shell_wayland" --virtual-monitor 1920x1200 \
      >/tmp/gnome-shell.log 2>&1 &
    shell_pid=$!
    for _ in $(seq 150); do ready && break; kill -0 "$shell_pid" 2>/dev/null || break; sleep 0.1; done
    ready && break
    echo "GNOME Shell did not finish starting (attempt $attempt); the end of its log:"
    grep -v -e '^dbus-daemon' /tmp/gnome-shell.log | tail -5
    pkill -KILL -f '^gnome-shell --headless' || true
    pkill -KILL -x Xwayland || true
    wait "$shell_pid" 2>/dev/null || true
    shell_pid=""
  done
  [ -n "$shell_pid" ] || { echo "GNOME Shell did not start in three attempts"; exit 1; }
  echo "GNOME Shell answered $(( ($(date +%s%N) - started) / 1000000 )) ms after it was started"
  status=0
  WAYLAND_DISPLAY=$shell_wayland DISPLAY=$display XAUTHORITY=$authority "$@" || status=$?
  [ $status -eq 0 ] || { echo "GNOME Shell's log:"; grep -v -e '^dbus-daemon' /tmp/gnome-shell.log | tail -30; }
  exit $status
  ;;
esac

for needed in gnome-shell dbus-run-session dbus-daemon gsettings gdbus unshare Xwayland; do
  command -v "$needed" >/dev/null || { echo "$needed is not installed (packages gnome-shell xwayland util-linux)"; exit 1; }
done
script=$(readlink -f "$0")
arguments=("$(dirname "$script")" "$(readlink -f "$1")"
           "$(if [ "$2" = none ]; then echo none; else readlink -f "$2"; fi)" "$(readlink -f "$3")" "${@:4}")
if [ -n "${QUENLOW_IN_ROOT:-}" ]; then exec "$script" --inside "${arguments[@]}"; fi
if [ "$(id -u)" -ne 0 ]; then exec sudo -n "$0" "$@"; fi
exec unshare --mount --net --pid --fork --kill-child=SIGKILL --mount-proc --propagation private \
  "$script" --inside "${arguments[@]}"
