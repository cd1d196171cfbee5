// The window procedure and the paced frame loop.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace layer {
class C_BaseObject;
}

namespace app {

// Handles one window message of the "DX" class.
void WindowProc(const platform::Message& message);

// Opens the exit confirmation of the current scene (close box and Escape).
void OpenExitConfirmation();

// Frame timers: totalMs, frameDeltaMs and frameStep (capped at 5.0) from one frame's length.
void UpdateFrameTimers(int32_t deltaMs);

// Runs one frame: the boxes posted by worker threads, updateIdle of the program, then the draw
// when the frame is on time.
void RunOneFrame(layer::C_BaseObject& program);

// Pumps messages and runs frames until Quit is retrieved; returns Quit's exit code.
int RunFrameLoop(layer::C_BaseObject& program);

}  // namespace app
