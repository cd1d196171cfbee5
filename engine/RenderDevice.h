// The render device's start-up, the common render state, the per-frame render step with
// device-loss recovery, the debug text line and the whole-screen fade overlay.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/DebugFont.h"
#include "gfx/Device.h"
#include "gfx/SpriteBatch.h"

namespace engine {

// An effect file's bytes, kept for the 3D scene that owns their meaning.
struct Effect {
  std::string fileName;
  std::vector<uint8_t> bytes;
  void onLostDevice() {}
};

// The back-buffer set-up kept for every Reset.
struct PresentParams {
  int32_t backBufferWidth = 0;
  int32_t backBufferHeight = 0;
  bool windowed = true;
  bool autoDepthStencil = true;  // D24S8
  bool presentImmediately = true;
  // Draw and present every frame in full, even one equal to the frame shown (comparisons and
  // benchmarks of the full frame).
  bool redrawEveryFrame = false;
};

// The process-wide render objects, held by the engine context (created by CreateRenderDevice,
// released by the program object's destroy in its order).
struct RenderObjects {
  std::unique_ptr<gfx::Device> device;
  PresentParams presentParams;
  // 3 accelerated, 1 accelerated with software vertex processing, 0 the reference (software)
  // rasteriser; + 4 when the shader level the effects need is there.
  int32_t deviceLevel = 0;
  std::unique_ptr<gfx::SpriteBatch> debugSprite;
  std::unique_ptr<DebugFont> fontSlots[4];
  std::unique_ptr<Effect> lambertEffect;
  std::unique_ptr<Effect> shadowEffect;
  std::string debugText;  // written only by the 3D scene
  // Called in every drawn frame after the scene's render and before Present (headless tools).
  std::function<void()> beforePresent;
  // A simulated loss reports lost for one frame, then not-reset.
  bool lossSimulatedThisFrame = false;
  // A device readied ahead on the window made before the start-up questions were answered;
  // CreateRenderDevice takes it when the answers kept its size.
  struct Prepared {
    std::unique_ptr<gfx::Device> device;
    int32_t deviceLevel = 0;
    gfx::DeviceConfig config;
    // Releases what others made on the device, when it is dropped instead of taken.
    std::function<void()> beforeDiscard;
  } prepared;
};
// The context's render objects.
RenderObjects& renderObjects();

// Creates the device on the main window with its fall-back chain; createLayerResources makes the
// layers' device resources before the first Present. False on failure (after its message).
bool CreateRenderDevice(const std::function<void()>& createLayerResources);

// Readies the device on the window made ahead (platform::Window::prepare) at the likely back
// buffer size, shows one black frame in the hidden window and compiles the common shaders, so
// that the graphics library's first-time costs are paid while the start-up questions are up.
// Reports nothing: a failure leaves CreateRenderDevice to try again and say so.
void PrepareRenderDevice(int32_t backBufferWidth, int32_t backBufferHeight);
// Drops a device readied ahead that CreateRenderDevice did not take (before the window goes).
void DiscardPreparedRenderDevice();

// Lighting, fog and normalisation off; blending, and an alpha test that drops alpha 0; linear
// clamped sampling on stage 0. atCreation also turns the depth test on.
void SetCommonRenderState(bool atCreation);

// Takes the first empty font slot for the debug font; the slot index, or -1.
int32_t CreateDebugFont();

// The debug text line at the bottom of the screen (each 2D scene's render, after its layers).
void DrawDebugText();

// The scenes' Present: runs the before-present hook, then presents.
int32_t PresentFrame();

// ---- The program object's destroy order ----
// The four font slots and the debug sprite.
void ReleaseDebugObjects();
// The two effects, the second first.
void ReleaseEffects();
// The device itself (last).
void DestroyRenderDevice();

// ---- Hooks for the headless tools ----

// The device reports lost for the next frame, then not-reset, so the recovery path runs.
void SimulateDeviceLoss();

// Called in every drawn frame after the scene's render and before Present.
void SetBeforePresentHook(std::function<void()> hook);

// The back buffer as drawn so far: width x height pixels, top row first, RGBA bytes (alpha
// 255: the shown back buffer keeps none).
bool ReadBackBuffer(std::vector<uint8_t>& rgba, int& width, int& height);

}  // namespace engine
