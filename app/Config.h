// The start-up configuration script globalData.lua (scriptSettings.lua: scene/ScriptSettings.h).
#pragma once

#include "scene/ScriptSettings.h"

namespace app {

using scene::ConfigKey;
// globalData.lua's keys, in the order they are read.
extern const ConfigKey kGlobalDataKeys[7];

// Fills the screen, frame-rate and window flags of the engine context from globalData.lua.
void ReadGlobalData();

}  // namespace app
