// Whether the desktop platform can open a window at all, asked before the game starts.
#pragma once

#include <string>

namespace platform {

// True when the desktop has a display to open the game's window on; otherwise false with why
// (UTF-8, for stderr).
bool desktopDisplayAvailable(std::string& why);

}  // namespace platform
