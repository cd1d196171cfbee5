// The game executable: plays the game in its working directory on the desktop platform.
#include "app/StartUp.h"
#include "platform/Platform.h"
#include "platform/System.h"

int main() {
  std::unique_ptr<platform::Platform> desktop = platform::createDesktopPlatform();
  app::RunOptions options;
  options.lockFilePath = platform::desktopLockPath("Kestrelmoore");
  return app::RunGame(*desktop, options);
}
