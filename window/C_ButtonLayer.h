// The push button ("BTN"; also the dialog's buttons): one cell of a horizontal strip picture per
// state, and an event started when the left button is pressed and released on it.
#pragma once

#include <cstdint>

#include "window/C_WindowLayer.h"
#include "window/WidgetEvent.h"

namespace window {

// Widget states.
namespace widget {
constexpr int32_t Disabled = 0;  // no mouse handling
constexpr int32_t Normal = 1;    // the mouse elsewhere
constexpr int32_t Hover = 2;     // the mouse over the widget
constexpr int32_t Pressed = 3;   // the left button went down on it and is held
constexpr int32_t Clicked = 4;   // released on it after a press (a button's clicked cell)
constexpr int32_t Dragging = 6;  // the slider's thumb follows the mouse
}  // namespace widget

// How long a button shows its clicked cell after a click, in ms.
constexpr int32_t kClickedCellMs = 100;

// The number of cells of a button picture: the digit 1, 2, 3 or 4 right after the name's first
// "_sep", otherwise 5.
int32_t ButtonCellCount(const char* pictureName);

// The horizontal texture offset of the cell a button shows in a state (0 to 4) with a strip of
// cellCount (1 to 5) cells; the texture scale is 1 / cellCount. Strips with fewer cells than
// states share cells: 4 cells show the pressed cell when clicked, 3 show the hover cell for
// pressed and clicked, 2 the normal cell for disabled and normal, 1 the whole picture.
float ButtonCellOffset(int32_t cellCount, int32_t state);

// Whether the widget can be seen, so it may take the mouse: visible, and its picture loaded and
// not transparent. A closed or hidden widget is never used by a click nobody can see.
bool WidgetShown(C_WindowLayer& w);

class C_ButtonLayer : public C_WindowLayer {
 public:
  C_ButtonLayer();
  ~C_ButtonLayer() override;

  // The fades, the click timer and shownState; returns computeBusy.
  int32_t update(const engine::PadRecord* pad) override;
  // Drawn like a window with the cell of shownState, then its caption.
  void draw() override;
  // The picture, then the cell count its name gives.
  void setPicture(const char* file, const int32_t* rect, bool other) override;
  // 1 for a press on it, 2 for a release on it (when clickable), 0 else.
  int32_t handleMouse() override;
  // The picture stretched to the size, no caption until a text area is set, invisible
  // until opened.
  void setWindow(int32_t kindCode, int32_t width, int32_t height, float x, float y, bool isDraggable,
                 bool reuse) override;
  // Enabled (state 1) or disabled (state 0).
  void setActive(bool flag) override;

  // ---- Fields ----
  int32_t state = widget::Normal;
  int32_t shownState = 0;  // state, but 4 for kClickedCellMs after a click
  int32_t clickTimer = 0;  // ms
  int32_t cellCount = 5;
  WidgetEvent event;
  bool eventSuppressed = false;  // the dialog keeps its buttons' events to itself
};

// The window set-up common to buttons, check buttons and sliders.
void SetUpWidget(C_WindowLayer& w, int32_t kindCode, int32_t width, int32_t height, float x, float y, bool isDraggable);

// Draws the window with the picture's cell at offset (scale 1 / cells across, 1 down).
void DrawWidgetCell(C_WindowLayer& w, float scale, float offset);

}  // namespace window
