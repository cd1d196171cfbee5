// Reading scriptSettings.lua: type checks, conversions, destinations.
#include "scene/ScriptSettings.h"

#include "engine/Engine.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "scene/C_BaseScene.h"
#include "script/LuaHost.h"
#include "sound/C_SoundPlayer.h"

namespace scene {

namespace {

void ShowReadError(const char* utf8Text) {
  platform::messageBox(platform::utf8ToCp932(utf8Text), CP932("Lua読み込みエラー"), platform::mb::Ok);
}

}  // namespace

void ReadScriptSettings(scene::C_BaseScene& scene) {
  engine::Engine& e = engine::context();
  lua_State* L = script::NewStateWithLibraries();
  script::LoadLuaFile(L, "scriptSettings.lua");
  lua_settop(L, 0);

  static const char* const kKeys[] = {
      "g_Scr_IsSkipMode",        "g_Scr_IsSkipWaitTime",    "g_Scr_IsAutoMode",
      "g_Scr_AutoModeTime_FAST", "g_Scr_AutoModeTime_MID",  "g_Scr_AutoModeTime_SLOW",
      "g_Scr_IsAutoModeTimeType", "g_Scr_SoundBufFirst",    "g_Scr_SoundBufEnd",
  };
  for (const char* key : kKeys) lua_getfield(L, LUA_GLOBALSINDEX, key);
  for (int slot = 1; slot <= 9; ++slot) {
    const bool ok = slot <= 3 ? lua_type(L, slot) == LUA_TBOOLEAN : lua_isnumber(L, slot) != 0;
    if (!ok) {
      ShowReadError("scriptSettings.lua の値が正しく取得できませんでした");
      break;
    }
  }
  scene.skip = lua_toboolean(L, 1) != 0;
  scene.skipWaitTime = lua_toboolean(L, 2) != 0;
  scene.autoMode = lua_toboolean(L, 3) != 0;
  scene.autoTimes[0] = static_cast<int32_t>(lua_tointeger(L, 4));
  scene.autoTimes[1] = static_cast<int32_t>(lua_tointeger(L, 5));
  scene.autoTimes[2] = static_cast<int32_t>(lua_tointeger(L, 6));
  scene.autoTimeType = static_cast<int32_t>(lua_tointeger(L, 7));
  if (sound::C_SoundPlayer* player = e.soundPlayer) {
    player->voiceFirst = static_cast<int32_t>(lua_tointeger(L, 8));
    player->voiceEnd = static_cast<int32_t>(lua_tointeger(L, 9));
  }
  lua_settop(L, 0);

  lua_getfield(L, LUA_GLOBALSINDEX, "g_CharaDiffPos");
  if (lua_type(L, -1) != LUA_TTABLE) {
    ShowReadError("scriptSettings.lua の値が正しく取得できませんでした");
  } else {
    // Values go alternately to x and y of pair 0, 1, 2, ...; a list longer than the 15 pairs
    // has its surplus ignored (the table has no room for it).
    int index = 0;
    lua_pushnil(L);
    while (lua_next(L, -2) != 0) {
      if (index < 30) e.charaDiffPos[index / 2][index % 2] = static_cast<int32_t>(lua_tointeger(L, -1));
      ++index;
      lua_pop(L, 1);
    }
  }

  scene.autoTimer = -1;
  // An auto-time type outside 0..2 would index past the table: it keeps the FAST entry.
  const int32_t type = scene.autoTimeType;
  scene.activeAutoTime = scene.autoTimes[(type >= 0 && type <= 2) ? type : 0];
  lua_settop(L, 0);
  lua_close(L);
}

}  // namespace scene
