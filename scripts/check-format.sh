#!/usr/bin/env bash
# Fails when a C++ source differs from what clang-format makes of it under .clang-format,
# naming each such file. With --fix, formats them in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${files[@]}"
  exit 0
fi
bad=0
for f in "${files[@]}"; do
  if ! clang-format --dry-run --Werror "$f" >/dev/null 2>&1; then
    echo "$f: not formatted (scripts/check-format.sh --fix formats it)"
    bad=1
  fi
done
exit $bad
