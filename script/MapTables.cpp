// The map-table queries.
#include "script/MapTables.h"

#include <algorithm>

#include "script/LuaHost.h"

namespace script {

namespace {

std::string Field(lua_State* L, int index) {
  size_t length = 0;
  const char* text = lua_tolstring(L, index, &length);
  if (!text) return std::string();
  return std::string(text, std::min(length, kMapFieldBytes - 1));
}

// Runs the table file, then calls the named global with map + 1 for `results` results.
bool CallMapFunction(lua_State* L, const char* function, int32_t map, int results) {
  lua_settop(L, 0);
  if (LoadLuaFile(L, "mapEventTable.lua") != 0) {
    lua_settop(L, 0);
    return false;
  }
  lua_pushstring(L, function);
  lua_rawget(L, LUA_GLOBALSINDEX);
  lua_pushinteger(L, static_cast<lua_Integer>(map) + 1);
  if (lua_pcall(L, 1, results, 0) != 0) {
    lua_settop(L, 0);
    return false;
  }
  return true;
}

}  // namespace

bool QueryMapSceneConf(lua_State* L, int32_t map, MapSceneConf& conf) {
  if (!CallMapFunction(L, "GetMapSceneConf", map, 21)) return false;
  int at = 1;
  for (std::string& name : conf.names) name = Field(L, at++);
  const lua_Integer kind = lua_tointeger(L, at++);
  conf.sceneKind = kind == 0 ? 1 : kind == 1 ? 2 : 3;
  for (double& number : conf.numbers) number = lua_tonumber(L, at++);
  for (int32_t& integer : conf.integers) integer = static_cast<int32_t>(lua_tointeger(L, at++));
  conf.count = static_cast<int32_t>(lua_tointeger(L, at++));
  for (double& number : conf.extraNumbers) number = lua_tonumber(L, at++);
  for (int32_t& integer : conf.tailIntegers) integer = static_cast<int32_t>(lua_tointeger(L, at++));
  lua_settop(L, 0);
  return true;
}

int32_t QueryMapEvent(lua_State* L, int32_t map, MapEvents& events) {
  if (!CallMapFunction(L, "GetMapEvent", map, 1 + static_cast<int>(kMapEventSlots))) return 0;
  if (std::string event = Field(L, 1); !event.empty()) events.event = std::move(event);
  int32_t filled = 0;
  for (size_t i = 0; i < kMapEventSlots; ++i) {
    std::string value = Field(L, 2 + static_cast<int>(i));
    if (value == "N") continue;
    events.slots[i] = std::move(value);
    if (!events.slots[i].empty()) ++filled;
  }
  lua_settop(L, 0);
  return filled;
}

}  // namespace script
