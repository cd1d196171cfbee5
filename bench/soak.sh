#!/usr/bin/env bash
# Soak: the demo played headless in real time, over and over, for MINUTES minutes in one process
# (its closing ExitGame becomes a jump back to the start, and a click every half second moves
# the story on), with the process's resident memory sampled every INTERVAL seconds.
#   bench/soak.sh [MINUTES=10] [INTERVAL=5]      (uses KM_BUILD_DIR, default build/)
# Prints "seconds rss_kb" lines, then the RSS at one minute and at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KM_BUILD_DIR:-$root/build}
minutes=${1:-10}
interval=${2:-5}
kmtool=$build/kmtool
[ -x "$kmtool" ] && [ -d "$build/demo-stage" ] || {
  echo "soak: build kmtool and demo_game in $build first" >&2
  exit 2
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$build/demo-stage" "$work/stage"
# The story starts again instead of ending the program.
{
  printf '*soak_top\n'
  sed 's/^@\[ExitGame\]/@[Jump label="*soak_top"]/' "$build/demo-stage/0first.evt"
} >"$work/stage/0first.evt.new"
mv "$work/stage/0first.evt.new" "$work/stage/0first.evt"
mkdir -p "$work/game"
"$kmtool" pack "$work/game/demo.pkg" -C "$work/stage" --utf8-evt >/dev/null
frames=$((minutes * 60 * 60 + 600))
for ((f = 30; f <= frames; f += 30)); do echo "$f click"; done >"$work/input.txt"

"$kmtool" play --game "$work/game" --realtime --frames "$frames" --input "$work/input.txt" \
  >"$work/out.txt" 2>"$work/err.txt" &
pid=$!
start=$(date +%s)
at_minute=""
last=""
while kill -0 "$pid" 2>/dev/null; do
  now=$(($(date +%s) - start))
  rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status" 2>/dev/null || true)
  [ -n "$rss" ] || break
  echo "$now $rss"
  last=$rss
  if [ -z "$at_minute" ] && [ "$now" -ge 60 ]; then at_minute=$rss; fi
  if [ "$now" -ge $((minutes * 60)) ]; then
    kill -TERM "$pid"
    break
  fi
  sleep "$interval"
done
wait "$pid" || true
echo "soak: RSS at 1 minute ${at_minute:-?} kB, at the end (${minutes} min) ${last:-?} kB"
echo "soak: $(grep -c MessageBox "$work/err.txt" || true) message boxes"
