// The list of Sc-function tables that RegisterScriptFunctions walks, and the guard between Lua
// and every Sc function.
#include "script/bind/ScFunctionTables.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <utility>
#include <vector>

namespace script::bind {

const ScFunction* const kAllTables[] = {
    kHostFunctions,  kFlagFunctions,       kFlowFunctions,   kSoundFunctions,   kPictureFunctions, kWindowFunctions,
    kSolidFunctions, kSolidEventFunctions, kWidgetFunctions, kHistoryFunctions, nullptr,
};

int CallGuarded(lua_State* L, const ScFunction& f) {
  char what[256];
  try {
    return f.function(L);
  } catch (const std::exception& e) { std::snprintf(what, sizeof what, "%s", e.what()); } catch (...) {
    std::snprintf(what, sizeof what, "unknown C++ exception");
  }
  lua_pushfstring(L, "%s: %s", f.name, what);
  return lua_error(L);
}

namespace {

// Every Sc function in registration order.
const std::vector<const ScFunction*>& Registered() {
  static const std::vector<const ScFunction*> functions = [] {
    std::vector<const ScFunction*> all;
    for (const ScFunction* const* table = kAllTables; *table; ++table)
      for (const ScFunction* f = *table; f->name; ++f) all.push_back(f);
    return all;
  }();
  return functions;
}

// One plain C function per registration position, so that each Sc global stays a C function
// without upvalues while the guard knows which binding it stands for.
template <size_t Position>
int GuardedAt(lua_State* L) {
  return CallGuarded(L, *Registered()[Position]);
}

template <size_t... Positions>
constexpr std::array<lua_CFunction, sizeof...(Positions)> MakeGuards(std::index_sequence<Positions...>) {
  return {&GuardedAt<Positions>...};
}

// Room for every Sc function of the game with a margin; Registered() outgrowing it stops the
// program at start-up (GuardedScFunction).
constexpr auto kGuards = MakeGuards(std::make_index_sequence<256>{});

}  // namespace

lua_CFunction GuardedScFunction(size_t position) {
  const size_t count = Registered().size();
  if (count > kGuards.size()) {
    std::fprintf(stderr, "%zu Sc functions, room for %zu guarded ones\n", count, kGuards.size());
    std::abort();
  }
  return position < count ? kGuards[position] : nullptr;
}

}  // namespace script::bind
