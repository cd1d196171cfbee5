#!/usr/bin/env bash
# Builds one libFuzzer target with clang and runs it for a while on one core:
#   scripts/fuzz.sh NAME SECONDS      NAME: archive evt config image wav ogg clickmap mesh window
# KM_FUZZ_RUNS=N also ends the run after N executions; KM_FUZZ_TIMEOUT=S counts an input slower
# than S seconds as a finding (default 10; raise it on a machine busy with other work).
# The corpus grows in build-fuzz/corpus/NAME (seeded from fuzz/MakeSeeds.cpp and the demo's
# scripts); findings are written to build-fuzz/findings/NAME. Not part of the tests or CI.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
name=${1:?usage: scripts/fuzz.sh NAME SECONDS}
seconds=${2:?usage: scripts/fuzz.sh NAME SECONDS}
build=${KM_FUZZ_BUILD_DIR:-$root/build-fuzz}
case "$name" in archive | evt | config | image | wav | ogg | clickmap | mesh | window) ;; *)
  echo "fuzz.sh: unknown target $name (archive evt config image wav ogg clickmap mesh window)" >&2
  exit 2
  ;;
esac

"$root/scripts/install-deps.sh"
# clang and its fuzzer runtime are needed only here.
missing=()
for p in clang libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=$([ "$(id -u)" -eq 0 ] && echo "" || echo sudo)
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKM_FUZZ=ON \
  -DKM_BUILD_TESTS=OFF -DKM_BUILD_BENCHMARKS=OFF "${launcher[@]}" >/dev/null
# kmtool (the whole engine) only packs the archive seeds.
tools=(km_fuzz_seeds)
[ "$name" = archive ] && tools+=(kmtool)
cmake --build "$build" --target "km_fuzz_$name" "${tools[@]}"

corpus=$build/corpus/$name
findings=$build/findings/$name
mkdir -p "$corpus" "$findings"
if [ -z "$(ls -A "$corpus")" ]; then
  seeds=$build/seeds
  rm -rf "$seeds"
  ASAN_OPTIONS=detect_leaks=0 "$build/fuzz/km_fuzz_seeds" "$seeds"
  mkdir -p "$seeds/evt" "$seeds/archive"
  cp "$root"/demo/game/*.evt "$seeds/evt/"
  if [ "$name" = archive ]; then
    ASAN_OPTIONS=detect_leaks=0 "$build/kmtool" pack "$seeds/archive/demo.pkg" -C "$root/demo/game" --utf8-evt \
      >/dev/null
    # One scrambled archive per script; kmtool refuses a script whose scrambled text happens to
    # end in a line feed, so such a script is tried again with a space added to its last line.
    for f in "$root"/demo/game/*.evt; do
      one=$seeds/scramble/$(basename "$f" .evt)
      mkdir -p "$one"
      cp "$f" "$one/"
      for _ in 1 2 3 4; do
        ASAN_OPTIONS=detect_leaks=0 "$build/kmtool" pack "$seeds/archive/scrambled-$(basename "$f" .evt).pkg" \
          -C "$one" --utf8-evt --scramble-evt >/dev/null 2>&1 && break
        printf ' ' >>"$one/$(basename "$f")"
      done
    done
  fi
  # The demo's text meshes, behind the byte that picks the text dialect.
  mkdir -p "$seeds/mesh"
  for f in "$root"/demo/game/chara_*.txt "$root"/demo/game/ev_*.txt; do
    { printf '\0'; cat "$f"; } >"$seeds/mesh/$(basename "$f")"
  done
  [ -d "$seeds/$name" ] && cp "$seeds/$name"/* "$corpus/"
fi

# One job; a run ends after SECONDS or at its first finding (then exit 1).
cd "$findings"
# The window target draws: the one-off allocations of fontconfig and Mesa are the tests' own
# suppressions.
LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0} \
  ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:allocator_may_return_null=1} \
  "$build/fuzz/km_fuzz_$name" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout="${KM_FUZZ_TIMEOUT:-10}" \
  -max_len=65536 -print_final_stats=1 ${KM_FUZZ_RUNS:+-runs="$KM_FUZZ_RUNS"} "$corpus"
