// The frame record's comparison and the screen bounds of clears and draws.
#include "gfx/gl/FrameRecord.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace gfx::gl {

void PixelRect::unite(const PixelRect& r) {
  if (r.empty()) return;
  if (empty()) {
    *this = r;
    return;
  }
  x0 = std::min(x0, r.x0);
  y0 = std::min(y0, r.y0);
  x1 = std::max(x1, r.x1);
  y1 = std::max(y1, r.y1);
}

PixelRect PixelRect::intersected(const PixelRect& r) const {
  return {std::max(x0, r.x0), std::max(y0, r.y0), std::min(x1, r.x1), std::min(y1, r.y1)};
}

void RecordedCommand::dropReferences() {
  state.texture.reset();
  state.stream.reset();
  state.indices.reset();
  depth.reset();
}

bool sameSettings(const DeviceState& a, const DeviceState& b) {
  const auto sameMatrix = [](const Matrix& x, const Matrix& y) { return std::memcmp(x.m, y.m, sizeof x.m) == 0; };
  const Viewport &va = a.viewport, &vb = b.viewport;
  return a.zEnable == b.zEnable && a.zWriteEnable == b.zWriteEnable && a.zFunc == b.zFunc &&
         a.alphaTestEnable == b.alphaTestEnable && a.alphaRef == b.alphaRef && a.alphaFunc == b.alphaFunc &&
         a.alphaBlendEnable == b.alphaBlendEnable && a.srcBlend == b.srcBlend && a.destBlend == b.destBlend &&
         a.blendOp == b.blendOp && a.separateAlphaBlendEnable == b.separateAlphaBlendEnable &&
         a.srcBlendAlpha == b.srcBlendAlpha && a.destBlendAlpha == b.destBlendAlpha &&
         a.blendOpAlpha == b.blendOpAlpha && a.cullMode == b.cullMode && a.fogEnable == b.fogEnable &&
         a.specularEnable == b.specularEnable && a.stencilEnable == b.stencilEnable && a.lighting == b.lighting &&
         a.ambient == b.ambient && a.normalizeNormals == b.normalizeNormals && a.textureFactor == b.textureFactor &&
         a.colorWriteEnable == b.colorWriteEnable && a.colorOp == b.colorOp && a.colorArg1 == b.colorArg1 &&
         a.colorArg2 == b.colorArg2 && a.alphaOp == b.alphaOp && a.alphaArg1 == b.alphaArg1 &&
         a.alphaArg2 == b.alphaArg2 && a.texCoordIndex == b.texCoordIndex &&
         a.textureTransformFlags == b.textureTransformFlags && a.stage1ColorOp == b.stage1ColorOp &&
         a.stage1AlphaOp == b.stage1AlphaOp && a.addressU == b.addressU && a.addressV == b.addressV &&
         a.magFilter == b.magFilter && a.minFilter == b.minFilter && a.mipFilter == b.mipFilter &&
         sameMatrix(a.world, b.world) && sameMatrix(a.view, b.view) && sameMatrix(a.projection, b.projection) &&
         sameMatrix(a.texture0, b.texture0) && a.fvf == b.fvf && a.streamOffset == b.streamOffset &&
         a.streamStride == b.streamStride && va.x == vb.x && va.y == vb.y && va.width == vb.width &&
         va.height == vb.height && std::memcmp(&va.minZ, &vb.minZ, sizeof va.minZ) == 0 &&
         std::memcmp(&va.maxZ, &vb.maxZ, sizeof va.maxZ) == 0;
}

bool sameCommand(const RecordedCommand& a, const RecordedCommand& b) {
  if (a.kind != b.kind || a.depthId != b.depthId) return false;
  if (a.kind == RecordedCommand::Kind::Clear) {
    const Viewport &va = a.state.viewport, &vb = b.state.viewport;
    return a.clearFlags == b.clearFlags && a.clearColour == b.clearColour && a.clearStencil == b.clearStencil &&
           std::memcmp(&a.clearZ, &b.clearZ, sizeof a.clearZ) == 0 && va.x == vb.x && va.y == vb.y &&
           va.width == vb.width && va.height == vb.height;
  }
  return a.textureId == b.textureId && a.textureVersion == b.textureVersion && a.vertexId == b.vertexId &&
         a.vertexVersion == b.vertexVersion && a.indexId == b.indexId && a.indexVersion == b.indexVersion &&
         a.type == b.type && std::equal(std::begin(a.args), std::end(a.args), std::begin(b.args)) &&
         a.baseVertex == b.baseVertex && a.vertices == b.vertices && sameSettings(a.state, b.state);
}

PixelRect viewportRect(const Viewport& vp) { return {vp.x, vp.y, vp.x + vp.width, vp.y + vp.height}; }

bool screenPoint(const DeviceState& s, const Matrix& toClip, const uint8_t* vertex, double& xw, double& yw) {
  const Viewport& vp = s.viewport;
  const bool preTransformed = (s.fvf & fvf::XyzRhw) != 0;
  float p[4] = {0, 0, 0, 1};
  std::memcpy(p, vertex, preTransformed ? 16 : 12);
  if (preTransformed) {
    xw = double(p[0]) + 0.5;
    yw = double(p[1]) + 0.5;
  } else {
    const Matrix& m = toClip;
    const double cx = double(p[0]) * m.m[0][0] + double(p[1]) * m.m[1][0] + double(p[2]) * m.m[2][0] + m.m[3][0];
    const double cy = double(p[0]) * m.m[0][1] + double(p[1]) * m.m[1][1] + double(p[2]) * m.m[2][1] + m.m[3][1];
    const double cw = double(p[0]) * m.m[0][3] + double(p[1]) * m.m[1][3] + double(p[2]) * m.m[2][3] + m.m[3][3];
    // A vertex at or behind the eye: its triangles can reach anywhere once clipped.
    if (!(cw > 1e-6)) return false;
    xw = (cx / cw + 1.0) * vp.width / 2.0 + vp.x;
    yw = (cy / cw + 1.0) * vp.height / 2.0 + vp.y;
  }
  return std::isfinite(xw) && std::isfinite(yw);
}

bool trianglesApart(const DeviceState& s, const Matrix& toClip, const uint8_t* vertices, uint32_t stride,
                    PrimitiveType type, uint32_t primitiveCount) {
  const bool isTriangles =
      type == PrimitiveType::TriangleList || type == PrimitiveType::TriangleStrip || type == PrimitiveType::TriangleFan;
  if (!vertices || !isTriangles || primitiveCount == 0 || primitiveCount > 2) return false;
  if (stride < ((s.fvf & fvf::XyzRhw) ? 16u : 12u)) return false;
  if (primitiveCount == 1) return true;
  // The two triangles as vertex numbers; the first two of the second are the shared edge.
  uint32_t first[3] = {0, 1, 2}, second[3];
  if (type == PrimitiveType::TriangleStrip) {
    second[0] = 1, second[1] = 2, second[2] = 3;
  } else if (type == PrimitiveType::TriangleFan) {
    second[0] = 0, second[1] = 2, second[2] = 3;
  } else {
    // A list shares an edge only where two vertices of the second repeat two of the first,
    // byte for byte.
    const auto same = [&](uint32_t a, uint32_t b) {
      return std::memcmp(vertices + size_t(a) * stride, vertices + size_t(b) * stride, stride) == 0;
    };
    uint32_t shared[2], count = 0, other = 3;
    for (uint32_t j = 3; j < 6; ++j) {
      bool found = false;
      for (uint32_t k = 0; k < 3 && !found; ++k) found = same(j, k);
      if (found && count < 2) {
        for (uint32_t k = 0; k < 3; ++k)
          if (same(j, k)) {
            shared[count++] = k;
            break;
          }
      } else {
        other = j;
      }
    }
    if (count != 2 || shared[0] == shared[1]) return false;
    second[0] = shared[0], second[1] = shared[1], second[2] = other;
  }
  double x[6], y[6];
  for (uint32_t i = 0; i < 3; ++i)
    if (!screenPoint(s, toClip, vertices + size_t(first[i]) * stride, x[i], y[i])) return false;
  if (!screenPoint(s, toClip, vertices + size_t(second[2]) * stride, x[3], y[3])) return false;
  // The vertex of the first triangle off the shared edge, and the edge's ends.
  uint32_t edge0 = second[0], edge1 = second[1], apex = 3 - edge0 - edge1;
  if (edge0 > 2 || edge1 > 2 || apex > 2) return false;
  const double ex = x[edge1] - x[edge0], ey = y[edge1] - y[edge0];
  const double length = std::hypot(ex, ey);
  if (!(length > 0.0)) return false;
  // Signed distances, in pixels, of the two far vertices from the shared edge's line: on
  // either side of it by a pixel or more, the halves cannot meet after the rasteriser snaps
  // their vertices.
  const double a = (ex * (y[apex] - y[edge0]) - ey * (x[apex] - x[edge0])) / length;
  const double b = (ex * (y[3] - y[edge0]) - ey * (x[3] - x[edge0])) / length;
  return (a >= 1.0 && b <= -1.0) || (a <= -1.0 && b >= 1.0);
}

PixelRect drawBounds(const DeviceState& s, const Matrix& toClip, const uint8_t* vertices, uint32_t stride,
                     uint32_t vertexCount, const uint16_t* indices, uint32_t indexCount, int32_t baseVertex) {
  const Viewport& vp = s.viewport;
  const PixelRect whole = viewportRect(vp);
  if (!vertices || stride < 12) return whole;
  const bool preTransformed = (s.fvf & fvf::XyzRhw) != 0;
  if (preTransformed && stride < 16) return whole;
  double minX = HUGE_VAL, minY = HUGE_VAL, maxX = -HUGE_VAL, maxY = -HUGE_VAL;
  const uint32_t n = indices ? indexCount : vertexCount;
  for (uint32_t i = 0; i < n; ++i) {
    const uint64_t at = indices ? uint64_t(int64_t(baseVertex) + indices[i]) : uint64_t(i);
    if (at >= vertexCount) return whole;
    double xw, yw;
    if (!screenPoint(s, toClip, vertices + at * stride, xw, yw)) return whole;
    minX = std::min(minX, xw);
    minY = std::min(minY, yw);
    maxX = std::max(maxX, xw);
    maxY = std::max(maxY, yw);
  }
  if (n == 0) return {};
  // Two pixels of margin cover rounding, points and lines one pixel wide.
  const auto lo = [](double v) { return int32_t(std::clamp(std::floor(v) - 2.0, -1e9, 1e9)); };
  const auto hi = [](double v) { return int32_t(std::clamp(std::ceil(v) + 2.0, -1e9, 1e9)); };
  return PixelRect{lo(minX), lo(minY), hi(maxX), hi(maxY)}.intersected(whole);
}

PixelRect differingPixels(const std::vector<RecordedCommand>& now, const std::vector<RecordedCommand>& before) {
  PixelRect damage;
  const size_t n = std::max(now.size(), before.size());
  for (size_t i = 0; i < n; ++i) {
    if (i < now.size() && i < before.size() && sameCommand(now[i], before[i])) continue;
    if (i < now.size()) damage.unite(now[i].bounds);
    if (i < before.size()) damage.unite(before[i].bounds);
  }
  return damage;
}

}  // namespace gfx::gl
