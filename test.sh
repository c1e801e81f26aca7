#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test tier. Exits with
# CTest's status. Extra arguments go to ctest (e.g. ./test.sh -L unit).
set -euo pipefail
cd "$(dirname "$0")"
source scripts/packages.sh

quenlow_install_packages "${QUENLOW_BUILD_PACKAGES[@]}" "${QUENLOW_TEST_PACKAGES[@]}"
quenlow_build build

set +e
ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"
status=$?
exit $status
