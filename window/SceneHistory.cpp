// The script scene's history mode.
#include "window/SceneHistory.h"

#include <algorithm>

#include "engine/Engine.h"
#include "engine/HistoryRecord.h"
#include "scene/C_BaseScene.h"
#include "sound/C_SoundPlayer.h"
#include "window/C_HistoryWindowLayer.h"
#include "window/WindowOperations.h"

namespace window {

namespace {

// Replays an entry's voice in the first voice buffer (stopping one already playing there).
void ReplayVoice(const C_HistoryWindowLayer& history, int64_t entry) {
  if (!history.record || entry < 0 || entry >= history.entryCount()) return;
  const std::string& voice = history.record->historyVoices[size_t(entry)];
  sound::C_SoundPlayer* player = engine::context().soundPlayer;
  if (voice.empty() || !player || player->voiceFirst < 0) return;
  player->PlayVoice(player->voiceFirst, voice);
}

// The open history's parts take the frame's mouse.
void DriveHistory(scene::C_BaseScene& scene, C_HistoryWindowLayer& history) {
  const engine::MouseState& m = engine::context().mouse;
  history.handleMouse();
  history.scrollBar->handleMouse();
  // One entry per wheel notch: up shows older entries.
  const int32_t n = history.entryCount();
  if (m.wheelDelta != 0 && n > 0) {
    const int32_t step = m.wheelDelta > 0 ? -1 : 1;
    history.scrollBar->setValue(std::clamp(history.scrollTop + step, 0, n - 1));
  }
  for (int32_t k = 0; k < C_HistoryWindowLayer::RowCount; ++k) {
    C_ButtonLayer& button = *history.voiceButtons[size_t(k)];
    if (!button.visible) continue;
    if (button.handleMouse() == 2 && button.state == widget::Clicked)
      ReplayVoice(history, int64_t(history.scrollTop) + k);
  }
  if (m.mouseEvents & engine::mouse::RightDown) CloseHistory(scene);
}

}  // namespace

void OpenHistory(scene::C_BaseScene& scene, const script::HistoryRecord& record) {
  C_HistoryWindowLayer* history = scene.history.get();
  if (!history || history->historyOpen || scene.state != scene::state::Still) return;
  history->record = &record;
  history->savedState = scene.state;
  scene.setState(scene::state::HistoryOpen);
  history->historyOpen = true;
  history->scrollTop = history->entryCount() - 1;
  history->fillRows();
  OpenWindow(scene, "HIST", 0, 200);
  // Opening the bound parts shows every voice button: only the rows with a voice keep theirs.
  history->placeVoiceButtons();
}

void CloseHistory(scene::C_BaseScene& scene) {
  C_HistoryWindowLayer* history = scene.history.get();
  if (!history || !history->historyOpen) return;
  scene.setState(history->savedState);
  history->historyOpen = false;
  CloseWindow(scene, "HIST", 0, 200);
}

bool HistoryShown(scene::C_BaseScene& scene) {
  C_HistoryWindowLayer* history = scene.history.get();
  if (!history) return false;
  const layer::PictureSlot& s = history->currentPicture();
  return history->historyOpen || (history->visible && s.loaded && s.alpha() != 0);
}

int32_t UpdateHistory(scene::C_BaseScene& scene, bool& mouseTaken) {
  C_HistoryWindowLayer* history = scene.history.get();
  if (!history) return 0;
  if (HistoryShown(scene)) {
    if (!mouseTaken && history->historyOpen) DriveHistory(scene, *history);
    mouseTaken = true;
  }
  const int32_t busy = history->update(nullptr);
  // The scroll bar's value (dragged, clicked or wheeled) is the top row's entry.
  if (history->historyOpen && history->entryCount() > 0) {
    const int32_t top = history->scrollBar->getValue();
    if (top != history->scrollTop) {
      history->scrollTop = top;
      history->fillRows();
      history->placeVoiceButtons();
    }
  }
  return busy != 0 ? 1 : 0;
}

}  // namespace window
