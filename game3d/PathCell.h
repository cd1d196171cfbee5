// One cell of the path-search grid and the cell coordinate pair the search lists hold.
#pragma once

#include <cstdint>

namespace game3d {

// A cell position on the path grid: x across the map, y down the map (rows of the attribute
// bitmap).
struct CellPoint {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const CellPoint&, const CellPoint&) = default;
};

// Cell states during a search.
namespace cell {
constexpr int32_t Free = 0;     // free and not visited yet
constexpr int32_t Open = 1;     // on the open list, waiting to be expanded
constexpr int32_t Closed = 2;   // expanded
constexpr int32_t Blocked = 3;  // cannot be entered (attribute 1)
constexpr int32_t GoalReached = 4;
}  // namespace cell

struct PathCell {
  int32_t cellX = 0, cellY = 0;      // the cell's own coordinates
  int32_t parentX = 0, parentY = 0;  // the cell it was first reached from
  float costFromStart = 0.0f;
  float heuristic = 0.0f;
  float total = 0.0f;  // costFromStart + heuristic
  int32_t state = cell::Free;
  bool onPath = false;  // marked while the path is extracted
};

}  // namespace game3d
