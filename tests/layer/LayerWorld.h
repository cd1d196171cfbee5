// The engine's drawing side inside a test process: a headless render device made by the
// engine's own start-up, the texture and sprite factories, pictures written to a scratch
// folder, and read-back of what was drawn.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "archive/ArchiveSet.h"
#include "engine/Engine.h"
#include "engine/RenderDevice.h"
#include "gfx/Image.h"
#include "layer/C_BaseCharaLayer.h"
#include "layer/C_Sprite.h"
#include "layer/C_SpriteFact.h"
#include "layer/C_TextureFact.h"
#include "layer/ScreenFadeOverlay.h"
#include "platform/Platform.h"
#include "support/Pictures.h"
#include "support/TempDir.h"

namespace layertest {

using testsupport::makeImage;
using testsupport::solidImage;

inline std::string hex(uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "%08X", v);
  return b;
}

inline int channel(uint32_t argb, int shift) { return int((argb >> shift) & 0xFF); }

class LayerWorld {
 public:
  explicit LayerWorld(int32_t screenWidth = 1024, int32_t screenHeight = 768) : cd_(dir_.path()) {
    engine::resetEngine();
    archive::resetArchiveSet();
    platform::clearMessageBoxLog();
    layer::C_SpriteFact::resetCountsForTests();
    layer::C_BaseLayer::resetIdCounterForTests();
    engine::Engine& e = engine::context();
    e.screenWidth = screenWidth;
    e.screenHeight = screenHeight;
    e.screenScale = float(screenWidth) / 1024.0f;
    e.windowed = true;
    dir_.write("lambart.fx", "// lambert\n");
    dir_.write("ShadowMap.fx", "// shadow map\n");
    created_ = engine::CreateRenderDevice(layer::createDeviceResources);
    EXPECT_TRUE(created_);
    e.textureFact = new layer::C_TextureFact();
    e.spriteFact = new layer::C_SpriteFact();
    e.spriteFact->init();
  }
  ~LayerWorld() {
    engine::Engine& e = engine::context();
    layer::destroyCharaRenderTarget();
    layer::C_BaseLayer::releaseQuadBuffer();
    delete e.fadeOverlay;
    e.fadeOverlay = nullptr;
    engine::ReleaseDebugObjects();
    engine::ReleaseEffects();
    delete e.textureFact;
    e.textureFact = nullptr;
    delete e.spriteFact;
    e.spriteFact = nullptr;
    engine::DestroyRenderDevice();
    engine::resetEngine();
  }
  LayerWorld(const LayerWorld&) = delete;
  LayerWorld& operator=(const LayerWorld&) = delete;

  gfx::Device& device() { return *engine::context().device; }
  const std::string& dir() const { return dir_.path(); }
  void write(const std::string& name, const std::string& bytes) { dir_.write(name, bytes); }

  // Writes the picture as a PNG file (name may use '\' like game data).
  void picture(const std::string& name, const gfx::Image& image) {
    std::vector<uint8_t> png;
    ASSERT_TRUE(gfx::encodePng(image, png));
    std::string path = name;
    for (char& c : path)
      if (c == '\\') c = '/';
    dir_.write(path, std::string(png.begin(), png.end()));
  }

  // The frame clock.
  void setNow(uint32_t ms) { engine::context().frameNow = ms; }

  // Clears the back buffer to opaque black.
  void clear(uint32_t colour = 0xFF000000u) {
    device().clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, colour, 1.0f, 0);
  }
  // The back buffer, top row first, 0xAARRGGBB (alpha not meaningful).
  std::vector<uint32_t> readBack() {
    std::vector<uint32_t> out;
    EXPECT_EQ(device().readSurface(device().getBackBuffer(), out), gfx::result::Ok);
    return out;
  }
  uint32_t pixel(const std::vector<uint32_t>& p, int32_t x, int32_t y) const {
    return p[size_t(y) * size_t(engine::context().screenWidth) + size_t(x)] & 0x00FFFFFFu;
  }

  // Box texts as "CAPTION | TEXT" in UTF-8.
  std::vector<std::string> boxes() const {
    std::vector<std::string> out;
    for (const auto& r : platform::messageBoxLog()) out.push_back(r.captionUtf8 + " | " + r.textUtf8);
    return out;
  }

 private:
  testsupport::TempDir dir_;
  testsupport::ScopedChdir cd_;
  bool created_ = false;
};

}  // namespace layertest
