#!/usr/bin/env bash
# Installs what is missing, builds, makes the roots of newer Debian
# releases the newer tier runs today's desktops in (once, under
# /var/cache/quenlow/roots), and runs every test tier (unit, gui, x11,
# browsers, wayland, sway, gnome, newer, win32, package, stress and fuzz) in
# build/, then unit, gui and x11 again built with AddressSanitizer and
# UndefinedBehaviorSanitizer in build-asan/. Exits non-zero when any test fails.
# With arguments, runs only `ctest` in build/ with them (e.g. ./test.sh -L unit).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh

quenlow_install_packages "${QUENLOW_BUILD_PACKAGES[@]}" "${QUENLOW_TEST_PACKAGES[@]}"
quenlow_install_packages --no-install-recommends "${QUENLOW_GNOME_TEST_PACKAGES[@]}"
quenlow_build build
for root in trixie forky; do scripts/make_root.sh "$root"; done

set +e
ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"
status=$?
[ $# -gt 0 ] && exit $status

echo "== The unit, gui and x11 tiers with AddressSanitizer and UndefinedBehaviorSanitizer"
if quenlow_build build-asan -DQUENLOW_SANITIZE=ON; then
  ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -L 'unit|gui|x11'
  sanitized=$?
else
  sanitized=1
fi
[ $status -ne 0 ] && exit $status
exit $sanitized
