#!/usr/bin/env bash
# The sanitizer job: builds the address and undefined-behaviour sanitizer configuration (leak
# detection on, tests/lsan.supp) of the test folders and runs their tests. KM_SANITIZER_TESTS
# chooses the folders (all of them by default).
set -euo pipefail
cd "$(dirname "$0")/.."
sanitizer_start=$(date +%s)
KM_SANITIZER_TESTS=${KM_SANITIZER_TESTS:-$(cd tests && find . -mindepth 1 -maxdepth 1 -type d ! -name support -printf '%f ')}
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
# Only the folders built here: other test executables in build-asan may be stale.
labels=$(echo "$KM_SANITIZER_TESTS" | tr ' ' '|')
(cd build-asan && ctest --output-on-failure -j "$(nproc)" --timeout 300 -L "^($labels)\$")
echo "sanitizer job took $(($(date +%s) - sanitizer_start)) s"
