// The render device's start-up: its level, the effects it needs, the common state, and the
// superseded picture entry points with their warning.
#include <gtest/gtest.h>

#include "LayerWorld.h"
#include "layer/ScreenFadeOverlay.h"

namespace {

using namespace layertest;

TEST(RenderDevice, StartsWithTheEffectsAndTheCommonState) {
  LayerWorld world;
  const engine::RenderObjects& r = engine::renderObjects();
  EXPECT_TRUE(r.deviceLevel & 4) << "OpenGL 3.3 offers the shader level of the effects";
  EXPECT_EQ(r.deviceLevel & 3, world.device().info().softwareRasteriser ? 0 : 3);
  ASSERT_TRUE(r.lambertEffect);
  EXPECT_EQ(std::string(r.lambertEffect->bytes.begin(), r.lambertEffect->bytes.end()), "// lambert\n");
  ASSERT_TRUE(r.shadowEffect);
  gfx::Device& d = world.device();
  EXPECT_EQ(d.getRenderState(gfx::RenderState::Lighting), 0u);
  EXPECT_EQ(d.getRenderState(gfx::RenderState::AlphaBlendEnable), 1u);
  EXPECT_EQ(d.getRenderState(gfx::RenderState::AlphaTestEnable), 1u);
  EXPECT_EQ(d.getRenderState(gfx::RenderState::AlphaFunc), gfx::cmp::Greater);
  EXPECT_EQ(d.getRenderState(gfx::RenderState::CullMode), gfx::cull::CCW);
  EXPECT_EQ(d.getRenderState(gfx::RenderState::StencilEnable), 1u);
  // Blending is on but its factors are still the device's ONE / ZERO until someone sets them.
  EXPECT_EQ(d.getRenderState(gfx::RenderState::SrcBlend), gfx::blend::One);
  EXPECT_EQ(d.state().minFilter, gfx::texf::Linear);
  EXPECT_EQ(d.state().addressU, gfx::taddress::Clamp);
  EXPECT_TRUE(layer::charaRenderTargetReady());
  // The first frame shows black.
  EXPECT_EQ(world.pixel(world.readBack(), 10, 10), 0u);
}

TEST(RenderDevice, AMissingEffectEndsTheStartUpWithTwoMessages) {
  testsupport::TempDir dir;
  testsupport::ScopedChdir cd(dir.path());
  engine::resetEngine();
  archive::resetArchiveSet();
  platform::clearMessageBoxLog();
  engine::context().screenWidth = 64;
  engine::context().screenHeight = 48;
  dir.write("lambart.fx", "x");
  EXPECT_FALSE(engine::CreateRenderDevice(layer::createDeviceResources));
  const auto& log = platform::messageBoxLog();
  ASSERT_EQ(log.size(), 2u);
  for (const auto& box : log) {
    EXPECT_EQ(box.textUtf8, "シェーダーファイル読み込み失敗");
    EXPECT_EQ(box.captionUtf8, "");
  }
  engine::DestroyRenderDevice();
}

// A device readied while the start-up questions are up is taken only when the answers kept its
// back buffer; otherwise a new one is made and the readied one is gone before it.
TEST(RenderDevice, TakesTheDeviceReadiedAheadOnlyAtTheSizeTheAnswersChose) {
  struct Case {
    const char* name;
    int32_t preparedWidth, preparedHeight;
    bool taken;
  };
  const Case cases[] = {{"same size", 64, 48, true}, {"low-spec answer", 80, 60, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::TempDir dir;
    testsupport::ScopedChdir cd(dir.path());
    dir.write("lambart.fx", "// lambert\n");
    dir.write("ShadowMap.fx", "// shadow\n");
    engine::resetEngine();
    archive::resetArchiveSet();
    platform::clearMessageBoxLog();
    engine::PrepareRenderDevice(c.preparedWidth, c.preparedHeight);
    engine::RenderObjects& r = engine::renderObjects();
    ASSERT_TRUE(r.prepared.device);
    const gfx::Device* prepared = r.prepared.device.get();
    engine::context().screenWidth = 64;
    engine::context().screenHeight = 48;
    ASSERT_TRUE(engine::CreateRenderDevice(layer::createDeviceResources));
    EXPECT_FALSE(r.prepared.device) << "nothing is left readied";
    ASSERT_TRUE(engine::context().device);
    // A new device may reuse the readied one's address: its back buffer tells them apart.
    if (c.taken) { EXPECT_EQ(engine::context().device, prepared); }
    EXPECT_EQ(engine::context().device->backBufferWidth(), 64);
    EXPECT_EQ(engine::context().device->backBufferHeight(), 48);
    EXPECT_TRUE(r.deviceLevel & 4);
    EXPECT_TRUE(platform::messageBoxLog().empty());
    // The taken device starts like any other: common state set, a black frame.
    EXPECT_EQ(engine::context().device->getRenderState(gfx::RenderState::AlphaFunc), gfx::cmp::Greater);
    engine::DestroyRenderDevice();
  }
}

TEST(RenderDevice, SupersededPictureEntryPointsWarnAndWork) {
  LayerWorld world;
  world.picture("obj\\img\\tipSquare.png", solidImage(4, 4, 0xFFFFFFFFu));
  layer::C_BaseCharaLayer l;
  platform::clearMessageBoxLog();
  l.setPresetPicture(2, false);
  l.createBlankPicture(16, 8, true);
  const auto boxes = world.boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0], "警告 | この関数は呼ばれたくない");
  EXPECT_EQ(boxes[1], "警告 | この関数は呼ばれたくない");
  EXPECT_STREQ(l.getPictureName(), "obj\\img\\tipSquare.png");
  EXPECT_EQ(l.currentPicture().presetIndex, 2);
  ASSERT_TRUE(l.currentPicture().texture);
  const layer::PictureSlot& blank = l.otherPicture();
  ASSERT_TRUE(blank.texture);
  EXPECT_EQ(blank.texture->usage() & gfx::usage::RenderTarget, gfx::usage::RenderTarget);
  EXPECT_TRUE(blank.blankDepth);
  EXPECT_EQ(blank.width, 16);
  EXPECT_FALSE(blank.sharedTexture);
}

}  // namespace
