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
