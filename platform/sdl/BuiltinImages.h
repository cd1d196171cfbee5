// The window icon (resource 102) and the two cursors (103, 104), drawn in code.
#pragma once

#include <SDL.h>

namespace platform {

// Each returns nullptr when SDL cannot make the object; the caller frees what it gets.
SDL_Surface* createWindowIcon();
SDL_Cursor* createArrowCursor();    // 103: the normal pointer
SDL_Cursor* createPointerCursor();  // 104: the hand over clickable characters

}  // namespace platform
