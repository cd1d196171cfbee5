// The engine context: the process-wide values and the single-instance engine objects, kept
// together with an explicit lifetime instead of scattered globals.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "engine/Owned.h"
#include "engine/RenderDevice.h"
#include "gfx/Device.h"
#include "gfx/SpriteBatch.h"

namespace platform {
class Platform;
}
namespace gfx {
class Device;
}
namespace audio {
class Device;
}
namespace script {
class LuaHost;
class C_EventMain;
}  // namespace script
namespace layer {
class C_TextureFact;
class C_SpriteFact;
class C_BaseCharaLayer;
class C_Sprite;
}  // namespace layer
namespace sound {
class C_SoundPlayer;
}
namespace text {
class GlyphRasterizer;
}
namespace app {
class C_GameProg;
}
namespace scene {
class C_BaseScene;
}

namespace engine {

// Row-major D3D-style 4x4 matrix (row vectors).
struct Matrix4 {
  float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};

// The pad record: ten values built fresh every frame from keyboard and joystick.
struct PadRecord {
  std::array<int32_t, 10> v{};
};

// Mouse values: positions relative to the screen centre (y down) and the frame's events.
struct MouseState {
  int32_t cursorX = 0, cursorY = 0;
  int32_t previousCursorX = 0, previousCursorY = 0;
  uint32_t mouseEvents = 0;  // bit 0 left down, 1 left up, 3 right down, 4 right up, 6/7 middle, 9 wheel
  bool leftHeld = false;
  // The frame's wheel turns: 120 per notch, positive away from the player (up).
  int32_t wheelDelta = 0;
};

namespace mouse {
constexpr uint32_t LeftDown = 1u << 0;
constexpr uint32_t LeftUp = 1u << 1;
constexpr uint32_t RightDown = 1u << 3;
constexpr uint32_t RightUp = 1u << 4;
constexpr uint32_t MiddleDown = 1u << 6;
constexpr uint32_t MiddleUp = 1u << 7;
constexpr uint32_t Wheel = 1u << 9;
}  // namespace mouse

// The whole-screen fade; StepScreenFade advances it, DrawScreenFade draws the overlay.
struct ScreenFade {
  int32_t fadeDirection = 0;  // 0 none, -1 fading in from the colour, 1 fading out to it
  int32_t fadeDuration = 0;   // ms
  int32_t fadeRemaining = 0;  // ms
  bool fadeStarted = false;
  bool fadeVisible = false;
  uint32_t fadeColour = 0;  // 24-bit RGB
};

struct Engine {
  // ---- Process-wide values ----
  int32_t screenWidth = 800, screenHeight = 600;
  float screenAspect = 4.0f / 3.0f;
  float screenScale = 1.0f;  // screenWidth / 1024
  int32_t frameInterval = 17;
  bool useSolid = true, alwaysOnTop = false, runWhenInactive = false;
  bool windowed = false;
  // The window is shown with the first frame the scene draws (until then it is hidden).
  bool windowShown = false;
  uint32_t frameCounter = 0;
  uint32_t lastFrameTime = 0;
  uint32_t frameNow = 0;  // the frame clock, read once per frame after updateIdle
  int32_t frameDeltaMs = 0;
  int32_t totalMs = 0;
  float frameStep = 1.0f;
  uint16_t cursorId = 0;  // 0 hides the pointer
  Matrix4 matrices3d[4];

  MouseState mouse;
  ScreenFade fade;
  // Offsets of expression pictures for names containing "st00".."st14".
  std::array<std::array<int32_t, 2>, 15> charaDiffPos{};

  // ---- The machine underneath (owned by the entry point) ----
  platform::Platform* platform = nullptr;
  gfx::Device* device = nullptr;
  audio::Device* audioDevice = nullptr;

  // ---- Shared engine objects, for their readers; not owned here ----
  // The program object (set while it exists).
  app::C_GameProg* gameProg = nullptr;
  // The program object's services own these (app/Services.h): each is set when made in its init
  // and cleared when destroyed at exit. Tests point them at objects of their own.
  script::LuaHost* lua = nullptr;
  script::C_EventMain* eventMain = nullptr;
  layer::C_TextureFact* textureFact = nullptr;
  layer::C_SpriteFact* spriteFact = nullptr;
  sound::C_SoundPlayer* soundPlayer = nullptr;
  layer::C_BaseCharaLayer* fadeOverlay = nullptr;
  // The scene the program object runs now (nullptr between scenes), for the script bindings.
  scene::C_BaseScene* currentScene = nullptr;
  // Makes the windows' fonts; it lives from start-up to exit.
  text::GlyphRasterizer* glyphRasterizer = nullptr;

  // ---- Process-wide render objects, owned here; members are destroyed in reverse order ----
  // The device, its debug font and sprite, the effects (engine/RenderDevice.h).
  RenderObjects render;
  // The one sprite batch every layer draws through (made by the sprite factory's init).
  std::unique_ptr<gfx::SpriteBatch> spriteBatch;
  int32_t spriteFactConstructions = 0, spriteFactInits = 0;
  // The layers' shared quad.
  gfx::VertexBufferPtr quadBuffer;
  int32_t nextLayerId = 1;
  // The character render target and the target and depth surface it replaced while in use.
  Owned<layer::C_Sprite> charaTarget;
  bool charaTargetReady = false;
  gfx::SurfacePtr savedTarget, savedDepth;
};

// The one engine context of the process. A single accessor rather than a parameter: layers,
// windows and script bindings read the frame clock, the device and the factories deep inside
// virtual slots and Lua callbacks whose signatures are fixed, where a threaded context would
// only be passed along unread.
Engine& context();
// Puts every value back to its start value (tests that run the engine more than once).
void resetEngine();

}  // namespace engine
