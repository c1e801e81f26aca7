#!/usr/bin/env bash
# ./run.sh with no display says what is missing and stops before it
# installs or builds anything: apt-get, sudo and cmake on PATH only record
# that they were called.
set -euo pipefail
source_folder=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for tool in apt-get sudo cmake; do
  printf '#!/bin/sh\necho %s >>"%s/called"\nexit 1\n' "$tool" "$work" >"$work/$tool"
  chmod +x "$work/$tool"
done
status=0
env -u DISPLAY -u WAYLAND_DISPLAY PATH="$work:$PATH" "$source_folder/run.sh" 2>"$work/said" || status=$?
cat "$work/said"
[ "$status" -ne 0 ] || { echo "FAILED: exit status 0"; exit 1; }
[ ! -e "$work/called" ] || { echo "FAILED: called $(cat "$work/called")"; exit 1; }
grep -q 'DISPLAY' "$work/said" && grep -q 'WAYLAND_DISPLAY' "$work/said" || { echo "FAILED: names no display"; exit 1; }
echo "ok: stops at once and names DISPLAY and WAYLAND_DISPLAY"
