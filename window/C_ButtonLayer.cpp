// C_ButtonLayer: cells, clicks and the click timer; the set-up and cell draw the widgets share.
#include "window/C_ButtonLayer.h"

#include <cstring>

#include "engine/Engine.h"
#include "layer/C_Sprite.h"

namespace window {

namespace {

// The cell each state (0 to 4) shows, by the strip's cell count (1 to 5).
constexpr int32_t kCellOfState[5][5] = {
    {0, 0, 0, 0, 0},  // 1 cell
    {0, 0, 1, 1, 1},  // 2 cells
    {0, 1, 2, 2, 2},  // 3 cells
    {0, 1, 2, 3, 3},  // 4 cells
    {0, 1, 2, 3, 4},  // 5 cells
};

}  // namespace

int32_t ButtonCellCount(const char* pictureName) {
  const char* sep = pictureName ? std::strstr(pictureName, "_sep") : nullptr;
  if (!sep) return 5;
  const char digit = sep[4];
  return digit >= '1' && digit <= '4' ? digit - '0' : 5;
}

float ButtonCellOffset(int32_t cellCount, int32_t state) {
  if (cellCount < 1 || cellCount > 5) cellCount = 5;
  if (state < 0 || state > 4) state = widget::Normal;
  return float(kCellOfState[cellCount - 1][state]) / float(cellCount);
}

bool WidgetShown(C_WindowLayer& w) {
  const layer::PictureSlot& s = w.currentPicture();
  return w.visible && s.loaded && s.alpha() != 0;
}

void SetUpWidget(C_WindowLayer& w, int32_t kindCode, int32_t width, int32_t height, float x, float y,
                 bool isDraggable) {
  const float scale = engine::context().screenScale;
  layer::PictureSlot& s = w.currentPicture();
  w.kind = kindCode;
  w.mouseEnabled = true;
  // A widget whose picture is missing keeps the requested size (scale screenScale), so it can
  // still be clicked instead of shrinking to nothing.
  if (s.width == 0 || s.height == 0) {
    s.width = int16_t(width);
    s.height = int16_t(height);
  }
  // The picture is stretched to the requested size.
  s.scaleX = s.width != 0 ? float(width) / float(s.width) * scale : 0.0f;
  s.scaleY = s.height != 0 ? float(height) / float(s.height) * scale : 0.0f;
  s.x = scale * x;
  s.y = scale * y;
  w.draggable = isDraggable;
  w.textTarget.reset();
  // Invisible until opened.
  s.colour &= 0x00FFFFFFu;
}

void DrawWidgetCell(C_WindowLayer& w, float scale, float offset) {
  for (const auto& slot : w.slots) {
    slot->useUvRect = true;
    slot->uvScale[0] = scale;
    slot->uvScale[1] = 1.0f;
    slot->uvOffset[0] = offset;
    slot->uvOffset[1] = 0.0f;
  }
  w.C_WindowLayer::draw();
}

C_ButtonLayer::C_ButtonLayer() { kind = kind::Button; }

C_ButtonLayer::~C_ButtonLayer() = default;

void C_ButtonLayer::setPicture(const char* file, const int32_t* rect, bool other) {
  C_WindowLayer::setPicture(file, rect, other);
  cellCount = ButtonCellCount(file);
}

void C_ButtonLayer::setWindow(int32_t kindCode, int32_t width, int32_t height, float x, float y, bool isDraggable,
                              bool /*reuse*/) {
  opened = true;
  visible = true;
  SetUpWidget(*this, kindCode, width, height, x, y, isDraggable);
}

void C_ButtonLayer::setActive(bool flag) {
  active = flag;
  state = flag ? widget::Normal : widget::Disabled;
}

int32_t C_ButtonLayer::handleMouse() {
  // A disabled button ignores the mouse; a hidden one forgets its hover.
  if (state == widget::Disabled) return 0;
  if (!WidgetShown(*this)) {
    state = widget::Normal;
    return 0;
  }
  const engine::MouseState& m = engine::context().mouse;
  // Off the button: back to normal and no drag.
  if (!hitTest(float(m.cursorX), float(m.cursorY))) {
    state = widget::Normal;
    dragOffsetX = dragOffsetY = 0;
    return 0;
  }
  // A press on it.
  if (m.mouseEvents & engine::mouse::LeftDown) {
    state = widget::Pressed;
    return clickable ? 1 : 0;
  }
  // A release on it clicks only when the press was on it too.
  if (m.mouseEvents & engine::mouse::LeftUp) {
    const int32_t result = clickable ? 2 : 0;
    if (state == widget::Pressed) {
      state = widget::Clicked;
      clickTimer = kClickedCellMs;
      if (!eventSuppressed) event.fire(variantLeft(0), variantRight(0));
    } else {
      state = widget::Hover;
    }
    return result;
  }
  // Hovering, unless the press on it is still held.
  if (!(state == widget::Pressed && m.leftHeld)) state = widget::Hover;
  return 0;
}

int32_t C_ButtonLayer::update(const engine::PadRecord* /*pad*/) {
  animate(currentSlot, false);
  animate(currentSlot ^ 1, false);
  if (clickTimer > 0) {
    clickTimer -= engine::context().frameDeltaMs;
    shownState = widget::Clicked;
  } else {
    shownState = state;
  }
  return computeBusy();
}

void C_ButtonLayer::draw() {
  const int32_t cells = cellCount >= 1 && cellCount <= 5 ? cellCount : 5;
  DrawWidgetCell(*this, 1.0f / float(cells), ButtonCellOffset(cells, shownState));
}

}  // namespace window
