// The calling convention every Sc function follows: arguments read from the top of the stack.
#pragma once

#include <lua.hpp>

namespace script {

// A function that takes n arguments reads argument k (from 1) at index k - n - 1, so the
// last argument is always at -1 and one extra leading argument is ignored. A wrong type raises
// Lua's argument error, which longjmps out of the caller: read every argument before any
// object with a destructor exists in the binding's frame.
class ScArgs {
 public:
  ScArgs(lua_State* L, int count) : L_(L), count_(count) {}

  // With fewer arguments than expected, a missing one reads as "no value" (the standard argument
  // error) instead of a slot below the call, which may lie outside the thread's stack.
  int index(int k) const {
    const int fromTop = k - count_ - 1;
    const int top = lua_gettop(L_);
    return -fromTop <= top ? fromTop : top + 1;
  }
  lua_Integer integer(int k) const { return luaL_checkinteger(L_, index(k)); }
  lua_Number number(int k) const { return luaL_checknumber(L_, index(k)); }
  const char* string(int k, size_t* length = nullptr) const { return luaL_checklstring(L_, index(k), length); }
  int type(int k) const { return lua_type(L_, index(k)); }
  lua_State* state() const { return L_; }

 private:
  lua_State* L_;
  int count_;
};

// The usual result of an Sc function: the number 0.
inline int ReturnZero(lua_State* L) {
  lua_pushnumber(L, 0);
  return 1;
}

}  // namespace script
