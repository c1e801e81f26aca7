#!/usr/bin/env bash
# Speed of the program on a crowded desktop, on a private Xvfb with openbox:
#  - refresh ("Update List") as a whole process, and `quenlow --list`,
#    against `wmctrl -l` and `xdotool search --name Netscape`, with 100,
#    1000 and 5000 windows (every tenth titled like a browser), timed by
#    hyperfine;
#  - `quenlow --size` from process start until the window manager has
#    placed the window, with 1000 windows;
#  - Change Size latency with 1000 windows, until the window manager has
#    placed the window;
#  - start-up to the first map of the main window, and peak memory, against
#    a bare Qt Widgets window built the same way, with a window holding one
#    captioned button beside them for what text alone costs.
# Prints one report and writes it to bench/results.md.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
quenlow_install_packages "${QUENLOW_BUILD_PACKAGES[@]}" xvfb openbox x11-utils wmctrl xdotool hyperfine time python3
quenlow_build build
bin=build/bench
program=build/src/quenlow
counts=(${QUENLOW_BENCH_COUNTS:-100 1000 5000})

source bench/private_desktop.sh

# Waits until openbox has stopped working on the windows just opened (its
# CPU time stays the same for half a second), so that no timed command
# shares the machine with it; at most a minute.
settle() {
  local before after
  for _ in $(seq 120); do
    before=$(awk '{print $14 + $15}' "/proc/$openbox/stat")
    sleep 0.5
    after=$(awk '{print $14 + $15}' "/proc/$openbox/stat")
    [ "$before" = "$after" ] && return
  done
}

median() {  # hyperfine-json command-index -> median in ms
  python3 -c 'import json,sys; r=json.load(open(sys.argv[1]))["results"][int(sys.argv[2])]; print("%.2f" % (r["median"]*1000))' "$1" "$2"
}

report="$work/report.md"
{
  echo "# Benchmark results"
  echo
  echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'),"
  echo "$(free -g | awk '/Mem:/ {print $2}') GiB; $(date -u +%Y-%m-%d); Xvfb + openbox; command: \`bench/run.sh\`."
  echo
  echo "## Refresh as a whole process (median, ms)"
  echo
  echo "| windows | browsers listed | ours | quenlow --list | wmctrl -l | windows wmctrl lists | xdotool search | wmctrl / ours | xdotool / ours | wmctrl / --list | xdotool / --list |"
  echo "|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
} > "$report"

resize_line=""
cli_size_line=""
truncated=()
ours_at=()
for n in "${counts[@]}"; do
  mkfifo "$work/crowd-in-$n"
  "$bin/window_crowd" "$n" < "$work/crowd-in-$n" > "$work/crowd-out-$n" &
  crowd=$!
  exec 6>"$work/crowd-in-$n"
  until grep -q ready "$work/crowd-out-$n" 2>/dev/null; do
    kill -0 $crowd 2>/dev/null || { echo "window_crowd $n failed"; exit 1; }
    sleep 0.1
  done
  settle
  listed=$("$bin/bench_refresh")
  wm_listed=$(wmctrl -l | wc -l)
  # Fewer runs for the slower tools, so the whole run stays within minutes.
  time_it() {  # name runs warmup command...
    local name=$1 runs=$2 warmup=$3; shift 3
    hyperfine -N --style none --warmup "$warmup" --runs "$runs" --export-json "$work/$name-$n.json" "$*" >/dev/null
    median "$work/$name-$n.json" 0
  }
  ours=$(time_it ours 30 3 "$bin/bench_refresh")
  cli=$(time_it cli 30 3 "$program" --list)
  wm=$(time_it wmctrl $([ "$n" -ge 5000 ] && echo 5 || echo 10) 1 wmctrl -l)
  xd=$(time_it xdotool 2 0 xdotool search --name Netscape)
  ratio() { python3 -c "print('%.1f' % ($1 / $2))"; }
  ours_at+=("$n:$ours")
  echo "| $n | $listed | $ours | $cli | $wm | $wm_listed | $xd | $(ratio "$wm" "$ours") | $(ratio "$xd" "$ours") | $(ratio "$wm" "$cli") | $(ratio "$xd" "$cli") |" >> "$report"
  if [ "$n" = 1000 ]; then
    read -r resize_median resize_p90 < <("$bin/bench_resize" "Window 0 - Netscape" 60)
    resize_line="| 1000 | $resize_median | $resize_p90 |"
    # The whole command, process start to the placed window (the backend
    # returns once the manager has answered), two sizes in turn so that
    # every run moves the window.
    for i in $(seq 40); do
      size=$([ $((i % 2)) = 0 ] && echo 800x600 || echo 1024x768)
      start=$(date +%s%N)
      "$program" --size "$size" "Window 0 - Netscape"
      echo $(( ($(date +%s%N) - start) / 1000 ))
    done > "$work/cli-size-us"
    cli_size_line=$(python3 -c '
import statistics, sys
us = sorted(float(l) for l in open(sys.argv[1]))
print("| 1000 | %.2f | %.2f |" % (statistics.median(us) / 1000, us[int(0.9 * (len(us) - 1))] / 1000))' "$work/cli-size-us")
  fi
  exec 6>&-
  wait $crowd
  if [ "$wm_listed" -lt "$n" ]; then
    truncated+=("$n")
  fi
done
if [ ${#ours_at[@]} -gt 1 ]; then
  # Linear growth shows as the same cost for every added window.
  python3 -c '
import sys
points = [tuple(map(float, p.split(":"))) for p in sys.argv[1:]]
steps = ["%d to %d windows: %.1f us" % (a[0], b[0], 1000 * (b[1] - a[1]) / (b[0] - a[0])) for a, b in zip(points, points[1:])]
print()
print("Our refresh time per added window, " + "; ".join(steps) + ".")' "${ours_at[@]}" >> "$report"
fi
if [ ${#truncated[@]} -gt 0 ]; then
  {
    echo
    echo "With ${truncated[*]} windows \`wmctrl -l\` listed only the first $wm_listed of them: it reads at most"
    echo "1024 entries of the window manager's client list, so its time there is for"
    echo "less work than ours and the ratio understates ours."
  } >> "$report"
fi

# Start-up: the three programs take turns, 31 rounds, so that a slow spell
# of the machine falls on all of them alike; medians of each.
startup_rounds() {  # program... -> one "name median-ms peak-rss-kib" line each
  for round in $(seq 31); do
    for program in "$@"; do
      XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" /usr/bin/time -f '%M' -o "$work/rss" \
        "$bin/first_map" "$program" > "$work/ms"
      echo "$program $(cat "$work/ms") $(tail -1 "$work/rss")"
    done
  done | python3 -c '
import collections, statistics, sys
ms, rss = collections.defaultdict(list), collections.defaultdict(list)
for line in sys.stdin:
    name, m, r = line.split()
    ms[name].append(float(m)); rss[name].append(int(r))
for name in ms:
    print(name, "%.1f" % statistics.median(ms[name]), int(statistics.median(rss[name])))'
}
mkfifo "$work/crowd-in-startup"
"$bin/window_crowd" 100 < "$work/crowd-in-startup" > "$work/crowd-out-startup" &
crowd=$!
exec 6>"$work/crowd-in-startup"
until grep -q ready "$work/crowd-out-startup" 2>/dev/null; do sleep 0.1; done
settle
{
  read -r _ our_ms our_rss
  read -r _ text_ms text_rss
  read -r _ bare_ms bare_rss
} < <(startup_rounds "$program" "$bin/text_window" "$bin/bare_window")
exec 6>&-
wait $crowd

{
  echo
  echo "## Change Size with 1000 windows (lookup, restore, place, until the window manager has placed it; ms over 60 runs)"
  echo
  echo "| windows | median | 90th percentile |"
  echo "|---:|---:|---:|"
  echo "$resize_line"
  echo
  echo "## quenlow --size with 1000 windows (process start until the window manager has placed the window; ms over 40 runs)"
  echo
  echo "| windows | median | 90th percentile |"
  echo "|---:|---:|---:|"
  echo "$cli_size_line"
  echo
  echo "## Start-up to the first map, and peak memory (median of 31 starts each, taking turns; 100 windows open)"
  echo
  echo "| program | first map (ms) | peak RSS (KiB) | time / bare | RSS / bare |"
  echo "|---|---:|---:|---:|---:|"
  of_bare() { python3 -c "print('%.2f' % ($1 / $2))"; }
  echo "| quenlow | $our_ms | $our_rss | $(of_bare "$our_ms" "$bare_ms") | $(of_bare "$our_rss" "$bare_rss") |"
  echo "| Qt Widgets window with one captioned button | $text_ms | $text_rss | $(of_bare "$text_ms" "$bare_ms") | $(of_bare "$text_rss" "$bare_rss") |"
  echo "| bare Qt Widgets window | $bare_ms | $bare_rss | 1.00 | 1.00 |"
} >> "$report"
cp "$report" bench/results.md
cat "$report"
