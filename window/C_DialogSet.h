// The dialog set ("DIALOG", with its two "D_BTN" buttons): the exit confirmation of a scene. It is
// laid out when it opens, answers through `result` and takes every click while it is shown.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "window/C_ButtonLayer.h"
#include "window/C_WindowLayer.h"

namespace window {

// The dialog's answer in `result`: no button released this frame, the first ("ＹＥＳ") or the
// second ("ＮＯ").
namespace answer {
constexpr int32_t None = -1;
constexpr int32_t Yes = 0;
constexpr int32_t No = 1;
}  // namespace answer

class C_DialogSet : public C_WindowLayer {
 public:
  static constexpr size_t ButtonCount = 2;

  C_DialogSet();
  ~C_DialogSet() override;

  // Its own update, then each shown button's (the busy flags OR-ed); `shown` ends with the close
  // fade, so a closed dialog no longer takes the mouse.
  int32_t update(const engine::PadRecord* pad) override;
  // Its own slots, then each shown button's.
  void swapSlots() override;
  // Both slots and both buttons.
  void finishAnimations() override;
  // Nothing unless shown: its typing step and draw, then each shown, visible and not transparent
  // button's.
  void drawBoth(float depth) override;
  // Itself and both buttons.
  void releaseTextTarget() override;
  void restoreTextTarget() override;
  // No question pending, both buttons hidden; then the window set-up without bound windows.
  void setWindow(int32_t kindCode, int32_t width, int32_t height, float x, float y, bool isDraggable,
                 bool reuse) override;
  // Binds and opens each shown button with the same time, then opens itself.
  void open(int32_t timeMs) override;

  // The frame's mouse: 0 while not shown; otherwise the buttons are asked (a release on one sets
  // `result`) and the dialog keeps the mouse (non-zero) whatever was clicked.
  int32_t dialogMouse();
  // Its current slot loaded, not transparent, and visible.
  bool showing();

  // ---- Fields ----
  bool shown = false;
  bool pending = false;  // an exit question is on screen and not yet answered
  int32_t result = answer::None;
  std::array<std::unique_ptr<C_ButtonLayer>, ButtonCount> buttons;
};

}  // namespace window
