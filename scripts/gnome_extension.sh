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
  local build_dir=$1 uuid=quenlow@mobrell.example build=module version extensions info
  version=$(gnome-shell --version 2>/dev/null | sed -n 's/^GNOME Shell \([0-9][0-9]*\).*/\1/p')
  if [ -n "$version" ] && [ "$version" -lt 45 ]; then build=legacy; fi
  extensions=${XDG_DATA_HOME:-$HOME/.local/share}/gnome-shell/extensions
  if [ -d "$extensions/$uuid" ] && diff -rq "$build_dir/gnome-extension/$build/$uuid" "$extensions/$uuid" >/dev/null; then
    return 0  # the same build is there already
  fi
  mkdir -p "$extensions"
  rm -rf "${extensions:?}/$uuid"
  cp -r "$build_dir/gnome-extension/$build/$uuid" "$extensions/"
  # GNOME Shell reads an extension's code only as it starts, and a copy in
  # the user's folder comes before one installed for every user.
  echo "Installed the GNOME Shell extension Mobrell Quenlow needs in $extensions/$uuid."
  info=$(gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
         --method org.gnome.Shell.Extensions.GetExtensionInfo "$uuid" 2>/dev/null || true)
  if [[ $info == *"'path': <'/usr/"* ]]; then
    echo "It takes the place of the copy installed for every user at your next log-in."
  fi
  echo "GNOME Shell loads it only as you log in: log out and log in again once."
}
