// What one frame drew on the back buffer: each clear and draw with the state it ran under, so the
// next frame can be compared with it and only the pixels that can differ are drawn again.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/Device.h"

namespace gfx::gl {

// A rectangle of target pixels, [x0, x1) x [y0, y1), in the coordinates of glViewport and
// glScissor on the device's framebuffer.
struct PixelRect {
  int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  bool empty() const { return x0 >= x1 || y0 >= y1; }
  void unite(const PixelRect& r);
  PixelRect intersected(const PixelRect& r) const;
  bool intersects(const PixelRect& r) const { return !intersected(r).empty(); }
  int64_t area() const { return empty() ? 0 : int64_t(x1 - x0) * int64_t(y1 - y0); }
};

struct RecordedCommand {
  enum class Kind : uint8_t { Clear, Draw, DrawIndexed, DrawUP };
  Kind kind = Kind::Draw;
  // The whole device state at the call. Its references are dropped once the frame is over; the
  // resource identities below stay for the comparison.
  DeviceState state;
  SurfacePtr depth;
  uint64_t depthId = 0;
  uint64_t textureId = 0, textureVersion = 0;
  uint64_t vertexId = 0, vertexVersion = 0;
  uint64_t indexId = 0, indexVersion = 0;
  // The call's own arguments.
  PrimitiveType type = PrimitiveType::TriangleList;
  uint32_t args[5] = {0, 0, 0, 0, 0};
  int32_t baseVertex = 0;
  uint32_t clearFlags = 0, clearColour = 0, clearStencil = 0;
  float clearZ = 0.0f;
  std::vector<uint8_t> vertices;  // DrawPrimitiveUP's vertices
  // Every pixel the command can change (its colour or its depth).
  PixelRect bounds;
  // Reads or writes the depth buffer.
  bool usesDepth = false;

  void dropReferences();
};

// True when both commands change the same pixels to the same values, given the same target.
bool sameCommand(const RecordedCommand& a, const RecordedCommand& b);

// Every state value a draw's result depends on, references aside.
bool sameSettings(const DeviceState& a, const DeviceState& b);

// The pixels a draw of count vertices (stride bytes apart, fvf layout) can touch: the viewport
// narrowed to the vertices' bounding box when every vertex lies in front of the eye. indices
// (optional, count of them, added to baseVertex) pick the vertices of an indexed draw.
PixelRect drawBounds(const DeviceState& s, const Matrix& toClip, const uint8_t* vertices, uint32_t stride,
                     uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount, int32_t baseVertex);

PixelRect viewportRect(const Viewport& vp);

// A vertex's window position in pixels (the draw's viewport, GL's rows); false when it lies at or
// behind the eye, or is not a number.
bool screenPoint(const DeviceState& s, const Matrix& toClip, const uint8_t* vertex, double& xw, double& yw);

// True when no pixel can be covered by two triangles of the draw: a single triangle, or two
// that lie on either side of the edge they share (a quad), so a depth test inside the draw
// never compares against the draw's own depth.
bool trianglesApart(const DeviceState& s, const Matrix& toClip, const uint8_t* vertices, uint32_t stride,
                    PrimitiveType type, uint32_t primitiveCount);

// The pixels where the two command lists can leave different results: for each position in the
// lists, both commands' bounds when they differ (or one list has ended). Both lists must start
// from the same full clear for this to hold.
PixelRect differingPixels(const std::vector<RecordedCommand>& now, const std::vector<RecordedCommand>& before);

}  // namespace gfx::gl
