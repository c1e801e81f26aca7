# Sourced by run.sh and test.sh: installs the Debian packages a step needs,
# only those missing, quietly. Needs root or sudo the first time.

# Building and running the program.
QUENLOW_BUILD_PACKAGES=(cmake g++ make pkg-config qt6-base-dev qt6-qpa-plugins qt6-wayland libx11-dev
  libxcb1-dev libxcb-ewmh-dev libsystemd-dev libfontconfig-dev libgl-dev nlohmann-json3-dev)
# A font that shows the Chinese captions.
QUENLOW_FONT_PACKAGES=(fonts-noto-cjk)
# Every test tier: unit and GUI tests, a private X server with window
# managers, the Windows backend cross-built and run under Wine, a headless
# KWin with XWayland on a private session bus, real Firefox ESR and
# Chromium with the accessibility bus their page areas are read on
# (at-spi2-core, under dbus-run-session; gsettings reads the switch it keeps)
# and on a scaled desktop (xsettingsd), man to check the manual page, lintian
# to check the .deb as Debian does, and
# debootstrap for the roots of newer Debian releases that bring today's
# desktops.
QUENLOW_TEST_PACKAGES=(libgtest-dev libgmock-dev libx11-dev xvfb xauth openbox metacity awesome icewm i3-wm
  x11-utils x11-xserver-utils xdotool lintian
  g++-mingw-w64-x86-64 wine wine64 nsis desktop-file-utils appstream dpkg-dev
  clang-14 libclang-rt-14-dev
  kwin-wayland xwayland dbus-daemon
  firefox-esr chromium at-spi2-core libglib2.0-bin xsettingsd man-db sway jq debootstrap)
# A headless GNOME Shell for the gnome tier, without its recommends (gdm3,
# gnome-session, the control centre...: about 300 MB nothing here uses), and
# gjs, which checks that both builds of the extension parse.
QUENLOW_GNOME_TEST_PACKAGES=(gnome-shell gjs)

# Prints the packages of "$@" that are not installed.
quenlow_missing_packages() {
  local package
  for package in "$@"; do
    dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | grep -q '^install ok installed$' \
      || printf '%s\n' "$package"
  done
}

# Installs the packages of "$@" that are missing; with --no-install-recommends
# first, without what they recommend.
quenlow_install_packages() {
  local missing options=()
  if [ "${1:-}" = --no-install-recommends ]; then options=(--no-install-recommends); shift; fi
  missing=$(quenlow_missing_packages "$@")
  [ -z "$missing" ] && return 0
  local sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  echo "Installing: $(echo $missing)"
  local log
  log=$(mktemp)
  # shellcheck disable=SC2086
  if ! { "${sudo[@]}" apt-get update -qq && \
         DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${options[@]}" $missing; } >"$log" 2>&1; then
    cat "$log" >&2
    rm -f "$log"
    echo "Could not install the packages above." >&2
    return 1
  fi
  rm -f "$log"
}

# Configures (once) and builds a native tree: quenlow_build DIR [CMAKE_OPTIONS...]
quenlow_build() {
  local dir=${1:-build}
  shift || true
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >"$dir.configure.log" 2>&1 \
      || { cat "$dir.configure.log" >&2; return 1; }
  fi
  cmake --build "$dir" -j"$(nproc)" -- --no-print-directory -s >"$dir.build.log" 2>&1 \
    || { grep -E -B2 -A6 'error|Error' "$dir.build.log" >&2 || cat "$dir.build.log" >&2; return 1; }
}
