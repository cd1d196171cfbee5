// Lazy start and stop of the SDL subsystems the desktop platform uses.
#pragma once

#include <cstdint>

namespace platform {

class SdlLibrary {
 public:
  // Starts the given SDL_INIT_* subsystems; the first call also sets our hints. False on failure.
  static bool init(uint32_t subsystems);
  // Shuts SDL down when anything was started.
  static void quit();
};

}  // namespace platform
