#!/usr/bin/env bash
# Run by deb_in_root.sh under GNOME Shell in a root with the .deb installed:
# the extension postinst linked is found at the shell's start (so the
# packaged command line says it is switched off, as an extension installed
# for every user starts), and once switched on it loads and the packaged
# program lists through it.
set -euo pipefail
uuid=quenlow@mobrell.example
echo "postinst linked: $(readlink /usr/share/gnome-shell/extensions/$uuid)"
status=0
/usr/bin/quenlow --list >/tmp/listed 2>/tmp/said || status=$?
echo "before switching it on: status $status, said: $(cat /tmp/said)"
[ "$status" -eq 3 ] && grep -q "is switched off" /tmp/said
gdbus call --session --timeout 2 --dest org.gnome.Shell --object-path /org/gnome/Shell \
  --method org.gnome.Shell.Extensions.EnableExtension "$uuid" >/dev/null
for _ in $(seq 100); do
  status=0
  /usr/bin/quenlow --list >/tmp/listed 2>/tmp/said || status=$?
  [ "$status" -eq 0 ] && break
  sleep 0.1
done
echo "switched on: status $status, said: $(cat /tmp/said)"
gdbus call --session --timeout 2 --dest org.gnome.Shell --object-path /org/gnome/Shell \
  --method org.gnome.Shell.Extensions.GetExtensionInfo "$uuid" | grep -o "'path': <'[^']*'>"
[ "$status" -eq 0 ] && [ ! -s /tmp/said ]
