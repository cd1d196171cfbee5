// Sc functions of the history window: open it while the scene waits for the player, close it.
#include "engine/Engine.h"
#include "script/C_EventMain.h"
#include "script/ScArgs.h"
#include "script/bind/ScFunctionTables.h"
#include "window/SceneHistory.h"

namespace script::bind {

namespace {

int ScOpenHistory(lua_State* L) {
  C_EventMain* events = engine::context().eventMain;
  if (events && events->drivenScene) window::OpenHistory(*events->drivenScene, events->history);
  return ReturnZero(L);
}

int ScCloseHistory(lua_State* L) {
  C_EventMain* events = engine::context().eventMain;
  if (events && events->drivenScene) window::CloseHistory(*events->drivenScene);
  return ReturnZero(L);
}

}  // namespace

const ScFunction kHistoryFunctions[] = {
    {"ScOpenHistory", ScOpenHistory},
    {"ScCloseHistory", ScCloseHistory},
    {nullptr, nullptr},
};

}  // namespace script::bind
