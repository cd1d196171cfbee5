// Lazy start and stop of the SDL subsystems the desktop platform uses.
#include "platform/sdl/SdlLibrary.h"

#include <SDL.h>

#include "platform/System.h"

namespace platform {

namespace {
bool g_started = false;
}

bool SdlLibrary::init(uint32_t subsystems) {
  if (!g_started) {
    // Interrupts are ours (they become an orderly quit through the window), and closing the
    // window must reach the engine as a close request only, never as a second quit event.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    SDL_SetHint(SDL_HINT_VIDEO_ALLOW_SCREENSAVER, "1");
  }
  if (SDL_WasInit(subsystems) == subsystems) return true;
  if (SDL_InitSubSystem(subsystems) != 0) {
    debugOutput(std::string("SDL_InitSubSystem: ") + SDL_GetError() + "\n");
    return false;
  }
  g_started = true;
  return true;
}

void SdlLibrary::quit() {
  if (!g_started) return;
  SDL_Quit();
  g_started = false;
}

}  // namespace platform
