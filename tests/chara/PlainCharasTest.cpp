// Backgrounds and plain characters in the script scene, the screen fade overlay and a simulated
// device loss running the scenes' handlers.
#include <gtest/gtest.h>

#include "app/C_GameProg.h"
#include "app/RenderFrame.h"
#include "chara/PlainCharas.h"
#include "engine/ScreenFade.h"
#include "layer/LayerWorld.h"
#include "layer/ScreenFadeOverlay.h"
#include "scene/C_SceneSandBox.h"

namespace {

using namespace layertest;

TEST(PlainCharas, BackgroundAndCharacterPlacement) {
  LayerWorld world;
  world.picture("bg.png", solidImage(1024, 768, 0xFF202020u));
  world.picture("c.png", solidImage(10, 20, 0xFFFFFFFFu));
  scene::C_BaseScene scene;
  chara::SetBackground(scene, "bg.png", -1, -1, 0, 0, 0, 0);
  ASSERT_TRUE(scene.background);
  EXPECT_FLOAT_EQ(scene.background->currentPicture().scaleX, 1.0f);
  EXPECT_FLOAT_EQ(scene.background->currentPicture().scaleY, 1.0f);
  chara::ReSizeBackground(scene, 512, 384);
  EXPECT_FLOAT_EQ(scene.background->currentPicture().scaleX, 0.5f);

  // Page 3 with no character yet: one new character (page 0), then page 3 again makes page 1.
  chara::SetPlainChara(scene, 3, "c.png", 10, 20, 0);
  chara::SetPlainChara(scene, 3, "c.png", 10, 20, 0);
  EXPECT_EQ(scene.plainCharas.size(), 2u);
  EXPECT_EQ(chara::FindPlainChara(scene, 2), nullptr);
  chara::SetPlainChara(scene, -1, "c.png", 0, 0, 0);
  EXPECT_EQ(scene.plainCharas.size(), 2u);

  // Puts and sizes are scaled with the screen, moves are not.
  engine::context().screenScale = 0.78125f;
  chara::PutPlainChara(scene, 0, 100, 0);
  EXPECT_FLOAT_EQ(scene.plainCharas[0]->currentPicture().x, 78.125f);
  chara::ReScalePlainChara(scene, 0, 2, 2);
  EXPECT_FLOAT_EQ(scene.plainCharas[0]->currentPicture().scaleX, 1.5625f);
  chara::MovePlainCharaReset(scene, 0);
  chara::MovePlainCharaAdd(scene, 0, false, 100, 0, 1, 1, 0);
  chara::MovePlainCharaSet(scene, 0);
  scene.plainCharas[0]->update(0);
  EXPECT_FLOAT_EQ(scene.plainCharas[0]->currentPicture().x, 100.0f);
  // Operations on a page that does not exist do nothing.
  chara::PutPlainChara(scene, 7, 1, 1);
  chara::DeletePlainChara(scene, 7, 0);
}

TEST(PlainCharas, ANewPictureCrossFadesAndADeletedOneIsNeitherDrawnNorHit) {
  LayerWorld world;
  world.picture("a.png", solidImage(16, 16, 0xFFFF0000u));
  world.picture("b.png", solidImage(16, 16, 0xFF0000FFu));
  scene::C_BaseScene scene;
  world.setNow(0);
  chara::SetPlainChara(scene, 0, "a.png", 0, 0, 0);
  bool taken = false;
  chara::UpdatePlainCharas(scene, taken);
  chara::SetPlainChara(scene, 0, "b.png", 0, 0, 100);
  chara::UpdatePlainCharas(scene, taken);  // the fade is stamped at 0
  world.setNow(50);
  EXPECT_EQ(chara::UpdatePlainCharas(scene, taken), 1);
  auto draw = [&] {
    world.clear();
    gfx::SpriteBatch& batch = *layer::spriteBatch();
    batch.begin(gfx::spriteflag::AlphaBlend);
    chara::DrawPlainCharas(scene);
    batch.end();
    return world.pixel(world.readBack(), 512, 384);
  };
  // The old picture stays opaque under the new one until the fade ends.
  const uint32_t mid = draw();
  EXPECT_NEAR(channel(mid, 16), 128, 2) << hex(mid);
  EXPECT_NEAR(channel(mid, 0), 127, 2) << hex(mid);
  world.setNow(100);
  EXPECT_EQ(chara::UpdatePlainCharas(scene, taken), 0);
  EXPECT_EQ(draw(), 0x0000FFu);

  // Deleted: alpha 0, not drawn, not hit, picture kept.
  layer::C_BaseCharaLayer& c = *scene.plainCharas[0];
  c.mouseEnabled = true;
  chara::DeletePlainChara(scene, 0, 0);
  chara::UpdatePlainCharas(scene, taken);
  EXPECT_EQ(draw(), 0u);
  engine::context().mouse.mouseEvents = engine::mouse::LeftUp;
  EXPECT_EQ(c.handleMouse(), 0);
  EXPECT_STREQ(c.getPictureName(), "b.png");
}

TEST(PlainCharas, TheFrontMostTakesTheClickAndComesToTheFront) {
  LayerWorld world;
  world.picture("c.png", solidImage(20, 20, 0xFFFFFFFFu));
  scene::C_BaseScene scene;
  for (int i = 0; i < 3; ++i) {
    chara::SetPlainChara(scene, i, "c.png", float(i * 5), 0, 0);
    scene.plainCharas.back()->mouseEnabled = true;
  }
  layer::C_BaseCharaLayer* first = scene.plainCharas[0].get();
  layer::C_BaseCharaLayer* last = scene.plainCharas[2].get();
  engine::MouseState& m = engine::context().mouse;
  bool none = false;
  chara::UpdatePlainCharas(scene, none);  // the 0 ms fades bring them in
  EXPECT_FALSE(none);
  m.cursorX = 2;
  m.cursorY = 0;
  m.mouseEvents = engine::mouse::LeftUp;
  bool taken = false;
  chara::UpdatePlainCharas(scene, taken);
  EXPECT_TRUE(taken);
  EXPECT_EQ(scene.plainCharas.back().get(), last) << "the front-most (last drawn) took it";
  // Only the first one is under the mouse here: it comes to the front.
  m.cursorX = -9;
  taken = false;
  chara::UpdatePlainCharas(scene, taken);
  EXPECT_TRUE(taken);
  EXPECT_EQ(scene.plainCharas.back().get(), first);
}

// Steps the screen fade one 17 ms frame and returns the overlay's alpha as drawn.
int fadeFrame() {
  engine::context().frameDeltaMs = 17;
  engine::StepScreenFade();
  layer::DrawScreenFade();
  return int(engine::context().fadeOverlay->currentPicture().colour >> 24);
}

TEST(ScreenFade, AlphaAtChosenFramesAndTheCoverLeftBehind) {
  LayerWorld world;
  world.picture("white.png", solidImage(32, 32, 0xFFFFFFFFu));
  engine::Engine& e = engine::context();
  e.fadeOverlay = new layer::C_BaseCharaLayer();
  e.fadeOverlay->setPicture("white.png", nullptr, false);

  // Fading in over 170 ms from blue: 153/170 of 255 after one frame, then down to hidden.
  engine::StartScreenFade(-1, 170, 0x0000FF);
  EXPECT_EQ(fadeFrame(), 229);  // 153 / 170 * 255 = 229.5
  for (int i = 0; i < 5; ++i) fadeFrame();
  EXPECT_EQ(fadeFrame(), 76);  // 51 / 170 * 255 = 76.5
  fadeFrame();
  fadeFrame();
  EXPECT_TRUE(e.fade.fadeVisible);
  fadeFrame();  // 0 left: hidden
  EXPECT_FALSE(e.fade.fadeVisible);

  // A fade-out of 0 ms finishes in the next frame and leaves the screen covered.
  engine::StartScreenFade(1, 0, 0x00FF00);
  world.clear();
  EXPECT_EQ(fadeFrame(), 255);
  EXPECT_EQ(e.fade.fadeDirection, 0);
  EXPECT_TRUE(e.fade.fadeVisible);
  const auto p = world.readBack();
  EXPECT_EQ(world.pixel(p, 0, 0), 0x00FF00u);
  EXPECT_EQ(world.pixel(p, 1023, 767), 0x00FF00u);
  EXPECT_EQ(world.pixel(p, 512, 384), 0x00FF00u);
  // Fading out over 100 ms: 17 / 100 of 255.
  engine::StartScreenFade(1, 100, 0xFF0000);
  EXPECT_EQ(fadeFrame(), 43);  // 43.35
  // A 0 ms fade-in uncovers at once.
  engine::StartScreenFade(-1, 0, 0);
  fadeFrame();
  EXPECT_FALSE(e.fade.fadeVisible);
}

class CountingScene : public scene::C_SceneSandBox {
 public:
  int32_t render() override {
    ++renders;
    return scene::C_SceneSandBox::render();
  }
  void onDeviceLost() override {
    ++lost;
    scene::C_SceneSandBox::onDeviceLost();
  }
  void onDeviceReset() override {
    ++resets;
    scene::C_SceneSandBox::onDeviceReset();
  }
  int renders = 0, lost = 0, resets = 0;
};

TEST(DeviceLoss, TheScenesHandlersRunAndFramesResume) {
  LayerWorld world;
  auto* prog = new app::C_GameProg();
  auto* scene = new CountingScene();
  prog->currentScene.reset(scene);
  engine::context().currentScene = scene;

  app::RenderFrame();
  EXPECT_EQ(scene->renders, 1);
  EXPECT_TRUE(scene->captureSurface);
  engine::SimulateDeviceLoss();
  EXPECT_FALSE(app::DeviceUsable());
  app::RenderFrame();  // lost: nothing drawn
  EXPECT_EQ(scene->renders, 1);
  EXPECT_EQ(scene->lost, 0);
  EXPECT_FALSE(app::DeviceUsable());  // now not-reset
  world.device().simulateResetFailures(5);
  app::RenderFrame();  // five failed attempts: tried again next frame
  EXPECT_EQ(scene->lost, 1);
  EXPECT_EQ(scene->resets, 0);
  EXPECT_FALSE(layer::charaRenderTarget()) << "the scene gave the character target back";
  app::RenderFrame();
  EXPECT_EQ(scene->lost, 2);
  EXPECT_EQ(scene->resets, 1);
  EXPECT_TRUE(app::DeviceUsable());
  EXPECT_TRUE(layer::charaRenderTargetReady());
  // The common state is back.
  EXPECT_EQ(world.device().getRenderState(gfx::RenderState::AlphaTestEnable), 1u);
  EXPECT_EQ(world.device().getRenderState(gfx::RenderState::Lighting), 0u);
  app::RenderFrame();
  EXPECT_EQ(scene->renders, 2);
  delete prog;
}

}  // namespace
