// The in-process windows, device and script scene of the window tests.
#include "WindowWorld.h"

#include "archive/ArchiveSet.h"
#include "engine/Engine.h"
#include "engine/RenderDevice.h"
#include "engine/ScreenFade.h"
#include "layer/C_BaseLayer.h"
#include "layer/C_Sprite.h"
#include "layer/C_SpriteFact.h"
#include "layer/C_TextureFact.h"
#include "layer/ScreenFadeOverlay.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "script/ScriptStepHooks.h"
#include "support/Pictures.h"
#include "text/GlyphRasterizer.h"

namespace windowtest {

WindowWorld::WindowWorld() : cd_(dir_.path()), platform_(platform::HeadlessOptions{false, false, false, false}) {
  engine::resetEngine();
  archive::resetArchiveSet();
  platform::clearMessageBoxLog();
  layer::C_SpriteFact::resetCountsForTests();
  layer::C_BaseLayer::resetIdCounterForTests();
  engine::Engine& e = engine::context();
  e.platform = &platform_;
  e.screenWidth = 1024;
  e.screenHeight = 768;
  e.screenScale = 1.0f;
  e.windowed = true;
  dir_.write("lambart.fx", "// lambert\n");
  dir_.write("ShadowMap.fx", "// shadow map\n");
  write("eventProg.lua", "-- helpers\n");
  write("globalData.lua", "-- globals\n");
  write("scriptSettings.lua",
        "g_Scr_IsSkipMode = false\ng_Scr_IsSkipWaitTime = false\ng_Scr_IsAutoMode = false\n"
        "g_Scr_AutoModeTime_FAST = 1000\ng_Scr_AutoModeTime_MID = 2000\ng_Scr_AutoModeTime_SLOW = 3000\n"
        "g_Scr_IsAutoModeTimeType = 0\ng_Scr_SoundBufFirst = 10\ng_Scr_SoundBufEnd = 20\ng_CharaDiffPos = { 0, 0 }\n");
  picture("win_h.png", testsupport::solidImage(63, 63, kFrameColour));
  picture("frame.png", testsupport::solidImage(32, 32, kFrameColour));
  picture("white.bmp", testsupport::solidImage(32, 32, 0xFFFFFFFFu));  // the selection window's highlight bar
  picture("cur0.png", testsupport::solidImage(32, 32, kCoinColour));
  picture("cur1.png", testsupport::solidImage(32, 32, kCoinColour));
  for (const char* name : {"cur10.png", "cur11.png", "cur12.png"})
    picture(name, testsupport::solidImage(32, 32, kPulseColour));
  EXPECT_TRUE(engine::CreateRenderDevice(layer::createDeviceResources));
  e.textureFact = new layer::C_TextureFact();
  e.spriteFact = new layer::C_SpriteFact();
  e.spriteFact->init();
  e.glyphRasterizer = text::GlyphRasterizer::create().release();
  host_.create();
  e.lua = &host_;
  events_ = new script::C_EventMain(host_.scriptState);
  events_->init();
  e.eventMain = events_;
}

WindowWorld::~WindowWorld() {
  engine::Engine& e = engine::context();
  if (scene_) {
    scene_->release();
    delete scene_;
  }
  delete events_;
  e.eventMain = nullptr;
  host_.close();
  layer::destroyCharaRenderTarget();
  layer::C_BaseLayer::releaseQuadBuffer();
  engine::ReleaseDebugObjects();
  engine::ReleaseEffects();
  delete e.glyphRasterizer;
  delete e.textureFact;
  delete e.spriteFact;
  e.glyphRasterizer = nullptr;
  e.textureFact = nullptr;
  e.spriteFact = nullptr;
  engine::DestroyRenderDevice();
  engine::resetEngine();
  archive::resetArchiveSet();
  script::scriptStepHooks() = script::ScriptStepHooks{};
}

void WindowWorld::write(std::string_view name, std::string_view utf8Text) {
  dir_.write(name, platform::utf8ToCp932(utf8Text));
}

void WindowWorld::picture(const std::string& name, const gfx::Image& image) {
  std::vector<uint8_t> png;
  ASSERT_TRUE(gfx::encodePng(image, png));
  dir_.write(name, png);
}

void WindowWorld::setUpMessageWindow(window::C_WindowLayer& w, int32_t fontSize, float areaWidth) {
  w.setPicture("frame.png", nullptr, false);
  w.setWindow(window::kind::Message, 500, 160, 0.0f, 0.0f, false, false);
  w.setTextArea(20.0f, 20.0f, 20.0f + areaWidth, 120.0f);
  w.setFont(0, fontSize, platform::utf8ToCp932("ＭＳ ゴシック").c_str(), 400);
  w.open(0);
}

void WindowWorld::start() {
  scene_ = new scene::C_SceneSandBox();
  scene_->init();
}

void WindowWorld::frame(int32_t deltaMs, uint32_t mouseEvents) {
  engine::Engine& e = engine::context();
  e.frameDeltaMs = deltaMs;
  e.frameNow += uint32_t(deltaMs);
  e.totalMs += deltaMs;
  e.mouse.mouseEvents = mouseEvents;
  engine::PadRecord pad;
  scene_->update(&pad);
  engine::StepScreenFade();
  e.mouse.mouseEvents = 0;
  scene_->render();
}

void WindowWorld::frames(int count, int32_t deltaMs) {
  for (int i = 0; i < count; ++i) frame(deltaMs);
}

void WindowWorld::typeFrame(window::C_WindowLayer& w, int32_t deltaMs) {
  engine::context().frameDeltaMs = deltaMs;
  gfx::SpriteBatch* batch = layer::spriteBatch();
  batch->begin(gfx::spriteflag::AlphaBlend);
  w.runRenderer();
  batch->end();
}

gfx::Device& WindowWorld::device() { return *engine::context().device; }

std::vector<uint32_t> WindowWorld::backBuffer() {
  std::vector<uint32_t> out;
  EXPECT_EQ(device().readSurface(device().getBackBuffer(), out), gfx::result::Ok);
  return out;
}

std::vector<uint32_t> WindowWorld::textTargetTexels(window::C_WindowLayer& w) {
  std::vector<uint32_t> out;
  gfx::Device& d = *engine::context().device;
  EXPECT_TRUE(w.textTarget && w.textTarget->texture);
  if (w.textTarget && w.textTarget->texture) d.readSurface(w.textTarget->texture->surfaceLevel(0), out);
  return out;
}

uint32_t WindowWorld::rgbAt(const std::vector<uint32_t>& pixels, int32_t x, int32_t y) {
  return pixels[size_t(y) * size_t(engine::context().screenWidth) + size_t(x)] & 0x00FFFFFFu;
}

std::vector<std::string> WindowWorld::boxes() const {
  std::vector<std::string> out;
  for (const platform::MessageBoxRecord& r : platform::messageBoxLog())
    out.push_back(r.captionUtf8 + " | " + r.textUtf8);
  return out;
}

std::string WindowWorld::runLua(const std::string& utf8Chunk) {
  lua_State* L = host_.scriptState;
  const std::string chunk = platform::utf8ToCp932(utf8Chunk);
  if (luaL_loadstring(L, chunk.c_str()) != 0 || lua_pcall(L, 0, 0, 0) != 0) {
    std::string error = lua_tostring(L, -1) ? lua_tostring(L, -1) : "?";
    lua_pop(L, 1);
    return error;
  }
  return {};
}

}  // namespace windowtest
