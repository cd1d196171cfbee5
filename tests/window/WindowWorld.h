// The windows inside a test process: a headless render device made by the engine's own start-up,
// the texture and sprite factories, the glyph rasteriser, the event system with its Lua host and
// (once started) the script scene; frames are stepped by hand and drawn, and what was drawn is
// read back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "gfx/Image.h"
#include "platform/headless/HeadlessPlatform.h"
#include "scene/C_SceneSandBox.h"
#include "script/C_EventMain.h"
#include "script/LuaHost.h"
#include "support/TempDir.h"
#include "window/C_WindowLayer.h"

namespace windowtest {

// Colours of the fixture's pictures (opaque).
constexpr uint32_t kFrameColour = 0xFFFFFFFFu;  // win_h.png and frame.png: white
constexpr uint32_t kCoinColour = 0xFFFF00FFu;   // cur0.png and cur1.png: magenta
constexpr uint32_t kPulseColour = 0xFF00FFFFu;  // cur10.png to cur12.png: cyan

class WindowWorld {
 public:
  WindowWorld();
  ~WindowWorld();
  WindowWorld(const WindowWorld&) = delete;
  WindowWorld& operator=(const WindowWorld&) = delete;

  // Writes a file; UTF-8 text becomes code page 932.
  void write(std::string_view name, std::string_view utf8Text);
  void picture(const std::string& name, const gfx::Image& image);

  // A message window ("MES" kind) with a 400 x 100 text area and a font of the given size, set
  // up as the Sc functions would, opened at once; not in any scene.
  static void setUpMessageWindow(window::C_WindowLayer& w, int32_t fontSize, float areaWidth = 400.0f);

  // Creates the script scene and runs its init: "0first.evt" starts.
  void start();
  // One frame: the clocks advance by deltaMs, then the scene's update and render.
  void frame(int32_t deltaMs = 17, uint32_t mouseEvents = 0);
  void frames(int count, int32_t deltaMs = 17);
  void setKey(int virtualKey, bool down) { platform_.setKey(virtualKey, down); }

  // Types the window's page as the render pass does (inside the sprite batch) with the given
  // frame length.
  static void typeFrame(window::C_WindowLayer& w, int32_t deltaMs);

  // The back buffer, or a window's text target, as 0xAARRGGBB words, top row first.
  std::vector<uint32_t> backBuffer();
  static std::vector<uint32_t> textTargetTexels(window::C_WindowLayer& w);
  // A back-buffer pixel without its alpha.
  static uint32_t rgbAt(const std::vector<uint32_t>& pixels, int32_t x, int32_t y);

  // Message boxes as "CAPTION | TEXT" in UTF-8.
  std::vector<std::string> boxes() const;

  script::C_EventMain& events() { return *events_; }
  scene::C_SceneSandBox& scene() { return *scene_; }
  lua_State* L() { return host_.scriptState; }
  gfx::Device& device();
  // Runs a Lua chunk in the script state; its error text, or empty on success.
  std::string runLua(const std::string& utf8Chunk);

 private:
  testsupport::TempDir dir_;
  testsupport::ScopedChdir cd_;
  platform::HeadlessPlatform platform_;
  script::LuaHost host_;
  script::C_EventMain* events_ = nullptr;
  scene::C_SceneSandBox* scene_ = nullptr;
};

}  // namespace windowtest
