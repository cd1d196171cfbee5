// The grid path search of the 3D game scene: weighted best-first search over 8-connected cells
// on a background thread, with the world-to-cell conversion and the path extraction.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <thread>
#include <vector>

#include "game3d/PathCell.h"
#include "platform/ResultCodes.h"

namespace game3d {

// A position on the map plane (world x and z; the map is centred on the origin).
struct MapPosition {
  float x = 0.0f;
  float z = 0.0f;
};

// What the game asked for last, as given.
struct PathRequest {
  MapPosition startWorld;
  MapPosition goalWorld;
};

// Grid layout: cell (x, y) lives at index y + x * height, so every column of the map is a run of
// `height` cells; x runs over 0..width-1 and y over 0..height-1. The attribute grid given to
// SetUpPathGrid uses the same layout, which keeps rectangular maps (width != height) right.
//
// Threading: StartPathSearch starts one search thread. While `running` is set the search owns
// every field below except `running` and `found`; the game polls those two each frame and reads
// `path` once `running` has dropped (or IsPathReady says yes).
class PathSearch {
 public:
  PathSearch();
  // Stops a running search at its next expansion and waits for the thread.
  ~PathSearch();
  PathSearch(const PathSearch&) = delete;
  PathSearch& operator=(const PathSearch&) = delete;

  // Builds the cells from the map's attribute grid (attribute 1 blocks a cell, anything else
  // is free); mapWidth and mapDepth are the map's extents along world x and z. Returns the
  // platform::result codes Ok, OutOfMemory, InvalidArg (bad sizes: the grid is dropped) or Fail
  // (a search runs: the grid is left alone).
  int32_t SetUpPathGrid(std::span<const uint8_t> attributes, int32_t gridWidth, int32_t gridHeight, float mapWidthWorld,
                        float mapDepthWorld);

  // Converts both positions to cells, validates them, resets the grid and starts the search
  // thread. False (and nothing started) while a search runs or when validation fails.
  bool StartPathSearch(MapPosition startWorld, MapPosition goalWorld);

  // True when the last search found a path.
  bool IsPathReady() const;

  // The cell a world position falls in; may lie outside the grid.
  CellPoint WorldToCell(MapPosition world) const;

  bool IsInsideGrid(CellPoint p) const { return p.x >= 0 && p.x < width && p.y >= 0 && p.y < height; }
  // Index of an inside cell in `cells` (and in the attribute grid).
  size_t CellIndex(CellPoint p) const {
    return static_cast<size_t>(p.y) + static_cast<size_t>(p.x) * static_cast<size_t>(height);
  }
  PathCell& CellAt(CellPoint p) { return cells[CellIndex(p)]; }
  const PathCell& CellAt(CellPoint p) const { return cells[CellIndex(p)]; }

  // Follows the parent links from the goal back to the start into `path`. Called by the search
  // thread on success; public so the loop guard can be exercised on hand-made links. Links that
  // never reach the start post an error box to the main thread (platform::postMessageBox).
  void ExtractPath();

  // ---- The search state ----
  int32_t width = 0, height = 0;
  float mapWidth = 0.0f, mapDepth = 0.0f;
  std::vector<PathCell> cells;
  // Every cell that was ever opened, in order; entries stay after they are closed.
  std::vector<CellPoint> openList;
  // The cells in the order they were chosen for expansion (the start is not listed).
  std::vector<CellPoint> expanded;
  // From the goal's parent back to the start cell (the goal itself is not listed).
  std::vector<CellPoint> path;
  float heuristicWeight = 1.0f;
  CellPoint start, goal;
  PathRequest request;
  std::atomic<bool> running{false};
  std::atomic<bool> found{false};

  static constexpr std::array<CellPoint, 8> kNeighbourOffsets = {CellPoint{-1, 0}, CellPoint{1, 0},   CellPoint{0, -1},
                                                                 CellPoint{0, 1},  CellPoint{-1, -1}, CellPoint{1, -1},
                                                                 CellPoint{-1, 1}, CellPoint{1, 1}};

 private:
  void ResetGrid();
  void RunSearch();
  // True when the goal was reached; false when no open cell is left (or the search was stopped).
  bool Expand();

  // Open-list entries still open, ordered by (total, entry number): the smallest total wins and
  // ties go to the earlier entry. A cell's total never changes once it is open, so this picks
  // exactly what a scan of the open list would.
  struct OpenEntry {
    float total;
    int32_t entry;
  };
  std::vector<OpenEntry> openHeap_;
  std::thread searchThread_;
  std::atomic<bool> stopRequested_{false};
};

}  // namespace game3d
