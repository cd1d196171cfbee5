// The shaded frame mesh of the "win_h.png" window picture.
#include "window/FrameMesh.h"

#include <algorithm>

namespace window {

namespace {

// Shades of the frame, all at the frame's alpha 0xA0.
constexpr uint32_t kBright = 0xA0009900u;
constexpr uint32_t kMid = 0xA0004400u;
constexpr uint32_t kDark = 0xA0002200u;
constexpr uint32_t kBlack = 0xA0000000u;

// Texture fractions of the 63-texel picture: the rim band and the plain middle.
constexpr float kRimInner = 8.0f / 63.0f;
constexpr float kRimOuterFar = 55.0f / 63.0f;
constexpr float kMiddleFrom = 23.0f / 63.0f;
constexpr float kMiddleTo = 40.0f / 63.0f;

struct Box {
  float x0, y0, x1, y1;
};

// Two triangles: (x0,y0) (x1,y0) (x0,y1) and (x1,y0) (x1,y1) (x0,y1); top colour on the upper
// edge, bottom colour on the lower one.
void addRectangle(std::vector<ScreenVertex>& mesh, const Box& at, const Box& uv, uint32_t topColour,
                  uint32_t bottomColour) {
  const ScreenVertex topLeft{at.x0, at.y0, 0.5f, 1.0f, topColour, uv.x0, uv.y0};
  const ScreenVertex topRight{at.x1, at.y0, 0.5f, 1.0f, topColour, uv.x1, uv.y0};
  const ScreenVertex bottomLeft{at.x0, at.y1, 0.5f, 1.0f, bottomColour, uv.x0, uv.y1};
  const ScreenVertex bottomRight{at.x1, at.y1, 0.5f, 1.0f, bottomColour, uv.x1, uv.y1};
  mesh.insert(mesh.end(), {topLeft, topRight, bottomLeft, topRight, bottomRight, bottomLeft});
}

}  // namespace

std::vector<ScreenVertex> BuildFrameMesh(float left, float top, float width, float height) {
  std::vector<ScreenVertex> mesh;
  mesh.reserve(kFrameMeshVertices);
  const float right = left + width, bottom = top + height;
  // Rims never cross: a window narrower than two rims shares its width between them.
  const float rimX = std::clamp(width / 2.0f, 0.0f, kFrameBorder);
  const float rimY = std::clamp(height / 2.0f, 0.0f, kFrameBorder);
  const float innerTop = top + rimY, innerBottom = bottom - rimY;
  const float innerLeft = left + rimX, innerRight = right - rimX;
  const float split = innerTop + (innerBottom - innerTop) * 0.4f;
  const Box middle{kMiddleFrom, kMiddleFrom, kMiddleTo, kMiddleTo};

  addRectangle(mesh, {left, top, right, bottom}, {0, 0, 1, 1}, kBlack, kBlack);
  addRectangle(mesh, {innerLeft, innerTop, innerRight, split}, middle, kMid, kDark);
  addRectangle(mesh, {innerLeft, split, innerRight, innerBottom}, middle, kDark, kBlack);
  addRectangle(mesh, {left, top, right, innerTop}, {kMiddleFrom, 0, kMiddleTo, kRimInner}, kBright, kBright);
  addRectangle(mesh, {left, innerBottom, right, bottom}, {kMiddleFrom, kRimOuterFar, kMiddleTo, 1}, kDark, kDark);
  addRectangle(mesh, {left, innerTop, innerLeft, innerBottom}, {0, kMiddleFrom, kRimInner, kMiddleTo}, kBright, kDark);
  addRectangle(mesh, {innerRight, innerTop, right, innerBottom}, {kRimOuterFar, kMiddleFrom, 1, kMiddleTo}, kBright,
               kDark);
  const float lineTop = std::min(innerTop + 3.0f, innerBottom), lineBottom = std::max(innerBottom - 4.0f, innerTop);
  addRectangle(mesh, {innerLeft, lineTop, innerRight, std::min(lineTop + 1.0f, innerBottom)}, middle, kBright, kBright);
  addRectangle(mesh, {innerLeft, lineBottom, innerRight, std::min(lineBottom + 1.0f, innerBottom)}, middle, kMid, kMid);
  return mesh;
}

}  // namespace window
