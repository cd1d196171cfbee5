// The event system: run state, the frame update and the line runner, waits, jumps, calls,
// returns and loops.
//
// Threads and replaced scripts: a jump or call to another file made by a running line resets
// the event system (both threads are created anew) and runs the new script at once, nested
// inside the old line, which is still executing in the old thread. Replaced threads therefore
// stay referenced in the registry until no lua_resume is in progress, and every runner notes
// resetCount_ before a line: when it changed, the script it was running has been replaced and
// the runner stops without touching the new script's line index.
#include "script/C_EventMain.h"

#include <algorithm>
#include <cstdio>

#include "engine/Engine.h"
#include "engine/Input.h"
#include "engine/SceneIds.h"
#include "engine/ScreenFade.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "scene/C_BaseScene.h"
#include "script/EventScriptTranslator.h"
#include "script/LuaHost.h"
#include "script/ScriptStepHooks.h"
#include "text/Cp932.h"

namespace script {

namespace {

std::string Truncated(std::string_view text, size_t bufferBytes) {
  return std::string(text.substr(0, std::min(text.size(), bufferBytes - 1)));
}

// Japanese text in a Lua line stands in a string literal (a text line becomes one), where a
// backslash escapes the next byte. The second byte of many double-byte characters ("表", "ソ",
// "能") is 0x5C: it is doubled so the text arrives as written instead of losing bytes or turning
// digits into control characters.
std::string WithTrailBackslashesEscaped(const std::string& line) {
  std::string chunk;
  chunk.reserve(line.size() + 8);
  for (size_t i = 0; i < line.size(); ++i) {
    chunk.push_back(line[i]);
    if (!text::isLeadByte(static_cast<uint8_t>(line[i])) || i + 1 >= line.size()) continue;
    chunk.push_back(line[++i]);
    if (line[i] == '\\') chunk.push_back('\\');
  }
  return chunk;
}

// Lua code that never returns (an endless loop in a line or a Lua script) would keep the frame
// for good: every so many instructions an interrupt, which asks the program to quit, ends it
// with an error.
constexpr int kInterruptCheckInstructions = 100000;
void StopOnInterrupt(lua_State* L, lua_Debug*) {
  if (platform::interruptRequested()) luaL_error(L, "interrupted");
}

}  // namespace

C_EventMain::C_EventMain(lua_State* scriptState) : scriptState_(scriptState) {
  sourceBuffer_.reserve(kScriptBufferBytes);
}

C_EventMain::~C_EventMain() {
  platform::setWarningContext(nullptr);
  if (!scriptState_) return;
  for (ThreadSlot* slot : {&eventThreadSlot_, &luaScriptThreadSlot_}) {
    if (slot->thread) luaL_unref(scriptState_, LUA_REGISTRYINDEX, slot->ref);
  }
  for (int ref : retiredThreadRefs_) luaL_unref(scriptState_, LUA_REGISTRYINDEX, ref);
}

void C_EventMain::init() {
  luaScriptThreadSlot_ = NewThread();
  eventThreadSlot_ = NewThread();
  BuildTagTable(tagTable_);
  InstallScriptStepHooks(scriptStepHooks());
  // Warnings raised while a line runs (a picture or sound that cannot be loaded) name it.
  platform::setWarningContext([this] { return ScriptPosition(); });
}

// ---- Threads ----------------------------------------------------------------------------------

C_EventMain::ThreadSlot C_EventMain::NewThread() {
  ThreadSlot slot;
  slot.thread = lua_newthread(scriptState_);
  lua_sethook(slot.thread, StopOnInterrupt, LUA_MASKCOUNT, kInterruptCheckInstructions);
  slot.ref = luaL_ref(scriptState_, LUA_REGISTRYINDEX);
  return slot;
}

void C_EventMain::RetireThread(ThreadSlot& slot) {
  if (slot.thread) retiredThreadRefs_.push_back(slot.ref);
  slot = ThreadSlot{};
}

void C_EventMain::ReleaseRetiredThreads() {
  for (int ref : retiredThreadRefs_) luaL_unref(scriptState_, LUA_REGISTRYINDEX, ref);
  retiredThreadRefs_.clear();
}

void C_EventMain::RenewEventThread() {
  RetireThread(eventThreadSlot_);
  eventThreadSlot_ = NewThread();
}

void C_EventMain::RenewLuaScriptThread() {
  RetireThread(luaScriptThreadSlot_);
  luaScriptThreadSlot_ = NewThread();
}

// ---- The runtime ----------------------------------------------------------------------------

void C_EventMain::SetSceneState(int32_t state) {
  if (drivenScene) drivenScene->setState(state);
}

void C_EventMain::StartScript(const std::string& file, const std::string& label, scene::C_BaseScene* scene) {
  drivenScene = scene;
  SetSceneState(scene::state::Busy);
  if (file.find(".lua") != std::string::npos) {
    // A coroutine left suspended by an earlier Lua script cannot run a new chunk.
    if (lua_status(luaScriptThreadSlot_.thread) != 0) RenewLuaScriptThread();
    lua_State* thread = luaScriptThreadSlot_.thread;
    if (LoadLuaFile(thread, file.c_str()) != 0) lua_pop(thread, 1);
    luaFunction = Truncated(label, kLuaFunctionBytes);
    luaRunning = true;
    return;
  }
  TranslateEventScript(file);
  int32_t start = -1;
  if (!label.empty()) {
    start = FindLabel(label);
    if (start < 0 && !lineTable.empty()) Warn("label not found: " + label + " in " + file);
  }
  lineIndex = start >= 0 ? start : 0;
  running = true;
  if (drivenScene) drivenScene->takeSnapshot();
}

void C_EventMain::ResetEventSystem() {
  skipOneFrame = false;
  waitTime = 0;
  waitClick = false;
  luaFunction.clear();
  luaRunning = false;
  // A running line may be the one that asked for the reset: its thread only loses its stack
  // here and is released once that line has returned.
  for (ThreadSlot* slot : {&luaScriptThreadSlot_, &eventThreadSlot_}) {
    if (slot->thread) lua_settop(slot->thread, 0);
  }
  RenewLuaScriptThread();
  RenewEventThread();
  lineIndex = -1;
  running = false;
  currentScriptFile.clear();
  ++resetCount_;
}

int32_t C_EventMain::EventFrameUpdate() {
  if (activeResumes_ == 0) ReleaseRetiredThreads();
  // Each wait below ends the frame's script work until it is over. Waiting for a still screen.
  if (waitChara) {
    if (!drivenScene || drivenScene->state != scene::state::Still) return 0;
    waitChara = false;
  }
  // A map jump holds the script back for one frame.
  if (skipOneFrame) {
    skipOneFrame = false;
    return 0;
  }
  // The timed wait counts frame time; the lines after it run in the frame it ends.
  if (waitTime > 0) {
    waitTime -= engine::context().frameDeltaMs;
    if (waitTime > 0) return 0;
    waitTime = 0;
    if (drivenScene) drivenScene->autoTimer = -1;
    SetSceneState(scene::state::Busy);
  }
  // A click wait is ended by the scene's script step, not here.
  if (waitClick) return 0;
  // A key wait ends in the frame the key is down; lines run from the next frame.
  if (waitKey != 0 && waitKey != -1) {
    if (engine::KeyDown(waitKey)) {
      waitKey = 0;
      AdvanceScript();
    }
    return 0;
  }
  // A running Lua script gets its step before any event lines; a result ends the frame.
  int32_t result = 0;
  if (luaRunning) {
    RunLuaScriptStep(result);
    if (result != 0) return result;
  }
  // The event lines up to the next wait.
  if (running) RunLines();
  return 0;
}

void C_EventMain::RunLuaScriptStep(int32_t& result) {
  lua_State* thread = luaScriptThreadSlot_.thread;
  lua_settop(thread, 0);
  // Raw access: a global table with an erroring __index must not raise outside a protected call.
  lua_pushstring(thread, luaFunction.c_str());
  lua_rawget(thread, LUA_GLOBALSINDEX);
  const uint32_t generation = resetCount_;
  ++activeResumes_;
  const int status = lua_resume(thread, 0);
  --activeResumes_;
  const bool replaced = generation != resetCount_;
  if (status == 0) {
    lua_settop(thread, 0);
    if (replaced) return;
    luaFunction.clear();
    luaRunning = false;
    SetSceneState(scene::state::NoScript);
  } else if (status != LUA_YIELD) {
    const char* error = lua_tostring(thread, -1);
    const std::string text = error ? error : "";
    platform::debugOutput(text);
    // A script stopped by an interrupt is not reported: the program is quitting.
    if (!platform::interruptRequested()) platform::messageBox(text, "ERROR", platform::mb::Ok);
    result = -1;
    if (replaced) return;
    // A dead coroutine cannot be resumed again: the script stops after its message.
    luaFunction.clear();
    luaRunning = false;
    RenewLuaScriptThread();
    SetSceneState(scene::state::NoScript);
    return;
  }
  lua_settop(thread, 0);
}

void C_EventMain::AdvanceScript() {
  resumePoint = lineIndex;
  if (drivenScene) drivenScene->takeSnapshot();
  waitChara = false;
  waitClick = false;
  if (drivenScene) drivenScene->autoTimer = -1;
  SetSceneState(scene::state::Busy);
}

void C_EventMain::EndScript() {
  EndTouchCall();
  lineIndex = -1;
  running = false;
  SetSceneState(scene::state::NoScript);
}

void C_EventMain::RunLines() {
  for (int32_t linesRun = 0;; ++linesRun) {
    if (lineIndex < 0 || lineIndex >= static_cast<int32_t>(lineTable.size())) {
      EndScript();
      return;
    }
    // An interrupt asks the program to quit: the frame loop can only honour it once the
    // runner has returned.
    if (platform::interruptRequested()) return;
    if (linesRun >= kMaxLinesPerFrame) {
      platform::debugOutput("[warning] " + currentScriptFile + ": " + std::to_string(kMaxLinesPerFrame) +
                            " lines ran without a wait; the script goes on at the next frame\n");
      return;
    }
    runOn = true;
    bool endFlag = false;
    const uint32_t generation = resetCount_;
    lineStepPending_ = true;
    ExecuteLine(lineIndex, endFlag);
    lineStepPending_ = false;
    if (generation != resetCount_ || !running) return;
    ++lineIndex;
    if (lineIndex < 0 || lineIndex >= static_cast<int32_t>(lineTable.size()) || endFlag) {
      EndScript();
      return;
    }
    if (!runOn) return;
  }
}

void C_EventMain::ExecuteLine(int32_t index, bool& endFlag) {
  // A copy: the line may replace the table (Return translates its file again).
  std::string line = lineTable[static_cast<size_t>(index)];
  if (line.find(kTextMarker) != std::string::npos) {
    char call[64];
    std::snprintf(call, sizeof call, "ScSetTextWindow( \"%s\", %d, \"", textWindowType.c_str(), textWindowPage);
    for (size_t at = line.find(kTextMarker); at != std::string::npos; at = line.find(kTextMarker, at)) {
      line.replace(at, kTextMarker.size(), call);
    }
  }
  if (line.empty()) return;
  if (line == "ScEnd()" || line == "@[Stop]") {
    endFlag = true;
    return;
  }
  if (line[0] == '*' || line[0] == '!') return;
  if (line.starts_with("@[")) {
    ExecuteTagLine(line);
    return;
  }
  RunLuaLine(line);
}

void C_EventMain::ReportLineFailure(const std::string& line) {
  std::string text = CP932("コマンド：");
  text += line;
  text += CP932("\nファイル：");
  text += currentScriptFile;
  platform::messageBox(text, "ERROR", platform::mb::Ok);
}

void C_EventMain::RunLuaLine(const std::string& line) {
  lua_State* thread = eventThreadSlot_.thread;
  if (!thread) {
    platform::messageBox(CP932("イベントスクリプト用のLuaスレッドの取得に失敗"), "ERROR", platform::mb::Ok);
    return;
  }
  // A line that does not compile is reported and skipped: resuming the failed chunk would kill
  // the thread and every later Lua line with it.
  if (luaL_loadstring(thread, WithTrailBackslashesEscaped(line).c_str()) != 0) {
    const char* error = lua_tostring(thread, -1);
    Warn(std::string("Lua line does not compile: ") + (error ? error : ""));
    ReportLineFailure(line);
    lua_pop(thread, 1);
    return;
  }
  // Waiting is done by stopping the runner, not by keeping a line suspended: each yield of the
  // line is resumed at once, so it completes in this frame. A line left suspended would swallow
  // the next Lua line (resuming the thread continues the old line instead of running the new one).
  ++activeResumes_;
  int status = lua_resume(thread, 0);
  for (int32_t yields = 1; status == LUA_YIELD && yields <= kMaxYieldsPerLine; ++yields) {
    status = lua_resume(thread, 0);
  }
  --activeResumes_;
  if (status == 0) {
    lua_settop(thread, 0);
  } else if (status == LUA_YIELD) {
    // A line that never stops waiting is reported and given up; the lines after it run.
    Warn("Lua line still waiting after " + std::to_string(kMaxYieldsPerLine) + " waits: given up");
    ReportLineFailure(line);
    lua_settop(thread, 0);
    if (thread == eventThreadSlot_.thread) RenewEventThread();
  } else {
    // A run-time error is reported and the dead thread replaced, so the lines after it run.
    const char* error = lua_tostring(thread, -1);
    const std::string errorText = error ? error : "";
    if (!platform::interruptRequested()) {
      Warn("Lua error: " + errorText);
      ReportLineFailure(line);
    }
    platform::debugOutput(errorText);
    lua_settop(thread, 0);
    if (thread == eventThreadSlot_.thread) RenewEventThread();
  }
}

void C_EventMain::NestedFrameUpdate() {
  if (nestedUpdates_ >= kMaxNestedFrameUpdates) return;
  // The new script's lines are not stepped past by the runner of the line that jumped.
  const bool outerLinePending = lineStepPending_;
  lineStepPending_ = false;
  ++nestedUpdates_;
  EventFrameUpdate();
  --nestedUpdates_;
  lineStepPending_ = outerLinePending;
}

void C_EventMain::SetNextLine(int32_t next) {
  // Inside a line the runner's step past it follows; a Lua script's jump is followed by none.
  lineIndex = lineStepPending_ ? next - 1 : next;
}

// ---- Translation and tags -----------------------------------------------------------------

int C_EventMain::TranslateEventScript(const std::string& fileName) {
  if (fileName.empty()) return 1;
  currentScriptFile = fileName;
  // Helpers and configuration globals are reset for every script.
  lua_State* thread = eventThreadSlot_.thread;
  if (LoadLuaFile(thread, "eventProg.lua") != 0) lua_pop(thread, 1);
  if (LoadLuaFile(thread, "globalData.lua") != 0) lua_pop(thread, 1);

  TranslationNotes notes;
  if (ReadEventScriptBytes(fileName, fileName, sourceBuffer_) == ScriptRead::NotFound) {
    lineTable.clear();
    lineNumbers.clear();
    platform::warningOutput("event script not found: " + fileName);
    return 0;
  }
  lineTable = TranslateEventSource(reinterpret_cast<const char*>(sourceBuffer_.data()), sourceBuffer_.size(), &notes);
  lineNumbers = std::move(notes.sourceLines);
  if (notes.linesCut > 0) {
    char text[128];
    std::snprintf(text, sizeof text, ": %zu line(s) longer than %zu bytes were cut\n", notes.linesCut,
                  kMaxSourceLineBytes);
    platform::debugOutput(fileName + text);
  }
  if (notes.endedInsideBlock) platform::debugOutput(fileName + ": the file ends inside a [[ block\n");
  return 0;
}

int32_t C_EventMain::FindLabel(std::string_view label) const {
  std::string wanted;
  if (!label.starts_with("*")) wanted = "*";
  wanted += label;
  for (size_t i = 0; i < lineTable.size(); ++i) {
    if (lineTable[i] == wanted) return static_cast<int32_t>(i);
  }
  return -1;
}

void C_EventMain::ExecuteTagLine(std::string_view line) {
  const TagTokens tokens = TokenizeTagLine(line);
  if (tokens.empty()) return;
  const TagEntry* tag = tagTable_.entry(tokens[0]);
  if (!tag) {
    Warn("unknown tag " + tokens[0]);
    return;
  }
  for (size_t i = 1; i < tokens.size(); ++i) {
    const std::string_view token = tokens[i];
    const std::string_view key = token.substr(0, token.find('='));
    if (AttributeKindOf(*tag, key) == 0) Warn("unknown attribute " + std::string(key) + " of tag " + tokens[0]);
  }
  tag->handler(*this, tokens);
}

std::string C_EventMain::ScriptPosition() const {
  if (currentScriptFile.empty() || !(running || luaRunning)) return {};
  if (running && lineIndex >= 0 && static_cast<size_t>(lineIndex) < lineNumbers.size())
    return currentScriptFile + ":" + std::to_string(lineNumbers[static_cast<size_t>(lineIndex)]);
  return currentScriptFile;
}

void C_EventMain::Warn(const std::string& textCp932) const { platform::warningOutput(textCp932); }

// ---- Waits ----------------------------------------------------------------------------------

void C_EventMain::Wait(int32_t durationMs) {
  waitTime = durationMs;
  runOn = false;
}

void C_EventMain::WaitClick() {
  waitClick = true;
  SetSceneState(scene::state::Still);
  runOn = false;
}

void C_EventMain::WaitKey(int32_t virtualKey) {
  waitKey = virtualKey;
  SetSceneState(scene::state::Still);
  runOn = false;
}

void C_EventMain::WaitChara() {
  waitChara = true;
  runOn = false;
}

// ---- Jumps, calls, returns, loops -----------------------------------------------------------

void C_EventMain::EndTouchCall() {
  if (drivenScene && drivenScene->eventLock) drivenScene->endTouchCall();
  clickEventLevel = -1;
}

void C_EventMain::EventJump(const std::string& file, const std::string& label) {
  // A jump to another script leaves a touch call for good.
  if (!file.empty()) EndTouchCall();
  JumpTo(file, label);
}

void C_EventMain::JumpTo(const std::string& file, const std::string& label) {
  if (file.empty()) {
    // An empty label looks for the line "*" like any other label.
    const int32_t found = FindLabel(label);
    if (found >= 0)
      SetNextLine(found);
    else
      Warn("label not found: " + label);
    return;
  }
  if (nestedJumps_ >= kMaxNestedJumps) {
    platform::debugOutput("jump to " + file + " refused: jumps nest without end\n");
    return;
  }
  scene::C_BaseScene* scene = drivenScene;
  // The arguments may live in a buffer the reset frees: keep copies.
  const std::string newFile = file;
  const std::string newLabel = label;
  ++nestedJumps_;
  ResetEventSystem();
  StartScript(newFile, newLabel, scene);
  NestedFrameUpdate();
  --nestedJumps_;
}

void C_EventMain::EventCall(const std::string& file, const std::string& label) {
  // Execution comes back to the line after the calling line.
  PushCall(lineIndex + 1);
  JumpTo(file, label);
}

void C_EventMain::PushCall(int32_t nextLine) {
  callFiles.push_back(currentScriptFile);
  callLines.push_back(nextLine);
}

void C_EventMain::Return() {
  if (drivenScene && drivenScene->eventLock && callDepth() == clickEventLevel) {
    drivenScene->endTouchCall();
    clickEventLevel = -1;
  }
  if (callFiles.empty()) return;
  // eventProg.lua runs inside the translation below, while the entry is still on the stack: a
  // Return made there would return to it again, without end.
  if (nestedJumps_ >= kMaxNestedJumps) {
    platform::debugOutput("return refused: returns nest without end\n");
    return;
  }
  const std::string file = callFiles.back();
  const int32_t nextLine = callLines.back();
  ++nestedJumps_;
  TranslateEventScript(file);
  --nestedJumps_;
  running = true;
  SetNextLine(nextLine);
  if (callFiles.empty()) return;  // emptied by a Return inside the translation
  callFiles.pop_back();
  callLines.pop_back();
}

void C_EventMain::Loop(int32_t count) {
  if (loopTop + 1 >= kLoopNestLimit) {
    platform::messageBox(CP932("ループのネストが制限数を超えています"), "ERROR", platform::mb::Ok);
    return;
  }
  ++loopTop;
  loops[loopTop] = LoopEntry{count, lineIndex};
}

void C_EventMain::EndLoop() {
  if (loopTop < 0) return;
  LoopEntry& top = loops[loopTop];
  // "Subtract one; go round again while still above 0", without overflowing at INT32_MIN.
  if (top.remaining > 1) {
    --top.remaining;
    SetNextLine(top.line + 1);
  } else {
    --loopTop;
  }
}

void C_EventMain::JumpToLabel(std::string_view label) {
  if (label.empty()) return;
  const int32_t found = FindLabel(label);
  if (found >= 0)
    SetNextLine(found);
  else
    Warn("label not found: " + std::string(label));
}

// ---- UI entry points ------------------------------------------------------------------------

void C_EventMain::PrepareEventJump(scene::C_BaseScene& scene) {
  waitTime = 0;
  waitKey = 0;
  waitClick = false;
  waitChara = false;
  resumePoint = lineIndex;
  scene.takeSnapshot();
  scene.autoTimer = -1;
  scene.setState(scene::state::Busy);
}

void C_EventMain::PrepareEventCall(scene::C_BaseScene& scene) {
  // The script waits after its waiting line (the line index is already past it): that line
  // runs again after the Return.
  PushCall(lineIndex - 1);
  PrepareEventJump(scene);
}

void C_EventMain::PrepareTouchCall(scene::C_BaseScene& scene) {
  PushCall(lineIndex - 1);
  clickEventLevel = callDepth();
  PrepareEventJump(scene);
}

void C_EventMain::StartLayerEvent(std::string_view target, scene::C_BaseScene* scene) {
  if (scriptRunning()) return;
  const size_t question = target.find('?');
  const std::string file(target.substr(0, question));
  const std::string label(question == std::string_view::npos ? std::string_view() : target.substr(question + 1));
  StartScript(file, label, scene);
}

// ---- Scenes and the 3D scene ----------------------------------------------------------------

void C_EventMain::SetNextScene(std::string_view name) {
  const int32_t id = scene::SceneIdFromName(name);
  if (id == scene::SCENE_NONE && name != "SCENE_NONE") {
    platform::messageBox(CP932("Luaスクリプトで、無効なシーン名を指定"), "ERROR:ScSetNextScene", platform::mb::Ok);
  }
  if (drivenScene) drivenScene->nextScene = id;
}

void C_EventMain::MapJump(int32_t map, double x, double y, double z) {
  mapJump = MapJumpRequest{true, map, x, y, z};
  skipOneFrame = true;
}

void C_EventMain::SetEnemy(int32_t kind, double x, double y, double z) { enemies.push_back({kind, x, y, z}); }

void C_EventMain::SetTextWindow(std::string_view type, int32_t page) {
  textWindowType = Truncated(type, kTextWindowTypeBytes + 1);
  textWindowPage = page;
}

}  // namespace script
