#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
source scripts/gnome_extension.sh

quenlow_install_packages "${QUENLOW_BUILD_PACKAGES[@]}" "${QUENLOW_FONT_PACKAGES[@]}"
quenlow_build build

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: run ./run.sh from a desktop session (DISPLAY is not set)." >&2
  exit 1
fi
if quenlow_on_gnome_wayland; then quenlow_install_gnome_extension build; fi
exec build/src/quenlow "$@"
