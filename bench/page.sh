#!/usr/bin/env bash
# Time of `quenlow --size WxH --page` with real browsers: Firefox ESR and
# Chromium (started with renderer accessibility) on a private Xvfb with
# openbox and a private session bus, each showing a page that puts its
# innerWidth x innerHeight in its title. The first run on each browser is
# told apart (it finds the page on the accessibility bus; for Firefox it
# switches the desktop's accessibility on first), then 1024x768 and 800x600
# in turn. Each run: process start to exit, the page's size from the title
# and the window's outer size (its X client window) after it. Prints the
# report and writes it to bench/results-page.md.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${QUENLOW_BENCH_OWN_BUS:-}" ]; then
  source scripts/packages.sh
  quenlow_install_packages "${QUENLOW_BUILD_PACKAGES[@]}" xvfb openbox x11-utils wmctrl xdotool dbus-daemon at-spi2-core \
    firefox-esr chromium python3
  quenlow_build build
  # The bus's own settings, in the build tree: switching accessibility on
  # makes its launcher write GSettings, which must not be the user's.
  QUENLOW_BENCH_OWN_BUS=1 XDG_CONFIG_HOME=$PWD/build/bench-bus-config XDG_CACHE_HOME=$PWD/build/bench-bus-cache \
    exec dbus-run-session -- "$0" "$@"
fi
program=$PWD/build/src/quenlow
rounds=${QUENLOW_BENCH_ROUNDS:-20}

source bench/private_desktop.sh
export WAYLAND_DISPLAY= QT_QPA_PLATFORM=
export HOME=$work XDG_CONFIG_HOME=$work/config XDG_CACHE_HOME=$work/cache MOZ_CRASHREPORTER_DISABLE=1

cat > "$work/sized.html" <<'EOF'
<!doctype html><meta charset="utf-8"><title>Sized</title><script>
const tell = () => document.title = innerWidth + 'x' + innerHeight;
addEventListener('load', tell); addEventListener('resize', tell);</script><h1>Sized</h1>
EOF
mkdir -p "$work/firefox"
printf 'user_pref("browser.shell.checkDefaultBrowser", false);\nuser_pref("browser.aboutwelcome.enabled", false);\nuser_pref("datareporting.policy.dataSubmissionEnabled", false);\n' \
  > "$work/firefox/user.js"
setsid firefox-esr --no-remote --new-instance --profile "$work/firefox" "file://$work/sized.html" >/dev/null 2>&1 &
pids+=($!)
ACCESSIBILITY_ENABLED=1 setsid chromium --no-sandbox --no-first-run --no-default-browser-check --disable-gpu \
  --password-store=basic --user-data-dir="$work/chromium" --force-renderer-accessibility "file://$work/sized.html" \
  >/dev/null 2>&1 &
pids+=($!)

# The window whose title is a page size and ends with $1; its id.
window_of() {
  for _ in $(seq 1200); do
    id=$(xdotool search --name "^[0-9]+x[0-9]+$1\$" 2>/dev/null | head -1) && [ -n "$id" ] && { echo "$id"; return; }
    sleep 0.05
  done
  echo "no window titled a size$1" >&2
  exit 1
}

# Waits until the title of window $1 has stayed the same for 150 ms (the
# page retitles itself as it relays out), at most 3 s.
quiet_title() {
  local last now same=0
  last=$(xdotool getwindowname "$1")
  for _ in $(seq 60); do
    sleep 0.05
    now=$(xdotool getwindowname "$1")
    if [ "$now" = "$last" ]; then same=$((same + 1)); [ $same -ge 3 ] && return; else same=0; last=$now; fi
  done
}

# One --page run on the window $1 titled "<size>$2": milliseconds, page, outer.
page_run() {
  local window=$1 suffix=$2 size=$3 start end title
  quiet_title "$window"
  start=$(date +%s%N)
  "$program" --size "$size" --page "$(xdotool getwindowname "$window")" || echo "--page $size: exit $?" >&2
  end=$(date +%s%N)
  # The page writes its size into its title from its resize handler, which
  # the browser runs after its layout: wait up to 2 s for the size asked.
  for _ in $(seq 100); do
    title=$(xdotool getwindowname "$window")
    [ "${title%"$suffix"}" = "$size" ] && break
    sleep 0.02
  done
  echo "$(( (end - start) / 1000 )) ${title%"$suffix"} $(xwininfo -id "$window" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w "x" h}')"
}

# One plain --size run on the window $1: milliseconds.
size_run() {
  local start end
  quiet_title "$1"
  start=$(date +%s%N)
  "$program" --size "$2" "$(xdotool getwindowname "$1")" || echo "--size $2: exit $?" >&2
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000 ))"
}

# The browser's own relayout: from an X resize of the window $1 to WxH ($2)
# until the page's resize handler has written its new size into the title:
# milliseconds.
relayout_run() {
  local window=$1 before start end
  quiet_title "$window"
  before=$(xdotool getwindowname "$window")
  start=$(date +%s%N)
  xdotool windowsize "$window" "${2%x*}" "${2#*x}"
  until [ "$(xdotool getwindowname "$window")" != "$before" ]; do
    [ $(( $(date +%s%N) - start )) -lt 5000000000 ] || { echo "no relayout to $2 within 5 s" >&2; break; }
  done
  end=$(date +%s%N)
  echo "$(( (end - start) / 1000 ))"
}

report="$work/report.md"
{
  echo "# --page with real browsers"
  echo
  echo "Measured by \`bench/page.sh\` on $(date -u +%Y-%m-%d), $(nproc) cores: Xvfb + openbox, 96 dpi, firefox-esr"
  echo "$(dpkg-query -W -f='${Version}' firefox-esr), chromium $(dpkg-query -W -f='${Version}' chromium), $rounds runs each after the first."
  echo "Time is process start to exit; the outer size is the browser's X client window after the run."
  echo "Side by side on the same window, warm: a plain \`--size\` of it (the same sizes), and the browser's own"
  echo "relayout (an X resize until the page's resize handler has written its new size into the title)."
  echo
  echo "| browser | asked | page seen | outer size | first run (ms) | median (ms) | 90th percentile (ms) |"
  echo "|---|---|---|---|---:|---:|---:|"
} > "$report"
sides="$work/sides.md"
{
  echo
  echo "| browser | --page median (ms) | --size median (ms) | relayout median (ms) | --page / (--size + relayout) |"
  echo "|---|---:|---:|---:|---:|"
} > "$sides"
for browser in " — Mozilla Firefox" " - Chromium"; do
  window=$(window_of "$browser")
  read -r first first_page _ < <(page_run "$window" "$browser" 640x480)
  echo "first run on$browser: page $first_page" >&2
  : > "$work/runs"; : > "$work/sizes"; : > "$work/relayouts"
  # Interleaved, so that the three see the same machine.
  for i in $(seq "$rounds"); do
    asked=$([ $((i % 2)) = 0 ] && echo 800x600 || echo 1024x768)
    page_run "$window" "$browser" "$asked" >> "$work/runs"
    size_run "$window" "$asked" >> "$work/sizes"
    relayout_run "$window" "$([ $((i % 2)) = 0 ] && echo 900x700 || echo 1000x800)" >> "$work/relayouts"
  done
  python3 - "$browser" "$first" "$work/runs" "$work/sizes" "$work/relayouts" "$report" "$sides" <<'PYTHON'
import collections, math, statistics, sys
name, first, runs, sizes, relayouts, report, sides = sys.argv[1].strip(" -—"), float(sys.argv[2]) / 1000, *sys.argv[3:]
by_size = collections.defaultdict(list)
everything = []
for i, line in enumerate(open(runs)):
    us, page, outer = line.split()
    by_size["800x600" if i % 2 else "1024x768"].append((float(us) / 1000, page, outer))
    everything.append(float(us) / 1000)
with open(report, "a") as out:
    for asked, seen in sorted(by_size.items(), reverse=True):
        ms = sorted(m for m, _, _ in seen)
        pages = ", ".join(sorted({p for _, p, _ in seen}))
        outers = ", ".join(sorted({o for _, _, o in seen}))
        print("| %s | %s | %s | %s | %.0f | %.0f | %.0f |" % (name, asked, pages, outers, first, statistics.median(ms),
                                                              ms[math.ceil(0.9 * len(ms)) - 1]), file=out)
page = statistics.median(everything)
size = statistics.median(float(l) / 1000 for l in open(sizes))
relayout = statistics.median(float(l) / 1000 for l in open(relayouts))
with open(sides, "a") as out:
    print("| %s | %.0f | %.0f | %.0f | %.2f |" % (name, page, size, relayout, page / (size + relayout)), file=out)
PYTHON
done
cat "$sides" >> "$report"
cp "$report" bench/results-page.md
cat "$report"
