// The render device's start-up, the per-frame render step and device-loss recovery.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace app {

// Creates the device on the main window with its fall-back chain. False on failure (after
// its message).
bool CreateRenderDevice();

// The program object's draw: the current scene's render, then recovery of a lost device.
void RenderFrame();

// TestCooperativeLevel == D3D_OK: scenes are switched and updated only then.
bool DeviceUsable();

// Releases what CreateRenderDevice created (the program object's destroy calls it last).
void DestroyRenderDevice();

// ---- Hooks for the headless tools ----

// The device reports lost for the next frame, then not-reset, so the recovery path runs.
void SimulateDeviceLoss();

// Called in every drawn frame after the scene's render and before Present.
void SetBeforePresentHook(std::function<void()> hook);

// The back buffer as drawn so far: width x height pixels, top row first, RGBA bytes.
bool ReadBackBuffer(std::vector<uint8_t>& rgba, int& width, int& height);

}  // namespace app
