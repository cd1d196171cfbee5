// The history window ("HIST"): five rows of past message pages, a voice button beside each row
// whose page has a voice, and a vertical scroll bar. The scene's history mode drives its parts.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "window/C_ButtonLayer.h"
#include "window/C_SlideLayer.h"
#include "window/C_WindowLayer.h"

namespace script {
class HistoryRecord;
}

namespace window {

class C_HistoryWindowLayer : public C_WindowLayer {
 public:
  static constexpr int32_t RowCount = 5;

  // Lays out the parts (init).
  C_HistoryWindowLayer();
  ~C_HistoryWindowLayer() override;

  // The scroll bar, the voice buttons and the rows, bound as children.
  void init() override;
  // Its own fades, then the parts' updates; returns its own busy flags.
  int32_t update(const engine::PadRecord* pad) override;
  // The scene's history mode drives the parts; the window itself takes nothing.
  int32_t handleMouse() override { return 0; }
  // Nothing unless visible: the frame and text, then the rows, the scroll bar and the buttons.
  void draw() override;
  // Itself and every part.
  void releaseTextTarget() override;
  void restoreTextTarget() override;
  // Binds the parts, sizes the scroll bar for the record and places the voice buttons, then
  // opens like a window.
  void open(int32_t timeMs) override;
  // Binds the scroll bar and voice buttons again and fades the window out.
  void close(int32_t timeMs) override;

  // Rows k = 0 .. 4 show entries scrollTop + k of the record (empty past its end).
  void fillRows();
  // Button k shows for a row whose entry has a voice; the others are hidden.
  void placeVoiceButtons();
  // The record's entry count (0 without a record).
  int32_t entryCount() const;

  // ---- Fields ----
  bool historyOpen = false;
  int32_t rowCount = RowCount;
  int32_t scrollTop = 0;
  std::unique_ptr<C_SlideLayer> scrollBar;
  std::array<std::unique_ptr<C_ButtonLayer>, RowCount> voiceButtons;
  std::array<std::unique_ptr<C_WindowLayer>, RowCount> rows;
  float scrollArea[4] = {32, 736, 480, 0};
  float thumbSize[2] = {0, 0};
  // The event system's record the rows show (it outlives every scene), set when the history opens.
  const script::HistoryRecord* record = nullptr;
  // The scene state the history replaced, restored when it closes.
  int32_t savedState = 0;

 private:
  // Appends w to the bound windows unless it is there already.
  void bind(C_WindowLayer& w);
};

}  // namespace window
