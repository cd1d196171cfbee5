// The selection window ("SEL"): one choice per text line, a translucent bar on the row under the
// mouse, and a release on a row commits that choice: the window deactivates and the scene jumps
// to the row's "file?label" target.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "window/C_WindowLayer.h"
#include "window/WidgetEvent.h"

namespace window {

// The highlight bar's picture.
constexpr const char* kHighlightBarPicture = "white.bmp";

class C_SelWindowLayer : public C_WindowLayer {
 public:
  C_SelWindowLayer();
  ~C_SelWindowLayer() override;

  // The fades and a drag; no cursor chips, and a finished close keeps the choices.
  int32_t update(const engine::PadRecord* pad) override;
  // The window, then the bar on the hovered row.
  void draw() override;
  // While active, the row under the mouse; a release without a press in the same frame
  // commits it. Off the rows the layer's own mouse handling (dragging) applies.
  int32_t handleMouse() override;
  // The choices, one per line; the window is inactive afterwards.
  void setText(const std::string& newText, bool flag) override;
  // The last committed row (-1 for none), which is then forgotten.
  int32_t takeResult() override;

  // The row whose band holds the mouse position (pixels from the screen centre): the first one,
  // so a position on the boundary of two rows belongs to the upper one; -1 for none.
  int32_t rowAt(int32_t mouseX, int32_t mouseY);

  // ---- Fields ----
  int32_t choiceCount = 0;
  int32_t hoveredRow = -1;
  int32_t committedRow = -1;
  std::unique_ptr<layer::C_BaseCharaLayer> highlightBar;
  gfx::TexturePtr rowTextTexture;  // one row of the text area; made with every text, not drawn
  scene::C_BaseScene* container = nullptr;
  EventHandler choiceHandler = nullptr;  // called with the container and the row's file and label

 private:
  void fitHighlightBar();
  void createRowTexture();
  void drawHighlightBar();
};

}  // namespace window
