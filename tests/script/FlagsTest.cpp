// Flag stores through the Sc functions: views, store separation, the prefix rule, setter types.
#include <gtest/gtest.h>

#include <string>

#include "ScriptWorld.h"

namespace {

using scripttest::ScriptWorld;

// Runs a chunk and returns the value of the global `r` as a string ("nil" when not set).
std::string Eval(ScriptWorld& world, const std::string& chunk) {
  lua_State* L = world.L();
  lua_pushnil(L);
  lua_setfield(L, LUA_GLOBALSINDEX, "r");
  if (luaL_dostring(L, chunk.c_str()) != 0) {
    std::string error = lua_tostring(L, -1);
    lua_settop(L, 0);
    return "error: " + error;
  }
  lua_getfield(L, LUA_GLOBALSINDEX, "r");
  std::string result = lua_isnil(L, -1) ? "nil" : lua_type(L, -1) == LUA_TNUMBER ? "n:" : "s:";
  if (!lua_isnil(L, -1)) result += lua_tostring(L, -1);
  lua_settop(L, 0);
  return result;
}

TEST(Flags, ViewsStoresAndPrefixRule) {
  ScriptWorld world;
  const struct {
    const char* chunk;
    const char* result;
  } cases[] = {
      {"ScSetFlag('T_x', 5) r = ScGetFlagStr('T_x')", "s:5.000000"},
      {"ScSetFlag('T_x', 'abc') r = ScGetFlagNum('T_x')", "n:0"},
      {"r = ScGetFlagStr('T_x')", "s:abc"},
      {"ScSetFlag('E_done', 1) r = ScGetEventFlagNum('E_done')", "n:1"},
      {"r = ScGetTempFlagNum('E_done')", "n:0"},
      {"ScSetTempFlag('x', '2.5') r = ScGetTempFlagNum('x')", "n:2.5"},
      {"ScSetTempFlag('E_a', 1) r = ScGetFlagNum('E_a')", "n:0"},
      {"r = ScGetTempFlagNum('E_a')", "n:1"},
      {"ScSetSystemFlag('S_v', 'text') r = ScGetFlagStr('S_v')", "s:text"},
      {"r = ScGetSystemFlagNum('S_missing')", "n:0"},
      {"r = ScGetEventFlagStr('E_missing')", "s:"},
      {"ScSetFlag('T_n', '5') r = ScGetFlagStr('T_n')", "s:5"},
      {"r = ScSetFlag('T_n', nil)", "n:0"},
      {"ScSetFlag('T_n', true) r = ScGetFlagStr('T_n')", "s:5"},
      {"ScSetFlag(12, 3) r = ScGetFlagNum('12')", "n:3"},
      {"ScSetFlag('T_big', 1e20) r = ScGetFlagStr('T_big')", "s:100000000000000000000.000000"},
      {"r = ScGetFlagNum('ignored', 'T_n')", "n:5"},
  };
  for (const auto& c : cases) { EXPECT_EQ(Eval(world, c.chunk), c.result) << c.chunk; }
}

TEST(Flags, WrongArgumentsRaiseLuaErrors) {
  ScriptWorld world;
  for (const char* chunk : {"ScSetFlag({}, 1)", "ScGetFlagNum()", "ScGetFlagStr(nil)", "ScSetTempFlag()"}) {
    const std::string result = Eval(world, chunk);
    EXPECT_NE(result.find("bad argument"), std::string::npos) << chunk << " -> " << result;
  }
}

TEST(Flags, EngineSetterTakesOnlyKnownPrefixes) {
  script::FlagStore flags;
  EXPECT_TRUE(flags.setEngineNumber("T_CLICK_EVENT_PAGE_NO", 2));
  EXPECT_TRUE(flags.setEngineNumber("E_x", 3));
  EXPECT_TRUE(flags.setEngineNumber("S_x", 4));
  EXPECT_FALSE(flags.setEngineNumber("x", 5));
  EXPECT_EQ(flags.numberView("T_CLICK_EVENT_PAGE_NO"), 2);
  EXPECT_EQ(flags.numberView(script::FlagStoreId::Event, "E_x"), 3);
  EXPECT_EQ(flags.numberView(script::FlagStoreId::System, "S_x"), 4);
  EXPECT_EQ(flags.numberView("x"), 0);
}

TEST(Flags, SurviveJumpsAndScriptEnds) {
  ScriptWorld world;
  world.write("0first.evt", "ScSetFlag('E_keep', 7)\nScEventJump('b.evt', '')\n");
  world.write("b.evt", "Mark(ScGetFlagStr('E_keep'))\n");
  world.start();
  EXPECT_EQ(world.markTexts(), "7.000000");
  EXPECT_FALSE(world.events().running);
  EXPECT_EQ(world.events().flags.numberView("E_keep"), 7);
}

}  // namespace
