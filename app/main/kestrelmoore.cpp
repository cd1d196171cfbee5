// The game executable: plays the game in its working directory on the desktop platform.
#include <cstdio>
#include <string>

#include "app/StartUp.h"
#include "platform/DesktopDisplay.h"
#include "platform/Platform.h"
#include "platform/System.h"

int main() {
  std::unique_ptr<platform::Platform> desktop = platform::createDesktopPlatform();
  // Without a display the game would run on without a window: say so and stop.
  if (std::string why; !platform::desktopDisplayAvailable(why)) {
    std::fprintf(stderr,
                 "kestrelmoore: cannot open the game's window: %s; run it on a desktop (DISPLAY or "
                 "WAYLAND_DISPLAY), or play it headless with kmtool play\n",
                 why.c_str());
    return 1;
  }
  app::RunOptions options;
  options.lockFilePath = platform::desktopLockPath("Kestrelmoore");
  return app::RunGame(*desktop, options);
}
