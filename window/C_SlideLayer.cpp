// C_SlideLayer: the value arithmetic, the thumb geometry, track clicks, dragging and the draw.
#include "window/C_SlideLayer.h"

#include <cmath>

#include "engine/Engine.h"
#include "layer/C_Sprite.h"
#include "window/WidgetDraw.h"

namespace window {

namespace {

// trunc into int32, saturating (a huge or undefined layout value gives no undefined conversion).
int32_t truncToInt(float v) {
  if (!(v > -2147483520.0f)) return v != v ? 0 : INT32_MIN;
  if (!(v < 2147483520.0f)) return INT32_MAX;
  return int32_t(v);
}

}  // namespace

C_SlideLayer::C_SlideLayer() { kind = kind::Slider; }

C_SlideLayer::~C_SlideLayer() = default;

void C_SlideLayer::setWindow(int32_t kindCode, int32_t width, int32_t height, float x, float y, bool isDraggable,
                             bool /*reuse*/) {
  // Without a picture the slot's size is the requested one, so its scale is screenScale.
  layer::PictureSlot& s = currentPicture();
  s.width = int16_t(width);
  s.height = int16_t(height);
  SetUpWidget(*this, kindCode, width, height, x, y, isDraggable);
}

void C_SlideLayer::setActive(bool flag) {
  active = flag;
  state = flag ? widget::Normal : widget::Disabled;
}

// ---- Value -------------------------------------------------------------------------------------------

void C_SlideLayer::setSlideData(float thumbW, float thumbH, int32_t min, int32_t max, bool isVertical, int32_t init) {
  const float scale = engine::context().screenScale > 0.0f ? engine::context().screenScale : 1.0f;
  const layer::PictureSlot& s = currentPicture();
  const float halfWidth = float(s.width) * s.scaleX / 2.0f, halfHeight = float(s.height) * s.scaleY / 2.0f;
  const float left = s.x - halfWidth, right = s.x + halfWidth, top = s.y - halfHeight, bottom = s.y + halfHeight;
  trackStartX = thumbW / 2.0f + left / scale;
  trackEndX = right / scale - thumbW / 2.0f;
  trackStartY = thumbH / 2.0f + top / scale;
  trackEndY = bottom / scale - thumbH / 2.0f;
  thumbWidth = thumbW;
  thumbHeight = thumbH;
  vertical = isVertical;
  minValue = min;
  maxValue = max;
  if (min < max) {
    const int32_t start = init < min ? min : (init > max ? max : init);
    placeAt(int64_t(start) - min, int64_t(max) - min);
  } else {
    position = 0.0f;
  }
}

int32_t C_SlideLayer::getValue() const {
  const int64_t range = int64_t(maxValue) - minValue;
  const int64_t value = minValue + int64_t(std::trunc(float(range) * position));
  // A range wider than float's precision can round past its end.
  return int32_t(range > 0 && value > maxValue ? maxValue : value);
}

void C_SlideLayer::setValue(int64_t value) {
  if (maxValue <= minValue) {
    position = 0.0f;
    return;
  }
  if (value < minValue) value = minValue;
  if (value > maxValue) value = maxValue;
  placeAt(value - minValue, int64_t(maxValue) - minValue);
}

void C_SlideLayer::placeAt(int64_t offset, int64_t range) {
  position = float(offset) / float(range);
  // The quotient is rounded: for some values (53 of 0..100) the product in getValue falls a hair
  // short and truncates to the value below, and a track click could never pass it. The position
  // moves up by the least amount that gives the value back.
  for (int i = 0; i < 8 && position < 1.0f && int64_t(std::trunc(float(range) * position)) < offset; ++i)
    position = std::nextafter(position, 2.0f);
}

// ---- Geometry ------------------------------------------------------------------------------------------

void C_SlideLayer::thumbCentre(float& cx, float& cy) const {
  if (vertical) {
    cx = (trackStartX + trackEndX) / 2.0f;
    cy = trackStartY + (trackEndY - trackStartY) * position;
  } else {
    cx = trackStartX + (trackEndX - trackStartX) * position;
    cy = (trackStartY + trackEndY) / 2.0f;
  }
}

ThumbRect C_SlideLayer::thumbRect() const {
  const float s = engine::context().screenScale;
  float cx = 0.0f, cy = 0.0f;
  thumbCentre(cx, cy);
  return {truncToInt(s * (cx - thumbWidth / 2.0f)), truncToInt(s * (cy - thumbHeight / 2.0f)),
          truncToInt(s * (cx + thumbWidth / 2.0f)), truncToInt(s * (cy + thumbHeight / 2.0f))};
}

// ---- Mouse and frame -------------------------------------------------------------------------------------

int32_t C_SlideLayer::handleMouse() {
  // A disabled slider ignores the mouse; a hidden one forgets its hover.
  if (state == widget::Disabled) return 0;
  if (!WidgetShown(*this)) {
    state = widget::Normal;
    return 0;
  }
  const engine::MouseState& m = engine::context().mouse;
  const bool pressed = (m.mouseEvents & engine::mouse::LeftDown) != 0;
  const bool released = (m.mouseEvents & engine::mouse::LeftUp) != 0;
  int32_t result = 0;
  // A press on the thumb starts a drag; a release ends it.
  const ThumbRect thumb = thumbRect();
  if (thumb.contains(m.cursorX, m.cursorY)) {
    if (pressed) {
      state = widget::Dragging;
      dragStartX = m.cursorX;
      dragStartY = m.cursorY;
      if (clickable) result = 1;
    } else if (released && state == widget::Dragging) {
      state = widget::Normal;
    }
  }
  const bool over = hitTest(float(m.cursorX), float(m.cursorY));
  if (state != widget::Dragging) {
    if (over) {
      // A press on the track moves the value one step toward the mouse.
      if (pressed) {
        state = widget::Pressed;
        const bool before = vertical ? m.cursorY < thumb.top : m.cursorX < thumb.left;
        const bool after = vertical ? m.cursorY > thumb.bottom : m.cursorX > thumb.right;
        if (before || after) setValue(int64_t(getValue()) + (before ? -1 : 1));
        if (clickable) result |= 1;
      } else if (released) {
        const bool wasPressed = state == widget::Pressed;
        state = widget::Hover;
        if (wasPressed) event.fire(variantLeft(0), variantRight(0));
        if (clickable) result += 2;
      } else {
        state = m.leftHeld ? widget::Pressed : widget::Hover;
      }
    } else {
      // Off the slider: back to normal and no drag.
      state = widget::Normal;
      dragOffsetX = dragOffsetY = 0;
    }
  }
  // A drag ends when the button is no longer held.
  if (state == widget::Dragging && !m.leftHeld) state = widget::Normal;
  return result;
}

int32_t C_SlideLayer::update(const engine::PadRecord* /*pad*/) {
  animate(currentSlot, false);
  animate(currentSlot ^ 1, false);
  // A range of one value keeps its thumb at the start.
  if (state == widget::Dragging && maxValue > minValue) {
    const engine::MouseState& m = engine::context().mouse;
    const float s = engine::context().screenScale;
    const float start = vertical ? trackStartY : trackStartX, end = vertical ? trackEndY : trackEndX;
    const float mouse = float(vertical ? m.cursorY : m.cursorX);
    const float followed = (mouse - s * start) / (s * end - s * start);
    // A track of no length (a thumb as wide as the slider) gives no position.
    if (!std::isnan(followed)) position = followed < 0.0f ? 0.0f : (followed > 1.0f ? 1.0f : followed);
  }
  shownState = state;
  return computeBusy();
}

void C_SlideLayer::draw() {
  gfx::Device* device = engine::context().device;
  const layer::PictureSlot& s = currentPicture();
  if (!device || !visible || !s.loaded || s.alpha() == 0) return;
  const float scale = engine::context().screenScale;
  // Screen pixels from the top-left corner: the layout origin (512, 384) scaled.
  const float originX = 512.0f * scale, originY = 384.0f * scale;
  const float halfWidth = float(s.width) * s.scaleX / 2.0f, halfHeight = float(s.height) * s.scaleY / 2.0f;
  const uint32_t track = state == widget::Disabled || state == widget::Normal ? baseNorm : baseAct;
  const uint32_t thumbColour = state == 5 || state == widget::Dragging ? switchAct : switchNorm;
  DrawFlatRect(*device, originX + s.x - halfWidth, originY + s.y - halfHeight, originX + s.x + halfWidth,
               originY + s.y + halfHeight, FadeColour(track, s.alpha()));
  const ThumbRect thumb = thumbRect();
  DrawFlatRect(*device, originX + float(thumb.left), originY + float(thumb.top), originX + float(thumb.right),
               originY + float(thumb.bottom), FadeColour(thumbColour, s.alpha()));
}

}  // namespace window
