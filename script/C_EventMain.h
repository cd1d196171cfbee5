// The event system: runs one script at a time (an event script line by line, or one global
// function of a Lua script as a coroutine) for the scene that drives it, with its waits, jumps,
// calls, returns, loops, the flag stores and the two Lua threads.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <lua.hpp>

#include "engine/FlagStore.h"
#include "engine/HistoryRecord.h"
#include "layer/C_BaseObject.h"
#include "script/TagLine.h"
#include "script/TagTable.h"
#include "window/PendingChoices.h"

namespace scene {
class C_BaseScene;
}

namespace script {

// Loop nesting is limited to four open loops.
constexpr int32_t kLoopNestLimit = 4;
// A Lua function name is kept in 64 bytes.
constexpr size_t kLuaFunctionBytes = 64;
// A text-window type name is kept in 7 bytes.
constexpr size_t kTextWindowTypeBytes = 7;
// Jumps to another file run the new script at once, nested inside the line that jumped. A chain
// of such jumps without a wait would nest without end: past this depth the new script starts
// at the next frame update instead.
constexpr int32_t kMaxNestedFrameUpdates = 16;
// eventProg.lua, globalData.lua and a Lua script's file run while their script starts: one that
// jumps to another file (or returns) starts a script inside that start, and so on without end.
// Jumps and returns nested deeper than this are refused.
constexpr int32_t kMaxNestedJumps = 32;
// A Lua line's waits are resumed at once; a line still waiting after this many (an endless loop
// of waits) is given up.
constexpr int32_t kMaxYieldsPerLine = 1000;
// A script that never waits (a label and a jump back to it) would keep the runner in one frame
// for good: after this many lines in one frame update the runner hands the frame back and the
// same script goes on at the next one.
constexpr int32_t kMaxLinesPerFrame = 100000;

struct LoopEntry {
  int32_t remaining = 0;  // remaining count
  int32_t line = 0;       // index of the Loop line
};

// What ScMapJump and ScSetEnemy ask of the 3D game scene, kept until that scene takes it.
struct MapJumpRequest {
  bool pending = false;
  int32_t map = 0;
  double x = 0, y = 0, z = 0;
};
struct EnemyRequest {
  int32_t kind = 0;
  double x = 0, y = 0, z = 0;
};

class C_EventMain : public layer::C_BaseObject {
 public:
  // The threads live in scriptState, which must outlive the event system.
  explicit C_EventMain(lua_State* scriptState);
  ~C_EventMain() override;
  // Creates the two threads and fills the tag table.
  void init() override;

  // ---- The runtime ----
  // Makes scene the driven scene (state 2) and starts file at label: a ".lua" file runs its
  // global function `label`; an event script is translated and runs from its label line (from
  // line 0 when the label is empty or not found).
  void StartScript(const std::string& file, const std::string& label, scene::C_BaseScene* scene);
  // Ends waits and the running script and creates both threads anew; call and loop stacks,
  // flags, the wait key and wait chara stay.
  void ResetEventSystem();
  // The per-frame step: the pending wait, then the Lua script, then event-script lines until one
  // waits. 0, or -1 after a Lua script error.
  int32_t EventFrameUpdate();
  // The player's advance from a still screen (click, skip, auto mode, key).
  void AdvanceScript();

  // ---- Preparations of the UI entry points (the scene's event slots call them, then
  // StartScript and EventFrameUpdate) ----
  // Cancels every wait, notes the resume point, takes the snapshot, state 2.
  void PrepareEventJump(scene::C_BaseScene& scene);
  // Also pushes the return position: the waiting line runs again after the Return.
  void PrepareEventCall(scene::C_BaseScene& scene);
  // As the call, and the new call depth becomes the click-event level.
  void PrepareTouchCall(scene::C_BaseScene& scene);
  // A clicked layer's "file?label" event, started only when no script runs; its lines run
  // from the next frame update.
  void StartLayerEvent(std::string_view target, scene::C_BaseScene* scene);

  // ---- Translation and tags ----
  // Reads and translates fileName into the line table; 1 without doing anything for an empty
  // name, else 0. A missing file leaves an empty table (the script then ends at once).
  int TranslateEventScript(const std::string& fileName);
  // Index of the line "*label" ("*" added when missing), or -1.
  int32_t FindLabel(std::string_view label) const;
  // Tokenizes a tag line and calls its handler; unknown tags do nothing.
  void ExecuteTagLine(std::string_view line);
  TagAttribute ReadTagAttribute(std::string_view token) const { return script::ReadTagAttribute(flags, token); }
  TagTable& tagTable() { return tagTable_; }

  // ---- Operations of the Sc functions and tags ----
  void Wait(int32_t durationMs);
  // Wait for the player; the scene goes still (state::Still).
  void WaitClick();
  void WaitKey(int32_t virtualKey);
  // Wait until the scene is still (nothing animates, no fade).
  void WaitChara();
  // file not empty: the current script ends and file starts at label at once. Empty: a jump to
  // label inside the current script (no jump when it is not found).
  void EventJump(const std::string& file, const std::string& label);
  // As the jump, after pushing the return position (the line after the calling line).
  void EventCall(const std::string& file, const std::string& label);
  // Back to the top of the call stack; nothing when it is empty.
  void Return();
  void Loop(int32_t count);
  void EndLoop();
  // The comparisons' jump inside the current script; an empty or unknown label does not move.
  void JumpToLabel(std::string_view label);
  // The scene-change request; an unknown name shows its message and gives -1.
  void SetNextScene(std::string_view name);
  void MapJump(int32_t map, double x, double y, double z);
  void SetEnemy(int32_t kind, double x, double y, double z);
  // Makes (type, page) the window that receives text lines; the type keeps 7 bytes.
  void SetTextWindow(std::string_view type, int32_t page);

  // ---- Queries ----
  bool scriptRunning() const { return running || luaRunning; }
  // Any wait pending (time, click, key or chara).
  bool waiting() const { return waitTime > 0 || waitClick || (waitKey != 0 && waitKey != -1) || waitChara; }
  int32_t callDepth() const { return static_cast<int32_t>(callFiles.size()); }
  lua_State* scriptState() const { return scriptState_; }
  lua_State* currentEventThread() const { return eventThreadSlot_.thread; }
  lua_State* currentLuaScriptThread() const { return luaScriptThreadSlot_.thread; }

  // ---- Run state ----
  scene::C_BaseScene* drivenScene = nullptr;
  bool running = false;
  int32_t lineIndex = -1;
  bool runOn = false;
  int32_t waitTime = 0;  // ms
  bool waitClick = false;
  int32_t waitKey = 0;  // virtual-key code; 0 or -1 when none
  bool waitChara = false;
  bool skipOneFrame = false;
  std::string luaFunction;
  bool luaRunning = false;
  LoopEntry loops[kLoopNestLimit];
  int32_t loopTop = -1;
  // The call stack: for each entry the file to return to and the line that runs next.
  std::vector<std::string> callFiles;
  std::vector<int32_t> callLines;
  int32_t clickEventLevel = -1;
  int32_t resumePoint = 0;
  std::string saveName;
  std::string currentScriptFile;
  std::string textWindowType = "MES";
  int32_t textWindowPage = 0;
  std::vector<std::string> lineTable;
  // Per line-table entry: its line in the script's source, counted from 1.
  std::vector<uint32_t> lineNumbers;
  FlagStore flags;
  MapJumpRequest mapJump;
  std::vector<EnemyRequest> enemies;
  // The pages the message windows showed, for the history window.
  HistoryRecord history;
  // The choices gathered by ScAddSelect until ScCommitSelect hands them to a selection window.
  window::PendingChoices pendingChoices;

 private:
  struct ThreadSlot {
    lua_State* thread = nullptr;
    int ref = LUA_NOREF;  // keeps the thread alive in scriptState's registry
  };

  ThreadSlot NewThread();
  // Keeps a replaced thread referenced until no line or Lua script runs any more.
  void RetireThread(ThreadSlot& slot);
  void ReleaseRetiredThreads();
  void RenewEventThread();
  void RenewLuaScriptThread();

  void RunLines();
  void ExecuteLine(int32_t index, bool& endFlag);
  void RunLuaLine(const std::string& line);
  void ReportLineFailure(const std::string& line);
  // "FILE:LINE" of the line being run ("FILE" when it has no number; empty with no script).
  std::string ScriptPosition() const;
  // A [warning] line (platform::warningOutput) for what the runner passes over without a box.
  void Warn(const std::string& textCp932) const;
  void EndScript();
  // The touch call in progress is over (its script ended or a jump replaced it): event starts
  // are allowed again.
  void EndTouchCall();
  // EventJump without ending a touch call (the call's own jump).
  void JumpTo(const std::string& file, const std::string& label);
  void RunLuaScriptStep(int32_t& result);
  // EventFrameUpdate of a script started by a jump inside a running line, within the nesting
  // limit.
  void NestedFrameUpdate();
  void PushCall(int32_t nextLine);
  // Makes `next` the next line to run, whether a line of the runner is executing (the runner then
  // steps past it) or a Lua script jumps.
  void SetNextLine(int32_t next);
  void SetSceneState(int32_t state);

  lua_State* scriptState_;
  ThreadSlot eventThreadSlot_;
  ThreadSlot luaScriptThreadSlot_;
  std::vector<int> retiredThreadRefs_;
  int32_t activeResumes_ = 0;     // lua_resume calls in progress
  int32_t nestedUpdates_ = 0;     // EventFrameUpdate calls made by jumps inside lines
  int32_t nestedJumps_ = 0;       // jumps to another file and returns still in progress
  bool lineStepPending_ = false;  // a line of the runner is executing; the runner steps past it
  uint32_t resetCount_ = 0;       // ResetEventSystem calls: a running line sees its script replaced
  std::vector<uint8_t> sourceBuffer_;
  TagTable tagTable_;
};

}  // namespace script
