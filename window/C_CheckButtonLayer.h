// The check button ("CHECK"): a strip of 4 cells (disabled, normal, hover, check mark); a left
// press on it turns the check on or off and starts its event.
#pragma once

#include <cstdint>

#include "window/C_ButtonLayer.h"
#include "window/C_WindowLayer.h"
#include "window/WidgetEvent.h"

namespace window {

// The check mark's cell and the cell of each state (0 to 2) of the 4-cell strip.
constexpr float kCheckMarkCell = 0.75f;
float CheckButtonCellOffset(int32_t state);

class C_CheckButtonLayer : public C_WindowLayer {
 public:
  C_CheckButtonLayer();
  ~C_CheckButtonLayer() override;

  // The fades; shownState follows state.
  int32_t update(const engine::PadRecord* pad) override;
  // The state's cell, and the check mark over it when checked.
  void draw() override;
  // Toggles on the press; never reports a click (always 0).
  int32_t handleMouse() override;
  // As the button's, without opening it.
  void setWindow(int32_t kindCode, int32_t width, int32_t height, float x, float y, bool isDraggable,
                 bool reuse) override;
  // Enabled (state 1) or disabled (state 0).
  void setActive(bool flag) override;

  // ---- Fields ----
  int32_t state = widget::Normal;
  int32_t shownState = 0;
  bool checked = false;
  WidgetEvent event;
};

}  // namespace window
