// Benchmark of the grid path search: 256 x 256 cells, 30 % random obstacles, corner to corner.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <thread>
#include <vector>

#include "game3d/PathSearch.h"

namespace {

constexpr int32_t kSide = 256;
constexpr uint32_t kObstaclePercent = 30;

// Attributes in the search's layout (y + x * height); the two corners are always kept free so
// the request itself is valid whatever the seed draws there.
std::vector<uint8_t> RandomGrid(uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint8_t> attributes(static_cast<size_t>(kSide) * kSide);
  for (uint8_t& a : attributes) a = rng() % 100 < kObstaclePercent ? 1 : 0;
  attributes.front() = 0;  // cell (0, 0)
  attributes.back() = 0;   // cell (255, 255)
  return attributes;
}

// One world unit per cell: cell (0, 0) is the -x / +z corner, (255, 255) the +x / -z corner.
void BM_PathSearchCornerToCorner(benchmark::State& state) {
  const auto seed = static_cast<uint32_t>(state.range(0));
  game3d::PathSearch search;
  if (search.SetUpPathGrid(RandomGrid(seed), kSide, kSide, kSide, kSide) != platform::result::Ok) {
    state.SkipWithError("grid set-up failed");
    return;
  }
  const game3d::MapPosition startWorld{-127.5f, 127.5f};
  const game3d::MapPosition goalWorld{127.5f, -127.5f};
  for (auto _ : state) {
    if (!search.StartPathSearch(startWorld, goalWorld)) {
      state.SkipWithError("search refused");
      return;
    }
    while (search.running) std::this_thread::yield();
  }
  state.counters["found"] = search.found ? 1 : 0;
  state.counters["pathCells"] = static_cast<double>(search.path.size());
  state.counters["expanded"] = static_cast<double>(search.expanded.size());
}
BENCHMARK(BM_PathSearchCornerToCorner)->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);

// The worst case: the goal corner is walled in, so the search closes every cell it can reach
// before it gives up (and then resets the grid).
void BM_PathSearchUnreachableGoal(benchmark::State& state) {
  std::vector<uint8_t> attributes = RandomGrid(static_cast<uint32_t>(state.range(0)));
  const auto at = [](int32_t x, int32_t y) { return static_cast<size_t>(y + x * kSide); };
  attributes[at(kSide - 2, kSide - 1)] = 1;
  attributes[at(kSide - 2, kSide - 2)] = 1;
  attributes[at(kSide - 1, kSide - 2)] = 1;
  game3d::PathSearch search;
  if (search.SetUpPathGrid(attributes, kSide, kSide, kSide, kSide) != platform::result::Ok) {
    state.SkipWithError("grid set-up failed");
    return;
  }
  for (auto _ : state) {
    if (!search.StartPathSearch({-127.5f, 127.5f}, {127.5f, -127.5f})) {
      state.SkipWithError("search refused");
      return;
    }
    while (search.running) std::this_thread::yield();
  }
  state.counters["found"] = search.found ? 1 : 0;
}
BENCHMARK(BM_PathSearchUnreachableGoal)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
