// The Sc-function tables of every binding file, registered together as Lua globals.
#pragma once

#include <cstddef>

#include <lua.hpp>

namespace script::bind {

struct ScFunction {
  const char* name;
  lua_CFunction function;
};

// Each binding file defines one table ending with {nullptr, nullptr}; list it here and in
// kAllTables (ScFunctionTables.cpp).
extern const ScFunction kHostFunctions[];
extern const ScFunction kFlagFunctions[];        // FlagFunctions.cpp
extern const ScFunction kFlowFunctions[];        // FlowFunctions.cpp
extern const ScFunction kSoundFunctions[];       // SoundFunctions.cpp
extern const ScFunction kPictureFunctions[];     // PictureFunctions.cpp
extern const ScFunction kWindowFunctions[];      // WindowFunctions.cpp
extern const ScFunction kSolidFunctions[];       // SolidFunctions.cpp
extern const ScFunction kSolidEventFunctions[];  // SolidEventFunctions.cpp
extern const ScFunction kWidgetFunctions[];      // WidgetFunctions.cpp
extern const ScFunction kHistoryFunctions[];     // HistoryFunctions.cpp

// Every table, in registration order, ending with nullptr.
extern const ScFunction* const kAllTables[];

// The function Lua gets for the Sc function at `position` in registration order (counted over
// every table of kAllTables from 0): it calls the table's function through CallGuarded.
// nullptr past the last one. Registering these instead of the table's functions puts every
// binding, present and future, behind the guard.
lua_CFunction GuardedScFunction(size_t position);

// Calls f.function; a C++ exception it throws becomes a Lua error "<name>: <what>" raised once
// the catch block has been left, since a Lua error longjmps and must not skip the exception's
// clean-up. A Lua error or yield of the function passes through unchanged.
int CallGuarded(lua_State* L, const ScFunction& f);

}  // namespace script::bind
