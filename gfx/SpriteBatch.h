// The sprite batch (the contract of ID3DXSprite): textured rectangles queued between
// begin and end under a per-sprite transform, drawn in submission order.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/Device.h"

namespace gfx {

struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
};

namespace spriteflag {
constexpr uint32_t DoNotSaveState = 0x1, DoNotModifyRenderState = 0x2, ObjectSpace = 0x4, Billboard = 0x8,
                   AlphaBlend = 0x10, SortTexture = 0x20, SortDepthFrontToBack = 0x40, SortDepthBackToFront = 0x80;
}

// The contract the layers and windows rely on:
// - begin saves the whole device state and sets the batch's state: blending SRCALPHA /
//   INVSRCALPHA without separate alpha, alpha test GREATER 0, no culling, no lighting or fog,
//   stage 0 = texture x diffuse for colour and alpha, no texture transform, sampler 0 clamped
//   with linear min / mag / mip filters, world = view = identity and a screen-space projection
//   of the current viewport. Depth states, the texture factor and the viewport are left alone.
// - draw only queues. Queued sprites reach the target at flush and end, in submission order,
//   with the batch's state applied again; a direct device draw made between begin and end is
//   drawn at once and so lands under sprites queued before it. Depth is written.
// - end flushes and puts the saved device state back.
// The texture sort flag is accepted and ignored (submission order is kept).
class SpriteBatch {
 public:
  explicit SpriteBatch(Device& device) : device_(device) {}

  int32_t begin(uint32_t flags);
  // The transform applied to the sprites drawn after it.
  int32_t setTransform(const Matrix& m);
  Matrix getTransform() const { return transform_; }
  // Queues the texture's rectangle src (the whole level 0 when null). Its pixel (x, y), shifted
  // by -centre and by position, goes through the transform; colour modulates colour and alpha.
  int32_t draw(const TexturePtr& texture, const Rect* src, const Vec3* centre, const Vec3* position, uint32_t colour);
  int32_t flush();
  int32_t end();
  bool begun() const { return begun_; }

  // Device loss: nothing is held in the renderer's memory, so both are bookkeeping only.
  int32_t onLostDevice();
  int32_t onResetDevice();

 private:
  struct Vertex {
    float x, y, z;
    uint32_t colour;
    float u, v;
  };
  struct Queued {
    TexturePtr texture;
    Vertex corners[4];
  };

  void applyBatchState();

  Device& device_;
  bool begun_ = false;
  uint32_t flags_ = 0;
  DeviceState saved_;
  Matrix transform_;
  Matrix view_, projection_;
  std::vector<Queued> queue_;
  std::vector<Vertex> vertices_;
};

}  // namespace gfx
