// The grid path search of the 3D game scene.
//
// The search is a weighted best-first search: a free neighbour is opened once, with the current
// cell as its parent, a cost of the steps taken so far and twice the (weighted) straight distance
// to the goal as its estimate; an open cell is never re-parented, so the path is the one this
// exact order of expansion yields, not always the shortest. The next cell to expand is the open
// entry with the smallest total, the earlier entry on equal totals; a heap keyed by (total,
// entry number) makes that choice without rescanning the open list.
#include "game3d/PathSearch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <system_error>

#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace game3d {

namespace {

// Heap order for std::push_heap / pop_heap (a max-heap): "a comes after b".
template <typename Entry>
bool ExpandsLater(const Entry& a, const Entry& b) {
  if (a.total != b.total) return a.total > b.total;
  return a.entry > b.entry;
}

// Float-to-int truncation toward zero that stays defined for positions far off the map (and
// for NaN): anything beyond the int range lands well outside every grid.
int64_t TruncateToCell(float value) {
  constexpr float kLimit = 1.0e9f;
  if (!(value > -kLimit && value < kLimit)) return -1;
  return static_cast<int64_t>(value);
}

int32_t ClampToInt32(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX)); }

std::string CoordinateText(CellPoint p) { return std::to_string(p.x) + ", " + std::to_string(p.y); }

void DebugWithCell(const std::string& textCp932, CellPoint p) {
  platform::debugOutput(textCp932 + CoordinateText(p) + "\n");
}

}  // namespace

PathSearch::PathSearch() = default;

PathSearch::~PathSearch() {
  stopRequested_ = true;
  if (searchThread_.joinable()) searchThread_.join();
}

int32_t PathSearch::SetUpPathGrid(std::span<const uint8_t> attributes, int32_t gridWidth, int32_t gridHeight,
                                  float mapWidthWorld, float mapDepthWorld) {
  // The search thread walks the cells: they must not change under it.
  if (running) {
    platform::debugOutput(CP932("Aスター探索中にグリッドを設定しようとした\n"));
    return platform::result::Fail;
  }
  if (searchThread_.joinable()) searchThread_.join();

  // Whatever happens below, the old grid no longer describes the map.
  width = height = 0;
  cells.clear();
  openList.clear();
  expanded.clear();
  path.clear();
  openHeap_.clear();
  found = false;

  const int64_t cellCount = int64_t{gridWidth} * int64_t{gridHeight};
  if (gridWidth <= 0 || gridHeight <= 0 || cellCount > INT32_MAX) {
    platform::debugOutput(CP932("Aスターのグリッドの大きさが不正だった: ") + std::to_string(gridWidth) + ", " +
                          std::to_string(gridHeight) + "\n");
    return platform::result::InvalidArg;
  }
  if (attributes.size() < static_cast<uint64_t>(cellCount)) {
    platform::debugOutput(CP932("Aスターの属性データが足りなかった: ") + std::to_string(attributes.size()) + " / " +
                          std::to_string(cellCount) + "\n");
    return platform::result::InvalidArg;
  }
  if (!(mapWidthWorld > 0.0f && mapDepthWorld > 0.0f && std::isfinite(mapWidthWorld) && std::isfinite(mapDepthWorld))) {
    platform::debugOutput(CP932("Aスターのマップの大きさが不正だった\n"));
    return platform::result::InvalidArg;
  }

  try {
    const auto count = static_cast<size_t>(cellCount);
    cells.resize(count);
    openList.reserve(count);
    expanded.reserve(count);
    // The extraction guard keeps the path within width * height entries.
    path.reserve(count);
    openHeap_.reserve(count);
  } catch (const std::bad_alloc&) {
    std::vector<PathCell>().swap(cells);
    std::vector<CellPoint>().swap(openList);
    std::vector<CellPoint>().swap(expanded);
    std::vector<CellPoint>().swap(path);
    std::vector<OpenEntry>().swap(openHeap_);
    return platform::result::OutOfMemory;
  }

  width = gridWidth;
  height = gridHeight;
  mapWidth = mapWidthWorld;
  mapDepth = mapDepthWorld;
  for (int32_t x = 0; x < width; ++x) {
    for (int32_t y = 0; y < height; ++y) {
      const size_t index = CellIndex({x, y});
      PathCell& c = cells[index];
      c = PathCell{};
      c.cellX = x;
      c.cellY = y;
      c.state = attributes[index] == 1 ? cell::Blocked : cell::Free;
    }
  }
  heuristicWeight = 1.0f;
  return platform::result::Ok;
}

CellPoint PathSearch::WorldToCell(MapPosition world) const {
  const int64_t across = TruncateToCell(static_cast<float>(width) * (mapWidth / 2 + world.x) / mapWidth);
  const int64_t down = TruncateToCell(static_cast<float>(height) * (mapDepth / 2 + world.z) / mapDepth);
  return {ClampToInt32(across), ClampToInt32(int64_t{height} - down - 1)};
}

bool PathSearch::StartPathSearch(MapPosition startWorld, MapPosition goalWorld) {
  if (running) {
    platform::debugOutput(CP932("Aスタースレッド起動中に起動しようとした\n"));
    return false;
  }
  // The last search has finished (it clears `running` as its final step): collect its thread.
  if (searchThread_.joinable()) searchThread_.join();

  // A refused request must not leave the previous path looking ready.
  found = false;
  if (cells.empty()) {
    platform::debugOutput(CP932("Aスターのグリッドが設定されていない\n"));
    return false;
  }

  request = {startWorld, goalWorld};
  const CellPoint startCell = WorldToCell(startWorld);
  const CellPoint goalCell = WorldToCell(goalWorld);
  if (!IsInsideGrid(goalCell)) {
    DebugWithCell(CP932("Aスター設定のゴール地点がマップ範囲外だった: "), goalCell);
    return false;
  }
  if (CellAt(goalCell).state == cell::Blocked) {
    DebugWithCell(CP932("Aスター設定のゴール地点が進入不可の場所だった: "), goalCell);
    return false;
  }
  if (!IsInsideGrid(startCell)) {
    DebugWithCell(CP932("Aスター設定のスタート地点がマップ範囲外だった: "), startCell);
    return false;
  }
  if (CellAt(startCell).state == cell::Blocked) {
    DebugWithCell(CP932("Aスター設定のスタート地点が進入不可の場所だった: "), startCell);
    return false;
  }
  // The start is closed before any neighbour is looked at, so a goal on the start cell would
  // only be "reached" again from a neighbour: a round trip, with the start's parent overwritten.
  if (startCell == goalCell) {
    DebugWithCell(CP932("Aスター設定のスタート地点とゴール地点が同じだった: "), startCell);
    return false;
  }

  start = startCell;
  goal = goalCell;
  ResetGrid();
  // Raised before the thread exists so that a poll right after this call already sees it.
  running = true;
  stopRequested_ = false;
  try {
    searchThread_ = std::thread([this] { RunSearch(); });
  } catch (const std::system_error&) {
    running = false;
    platform::debugOutput(CP932("Aスタースレッドを起動できなかった\n"));
    return false;
  }
  return true;
}

bool PathSearch::IsPathReady() const {
  if (!found) return false;
  platform::debugOutput(CP932("Aスターのパスを取得できる\n"));
  return true;
}

void PathSearch::ResetGrid() {
  // The cell's own coordinates stay: they name the cell, not the search.
  for (PathCell& c : cells) {
    c.parentX = c.parentY = 0;
    c.costFromStart = c.heuristic = c.total = 0.0f;
    c.state = c.state == cell::Blocked ? cell::Blocked : cell::Free;
    c.onPath = false;
  }
  openList.clear();
  expanded.clear();
  path.clear();
  openHeap_.clear();
}

void PathSearch::RunSearch() {
  found = false;
  if (Expand()) {
    ExtractPath();
    found = true;
  } else if (!stopRequested_) {
    ResetGrid();
  }
  running = false;
}

bool PathSearch::Expand() {
  const auto& calculating = CP932("計算中・・・\n");
  const float weight = 2.0f * heuristicWeight;
  CellPoint current = start;
  for (;;) {
    PathCell& here = CellAt(current);
    here.state = cell::Closed;

    for (const CellPoint& offset : kNeighbourOffsets) {
      const CellPoint n{current.x + offset.x, current.y + offset.y};
      if (!IsInsideGrid(n)) continue;
      PathCell& next = CellAt(n);
      if (n == goal) {
        next.parentX = current.x;
        next.parentY = current.y;
        next.state = cell::GoalReached;
        return true;
      }
      if (next.state != cell::Free) continue;  // open cells keep their first parent
      const auto toGoalX = static_cast<float>(goal.x - n.x);
      const auto toGoalY = static_cast<float>(goal.y - n.y);
      next.heuristic = weight * std::sqrt(toGoalX * toGoalX + toGoalY * toGoalY);
      const auto stepX = static_cast<float>(offset.x), stepY = static_cast<float>(offset.y);
      next.costFromStart = here.costFromStart + std::sqrt(stepX * stepX + stepY * stepY);
      next.total = next.costFromStart + next.heuristic;
      next.parentX = current.x;
      next.parentY = current.y;
      next.state = cell::Open;
      openHeap_.push_back({next.total, static_cast<int32_t>(openList.size())});
      std::push_heap(openHeap_.begin(), openHeap_.end(), ExpandsLater<OpenEntry>);
      openList.push_back(n);
    }

    if (openHeap_.empty() || stopRequested_) return false;
    std::pop_heap(openHeap_.begin(), openHeap_.end(), ExpandsLater<OpenEntry>);
    current = openList[static_cast<size_t>(openHeap_.back().entry)];
    openHeap_.pop_back();
    expanded.push_back(current);
    platform::debugOutput(calculating);
  }
}

void PathSearch::ExtractPath() {
  path.clear();
  const size_t stepLimit = static_cast<size_t>(width) * static_cast<size_t>(height);
  // Each step's line is "x: y    from(sx: sy) to(gx: gy)\n"; the tail is the same every step.
  char tail[80];  // at most 64 characters, even for negative coordinates
  const int tailLength =
      std::snprintf(tail, sizeof tail, "    from(%d: %d) to(%d: %d)\n", start.x, start.y, goal.x, goal.y);
  char line[128];  // the head adds at most 24
  CellPoint at = goal;
  for (size_t steps = 1;; ++steps) {
    // Links that leave the grid or run longer than the grid has cells never reach the start.
    if (steps > stepLimit || !IsInsideGrid(at)) {
      // Usually on the search thread: the main thread shows the box at its next frame.
      platform::postMessageBox(CP932("親のリンクがスタート地点まで繋がっていないか、リンクが循環しています"),
                               CP932("エラー"));
      return;
    }
    PathCell& c = CellAt(at);
    c.onPath = true;
    const CellPoint parent{c.parentX, c.parentY};
    path.push_back(parent);
    const int headLength = std::snprintf(line, sizeof line, "%d: %d", parent.x, parent.y);
    std::memcpy(line + headLength, tail, static_cast<size_t>(tailLength));
    platform::debugOutput(std::string_view(line, static_cast<size_t>(headLength + tailLength)));
    if (parent == start) return;
    at = parent;
  }
}

}  // namespace game3d
