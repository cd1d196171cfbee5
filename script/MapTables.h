// The map-table queries of the 3D game scene: mapEventTable.lua run in mapTableState before each
// query, then GetMapSceneConf or GetMapEvent called for the map.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include <lua.hpp>

namespace script {

// Names are kept in 64-byte fields (63 characters).
constexpr size_t kMapFieldBytes = 64;
constexpr size_t kMapEventSlots = 32;

struct MapSceneConf {
  std::array<std::string, 2> names;
  int32_t sceneKind = 0;  // 0 -> 1, 1 -> 2, any other value -> 3
  std::array<double, 10> numbers{};
  std::array<int32_t, 2> integers{};
  int32_t count = 0;
  std::array<double, 2> extraNumbers{};
  std::array<int32_t, 3> tailIntegers{};
};

struct MapEvents {
  std::string event;                              // the map's event, when not empty
  std::array<std::string, kMapEventSlots> slots;  // "N" leaves a slot empty
};

// GetMapSceneConf(map + 1) for its 21 results. False (conf untouched) when the call fails.
bool QueryMapSceneConf(lua_State* mapTableState, int32_t map, MapSceneConf& conf);

// GetMapEvent(map + 1) for its 33 results; the number of filled slots (0 when the call fails).
int32_t QueryMapEvent(lua_State* mapTableState, int32_t map, MapEvents& events);

}  // namespace script
