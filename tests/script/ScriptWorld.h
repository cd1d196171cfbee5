// A script scene running on the headless platform inside the test process: scripts are written
// into a scratch folder, frames are stepped by hand, and what the scripts mark, the boxes they
// raise and the debug lines are recorded with their frame numbers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/headless/HeadlessPlatform.h"
#include "scene/C_SceneSandBox.h"
#include "script/C_EventMain.h"
#include "script/LuaHost.h"
#include "support/TempDir.h"

namespace scripttest {

struct Marked {
  int frame;
  std::string text;
};

class ScriptWorld {
 public:
  // An empty eventProg.lua and globalData.lua and default settings are written first.
  ScriptWorld();
  ~ScriptWorld();
  ScriptWorld(const ScriptWorld&) = delete;
  ScriptWorld& operator=(const ScriptWorld&) = delete;

  // Writes a file; UTF-8 text becomes code page 932.
  void write(std::string_view name, std::string_view utf8Text);
  // scriptSettings.lua with skip-wait-time, auto mode and the auto time (type 0).
  void settings(bool skipWaitTime, bool autoMode, int autoTimeMs);

  // Creates the script scene and runs its init (frame 0): "0first.evt" starts.
  void start();
  // One frame: frameDeltaMs, the frame's mouse events, the scene's update, the fade step.
  void frame(int32_t deltaMs = 17, uint32_t mouseEvents = 0);
  void frames(int count, int32_t deltaMs = 17);
  void click() { frame(17, 1u); }
  void setKey(int virtualKey, bool down) { platform_.setKey(virtualKey, down); }

  // Marks made by Mark("text") in scripts; all texts joined with spaces.
  const std::vector<Marked>& marks() const { return marks_; }
  std::string markTexts() const;
  // Marks made in one frame, joined with spaces.
  std::string marksOfFrame(int frame) const;
  // Message boxes as "CAPTION | TEXT" in UTF-8, and debug lines in UTF-8.
  std::vector<std::string> boxes() const;
  const std::vector<std::string>& debugLines() const { return debugLines_; }

  script::C_EventMain& events() { return *events_; }
  scene::C_SceneSandBox& scene() { return *scene_; }
  lua_State* L() { return host_.scriptState; }
  int frameNumber() const { return frame_; }
  int32_t lastUpdateResult() const { return lastUpdateResult_; }
  const std::string& dir() const { return dir_.path(); }

 private:
  static int Mark(lua_State* L);

  testsupport::TempDir dir_;
  testsupport::ScopedChdir cd_;
  platform::HeadlessPlatform platform_;
  script::LuaHost host_;
  script::C_EventMain* events_ = nullptr;
  scene::C_SceneSandBox* scene_ = nullptr;
  std::vector<Marked> marks_;
  std::vector<std::string> debugLines_;
  int frame_ = 0;
  int32_t lastUpdateResult_ = -1;
};

}  // namespace scripttest
