// The entry point's start-up sequence, frame loop and shutdown, on a given platform.
#pragma once

#include <functional>
#include <string>

#include "platform/Platform.h"

namespace app {

struct RunOptions {
  // The single-instance lock file.
  std::string lockFilePath;
  // Called once the render and audio devices exist and before the program object's init
  // (kmtool: screenshots, simulated device loss, audio capture). False ends the run.
  std::function<bool()> onDeviceCreated;
};

// Start-up to shutdown in the working directory. Returns 0 in every case in which it returns
// (archive errors and consistency errors abort the process).
int RunGame(platform::Platform& platform, const RunOptions& options);

}  // namespace app
