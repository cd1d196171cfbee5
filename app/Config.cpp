// Reading globalData.lua: type checks, conversions, destinations.
#include "app/Config.h"

#include "engine/Engine.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "script/LuaHost.h"

namespace app {

namespace {

void ShowReadError(const char* utf8Text) {
  platform::messageBox(platform::utf8ToCp932(utf8Text), CP932("Lua読み込みエラー"), platform::mb::Ok);
}

}  // namespace

const ConfigKey kGlobalDataKeys[7] = {
    {"g_Lua_ScreenWidth", LUA_TNUMBER},
    {"g_Lua_ScreenHeight", LUA_TNUMBER},
    {"g_Lua_Aspect", LUA_TNUMBER},
    {"g_Lua_FrameRate", LUA_TNUMBER},
    {"g_Lua_UseSolid", LUA_TNUMBER},
    {"g_Lua_EnableAlwaysMostTop", LUA_TNUMBER},
    {"g_Lua_EnableWhenNotActive", LUA_TNUMBER},
};

void ReadGlobalData() {
  engine::Engine& e = engine::context();
  lua_State* L = script::NewStateWithLibraries();
  script::LoadLuaFile(L, "globalData.lua");
  lua_settop(L, 0);

  for (const ConfigKey& key : kGlobalDataKeys) lua_getfield(L, LUA_GLOBALSINDEX, key.name);
  for (int slot = -7; slot <= -1; ++slot) {
    if (!lua_isnumber(L, slot)) {
      ShowReadError("globalData.lua の値が正しく取得できませんでした");
      break;
    }
  }
  e.screenWidth = static_cast<int32_t>(lua_tointeger(L, 1));
  e.screenHeight = static_cast<int32_t>(lua_tointeger(L, 2));
  // The third value, the aspect, is only type-checked: the aspect is always width / height.
  e.frameInterval = lua_tointeger(L, 4) == 60 ? 17 : 34;
  e.useSolid = lua_tointeger(L, 5) != 0;
  e.alwaysOnTop = lua_tointeger(L, 6) != 0;
  e.runWhenInactive = lua_tointeger(L, 7) != 0;
  if (e.screenWidth != 1024) e.screenScale = static_cast<float>(e.screenWidth) * (1.0f / 1024.0f);
  lua_settop(L, 0);
  lua_close(L);
}

}  // namespace app
