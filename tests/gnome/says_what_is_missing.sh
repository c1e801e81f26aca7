#!/usr/bin/env bash
# Run by run_under_gnome.sh in a GNOME Shell whose extension cannot work,
# through the command line, which lists nothing, exits 3 and says why:
#   says_what_is_missing.sh PROGRAM not-installed EXTENSION_BUILDS
#     a shell that never saw the extension: "not installed"; once a copy is
#     in the user's folder, "log out and log in again once" naming it.
#   says_what_is_missing.sh PROGRAM other-version
#     a build made for other GNOME Shell versions: both versions named.
set -euo pipefail
program=$1 case_name=$2
expect() {  # expect PATTERN: --list exits 3, prints nothing, says PATTERN
  local status=0 out
  out=$("$program" --list 2>/tmp/said) || status=$?
  echo "status $status, printed '$out', said: $(cat /tmp/said)"
  [ "$status" -eq 3 ] && [ -z "$out" ] && grep -q -- "$1" /tmp/said
}
case $case_name in
not-installed)
  expect "is not installed"
  copy=$HOME/.local/share/gnome-shell/extensions/quenlow@mobrell.example
  mkdir -p "$(dirname "$copy")"
  cp -r "$3/legacy/quenlow@mobrell.example" "$copy"
  expect "Log out and log in again once.* It will find the copy in $copy"
  ;;
other-version)
  shell=$(gnome-shell --version | sed 's/^GNOME Shell //')
  expect "is made for GNOME Shell 45, 46, 47, 48, 49, 50, and this is GNOME Shell $shell\."
  ;;
esac
