#!/usr/bin/env bash
# Runs a compositor runner of the suite (run_under_gnome.sh,
# run_under_kwin.sh, run_under_sway.sh) inside a root of a newer Debian
# made by make_root.sh, so the same tests meet today's desktops:
#   in_root.sh ROOT_NAME SOURCE_FOLDER BUILD_FOLDER RUNNER ARGS...
# (the arguments after RUNNER as absolute paths: they are read in the root)
# Fresh namespaces (mount, network, pid: whatever is left ends with them);
# the root seen through an overlay whose changes vanish with the run, so
# no run changes it for the next; the root's own /proc, /sys and /dev, a
# private /tmp and /run, and the source and build folders bound at their
# own paths, so the programs the tests name are found where they were
# built. QUENLOW_ROOT_SETUP, when set, is a shell command run first as
# root inside the root (installing a package, say). Then everything runs
# as an unprivileged user of its own (today's compositors want no root).
# Needs root (or sudo).
set -euo pipefail
uid=60187
case ${1:-} in
--inside)
  shift
  lower=$1 source_folder=$2 build_folder=$3; shift 3
  exec 7<"$source_folder" 8<"$build_folder"
  # The overlay's upper layer lives in memory, beside the merged view, on
  # a folder hidden only in this mount namespace.
  layers=/mnt
  mount -t tmpfs quenlow-layers "$layers"
  mkdir "$layers/upper" "$layers/work" "$layers/merged"
  mount -t overlay overlay -o "lowerdir=$lower,upperdir=$layers/upper,workdir=$layers/work" "$layers/merged"
  root=$layers/merged
  mount -t proc proc "$root/proc"
  mount -t sysfs -o ro sysfs "$root/sys"
  mount --rbind /dev "$root/dev"
  mount -t tmpfs -o mode=1777 quenlow-tmp "$root/tmp"
  mount -t tmpfs -o mode=755 quenlow-run "$root/run"
  for kept in 7:"$source_folder" 8:"$build_folder"; do
    mkdir -p "$root${kept#*:}"
    mount --no-canonicalize --bind "/proc/self/fd/${kept%%:*}" "$root${kept#*:}"
  done
  exec 7<&- 8<&-
  # The user, in copies of the root's own account files.
  for file in passwd group; do
    cp "$root/etc/$file" "$root/run/$file"
    mount --bind "$root/run/$file" "$root/etc/$file"
  done
  echo "quenlow:x:$uid:$uid:quenlow:/tmp/home:/bin/sh" >>"$root/etc/passwd"
  echo "quenlow:x:$uid:" >>"$root/etc/group"
  mkdir -m 1777 "$root/tmp/.X11-unix"
  mkdir -p "$root/tmp/home" && chown "$uid:$uid" "$root/tmp/home"
  if [ -n "${QUENLOW_ROOT_SETUP:-}" ]; then
    chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive \
      sh -c "$QUENLOW_ROOT_SETUP" >/tmp/quenlow-root-setup.log 2>&1 \
      || { echo "Setting up the root failed:"; tail -20 /tmp/quenlow-root-setup.log; exit 1; }
  fi
  exec chroot --userspec="$uid:$uid" "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/tmp/home \
    LANG=C.UTF-8 QUENLOW_IN_ROOT=1 "$@"
  ;;
esac

name=${1:?usage: in_root.sh ROOT_NAME SOURCE_FOLDER BUILD_FOLDER RUNNER ARGS...}
root=${QUENLOW_ROOTS:-/var/cache/quenlow/roots}/$name
if [ ! -f "$root/.quenlow-packages" ]; then
  echo "The $name root is missing at $root: ./test.sh makes it (scripts/make_root.sh $name)."
  exit 1
fi
if [ "$(id -u)" -ne 0 ]; then exec sudo -n "$0" "$@"; fi
script=$(readlink -f "$0")
exec unshare --mount --net --pid --fork --kill-child=SIGKILL --mount-proc --propagation private \
  "$script" --inside "$root" "$(readlink -f "$2")" "$(readlink -f "$3")" "$(readlink -f "$4")" "${@:5}"
