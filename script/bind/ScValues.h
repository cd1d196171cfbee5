// Numbers and the scene as the picture and character bindings take them from a script.
#pragma once

#include <cstdint>

#include <lua.hpp>

namespace scene {
class C_BaseScene;
}

namespace script::bind {

// An index or a whole number from the script, saturated to 32 bits.
inline int32_t SaturatedInt(lua_Integer v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(v);
}

inline float Num(lua_Number v) { return static_cast<float>(v); }

// A time given as a number, truncated towards zero from the script's own value (not from a float
// that may already have rounded it up); out of range or not a number, it saturates or is 0.
inline int32_t Truncated(lua_Number v) {
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(v);
}

// The scene the running script drives, or the current scene when it drives none.
scene::C_BaseScene* ScriptScene();

}  // namespace script::bind
