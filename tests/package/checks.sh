# Sourced by the package checks: a work folder removed at exit, and check,
# which runs a command, prints "ok" or "FAILED" with its output, and counts
# the failures in $failures.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
check() {  # description command...
  local description=$1; shift
  if "$@" >"$work/out" 2>&1; then
    echo "ok: $description"
  else
    echo "FAILED: $description"; sed 's/^/  /' "$work/out"; failures=$((failures + 1))
  fi
}
