// The in-process script scene used by the runtime tests.
#include "ScriptWorld.h"

#include "archive/ArchiveSet.h"
#include "engine/Engine.h"
#include "engine/ScreenFade.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "script/ScriptStepHooks.h"

namespace scripttest {

namespace {
ScriptWorld* g_world = nullptr;
}

ScriptWorld::ScriptWorld() : cd_(dir_.path()) {
  engine::resetEngine();
  archive::resetArchiveSet();
  platform::clearMessageBoxLog();
  platform::setDebugSink([this](std::string_view text) { debugLines_.push_back(platform::cp932ToUtf8(text)); });
  write("eventProg.lua", "-- helpers\n");
  write("globalData.lua", "-- globals\n");
  settings(false, false, 1000);
  engine::context().platform = &platform_;
  host_.create();
  engine::context().lua = &host_;
  events_ = new script::C_EventMain(host_.scriptState);
  events_->init();
  engine::context().eventMain = events_;
  g_world = this;
  lua_register(host_.scriptState, "Mark", Mark);
}

ScriptWorld::~ScriptWorld() {
  if (scene_) {
    scene_->release();
    delete scene_;
  }
  delete events_;
  host_.close();
  engine::resetEngine();
  platform::setDebugSink(nullptr);
  archive::resetArchiveSet();
  g_world = nullptr;
  script::scriptStepHooks() = script::ScriptStepHooks{};
}

void ScriptWorld::write(std::string_view name, std::string_view utf8Text) {
  dir_.write(name, platform::utf8ToCp932(utf8Text));
}

void ScriptWorld::settings(bool skipWaitTime, bool autoMode, int autoTimeMs) {
  std::string text = "g_Scr_IsSkipMode = false\n";
  text += std::string("g_Scr_IsSkipWaitTime = ") + (skipWaitTime ? "true" : "false") + "\n";
  text += std::string("g_Scr_IsAutoMode = ") + (autoMode ? "true" : "false") + "\n";
  text += "g_Scr_AutoModeTime_FAST = " + std::to_string(autoTimeMs) + "\n";
  text += "g_Scr_AutoModeTime_MID = 2000\ng_Scr_AutoModeTime_SLOW = 3000\ng_Scr_IsAutoModeTimeType = 0\n";
  text += "g_Scr_SoundBufFirst = 10\ng_Scr_SoundBufEnd = 20\ng_CharaDiffPos = { 0, 0 }\n";
  write("scriptSettings.lua", text);
}

void ScriptWorld::start() {
  scene_ = new scene::C_SceneSandBox();
  scene_->init();
}

void ScriptWorld::frame(int32_t deltaMs, uint32_t mouseEvents) {
  ++frame_;
  engine::Engine& e = engine::context();
  e.frameDeltaMs = deltaMs;
  e.mouse.mouseEvents = mouseEvents;
  engine::PadRecord pad;
  lastUpdateResult_ = scene_->update(&pad);
  engine::StepScreenFade();
  e.mouse.mouseEvents = 0;
}

void ScriptWorld::frames(int count, int32_t deltaMs) {
  for (int i = 0; i < count; ++i) frame(deltaMs);
}

std::string ScriptWorld::markTexts() const {
  std::string joined;
  for (const Marked& m : marks_) {
    if (!joined.empty()) joined += ' ';
    joined += m.text;
  }
  return joined;
}

std::string ScriptWorld::marksOfFrame(int frame) const {
  std::string joined;
  for (const Marked& m : marks_) {
    if (m.frame != frame) continue;
    if (!joined.empty()) joined += ' ';
    joined += m.text;
  }
  return joined;
}

std::vector<std::string> ScriptWorld::boxes() const {
  std::vector<std::string> out;
  for (const platform::MessageBoxRecord& r : platform::messageBoxLog())
    out.push_back(r.captionUtf8 + " | " + r.textUtf8);
  return out;
}

int ScriptWorld::Mark(lua_State* L) {
  size_t length = 0;
  const char* text = luaL_checklstring(L, -1, &length);
  if (g_world) g_world->marks_.push_back({g_world->frame_, platform::cp932ToUtf8(std::string_view(text, length))});
  return 0;
}

}  // namespace scripttest
