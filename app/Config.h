// The two configuration scripts: globalData.lua at start-up, scriptSettings.lua per script scene.
#pragma once

namespace scene { class C_BaseScene; }

namespace app {

// A configuration key and the Lua type its script must give it (LUA_TNUMBER, LUA_TBOOLEAN,
// LUA_TTABLE).
struct ConfigKey {
  const char* name;
  int luaType;
};
// globalData.lua's keys, in the order they are read.
extern const ConfigKey kGlobalDataKeys[7];
// scriptSettings.lua's keys, in the order they are read.
extern const ConfigKey kScriptSettingsKeys[10];

// Fills the screen, frame-rate and window flags of the engine context from globalData.lua.
void ReadGlobalData();

// Fills the scene's skip and auto fields, the voice buffer range and the expression-picture
// offsets from scriptSettings.lua.
void ReadScriptSettings(scene::C_BaseScene& scene);

}  // namespace app
