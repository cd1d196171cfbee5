// The engine context: the process-wide values and the single-instance engine objects, kept
// together with an explicit lifetime instead of scattered globals.
#pragma once

#include <array>
#include <cstdint>

namespace platform { class Platform; }
namespace gfx { class Device; }
namespace audio { class Device; }
namespace script { class LuaHost; class C_EventMain; }
namespace layer { class C_TextureFact; class C_SpriteFact; class C_BaseCharaLayer; class C_Sprite; }
namespace sound { class C_SoundPlayer; }
namespace text { class GlyphRasterizer; }
namespace app { class C_GameProg; }

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

  // ---- Shared engine objects (created by C_GameProg::init, destroyed by its destroy) ----
  app::C_GameProg* gameProg = nullptr;
  script::LuaHost* lua = nullptr;
  script::C_EventMain* eventMain = nullptr;
  layer::C_TextureFact* textureFact = nullptr;
  layer::C_SpriteFact* spriteFact = nullptr;
  sound::C_SoundPlayer* soundPlayer = nullptr;
  layer::C_BaseCharaLayer* fadeOverlay = nullptr;
  // Makes the windows' fonts (what GDI is to the original: there from start to exit).
  text::GlyphRasterizer* glyphRasterizer = nullptr;
};

// The one engine context of the process.
Engine& context();
// Puts every value back to its start value (tests that run the engine more than once).
void resetEngine();

}  // namespace engine
