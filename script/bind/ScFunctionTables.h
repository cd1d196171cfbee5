// The Sc-function tables of every binding file, registered together as Lua globals.
#pragma once

#include <lua.hpp>

namespace script::bind {

struct ScFunction {
  const char* name;
  lua_CFunction function;
};

// Each binding file defines one table ending with {nullptr, nullptr}; list it here and in
// kAllTables (ScFunctionTables.cpp).
extern const ScFunction kHostFunctions[];
extern const ScFunction kFlagFunctions[];  // FlagFunctions.cpp
extern const ScFunction kFlowFunctions[];  // FlowFunctions.cpp
extern const ScFunction kSoundFunctions[];  // SoundFunctions.cpp
extern const ScFunction kPictureFunctions[];  // PictureFunctions.cpp
extern const ScFunction kWindowFunctions[];  // WindowFunctions.cpp
extern const ScFunction kWidgetFunctions[];  // WidgetFunctions.cpp

// Every table, in registration order, ending with nullptr.
extern const ScFunction* const kAllTables[];

}  // namespace script::bind
