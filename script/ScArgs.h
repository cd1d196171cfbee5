// The calling convention every Sc function follows: arguments read from the top of the stack.
#pragma once

#include <lua.hpp>

namespace script {

// A function that takes n arguments reads argument k (from 1) at index k - n - 1, so the
// last argument is always at -1 and one extra leading argument is ignored. A wrong type raises
// Lua's argument error, which longjmps out of the caller: read every argument before any
// object with a destructor exists in the binding's frame.
//
// The signature names each argument's type, one letter each: 's' string, 'i' integer,
// 'n' number, 'v' any value (read with type()). A call with fewer than n arguments raises the
// error for the first one missing, counted from the caller's side as lauxlib does (#1 = first
// argument): f(a, b) of a three-argument function blames #3 with the third one's type. Errors
// name an argument by its position in the call, so an ignored leading argument shifts them.
class ScArgs {
 public:
  ScArgs(lua_State* L, const char* signature) : L_(L), signature_(signature), count_(Length(signature)) {
    const int top = lua_gettop(L_);
    if (top < count_) Missing(top + 1);
  }

  // The stack index argument k is read at.
  int index(int k) const { return k - count_ - 1; }
  lua_Integer integer(int k) const {
    const int at = index(k);
    if (lua_isnumber(L_, at) == 0) WrongType(k, "number");
    return lua_tointeger(L_, at);
  }
  lua_Number number(int k) const {
    const int at = index(k);
    if (lua_isnumber(L_, at) == 0) WrongType(k, "number");
    return lua_tonumber(L_, at);
  }
  // A number is accepted and converted in place, as luaL_checklstring does.
  const char* string(int k, size_t* length = nullptr) const {
    const char* text = lua_tolstring(L_, index(k), length);
    if (!text) WrongType(k, "string");
    return text;
  }
  int type(int k) const { return lua_type(L_, index(k)); }
  lua_State* state() const { return L_; }

 private:
  static int Length(const char* signature) {
    int n = 0;
    while (signature[n] != '\0') ++n;
    return n;
  }
  static const char* TypeName(char letter) { return letter == 's' ? "string" : "number"; }
  // The argument's position in the call: the stack holds exactly the call's arguments.
  int Position(int k) const { return lua_gettop(L_) + index(k) + 1; }

  // The position is taken before the message is pushed onto the stack.
  [[noreturn]] void WrongType(int k, const char* expected) const {
    const int position = Position(k);
    luaL_argerror(L_, position, lua_pushfstring(L_, "%s expected, got %s", expected, luaL_typename(L_, index(k))));
    Unreachable();
  }
  [[noreturn]] void Missing(int position) const {
    const char expected = signature_[position - 1];
    luaL_argerror(
        L_, position,
        expected == 'v' ? "value expected" : lua_pushfstring(L_, "%s expected, got no value", TypeName(expected)));
    Unreachable();
  }
  [[noreturn]] static void Unreachable() { __builtin_unreachable(); }

  lua_State* L_;
  const char* signature_;
  int count_;
};

// The usual result of an Sc function: the number 0.
inline int ReturnZero(lua_State* L) {
  lua_pushnumber(L, 0);
  return 1;
}

}  // namespace script
