#!/usr/bin/env bash
# Run by run_under_gnome.sh in a GNOME Shell that has never seen the
# program's extension: the command line lists nothing and says that the
# user must log in again.   says_log_in_again.sh PROGRAM
set -euo pipefail
status=0
out=$("$1" --list 2>/tmp/said) || status=$?
echo "status $status, printed '$out', said: $(cat /tmp/said)"
[ "$status" -eq 0 ] && [ -z "$out" ] && grep -q "log out and log in again once" /tmp/said
