// The character layer: a picture layer that takes the mouse (hit test, dragging, clicks) and
// draws both slots so a new picture cross-fades over the old one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "layer/C_BaseLayer.h"

namespace layer {

class C_BaseCharaLayer : public C_BaseLayer {
 public:
  C_BaseCharaLayer() = default;
  ~C_BaseCharaLayer() override = default;

  // Animations, release of the replaced picture, dragging; returns busyFlags.
  int32_t update(const engine::PadRecord* pad) override;
  // The same step without input.
  int32_t updateIdle() override { return update(nullptr); }
  // The other slot (opaque) under the current one, at the given depth.
  virtual void drawBoth(float depth);
  // Ends both drags where they are.
  virtual void cancelDrag();
  // 1 for a press (draggable layers only), 2 for a release on the picture, 0 else.
  virtual int32_t handleMouse();
  // Reserved: no behaviour.
  virtual void reserved30() {}
  virtual void reserved31() {}
  virtual void reserved32() {}
  virtual void reserved33() {}
  virtual void reserved34() {}
  virtual void reserved35() {}
  virtual void reserved36() {}

  // Whether the mouse position lies on the current picture (edges included, rotation ignored).
  bool hitTest(float mouseX, float mouseY);

  // The part of variant n before / after its first '?'; empty when n is out of range.
  std::string variantLeft(size_t n) const;
  std::string variantRight(size_t n) const;

  // ---- Fields ----
  bool mouseEnabled = false;
  bool draggable = false;
  bool clickable = true;
  bool dragging = false;
  int32_t dragOffsetX = 0, dragOffsetY = 0;
  bool rightDragging = false;
  int32_t rightDragOffsetX = 0, rightDragOffsetY = 0;
  bool clickMapEnabled = true;
  bool mouseOperate = false;
  float dragSpeed = 0.0f;
  std::vector<std::string> variants;
};

}  // namespace layer
