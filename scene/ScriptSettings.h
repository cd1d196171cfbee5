// The script scene's configuration script, scriptSettings.lua, read for every script scene.
#pragma once

namespace scene {

class C_BaseScene;

// Fills the scene's skip and auto fields, the voice buffer range and the expression-picture
// offsets from scriptSettings.lua.
void ReadScriptSettings(C_BaseScene& scene);

}  // namespace scene
