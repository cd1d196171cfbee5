// The map-table queries: mapEventTable.lua run before each query, results read in order.
#include <gtest/gtest.h>

#include <string>

#include "ScriptWorld.h"
#include "engine/Engine.h"
#include "script/MapTables.h"

namespace {

using scripttest::ScriptWorld;

TEST(MapTables, SceneConfAndEventsAreReadInOrder) {
  ScriptWorld world;
  world.write("mapEventTable.lua",
              "calls = (calls or 0) + 1\n"
              "function GetMapSceneConf(m)\n"
              "  return 'map' .. m, string.rep('n', 80), m - 2, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14.5, 15.5,"
              " 16, 17, 18\n"
              "end\n"
              "function GetMapEvent(m)\n"
              "  if m == 9 then error('no such map') end\n"
              "  return 'ev' .. m, 'a', 'N', '', 'b'\n"
              "end\n");
  lua_State* L = engine::context().lua->mapTableState;
  const struct {
    int map;
    int kind;
  } kinds[] = {{1, 1}, {2, 2}, {0, 3}, {5, 3}};
  for (const auto& k : kinds) {
    script::MapSceneConf conf;
    ASSERT_TRUE(script::QueryMapSceneConf(L, k.map, conf)) << k.map;
    EXPECT_EQ(conf.sceneKind, k.kind) << k.map;
    EXPECT_EQ(conf.names[0], "map" + std::to_string(k.map + 1));
    EXPECT_EQ(conf.names[1], std::string(63, 'n'));
    EXPECT_EQ(conf.numbers[0], 1);
    EXPECT_EQ(conf.numbers[9], 10);
    EXPECT_EQ(conf.integers[1], 12);
    EXPECT_EQ(conf.count, 13);
    EXPECT_EQ(conf.extraNumbers[1], 15.5);
    EXPECT_EQ(conf.tailIntegers[2], 18);
  }
  script::MapEvents events;
  EXPECT_EQ(script::QueryMapEvent(L, 3, events), 2);
  EXPECT_EQ(events.event, "ev4");
  EXPECT_EQ(events.slots[0], "a");
  EXPECT_EQ(events.slots[1], "");
  EXPECT_EQ(events.slots[3], "b");
  // A failing call uses nothing; the table file ran again before every query.
  script::MapEvents untouched;
  EXPECT_EQ(script::QueryMapEvent(L, 8, untouched), 0);
  EXPECT_EQ(untouched.event, "");
  lua_getfield(L, LUA_GLOBALSINDEX, "calls");
  EXPECT_EQ(lua_tointeger(L, -1), 6);
  lua_settop(L, 0);
}

TEST(MapTables, MissingTableFileFailsTheQuery) {
  ScriptWorld world;
  script::MapSceneConf conf;
  EXPECT_FALSE(script::QueryMapSceneConf(engine::context().lua->mapTableState, 0, conf));
  ASSERT_EQ(world.boxes().size(), 1u);
  EXPECT_EQ(world.boxes()[0], "ERROR | mapEventTable.lua を開けませんでした。");
}

}  // namespace
