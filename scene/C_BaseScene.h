// The scene base class: the state every scene shares, device loss, snapshots and event starts.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/Engine.h"
#include "layer/C_BaseObject.h"

namespace gfx {
class Surface;
}
namespace script {
class C_EventMain;
}
namespace layer {
class C_BaseCharaLayer;
}
namespace chara {
class C_SolidCharaLayer;
class C_SolidEventLayer;
}  // namespace chara
namespace window {
class C_WindowLayer;
class C_MultiWindowSet;
class C_HistoryWindowLayer;
class C_DialogSet;
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

  // update(pad) takes the address of the frame's pad record and returns the next
  // scene id or -1 to stay.
  int32_t update(const engine::PadRecord* /*pad*/) override { return 0; }
  // Returns the result of the frame's Present.
  int32_t render() override { return 0; }
  // Lets go of device resources before a reset (here: the dialog's text targets and the
  // capture surface).
  virtual void onDeviceLost();
  // Makes the scene's device resources again after a reset (here: the dialog's text targets).
  virtual void onDeviceReset();
  // Reports the resume point to the debug output.
  virtual void takeSnapshot();
  // Never called by the engine.
  virtual void buildSaveRecord() {}
  // The selection callback.
  virtual void startSelectionEvent(int32_t choice);
  // A new selection window joined the scene: the choices gathered for a commit are dropped.
  virtual void onSelectionWindowMade();
  // A selection window became active: the event system's current line becomes its resume point
  // and the snapshot hook reports it.
  virtual void onSelectionActive();
  // Jumps to label in file, leaving the running script (not while the scene is busy).
  virtual void StartEventJump(const char* file, const char* label);
  // Calls label in file and returns to the running script after it; its first lines run now.
  virtual int32_t StartEventCall(const char* file, const char* label);
  // A touch event's call: further event starts are locked out until endTouchCall.
  virtual int32_t StartEventTouchCall(const char* file, const char* label);
  // Lifts the lock a touch call set (and with it the characters' reaction mode).
  virtual void endTouchCall() {
    eventLock = false;
    reactionMode = false;
  }

  // The temporary flags a touch on a character's click-map region writes for its event (virtual:
  // the characters below the scene reach it through the object).
  virtual void setTouchFlags(int32_t charaIndex, int32_t region, int32_t clickOrDrag);

  // Every change of state first copies the old value into previousState.
  void setState(int32_t newState) {
    previousState = state;
    state = newState;
  }

  // The event system's resume point, which the snapshot hook reports.
  int32_t resumePoint() const;

  // ---- Fields ----
  int32_t state = 0;
  int32_t previousState = 0;
  engine::PadRecord lastPad;
  script::C_EventMain* eventSystem = nullptr;
  int32_t nextScene = -1;
  std::vector<void*> snapshotList;               // kept for the snapshot hook; never read
  std::shared_ptr<gfx::Surface> captureSurface;  // the last rendered frame's back buffer
  // The members below belong to the scene: the code that makes one hands it over here, and the
  // scene's destructor ends them in a fixed order (background and characters, then windows).
  std::unique_ptr<layer::C_BaseCharaLayer> background;
  // Created by ScInitSceneSolidChara; solidCharaArray tells an empty array from none. solidOrder
  // lists the same characters in drawing order, back to front.
  std::vector<std::unique_ptr<chara::C_SolidCharaLayer>> solidCharas;
  bool solidCharaArray = false;
  std::vector<chara::C_SolidCharaLayer*> solidOrder;
  // The solid event picture over the first characters of the array (made with it).
  std::unique_ptr<chara::C_SolidEventLayer> solidEvent;
  std::vector<std::unique_ptr<layer::C_BaseCharaLayer>> plainCharas;
  // Window lists, each in page order.
  std::vector<std::unique_ptr<window::C_WindowLayer>> btnWindows;
  std::vector<std::unique_ptr<window::C_WindowLayer>> checkWindows;
  std::vector<std::unique_ptr<window::C_WindowLayer>> mesWindows;
  std::vector<std::unique_ptr<window::C_WindowLayer>> selWindows;
  std::vector<std::unique_ptr<window::C_WindowLayer>> plnWindows;
  std::vector<std::unique_ptr<window::C_WindowLayer>> slideWindows;
  // The single "HIST" window (made by its first ScSetWindow) or none, and the dialog set the
  // constructor makes.
  std::unique_ptr<window::C_HistoryWindowLayer> history;
  std::unique_ptr<window::C_DialogSet> dialog;
  std::unique_ptr<window::C_MultiWindowSet> windowSet;
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
  // The solid characters' reaction mode: the message window's click cursor shows its pulse.
  bool reactionMode = false;
};

}  // namespace scene
