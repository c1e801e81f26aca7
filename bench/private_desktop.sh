# Sourced by the benchmarks: a scratch folder $work and a private Xvfb
# (1920x1080) with openbox in it, whose number is exported as DISPLAY;
# returns once openbox manages windows. $openbox is its process. On exit
# every process in $pids (each with its process group, where it leads
# one), openbox and Xvfb are ended and $work removed. Needs xvfb, openbox,
# x11-utils and wmctrl.
work=$(mktemp -d)
pids=()
end_private_desktop() {
  for pid in "${pids[@]}"; do kill -- "-$pid" 2>/dev/null || kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap end_private_desktop EXIT

exec 5>"$work/display"
Xvfb -displayfd 5 -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$work/display")"
openbox --sm-disable >/dev/null 2>&1 &
openbox=$!
pids=("$openbox" "${pids[@]}")
# openbox drops map requests until its event loop runs: wait for a probe
# window to be managed.
until wmctrl -l >/dev/null 2>&1; do sleep 0.05; done
xmessage -name probe -title probe probe >/dev/null 2>&1 &
probe=$!
until wmctrl -l 2>/dev/null | grep -q probe; do sleep 0.05; done
kill $probe; wait $probe 2>/dev/null || true
