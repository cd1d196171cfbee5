// The scene base class: construction, the snapshot hook and the event entry points.
#include "scene/C_BaseScene.h"

#include <cstdio>
#include <cstdlib>

#include "chara/C_SolidCharaLayer.h"
#include "chara/C_SolidEventLayer.h"
#include "chara/PlainCharas.h"
#include "engine/Engine.h"
#include "gfx/Device.h"
#include "layer/C_BaseCharaLayer.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "script/C_EventMain.h"
#include "window/C_DialogSet.h"
#include "window/C_HistoryWindowLayer.h"
#include "window/C_MultiWindowSet.h"
#include "window/C_WindowLayer.h"
#include "window/SceneDialogs.h"
#include "window/SceneWindows.h"

namespace scene {

C_BaseScene::C_BaseScene() {
  eventSystem = engine::context().eventMain;
  // The dialog set and the window set, closed and not shown.
  dialog = window::CreateDialogSet(*this);
  windowSet = window::CreateWindowSet();
  // A button already held when a scene starts must not count as a new press.
  for (int i = 4; i < 10; ++i) lastPad.v[i] = 1;
  // The capture surface: a plain surface of the display size (the back buffer's size here).
  if (gfx::Device* device = engine::context().device) {
    const int32_t width = device->backBufferWidth(), height = device->backBufferHeight();
    if (width <= 0 || height <= 0) {
      platform::messageBox(CP932("キャプチャ用サーフェイスの生成の初期化に失敗"), CP932("エラー"), platform::mb::Ok);
      std::abort();
    }
    if (device->createOffscreenPlainSurface(width, height, captureSurface) != gfx::result::Ok) {
      platform::messageBox(CP932("キャプチャ用サーフェイスの生成に失敗"), CP932("エラー"), platform::mb::Ok);
      std::abort();
    }
  }
}

C_BaseScene::~C_BaseScene() {
  // The event system outlives every scene: it must not keep driving a destroyed one.
  if (eventSystem && eventSystem->drivenScene == this) eventSystem->drivenScene = nullptr;
  chara::DestroyBackgroundAndPlainCharas(*this);
  window::DestroySceneWindows(*this);
  captureSurface.reset();
}

void C_BaseScene::onDeviceLost() {
  // The exit confirmation every scene can show gives up its text targets too.
  if (dialog) dialog->releaseTextTarget();
  captureSurface.reset();
}

void C_BaseScene::onDeviceReset() {
  if (dialog) dialog->restoreTextTarget();
}

void C_BaseScene::takeSnapshot() {
  char text[128];
  std::snprintf(text, sizeof text, CP932("<状態を一旦保存>:(%d)\n").c_str(), resumePoint());
  platform::debugOutput(text);
}

int32_t C_BaseScene::resumePoint() const { return eventSystem ? eventSystem->resumePoint : 0; }

void C_BaseScene::startSelectionEvent(int32_t choice) {
  if (!eventSystem || eventSystem->scriptRunning() || eventSystem->waiting()) return;
  // The first "SEL" window names the chosen item's file and label; its lines run from the next
  // frame update.
  if (selWindows.empty() || choice < 0) return;
  const window::C_WindowLayer& selection = *selWindows.front();
  if (size_t(choice) >= selection.variants.size()) return;
  eventSystem->StartScript(selection.variantLeft(size_t(choice)), selection.variantRight(size_t(choice)), this);
}

void C_BaseScene::onSelectionWindowMade() {
  if (eventSystem) eventSystem->pendingChoices.clear();
}

void C_BaseScene::onSelectionActive() {
  if (eventSystem) eventSystem->resumePoint = eventSystem->lineIndex;
  takeSnapshot();
}

void C_BaseScene::StartEventJump(const char* file, const char* label) {
  if (!eventSystem || eventLock) return;
  if (eventSystem->scriptRunning() && state == state::Busy) return;
  eventSystem->PrepareEventJump(*this);
  eventSystem->StartScript(file ? file : "", label ? label : "", this);
  eventSystem->EventFrameUpdate();
}

int32_t C_BaseScene::StartEventCall(const char* file, const char* label) {
  if (!eventSystem || eventLock) return 0;
  if (eventSystem->scriptRunning() && state == state::Busy) return 0;
  eventSystem->PrepareEventCall(*this);
  eventSystem->StartScript(file ? file : "", label ? label : "", this);
  return eventSystem->EventFrameUpdate();
}

void C_BaseScene::setTouchFlags(int32_t charaIndex, int32_t region, int32_t clickOrDrag) {
  if (!eventSystem) return;
  eventSystem->flags.setEngineNumber("T_CLICK_EVENT_PAGE_NO", charaIndex);
  eventSystem->flags.setEngineNumber("T_CLICK_EVENT_CLICKMAP_NO", region);
  eventSystem->flags.setEngineNumber("T_CLICK_EVENT_CLKorDRG", clickOrDrag);
}

int32_t C_BaseScene::StartEventTouchCall(const char* file, const char* label) {
  if (!eventSystem || eventLock) return 1;
  if (eventSystem->scriptRunning() && state != state::Still) return 1;
  eventLock = true;
  // The click-wait cursor shows the characters' reaction while the touch event runs.
  reactionMode = true;
  eventSystem->PrepareTouchCall(*this);
  eventSystem->StartScript(file ? file : "", label ? label : "", this);
  return eventSystem->EventFrameUpdate();
}

}  // namespace scene
