// The slider ("SLIDE"; also the history's scroll bar): a coloured track and thumb without a
// picture. The value runs from minValue to maxValue; a click on the track moves it one step
// toward the mouse and the thumb can be dragged.
#pragma once

#include <cstdint>

#include "window/C_ButtonLayer.h"
#include "window/C_WindowLayer.h"
#include "window/WidgetEvent.h"

namespace window {

// A thumb rectangle in pixels from the screen centre, edges included.
struct ThumbRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool contains(int32_t x, int32_t y) const { return left <= x && x <= right && top <= y && y <= bottom; }
};

class C_SlideLayer : public C_WindowLayer {
 public:
  C_SlideLayer();
  ~C_SlideLayer() override;

  // The fades; while dragging the position follows the mouse.
  int32_t update(const engine::PadRecord* pad) override;
  // The track and the thumb, faded with the slot's alpha.
  void draw() override;
  // Thumb presses start a drag, track presses step the value; 1 for a press, 2 for a
  // release on the track (when clickable).
  int32_t handleMouse() override;
  // Width and height in layout units (the slider has no picture).
  void setWindow(int32_t kindCode, int32_t width, int32_t height, float x, float y, bool isDraggable,
                 bool reuse) override;
  // The value.
  int32_t takeResult() override { return getValue(); }
  // Enabled (state 1) or disabled (state 0).
  void setActive(bool flag) override;

  // The track from the slider's rectangle less half the thumb at each end, the range and the
  // start value (clamped into the range).
  void setSlideData(float thumbW, float thumbH, int32_t min, int32_t max, bool isVertical, int32_t init);
  // minValue + trunc((maxValue - minValue) * position).
  int32_t getValue() const;
  // The value clamped into the range; a range of one value (or none) keeps position 0.
  void setValue(int64_t value);
  // The thumb's centre in layout units and its rectangle in pixels.
  void thumbCentre(float& cx, float& cy) const;
  ThumbRect thumbRect() const;

  // ---- Fields ----
  int32_t state = widget::Normal;
  int32_t shownState = 0;
  bool vertical = false;
  float trackStartX = 0.0f, trackStartY = 0.0f, trackEndX = 0.0f, trackEndY = 0.0f;
  float thumbWidth = 0.0f, thumbHeight = 0.0f;
  float position = 0.0f;  // 0 to 1
  int32_t minValue = 0, maxValue = 0;
  int32_t dragStartX = -99999, dragStartY = -99999;
  uint32_t baseNorm = 0xFF404040u, baseAct = 0xFF606060u;
  uint32_t switchNorm = 0xFFB0B0B0u, switchAct = 0xFFFFFFFFu;
  uint32_t spareColours[2] = {0, 0};
  WidgetEvent event;

 private:
  // Sets position for an offset into a range of `range` values, so that getValue gives that
  // value back.
  void placeAt(int64_t offset, int64_t range);
};

}  // namespace window
