// The script scene's configuration script, scriptSettings.lua, read for every script scene.
#pragma once

namespace scene {

class C_BaseScene;

// A configuration key and the Lua type its script must give it (LUA_TNUMBER, LUA_TBOOLEAN,
// LUA_TTABLE).
struct ConfigKey {
  const char* name;
  int luaType;
};
// scriptSettings.lua's keys, in the order they are read.
extern const ConfigKey kScriptSettingsKeys[10];

// Fills the scene's skip and auto fields, the voice buffer range and the expression-picture
// offsets from scriptSettings.lua.
void ReadScriptSettings(C_BaseScene& scene);

}  // namespace scene
