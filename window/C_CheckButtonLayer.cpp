// C_CheckButtonLayer: the toggle on the press and the two-layer cell draw.
#include "window/C_CheckButtonLayer.h"

#include "engine/Engine.h"
#include "layer/C_Sprite.h"

namespace window {

float CheckButtonCellOffset(int32_t state) {
  switch (state) {
    case widget::Disabled: return 0.0f;
    case widget::Hover: return 0.5f;
    default: return 0.25f;
  }
}

C_CheckButtonLayer::C_CheckButtonLayer() { kind = kind::Check; }

C_CheckButtonLayer::~C_CheckButtonLayer() = default;

void C_CheckButtonLayer::setWindow(int32_t kindCode, int32_t width, int32_t height, float x, float y, bool isDraggable,
                                   bool /*reuse*/) {
  SetUpWidget(*this, kindCode, width, height, x, y, isDraggable);
}

void C_CheckButtonLayer::setActive(bool flag) {
  active = flag;
  state = flag ? widget::Normal : widget::Disabled;
}

int32_t C_CheckButtonLayer::handleMouse() {
  if (state == widget::Disabled) return 0;
  const engine::MouseState& m = engine::context().mouse;
  if (WidgetShown(*this) && hitTest(float(m.cursorX), float(m.cursorY))) {
    state = widget::Hover;
    if (m.mouseEvents & engine::mouse::LeftDown) {
      checked = !checked;
      event.fire(variantLeft(0), variantRight(0));
    }
  } else {
    state = widget::Normal;
    dragOffsetX = dragOffsetY = 0;
  }
  return 0;
}

int32_t C_CheckButtonLayer::update(const engine::PadRecord* /*pad*/) {
  animate(currentSlot, false);
  animate(currentSlot ^ 1, false);
  shownState = state;
  return computeBusy();
}

void C_CheckButtonLayer::draw() {
  DrawWidgetCell(*this, 0.25f, CheckButtonCellOffset(state));
  if (checked) DrawWidgetCell(*this, 0.25f, kCheckMarkCell);
}

}  // namespace window
