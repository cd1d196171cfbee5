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

// The exit status of a run that ended before its first frame (the lock, the archives, the
// window or the render device failed; its message box has been shown).
constexpr int kStartUpFailed = 1;

// Start-up, frame loop and shutdown in the working directory. Returns 0 after the frame loop,
// kStartUpFailed when start-up failed (archive errors and consistency errors abort the process).
int RunGame(platform::Platform& platform, const RunOptions& options);

}  // namespace app
