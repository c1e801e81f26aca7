#!/usr/bin/env bash
# Makes (once) a Debian root of a newer release for the `newer` test tier, with
# today's desktops in it: make_root.sh trixie|forky [CACHE_FOLDER]
# The root lives outside the clone (default /var/cache/quenlow/roots/NAME),
# is made with debootstrap from the archive apt already uses, and gets the
# packages of scripts/roots/NAME.packages. A root whose list changed gets the
# new packages; a root that was never finished is made again. Needs root.
set -euo pipefail
name=${1:?usage: make_root.sh trixie|forky [CACHE_FOLDER]}
cache=${2:-/var/cache/quenlow/roots}
here=$(cd "$(dirname "$0")" && pwd)
list=$here/roots/$name.packages
[ -f "$list" ] || { echo "no package list $list" >&2; exit 2; }
root=$cache/$name
packages=$(grep -v '^#' "$list" | tr -s ' \n' ' ')
stamp=$root/.quenlow-packages

if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$packages" ]; then exit 0; fi
if [ "$(id -u)" -ne 0 ]; then exec sudo -n "$0" "$@"; fi

mirror=$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null | grep -v security | head -1)
mirror=${mirror:-http://deb.debian.org/debian}
started=$(date +%s)
if [ ! -f "$root/.quenlow-bootstrapped" ]; then
  # A half-made root (an interrupted run) is made again from nothing.
  case $root in /var/cache/*|/tmp/*) ;; *) echo "refusing to clear $root" >&2; exit 2;; esac
  rm -rf --one-file-system "$root"
  mkdir -p "$cache"
  script=()
  # Debian 12's debootstrap has no script of its own for testing's name.
  [ -f "/usr/share/debootstrap/scripts/$name" ] || script=(/usr/share/debootstrap/scripts/sid)
  echo "Making the $name root in $root (debootstrap from $mirror)"
  debootstrap --variant=minbase "$name" "$root" "$mirror" "${script[@]}" >"$cache/$name.debootstrap.log" 2>&1 \
    || { tail -20 "$cache/$name.debootstrap.log" >&2; exit 1; }
  # No service starts inside the root.
  printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
  chmod 755 "$root/usr/sbin/policy-rc.d"
  touch "$root/.quenlow-bootstrapped"
fi

echo "Installing the $name root's packages"
# apt inside the root, in a mount namespace of its own: what it mounts goes
# with it. Testing's release file may be past its Valid-Until.
unshare --mount --propagation private bash -euo pipefail -c '
  root=$1; shift
  mount -t proc proc "$root/proc"
  mount -t sysfs -o ro sysfs "$root/sys"
  mount --rbind /dev "$root/dev"
  cp /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
  in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin DEBIAN_FRONTEND=noninteractive LANG=C.UTF-8 "$@"; }
  in_root apt-get -qq -o Acquire::Check-Valid-Until=false update
  in_root apt-get install -y -qq --no-install-recommends "$@"
  in_root apt-get clean
' quenlow-root "$root" $packages >"$cache/$name.apt.log" 2>&1 || { tail -30 "$cache/$name.apt.log" >&2; exit 1; }
printf '%s' "$packages" >"$stamp"
echo "The $name root is ready ($(( $(date +%s) - started )) s, $(du -sh --one-file-system "$root" | cut -f1))"
