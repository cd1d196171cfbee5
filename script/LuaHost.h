// The Lua host: the two long-lived states, Lua file loading, and the Sc-function registry.
#pragma once

#include <lua.hpp>

namespace script {

// The two states that live for the whole run.
class LuaHost {
 public:
  // mapTableState first, then scriptState, each with every standard library; the Sc
  // functions are registered in scriptState only.
  void create();
  // The event system is destroyed before this: mapTableState, then scriptState.
  void close();

  lua_State* scriptState = nullptr;
  lua_State* mapTableState = nullptr;
};

// A fresh state with every standard library (luaL_newstate + luaL_openlibs).
lua_State* NewStateWithLibraries();

// Loads the file called name from the archive (without a chunk name) or from the disk and
// runs it once in state with no arguments and no results. 0 on success, -1 on failure, after
// the "%s を開けませんでした。" box, the Lua error text on the debug output and on stdout.
// A failed archive view loads nothing and returns 0. The error value is left on the stack.
int LoadLuaFile(lua_State* state, const char* name);

// Registers every Sc function as a global native function of state, each behind the guard
// that turns a C++ exception into a Lua error (bind::CallGuarded).
void RegisterScriptFunctions(lua_State* state);

}  // namespace script
