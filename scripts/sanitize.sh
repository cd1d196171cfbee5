#!/usr/bin/env bash
# The sanitizer job: builds the address and undefined-behaviour sanitizer configuration (leak
# detection on, tests/lsan.supp) of the parser and scenario test folders and runs their tests.
# KM_SANITIZER_TESTS chooses the folders.
set -euo pipefail
cd "$(dirname "$0")/.."
sanitizer_start=$(date +%s)
KM_SANITIZER_TESTS=${KM_SANITIZER_TESTS:-"archive gfx script sound kmtool"}
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=$PWD
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# -O1 with line tables only: cheaper to compile than -O2 -g, and the reports still name
# files and lines.
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O1 -g1" \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" -DKM_SANITIZE=ON -DKM_BUILD_BENCHMARKS=OFF "${launcher[@]}" >/dev/null
targets=()
for t in $KM_SANITIZER_TESTS; do targets+=("km_test_$t"); done
cmake --build build-asan --target "${targets[@]}"
# Test executables left unbuilt stand in ctest as *_NOT_BUILT.
(cd build-asan && ctest --output-on-failure -j "$(nproc)" --timeout 300 -E '_NOT_BUILT$')
echo "sanitizer job took $(($(date +%s) - sanitizer_start)) s"
