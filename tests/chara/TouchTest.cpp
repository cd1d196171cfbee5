// Touching solid characters and event pictures: the hit test against picture and click map,
// the result bits of a press and a release, and the event picture's layers.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "chara/C_SolidCharaLayer.h"
#include "chara/C_SolidEventLayer.h"
#include "chara/SolidCharas.h"
#include "chara/TouchFixtures.h"
#include "layer/LayerWorld.h"
#include "scene/C_BaseScene.h"

namespace {

using namespace layertest;

using touchtest::BmpFile;
using touchtest::Quad;

class TouchWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    world = std::make_unique<LayerWorld>();
    // The left half opaque, the right half transparent.
    world->picture("half.png",
                   makeImage(64, 64, [](int32_t x, int32_t) { return x < 32 ? 0xFFFF0000u : 0x00000000u; }));
    // Bottom row no region; top row regions 2, 2, 1, 1.
    world->write("half_c.bmp", BmpFile(4, 2, 8, {0, 0, 0, 0, 2, 2, 1, 1}));
    world->write("half.txt", Quad(0.25f, "half.png"));
    world->picture("ev.png", solidImage(64, 64, 0xFF0000FFu));
    world->write("ev.txt", Quad(0.5f, "ev.png"));
    world->picture("ev_l1.png", solidImage(16, 16, 0xFF00FF00u));
    world->write("ev_l1_c.bmp", BmpFile(1, 1, 8, {1, 0, 0, 0}));
    world->write("ev_l1.txt", Quad(0.1f, "ev_l1.png"));
    engine::context().frameInterval = engine::context().frameDeltaMs = 17;
    world->setNow(1000);
  }
  void TearDown() override {
    engine::context().mouse = engine::MouseState{};
    scene.solidEvent.reset();
    scene.solidOrder.clear();
    scene.solidCharas.clear();
    world.reset();
  }
  // One frame of the scene's solid update with the mouse at (x, y) from the screen centre.
  bool frame(int32_t x, int32_t y, uint32_t events) {
    engine::MouseState& m = engine::context().mouse;
    m.previousCursorX = m.cursorX, m.previousCursorY = m.cursorY;
    m.cursorX = x, m.cursorY = y, m.mouseEvents = events;
    world->setNow(engine::context().frameNow + 17);
    bool taken = false;
    chara::UpdateSolidCharas(scene, taken, false);
    return taken;
  }

  std::unique_ptr<LayerWorld> world;
  scene::C_BaseScene scene;
};

TEST_F(TouchWorld, HitTestWeighsPictureAlphaClickMapAndAutoShake) {
  chara::InitSceneSolidChara(scene, 1);
  chara::SetSolidChara(scene, 0, "half.txt", 0, 0, 0, 0, false, nullptr, 0, 0);
  frame(1000, 1000, 0);
  chara::C_SolidCharaLayer& c = *scene.solidCharas[0];
  struct Case {
    const char* label;
    int32_t x, y;
    int32_t hit;
  };
  const Case cases[] = {
      {"opaque texel, region 0: on the picture", -64, 64, 0},
      {"transparent texel, region 0: off the picture", 64, 64, -1},
      {"region 2 on an opaque texel", -64, -64, 2},
      {"region 1 counts on a transparent texel too", 64, -64, 1},
      {"beside the mesh", 200, 0, -1},
  };
  for (const Case& k : cases) {
    EXPECT_EQ(c.HitTest(float(k.x), float(k.y)), k.hit) << k.label;
    if (k.hit > 0) {
      EXPECT_NEAR(c.hitU, k.x < 0 ? 0.25f : 0.75f, 0.01f) << k.label;
      EXPECT_NEAR(c.hitV, 0.75f, 0.01f) << k.label;
    } else {
      EXPECT_EQ(c.hitU, -1.0f) << k.label;
    }
  }
  // A mesh that shakes by itself has no regions: at most "on the picture".
  chara::SetAutoShake(scene, 0, 1000, 10, 1.57f);
  EXPECT_EQ(c.HitTest(-64, -64), 0);
  EXPECT_EQ(c.HitTest(64, -64), -1);
  EXPECT_EQ(c.hitU, -1.0f);
}

TEST_F(TouchWorld, PressAndReleaseOnARegionReportUnlessATouchEventRuns) {
  chara::InitSceneSolidChara(scene, 1);
  chara::SetSolidChara(scene, 0, "half.txt", 0, 0, 0, 0, false, nullptr, 0, 0);
  frame(1000, 1000, 0);
  chara::C_SolidCharaLayer& c = *scene.solidCharas[0];
  struct Case {
    const char* label;
    int32_t x, y;
    uint32_t events;
    bool locked;
    int32_t result;
    int32_t cursor;
  };
  const Case cases[] = {
      {"press on region 2", -64, -64, engine::mouse::LeftDown, false, 1, 104},
      {"release on region 2", -64, -64, engine::mouse::LeftUp, false, 2, 104},
      {"press on the picture outside regions", -64, 64, engine::mouse::LeftDown, false, 0, 103},
      {"right press on the picture", -64, 64, engine::mouse::RightDown, false, 8, 103},
      {"press on a region during a touch event", -64, -64, engine::mouse::LeftDown, true, 0, 104},
      {"release on a region during a touch event", -64, -64, engine::mouse::LeftUp, true, 0, 104},
  };
  for (const Case& k : cases) {
    scene.eventLock = k.locked;
    engine::Engine& e = engine::context();
    e.cursorId = 103;
    e.mouse.cursorX = k.x, e.mouse.cursorY = k.y, e.mouse.mouseEvents = k.events;
    EXPECT_EQ(c.handleMouse(false), k.result) << k.label;
    EXPECT_EQ(e.cursorId, k.cursor) << k.label;
  }
  scene.eventLock = false;
  // A release on a region beyond the targets (only region 1 has one) starts nothing; no event
  // system is needed to refuse it.
  EXPECT_EQ(c.variants.size(), 1u);
  EXPECT_EQ(c.touchStart, chara::TouchStart::Call);
  // The 9-argument form keeps the targets.
  c.variants.clear();
  chara::SetSolidChara(scene, 0, "half.txt", 0, 0, 0, 0, true, "", 0, 0);
  EXPECT_TRUE(c.variants.empty());
}

TEST_F(TouchWorld, EventPictureLayersFollowAPressTogether) {
  chara::InitSceneSolidChara(scene, 4);
  chara::C_SolidEventLayer& ev = *chara::FindSolidEvent(scene);
  ASSERT_EQ(ev.layers.size(), 4u);
  ev.SetEvent("ev.txt", 0);
  EXPECT_TRUE(ev.active);
  EXPECT_TRUE(ev.enabled(0));
  EXPECT_TRUE(ev.enabled(1));
  EXPECT_FALSE(ev.enabled(2)) << "no ev_l2.txt";
  EXPECT_FALSE(ev.enabled(3)) << "only three layers";
  EXPECT_TRUE(scene.solidCharas[0]->currentMesh().strongPull);
  EXPECT_TRUE(scene.solidCharas[1]->currentMesh().strongPull);
  EXPECT_EQ(std::string(scene.solidCharas[1]->currentMesh().name), "ev_l1.txt");
  frame(1000, 1000, 0);
  // Layer 1's region takes the press; every other layer grabs along with it.
  EXPECT_TRUE(frame(0, 0, engine::mouse::LeftDown));
  for (size_t k = 0; k < 4; ++k) EXPECT_TRUE(scene.solidCharas[k]->dragging) << "layer " << k;
  EXPECT_EQ(scene.solidCharas[1]->hitIndex, 1);
  EXPECT_EQ(scene.solidCharas[0]->hitIndex, 0);
  frame(0, 0, engine::mouse::LeftUp);
  // A press on layer 0 alone (no region) grabs only it and does not take the mouse.
  EXPECT_FALSE(frame(-200, 0, engine::mouse::LeftDown));
  EXPECT_TRUE(scene.solidCharas[0]->dragging);
  EXPECT_FALSE(scene.solidCharas[1]->dragging);
  frame(-200, 0, engine::mouse::LeftUp);
  // A character scene replaces the picture.
  chara::SetSolidChara(scene, 2, "half.txt", 0, 0, 0, 0, false, nullptr, 0, 0);
  EXPECT_FALSE(ev.active);
  // A new array brings a new event picture.
  chara::InitSceneSolidChara(scene, 1);
  EXPECT_EQ(chara::FindSolidEvent(scene)->layers.size(), 1u);
}

TEST_F(TouchWorld, EventPictureDrawsThroughTheOffscreenPictureWithLayerZerosFade) {
  layer::createCharaRenderTarget();
  chara::InitSceneSolidChara(scene, 3);
  chara::C_SolidEventLayer& ev = *chara::FindSolidEvent(scene);
  ev.SetEvent("ev.txt", 0);
  frame(1000, 1000, 0);
  auto draw = [&] {
    world->clear();
    world->device().beginScene();
    chara::DrawSolidCharas(scene);
    world->device().endScene();
    return world->readBack();
  };
  auto p = draw();
  EXPECT_EQ(world->pixel(p, 512, 384), 0x00FF00u) << "layer 1 over layer 0";
  EXPECT_EQ(world->pixel(p, 300, 384), 0x0000FFu);
  EXPECT_EQ(world->pixel(p, 100, 384), 0u) << "beside the picture";
  // Deleting fades the whole picture with layer 0's alpha; the layers stay active until gone.
  ev.DeleteEvent(1000);
  frame(1000, 1000, 0);
  world->setNow(engine::context().frameNow + 500);
  frame(1000, 1000, 0);
  p = draw();
  const uint32_t half = world->pixel(p, 300, 384);
  EXPECT_GT(half & 0xFF, 0x40u);
  EXPECT_LT(half & 0xFF, 0xC0u);
  EXPECT_TRUE(ev.active);
}

}  // namespace
