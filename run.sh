#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh
source scripts/gnome_extension.sh

# Checked first: without a display the window cannot open, and installing
# and building would only take minutes before saying so.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "./run.sh opens the program's window, which needs a desktop session: neither DISPLAY" \
    "(X11) nor WAYLAND_DISPLAY (Wayland) is set, as over ssh or on a text console." \
    "Run it in a terminal of your desktop; nothing was installed or built." >&2
  exit 1
fi

quenlow_install_packages "${QUENLOW_BUILD_PACKAGES[@]}" "${QUENLOW_FONT_PACKAGES[@]}"
quenlow_build build
if quenlow_on_gnome_wayland; then quenlow_install_gnome_extension build; fi
exec build/src/quenlow "$@"
