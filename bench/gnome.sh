#!/usr/bin/env bash
# Refresh and Change Size on GNOME's Wayland session: inside a headless
# GNOME Shell with the program's extension (tests/gnome/run_under_gnome.sh,
# which needs root or sudo), with 20 native Wayland and 20 XWayland windows
# open, every fourth titled like a browser. Prints the report and writes it
# to bench/results-gnome.md.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
quenlow_install_packages "${QUENLOW_BUILD_PACKAGES[@]}" xwayland dbus-daemon x11-utils
quenlow_install_packages --no-install-recommends "${QUENLOW_GNOME_TEST_PACKAGES[@]}"
quenlow_build build
rounds=${QUENLOW_BENCH_ROUNDS:-100}
out=$(mktemp)
trap 'rm -f "$out"' EXIT
tests/gnome/run_under_gnome.sh build build/gnome-extension \
  bench/wayland_crowd.sh "$PWD/build" "$rounds" | grep -v '^SpiRegistry' | tee "$out"
{
  echo "# Refresh and Change Size under GNOME Shell"
  echo
  echo "Measured by \`bench/gnome.sh\` on $(date -u +%Y-%m-%d): headless GNOME Shell $(dpkg-query -W -f='${Version}' gnome-shell),"
  echo "40 windows (20 native Wayland, 20 XWayland, 10 titled like a browser), $rounds rounds each."
  echo
  sed 's/^/- /' "$out"
} > bench/results-gnome.md
