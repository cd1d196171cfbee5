// The title scene's pictures and stars, and the debug text line over a 2D scene.
#include <gtest/gtest.h>

#include "layer/LayerWorld.h"
#include "scene/C_SceneTitle.h"

namespace {

using namespace layertest;

void writeJpeg(LayerWorld& world, const std::string& name, const gfx::Image& image) {
  std::vector<uint8_t> jpeg;
  ASSERT_TRUE(gfx::encodeJpeg(image, 90, jpeg));
  world.write(name, std::string(jpeg.begin(), jpeg.end()));
}

TEST(TitleScene, TenStarsOverTheBackgroundThatTheMouseCanPickUp) {
  LayerWorld world(800, 600);  // low-spec: screenScale 0.78125
  writeJpeg(world, "obj/back01.jpg", solidImage(400, 300, 0xFF2040A0u));
  writeJpeg(world, "obj/fx_star1.jpg", solidImage(64, 64, 0xFFFFFFFFu));
  std::srand(7);
  scene::C_SceneTitle title;
  title.init();
  ASSERT_TRUE(title.titleBackground);
  const layer::PictureSlot& bg = title.titleBackground->currentPicture();
  // The background fills the screen (screenScale is not applied twice).
  EXPECT_FLOAT_EQ(bg.scaleX, 2.0f);
  EXPECT_FLOAT_EQ(bg.scaleY, 2.0f);
  ASSERT_EQ(title.stars.size(), 10u);
  for (layer::C_BaseCharaLayer* star : title.stars) {
    const layer::PictureSlot& s = star->currentPicture();
    EXPECT_LE(std::abs(s.x), 350.0f * 0.78125f);
    EXPECT_LE(std::abs(s.y), 275.0f * 0.78125f);
    EXPECT_GE(s.scaleX, 0.5f * 0.15f * 0.78125f);
    EXPECT_LE(s.scaleX, 1.5f * 0.15f * 0.78125f);
    EXPECT_EQ(s.scaleX, s.scaleY);
    EXPECT_GE(s.rotation, 0.0f);
    EXPECT_LE(s.rotation, 3.14f);
  }

  // A press on a star picks it up: it comes to the end of the list (drawn on top).
  layer::C_BaseCharaLayer* picked = title.stars[3];
  engine::MouseState& m = engine::context().mouse;
  m.cursorX = int32_t(picked->currentPicture().x);
  m.cursorY = int32_t(picked->currentPicture().y);
  m.mouseEvents = engine::mouse::LeftDown;
  engine::PadRecord pad;
  // Stars in list order are asked first: the first one under the mouse takes it.
  layer::C_BaseCharaLayer* expected = nullptr;
  for (layer::C_BaseCharaLayer* star : title.stars)
    if (!expected && star->hitTest(float(m.cursorX), float(m.cursorY))) expected = star;
  EXPECT_EQ(title.update(&pad), -1);
  EXPECT_EQ(title.stars.back(), expected);
  EXPECT_TRUE(expected->dragging);
  m.mouseEvents = 0;
  m.cursorX += 40;
  title.update(&pad);
  EXPECT_NEAR(expected->currentPicture().x, float(m.cursorX - expected->dragOffsetX), 1e-4f);

  // The frame: background, stars, and nothing left over in the device state.
  EXPECT_EQ(title.render(), gfx::result::Ok);
  const auto p = world.readBack();
  EXPECT_NE(world.pixel(p, 1, 1), 0u) << "the background covers the screen";
  EXPECT_NE(world.pixel(p, 798, 598), 0u) << "the background covers the screen";
}

TEST(DebugText, TheLineIsDrawnNearTheBottom) {
  LayerWorld world;
  ASSERT_TRUE(engine::renderObjects().fontSlots[0]) << "the debug font comes with the device";
  EXPECT_EQ(engine::CreateDebugFont(), 1) << "the next empty slot";
  world.clear();
  engine::renderObjects().debugText = "FPS 60";
  engine::DrawDebugText();
  const auto p = world.readBack();
  int lit = 0, litAbove = 0;
  for (int y = 0; y < 768; ++y)
    for (int x = 0; x < 1024; ++x) {
      if (world.pixel(p, x, y) == 0) continue;
      (y >= int(768 * 0.7f) ? lit : litAbove)++;
    }
  EXPECT_GT(lit, 50);
  EXPECT_EQ(litAbove, 0);
  for (int y = 0; y < 768; ++y) EXPECT_EQ(world.pixel(p, 5, y), 0u) << "starts at x 10";
  // The face opened with the first line has the 24-pixel em it was asked for.
  const int32_t line = engine::renderObjects().fontSlots[0]->lineHeight();
  EXPECT_GE(line, 24);
  EXPECT_LE(line, 40);
  engine::renderObjects().debugText.clear();
}

}  // namespace
