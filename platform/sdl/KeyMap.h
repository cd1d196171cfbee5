// Windows virtual-key codes for SDL keys, both ways.
#pragma once

#include <SDL.h>

namespace platform {

// The virtual-key code a key event carries (0 for keys the engine has no code for). Letters
// and digits follow the keyboard layout, as Windows virtual-key codes do.
int virtualKeyFromSdl(const SDL_Keysym& key);

// GetAsyncKeyState: the key (or mouse button 1, 2, 4, 5, 6) is down now.
bool virtualKeyDown(int virtualKey);

}  // namespace platform
