#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the tests headless.
# KM_BUILD_DIR and KM_CMAKE_ARGS choose another build (e.g. -DKM_SANITIZE=ON).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KM_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh"
# shellcheck disable=SC2086
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo ${KM_CMAKE_ARGS:-} >/dev/null
cmake --build "$build"
cd "$build"
ctest --output-on-failure -j "$(nproc)" --timeout 300
