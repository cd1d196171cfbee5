// The start-up configuration script globalData.lua (scriptSettings.lua: scene/ScriptSettings.h).
#pragma once

namespace app {

// Fills the screen, frame-rate and window flags of the engine context from globalData.lua.
void ReadGlobalData();

}  // namespace app
