// Sc functions of the flag stores and the save name.
#include <string>
#include <string_view>

#include "engine/Engine.h"
#include "script/C_EventMain.h"
#include "script/ScArgs.h"
#include "script/bind/ScFunctionTables.h"

namespace script::bind {

namespace {

C_EventMain* Events() { return engine::context().eventMain; }

// The store a function works on: one fixed store, or the one the name's prefix selects.
enum class StoreChoice { Temporary, Event, System, ByPrefix };

FlagStoreId Resolve(StoreChoice choice, std::string_view name) {
  switch (choice) {
    case StoreChoice::Temporary: return FlagStoreId::Temporary;
    case StoreChoice::Event: return FlagStoreId::Event;
    case StoreChoice::System: return FlagStoreId::System;
    case StoreChoice::ByPrefix: break;
  }
  return FlagStore::StoreForName(name);
}

// (name, value): a number is stored as a number, a string as a string, anything else nothing.
template <StoreChoice choice>
int SetFlag(lua_State* L) {
  ScArgs args(L, "sv");
  size_t nameLength = 0;
  const char* name = args.string(1, &nameLength);
  const int valueType = args.type(2);
  double number = 0.0;
  const char* text = nullptr;
  size_t textLength = 0;
  if (valueType == LUA_TNUMBER) number = lua_tonumber(L, args.index(2));
  if (valueType == LUA_TSTRING) text = lua_tolstring(L, args.index(2), &textLength);
  if (C_EventMain* events = Events()) {
    const std::string_view flagName(name, nameLength);
    const FlagStoreId store = Resolve(choice, flagName);
    if (valueType == LUA_TNUMBER) events->flags.setNumber(store, flagName, number);
    if (valueType == LUA_TSTRING) events->flags.setString(store, flagName, std::string_view(text, textLength));
  }
  return ReturnZero(L);
}

template <StoreChoice choice>
int GetFlagNum(lua_State* L) {
  ScArgs args(L, "s");
  size_t nameLength = 0;
  const char* name = args.string(1, &nameLength);
  double value = 0.0;
  if (C_EventMain* events = Events()) {
    const std::string_view flagName(name, nameLength);
    value = events->flags.numberView(Resolve(choice, flagName), flagName);
  }
  lua_pushnumber(L, value);
  return 1;
}

template <StoreChoice choice>
int GetFlagStr(lua_State* L) {
  ScArgs args(L, "s");
  size_t nameLength = 0;
  const char* name = args.string(1, &nameLength);
  C_EventMain* events = Events();
  if (!events) {
    lua_pushstring(L, "");
    return 1;
  }
  const std::string_view flagName(name, nameLength);
  const std::string value = events->flags.stringView(Resolve(choice, flagName), flagName);
  lua_pushlstring(L, value.data(), value.size());
  return 1;
}

int ScSetSaveName(lua_State* L) {
  ScArgs args(L, "s");
  size_t length = 0;
  const char* name = args.string(1, &length);
  if (C_EventMain* events = Events()) events->saveName.assign(name, length);
  return ReturnZero(L);
}

}  // namespace

const ScFunction kFlagFunctions[] = {
    {"ScSetTempFlag", SetFlag<StoreChoice::Temporary>},
    {"ScGetTempFlagNum", GetFlagNum<StoreChoice::Temporary>},
    {"ScGetTempFlagStr", GetFlagStr<StoreChoice::Temporary>},
    {"ScSetEventFlag", SetFlag<StoreChoice::Event>},
    {"ScGetEventFlagNum", GetFlagNum<StoreChoice::Event>},
    {"ScGetEventFlagStr", GetFlagStr<StoreChoice::Event>},
    {"ScSetSystemFlag", SetFlag<StoreChoice::System>},
    {"ScGetSystemFlagNum", GetFlagNum<StoreChoice::System>},
    {"ScGetSystemFlagStr", GetFlagStr<StoreChoice::System>},
    {"ScSetFlag", SetFlag<StoreChoice::ByPrefix>},
    {"ScGetFlagNum", GetFlagNum<StoreChoice::ByPrefix>},
    {"ScGetFlagStr", GetFlagStr<StoreChoice::ByPrefix>},
    {"ScSetSaveName", ScSetSaveName},
    {nullptr, nullptr},
};

}  // namespace script::bind
