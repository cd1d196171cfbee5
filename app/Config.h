// The two configuration scripts: globalData.lua at start-up, scriptSettings.lua per script scene.
#pragma once

namespace scene { class C_BaseScene; }

namespace app {

// Fills the screen, frame-rate and window flags of the engine context from globalData.lua.
void ReadGlobalData();

// Fills the scene's skip and auto fields, the voice buffer range and the expression-picture
// offsets from scriptSettings.lua.
void ReadScriptSettings(scene::C_BaseScene& scene);

}  // namespace app
