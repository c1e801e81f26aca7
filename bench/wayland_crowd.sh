#!/usr/bin/env bash
# Inside a Wayland session (run by bench/kwin.sh and bench/gnome.sh): opens
# 20 native Wayland and 20 XWayland windows, every fourth titled like a
# browser, and times refresh and Change Size among them.
#   wayland_crowd.sh BUILD_DIR ROUNDS
set -euo pipefail
build=$1 rounds=$2
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true' EXIT
for i in $(seq 20); do
  title="Page $i"; [ $((i % 4)) -eq 0 ] && title="Page $i - Netscape"
  QT_QPA_PLATFORM=wayland "$build/tests/wayland_test_window" "$title" & pids+=($!)
  xmessage -title "Old $title" "$title" >/dev/null 2>&1 & pids+=($!)
done
sleep 3  # the windows map; this is set-up, not what is timed
"$build/bench/bench_wayland" "Page 20 - Netscape" "$rounds"
