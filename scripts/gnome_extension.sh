# Sourced by run.sh: on GNOME's Wayland session the program lists and
# places windows through a GNOME Shell extension of its own, which
# quenlow_install_gnome_extension BUILD_DIR installs for the user: the
# build that fits the running shell (an ES module from GNOME Shell 45 on,
# a script before).

quenlow_on_gnome_wayland() {
  [ "${XDG_SESSION_TYPE:-}" = wayland ] && [[ ":${XDG_CURRENT_DESKTOP:-}:" == *:GNOME:* ]] \
    && command -v gnome-shell >/dev/null
}

quenlow_install_gnome_extension() {
  local build_dir=$1 uuid=quenlow@mobrell.example build=legacy version extensions
  version=$(gnome-shell --version 2>/dev/null | sed -n 's/^GNOME Shell \([0-9][0-9]*\).*/\1/p')
  if [ -n "$version" ] && [ "$version" -ge 45 ]; then build=module; fi
  extensions=${XDG_DATA_HOME:-$HOME/.local/share}/gnome-shell/extensions
  mkdir -p "$extensions"
  rm -rf "${extensions:?}/$uuid"
  cp -r "$build_dir/gnome-extension/$build/$uuid" "$extensions/"
  # A shell that knows the extension already gets it turned on by the
  # program; a new one it finds only as it starts.
  if ! gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
       --method org.gnome.Shell.Extensions.GetExtensionInfo "$uuid" 2>/dev/null | grep -q "'state'"; then
    echo "Installed the GNOME Shell extension Mobrell Quenlow needs in $extensions."
    echo "GNOME Shell finds it only when you log in: log out and log in again once;"
    echo "until then the program's list of browser windows stays empty."
  fi
}
