// The 54-vertex mesh that draws the "win_h.png" frame picture as a shaded window frame.
#pragma once

#include <cstdint>
#include <vector>

#include "window/C_WindowLayer.h"

namespace window {

constexpr int32_t kFrameMeshRectangles = 9;
constexpr int32_t kFrameMeshVertices = kFrameMeshRectangles * 6;
// Width of the frame's rim in screen pixels.
constexpr float kFrameBorder = 8.0f;

// Nine rectangles of two triangles each, in screen pixels, covering the window rectangle at
// (left, top) of the given size:
//   0 the whole window (the first rectangle, which the window's draw skips),
//   1, 2 the body, upper and lower part, shaded from green to black,
//   3, 4 the top and bottom rims (full width), 5, 6 the left and right rims between them,
//   7, 8 thin highlight lines inside the top and bottom rims.
// Every vertex has alpha 0xA0; the rims sample the picture's outer 8 of 63 texels, the body its
// middle. A rectangle too small for its rims collapses instead of turning inside out.
std::vector<ScreenVertex> BuildFrameMesh(float left, float top, float width, float height);

}  // namespace window
