#!/usr/bin/env bash
# Installs what is missing, builds the engine and the demo game, and plays it in a window.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --target kestrelmoore demo_game
cd "$root/build/demo-game"
exec "$root/build/kestrelmoore"
