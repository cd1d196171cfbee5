// C_HistoryWindowLayer: the parts' layout, the rows from the record, open, close and the draw.
#include "window/C_HistoryWindowLayer.h"

#include <algorithm>
#include <string>

#include "engine/Engine.h"
#include "engine/HistoryRecord.h"
#include "platform/Encoding.h"

namespace window {

namespace {

// The voice button's and the row's vertical place for row k, in layout units from the centre.
float RowY(int32_t k) { return float(143 * k - 354); }

}  // namespace

C_HistoryWindowLayer::C_HistoryWindowLayer() {
  kind = kind::History;
  C_HistoryWindowLayer::init();
}

C_HistoryWindowLayer::~C_HistoryWindowLayer() = default;

void C_HistoryWindowLayer::bind(C_WindowLayer& w) {
  if (std::find(children.begin(), children.end(), &w) == children.end()) children.push_back(&w);
}

void C_HistoryWindowLayer::init() {
  const float s = engine::context().screenScale;
  // The scroll bar: the whole height at the right edge, one value until entries exist.
  scrollArea[0] = 32;
  scrollArea[1] = 736;
  scrollArea[2] = 480;
  scrollArea[3] = 0;
  thumbSize[0] = 32;
  thumbSize[1] = 736;
  scrollBar = std::make_unique<C_SlideLayer>();
  scrollBar->setWindow(kind::Slider, 32, 736, 480, 0, false, true);
  scrollBar->setSlideData(32, 736, 0, 0, true, 0);
  scrollBar->baseNorm = 0x10FFFFFFu;
  scrollBar->baseAct = 0x60FFFFFFu;
  scrollBar->switchNorm = 0xFF136600u;
  scrollBar->switchAct = 0xFFA1E392u;
  scrollBar->spareColours[0] = scrollBar->spareColours[1] = 0;
  bind(*scrollBar);
  // The voice buttons at the rows' left, hidden until a row has a voice. They start no event.
  for (int32_t k = 0; k < RowCount; ++k) {
    auto button = std::make_unique<C_ButtonLayer>();
    button->setPicture("winBtn00.png", nullptr, false);
    button->setWindow(kind::Button, 32, 32, -470, float(40 * k - 350), false, false);
    button->visible = false;
    button->eventSuppressed = true;
    bind(*button);
    voiceButtons[size_t(k)] = std::move(button);
  }
  // The rows: text only, typed at once.
  for (int32_t k = 0; k < RowCount; ++k) {
    auto row = std::make_unique<C_WindowLayer>();
    row->setWindow(kind::Plain, 850, 136, 0, 0, false, false);
    layer::PictureSlot& p = row->currentPicture();
    p.x = float(p.width) * p.scaleX / 2.0f - 432.0f * s;
    p.y = float(p.height) * p.scaleY / 2.0f + RowY(k) * s;
    row->setTextArea(0, 0, 850, 136);
    row->setFont(0, 26, CP932("ＭＳ ゴシック").c_str(), 400);
    row->speed = 0.0f;
    bind(*row);
    rows[size_t(k)] = std::move(row);
  }
}

int32_t C_HistoryWindowLayer::entryCount() const {
  return record ? int32_t(std::min(record->historyTexts.size(), record->historyVoices.size())) : 0;
}

void C_HistoryWindowLayer::fillRows() {
  const int32_t n = entryCount();
  for (int32_t k = 0; k < RowCount; ++k) {
    const int64_t entry = int64_t(scrollTop) + k;
    const bool exists = entry >= 0 && entry < n;
    rows[size_t(k)]->setText(exists ? record->historyTexts[size_t(entry)] : std::string(), false);
  }
}

void C_HistoryWindowLayer::placeVoiceButtons() {
  const float s = engine::context().screenScale;
  const int32_t n = entryCount();
  for (int32_t k = 0; k < RowCount; ++k) {
    C_ButtonLayer& button = *voiceButtons[size_t(k)];
    button.visible = false;
    const int64_t entry = int64_t(scrollTop) + k;
    if (entry < 0 || entry >= n || record->historyVoices[size_t(entry)].empty()) continue;
    layer::PictureSlot& p = button.currentPicture();
    p.y = float(p.height) * p.scaleY / 2.0f + RowY(k) * s;
    button.visible = true;
  }
}

void C_HistoryWindowLayer::open(int32_t timeMs) {
  for (auto& row : rows) bind(*row);
  bind(*scrollBar);
  for (auto& button : voiceButtons) bind(*button);
  // With entries, the thumb's length follows their count (at least 32) and sits on the newest.
  const int32_t n = entryCount();
  if (n > 0) {
    scrollArea[0] = 32;
    scrollArea[1] = 736;
    scrollArea[2] = 480;
    scrollArea[3] = 0;
    const float thumbHeight = std::max(736.0f / float(n), 32.0f);
    thumbSize[0] = 32;
    thumbSize[1] = thumbHeight;
    scrollBar->setSlideData(thumbSize[0], thumbSize[1], 0, n - 1, true, n - 1);
  }
  placeVoiceButtons();
  opened = true;
  C_WindowLayer::open(timeMs);
}

void C_HistoryWindowLayer::close(int32_t timeMs) {
  bind(*scrollBar);
  for (auto& button : voiceButtons) bind(*button);
  opened = true;
  startColourFade(0x00FFFFFFu, timeMs, false);
}

int32_t C_HistoryWindowLayer::update(const engine::PadRecord* pad) {
  const int32_t busy = C_WindowLayer::update(pad);
  for (auto& row : rows) row->update(pad);
  scrollBar->update(pad);
  for (auto& button : voiceButtons) button->update(pad);
  return busy;
}

void C_HistoryWindowLayer::draw() {
  if (!visible) return;
  C_WindowLayer::draw();
  for (auto& row : rows) {
    row->runRenderer();
    row->draw();
  }
  scrollBar->runRenderer();
  scrollBar->draw();
  for (auto& button : voiceButtons) {
    button->runRenderer();
    button->draw();
  }
}

void C_HistoryWindowLayer::releaseTextTarget() {
  C_WindowLayer::releaseTextTarget();
  for (auto& row : rows) row->releaseTextTarget();
  scrollBar->releaseTextTarget();
  for (auto& button : voiceButtons) button->releaseTextTarget();
}

void C_HistoryWindowLayer::restoreTextTarget() {
  C_WindowLayer::restoreTextTarget();
  for (auto& row : rows) row->restoreTextTarget();
  scrollBar->restoreTextTarget();
  for (auto& button : voiceButtons) button->restoreTextTarget();
}

}  // namespace window
