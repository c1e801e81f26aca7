#!/usr/bin/env bash
# Refresh and Change Size on Plasma's Wayland session: inside a headless
# KWin (tests/wayland/run_under_kwin.sh), with 20 native Wayland and 20
# XWayland windows open, every fourth titled like a browser. Prints the
# report and writes it to bench/results-kwin.md.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
quenlow_install_packages "${QUENLOW_BUILD_PACKAGES[@]}" kwin-wayland xwayland dbus-daemon x11-utils
quenlow_build build
rounds=${QUENLOW_BENCH_ROUNDS:-100}
out=$(mktemp)
trap 'rm -f "$out"' EXIT
tests/wayland/run_under_kwin.sh bench/wayland_crowd.sh "$PWD/build" "$rounds" | tee "$out"
{
  echo "# Refresh and Change Size under KWin"
  echo
  echo "Measured by \`bench/kwin.sh\` on $(date -u +%Y-%m-%d): headless KWin $(dpkg-query -W -f='${Version}' kwin-wayland),"
  echo "40 windows (20 native Wayland, 20 XWayland, 10 titled like a browser), $rounds rounds each."
  echo
  sed 's/^/- /' "$out"
} > bench/results-kwin.md
