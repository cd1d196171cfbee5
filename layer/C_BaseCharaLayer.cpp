// C_BaseCharaLayer: the frame update, both-slot drawing and the mouse.
#include "layer/C_BaseCharaLayer.h"

#include "engine/Engine.h"

namespace layer {

int32_t C_BaseCharaLayer::update(const engine::PadRecord* /*pad*/) {
  // Both slots step their animations: the picture being replaced still fades and moves.
  animate(currentSlot, false);
  animate(currentSlot ^ 1, false);
  // The old picture goes once the new one has faded in.
  if (otherPicture().name[0] != '\0' && !currentPicture().fadeActive) releasePicture(true);
  // A left drag follows the cursor until the button is released.
  if (dragging) {
    const engine::MouseState& m = engine::context().mouse;
    currentPicture().x = float(m.cursorX - dragOffsetX);
    currentPicture().y = float(m.cursorY - dragOffsetY);
    if (m.mouseEvents & engine::mouse::LeftUp) dragging = false;
  }
  // The busy state after this frame's animation steps.
  return computeBusy();
}

void C_BaseCharaLayer::drawBoth(float depth) {
  if (!visible) return;
  PictureSlot& o = otherPicture();
  if (o.loaded && o.alpha() != 0 && o.texture) drawSlotSprite(o, o.colour | 0xFF000000u, true, depth);
  PictureSlot& c = currentPicture();
  if (c.loaded && c.alpha() != 0 && c.texture) drawSlotSprite(c, c.colour, true, depth);
}

void C_BaseCharaLayer::cancelDrag() {
  dragging = false;
  dragOffsetX = dragOffsetY = 0;
  rightDragging = false;
  rightDragOffsetX = rightDragOffsetY = 0;
}

bool C_BaseCharaLayer::hitTest(float mx, float my) {
  const PictureSlot& s = currentPicture();
  const float w = float(s.width) * s.scaleX, h = float(s.height) * s.scaleY;
  const float left = s.x - w / 2.0f, top = s.y - h / 2.0f;
  return left <= mx && mx <= left + w && top <= my && my <= top + h;
}

int32_t C_BaseCharaLayer::handleMouse() {
  PictureSlot& s = currentPicture();
  if (!s.loaded || s.alpha() == 0 || !visible || !mouseEnabled) return 0;
  const engine::MouseState& m = engine::context().mouse;
  const bool inside = hitTest(float(m.cursorX), float(m.cursorY));
  int32_t result = 0;
  if (m.mouseEvents & engine::mouse::LeftDown) {
    if (draggable && inside) {
      dragging = true;
      dragOffsetX = int32_t(float(m.cursorX) - s.x);
      dragOffsetY = int32_t(float(m.cursorY) - s.y);
      if (clickable) result = 1;
    }
  } else if (m.mouseEvents & engine::mouse::LeftUp) {
    dragging = false;
    if (inside && clickable) result = 2;
  }
  if (m.mouseEvents & engine::mouse::RightDown) {
    if (draggable && inside) {
      rightDragging = true;
      rightDragOffsetX = int32_t(float(m.cursorX) - s.x);
      rightDragOffsetY = int32_t(float(m.cursorY) - s.y);
      if (clickable) result |= 1;
    }
  } else if (m.mouseEvents & engine::mouse::RightUp) {
    rightDragging = false;
  }
  return result;
}

std::string C_BaseCharaLayer::variantLeft(size_t n) const {
  if (n >= variants.size()) return {};
  const std::string& v = variants[n];
  return v.substr(0, v.find('?'));
}

std::string C_BaseCharaLayer::variantRight(size_t n) const {
  if (n >= variants.size()) return {};
  const std::string& v = variants[n];
  const size_t q = v.find('?');
  return q == std::string::npos ? std::string() : v.substr(q + 1);
}

}  // namespace layer
