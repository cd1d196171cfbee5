// Sc functions of waits, fades, flow control, scene changes and the 3D scene's requests.
#include <optional>
#include <string>

#include "engine/Engine.h"
#include "engine/ScreenFade.h"
#include "scene/C_BaseScene.h"
#include "script/C_EventMain.h"
#include "script/Comparison.h"
#include "script/ScArgs.h"
#include "script/bind/ScFunctionTables.h"

namespace script::bind {

namespace {

C_EventMain* Events() { return engine::context().eventMain; }

void TakeSnapshot(C_EventMain& events) {
  if (events.drivenScene) events.drivenScene->takeSnapshot();
}

int ScWait(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer durationMs = args.integer(1);
  if (C_EventMain* events = Events()) events->Wait(static_cast<int32_t>(durationMs));
  return lua_yield(L, 0);
}

int ScWaitClick(lua_State* L) {
  if (C_EventMain* events = Events()) {
    events->WaitClick();
    TakeSnapshot(*events);
  }
  return lua_yield(L, 0);
}

int ScWaitKey(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer key = args.integer(1);
  if (C_EventMain* events = Events()) {
    events->WaitKey(static_cast<int32_t>(key));
    TakeSnapshot(*events);
  }
  return lua_yield(L, 0);
}

template <int32_t direction>
int Fade(lua_State* L) {
  ScArgs args(L, "ii");
  const lua_Integer colour = args.integer(1);
  const lua_Integer durationMs = args.integer(2);
  engine::StartScreenFade(direction, static_cast<int32_t>(durationMs), static_cast<uint32_t>(colour));
  return ReturnZero(L);
}

// (file, label) copied out of the Lua stack: a jump empties the calling thread's stack.
template <void (C_EventMain::*operation)(const std::string&, const std::string&)>
int JumpOrCall(lua_State* L) {
  ScArgs args(L, "ss");
  size_t fileLength = 0, labelLength = 0;
  const char* file = args.string(1, &fileLength);
  const char* label = args.string(2, &labelLength);
  if (C_EventMain* events = Events()) {
    const std::string fileCopy(file, fileLength);
    const std::string labelCopy(label, labelLength);
    (events->*operation)(fileCopy, labelCopy);
  }
  return ReturnZero(L);
}

int ScReturn(lua_State* L) {
  if (C_EventMain* events = Events()) events->Return();
  return ReturnZero(L);
}

int ScLoop(lua_State* L) {
  ScArgs args(L, "i");
  const lua_Integer count = args.integer(1);
  if (C_EventMain* events = Events()) events->Loop(static_cast<int32_t>(count));
  return 0;
}

int ScEndLoop(lua_State*) {
  if (C_EventMain* events = Events()) events->EndLoop();
  return 0;
}

// A number operand, or a string one; any other type raises the string argument error.
struct RawOperand {
  bool isNumber = false;
  lua_Number number = 0;
  const char* text = nullptr;
  size_t length = 0;
};

RawOperand ReadOperand(const ScArgs& args, int k) {
  RawOperand operand;
  if (args.type(k) == LUA_TNUMBER) {
    operand.isNumber = true;
    operand.number = args.number(k);
  } else {
    operand.text = args.string(k, &operand.length);
  }
  return operand;
}

int ScCompJump(lua_State* L) {
  ScArgs args(L, "sssss");
  const RawOperand left = ReadOperand(args, 1);
  size_t opLength = 0;
  const char* op = args.string(2, &opLength);
  const RawOperand right = ReadOperand(args, 3);
  size_t trueLength = 0, falseLength = 0;
  const char* labelTrue = args.string(4, &trueLength);
  const char* labelFalse = args.string(5, &falseLength);
  C_EventMain* events = Events();
  const std::optional<CompareOp> compareOp = ParseCompareOp(std::string_view(op, opLength));
  if (events && compareOp) {
    auto operand = [](const RawOperand& raw) {
      return raw.isNumber ? CompareOperand::Number(raw.number)
                          : CompareOperand::Text(std::string_view(raw.text, raw.length));
    };
    const bool holds = CompareOperands(operand(left), *compareOp, operand(right));
    events->JumpToLabel(holds ? std::string_view(labelTrue, trueLength) : std::string_view(labelFalse, falseLength));
  }
  return ReturnZero(L);
}

int ScSetNextScene(lua_State* L) {
  ScArgs args(L, "s");
  size_t length = 0;
  const char* name = args.string(1, &length);
  if (C_EventMain* events = Events()) events->SetNextScene(std::string_view(name, length));
  return ReturnZero(L);
}

// (kind or map, x, y, z, ignored)
struct PlaceArguments {
  lua_Integer number;
  lua_Number x, y, z;
};

PlaceArguments ReadPlace(lua_State* L) {
  ScArgs args(L, "innnn");
  PlaceArguments place;
  place.number = args.integer(1);
  place.x = args.number(2);
  place.y = args.number(3);
  place.z = args.number(4);
  args.number(5);
  return place;
}

int ScMapJump(lua_State* L) {
  const PlaceArguments place = ReadPlace(L);
  if (C_EventMain* events = Events()) events->MapJump(static_cast<int32_t>(place.number), place.x, place.y, place.z);
  return ReturnZero(L);
}

int ScSetEnemy(lua_State* L) {
  const PlaceArguments place = ReadPlace(L);
  if (C_EventMain* events = Events()) events->SetEnemy(static_cast<int32_t>(place.number), place.x, place.y, place.z);
  return ReturnZero(L);
}

}  // namespace

const ScFunction kFlowFunctions[] = {
    {"ScWaitClick", ScWaitClick},
    {"ScWaitKey", ScWaitKey},
    {"ScWait", ScWait},
    {"ScFadeIn", Fade<-1>},
    {"ScFadeOut", Fade<1>},
    {"ScEventJump", JumpOrCall<&C_EventMain::EventJump>},
    {"ScEventCall", JumpOrCall<&C_EventMain::EventCall>},
    {"ScReturn", ScReturn},
    {"ScLoop", ScLoop},
    {"ScEndLoop", ScEndLoop},
    {"ScCompJump", ScCompJump},
    {"ScSetNextScene", ScSetNextScene},
    {"ScMapJump", ScMapJump},
    {"ScSetEnemy", ScSetEnemy},
    {nullptr, nullptr},
};

}  // namespace script::bind
