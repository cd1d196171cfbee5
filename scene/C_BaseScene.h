// The scene base class: the state every scene shares and its virtual slots 7-15.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/Engine.h"
#include "layer/C_BaseObject.h"

namespace gfx { class Surface; }
namespace script { class C_EventMain; }
namespace layer { class C_BaseCharaLayer; }
namespace chara { class C_SolidCharaLayer; class C_SolidEventLayer; }
namespace window {
class C_WindowLayer;
class C_HistoryWindowLayer;
class C_DialogSet;
class C_MultiWindowSet;
}  // namespace window

namespace scene {

// Scene states shared with the script runtime.
namespace state {
constexpr int32_t NoScript = 0;
constexpr int32_t HistoryOpen = 1;
constexpr int32_t Busy = 2;
constexpr int32_t Still = 3;
}  // namespace state

class C_BaseScene : public layer::C_BaseObject {
 public:
  C_BaseScene();
  ~C_BaseScene() override;

  // slot 3: update(pad) takes the address of the frame's pad record and returns the next
  // scene id or -1 to stay.
  int32_t update(intptr_t /*pad*/) override { return 0; }
  // slot 6: returns the result of the frame's Present.
  int32_t render() override { return 0; }
  // slot 7
  virtual void onDeviceLost();
  // slot 8
  virtual void onDeviceReset() {}
  // slot 9: reports the resume point to the debug output.
  virtual void takeSnapshot();
  // slot 10: never called by the engine.
  virtual void buildSaveRecord() {}
  // slot 11: the selection callback.
  virtual void startSelectionEvent(int32_t choice);
  // slot 12
  virtual void StartEventJump(const char* file, const char* label);
  // slot 13
  virtual int32_t StartEventCall(const char* file, const char* label);
  // slot 14
  virtual int32_t StartEventTouchCall(const char* file, const char* label);
  // slot 15
  virtual void endTouchCall() { eventLock = false; }

  // Every change of state first copies the old value into previousState.
  void setState(int32_t newState) {
    previousState = state;
    state = newState;
  }

  // The event system's resume point, which the snapshot hook reports.
  int32_t resumePoint() const;

  static const engine::PadRecord& padOf(intptr_t arg) { return *reinterpret_cast<const engine::PadRecord*>(arg); }

  // ---- Fields, in order ----
  int32_t state = 0;
  int32_t previousState = 0;
  engine::PadRecord lastPad;
  script::C_EventMain* eventSystem = nullptr;
  int32_t nextScene = -1;
  std::vector<void*> snapshotList;  // kept for the snapshot hook; never read
  std::shared_ptr<gfx::Surface> captureSurface;  // the last rendered frame's back buffer
  layer::C_BaseCharaLayer* background = nullptr;
  chara::C_SolidCharaLayer* solidCharas = nullptr;
  int32_t solidCharaCount = 0;
  std::vector<chara::C_SolidCharaLayer*> solidOrder;
  chara::C_SolidEventLayer* solidEvent = nullptr;
  std::vector<layer::C_BaseCharaLayer*> plainCharas;
  // Window lists, each in page order.
  std::vector<window::C_WindowLayer*> btnWindows;
  std::vector<window::C_WindowLayer*> checkWindows;
  std::vector<window::C_WindowLayer*> mesWindows;
  std::vector<window::C_WindowLayer*> selWindows;
  std::vector<window::C_WindowLayer*> plnWindows;
  std::vector<window::C_WindowLayer*> slideWindows;
  window::C_HistoryWindowLayer* history = nullptr;
  window::C_DialogSet* dialog = nullptr;
  window::C_MultiWindowSet* windowSet = nullptr;
  bool windowsShown = true;
  bool hideToggleEnabled = true;
  bool spaceLatch = false;
  bool eventLock = false;
  bool dialogShown = false;
  bool skip = false;
  bool skipWaitTime = false;
  bool autoMode = false;
  int32_t autoTimes[3] = {0, 0, 0};
  int32_t autoTimeType = 0;
  int32_t autoTimer = 0;
  int32_t activeAutoTime = 0;
};

}  // namespace scene
