// Where and how layers draw: pixel-exact placement, alpha 0, the cross-fade of two slots, the
// quad draw of plain characters, and the hit test's edges.
#include <gtest/gtest.h>

#include "LayerWorld.h"

namespace {

using namespace layertest;

constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu, kWhite = 0xFFFFFFFFu;

// A 4 x 2 picture with four distinct columns.
gfx::Image columns() {
  const uint32_t c[4] = {kRed, kGreen, kBlue, kWhite};
  return makeImage(4, 2, [&](int32_t x, int32_t) { return c[x]; });
}

void drawBoth(layer::C_BaseCharaLayer& l) {
  gfx::SpriteBatch& batch = *layer::spriteBatch();
  batch.begin(gfx::spriteflag::AlphaBlend);
  l.drawBoth(0.5f);
  batch.end();
}

TEST(LayerDraw, APictureLandsPixelExactAtItsCentre) {
  LayerWorld world;
  world.picture("cols.png", columns());
  // Both draws (drawBoth, and the quad draw of plain characters) put the picture's centre at
  // (512 + x, 384 + y): its left column at 512 + x - 2.
  struct Case {
    const char* name;
    float x, y;
  } cases[] = {{"centre", 0, 0}, {"moved", -37, 121}};
  for (const Case& c : cases) {
    for (int quad = 0; quad < 2; ++quad) {
      layer::C_BaseCharaLayer l;
      l.setPicture("cols.png", nullptr, false);
      l.currentPicture().x = c.x;
      l.currentPicture().y = c.y;
      world.clear();
      if (quad) {
        gfx::SpriteBatch& batch = *layer::spriteBatch();
        batch.begin(gfx::spriteflag::AlphaBlend);
        l.drawQuad();
        batch.end();
      } else {
        drawBoth(l);
      }
      const auto p = world.readBack();
      const int32_t left = 512 + int32_t(c.x) - 2, top = 384 + int32_t(c.y) - 1;
      const uint32_t expected[4] = {kRed, kGreen, kBlue, kWhite};
      for (int i = 0; i < 4; ++i)
        for (int row = 0; row < 2; ++row)
          EXPECT_EQ(world.pixel(p, left + i, top + row), expected[i] & 0xFFFFFF)
              << c.name << (quad ? " quad" : " sprite") << " column " << i << " "
              << hex(world.pixel(p, left + i, top + row));
      EXPECT_EQ(world.pixel(p, left - 1, top), 0u) << c.name;
      EXPECT_EQ(world.pixel(p, left + 4, top), 0u) << c.name;
      EXPECT_EQ(world.pixel(p, left, top - 1), 0u) << c.name;
      EXPECT_EQ(world.pixel(p, left, top + 2), 0u) << c.name;
    }
  }
}

TEST(LayerDraw, ScaledPicturesUseTheRatiosOfTheirTexture) {
  LayerWorld world;
  // 6 x 3 is held by an 8 x 4 texture; the layer draws it back at 6 x 3 pixels.
  world.picture("odd.png", solidImage(6, 3, kGreen));
  layer::C_BaseCharaLayer l;
  l.setPicture("odd.png", nullptr, false);
  EXPECT_FLOAT_EQ(l.currentPicture().info.ratioX, 0.75f);
  world.clear();
  drawBoth(l);
  const auto p = world.readBack();
  // The texture's centre (4, 2) sits on (512, 384): 8 x 4 texels of 0.75 pixels each cover
  // [509, 515) x [382.5, 385.5), the rows whose centres lie inside being 382 to 384.
  EXPECT_EQ(world.pixel(p, 509, 382), 0x00FF00u);
  EXPECT_EQ(world.pixel(p, 514, 384), 0x00FF00u);
  EXPECT_EQ(world.pixel(p, 508, 384), 0u);
  EXPECT_EQ(world.pixel(p, 515, 384), 0u);
  EXPECT_EQ(world.pixel(p, 512, 381), 0u);
  EXPECT_EQ(world.pixel(p, 512, 385), 0u);
}

TEST(LayerDraw, TransparentPixelsAreDroppedAndInvisibleSlotsNotDrawn) {
  LayerWorld world;
  world.picture("hole.png", makeImage(2, 1, [](int32_t x, int32_t) { return x ? kRed : 0x00FFFFFFu; }));
  layer::C_BaseCharaLayer l;
  l.setPicture("hole.png", nullptr, false);
  world.clear(0xFF0000FFu);
  drawBoth(l);
  auto p = world.readBack();
  EXPECT_EQ(world.pixel(p, 511, 384), 0x0000FFu) << "alpha 0 leaves the background";
  EXPECT_EQ(world.pixel(p, 512, 384), 0xFF0000u);

  // Alpha 0 in the slot's colour, or an invisible layer: nothing drawn, no mouse.
  l.currentPicture().colour = 0x00FFFFFFu;
  world.clear(0xFF0000FFu);
  drawBoth(l);
  p = world.readBack();
  EXPECT_EQ(world.pixel(p, 512, 384), 0x0000FFu);
  l.currentPicture().colour = kWhite;
  l.visible = false;
  world.clear(0xFF0000FFu);
  drawBoth(l);
  EXPECT_EQ(world.pixel(world.readBack(), 512, 384), 0x0000FFu);
}

TEST(LayerDraw, ABackgroundCrossFadesOverTheOldOne) {
  LayerWorld world;
  world.picture("old.png", solidImage(8, 8, kRed));
  world.picture("new.png", solidImage(8, 8, kBlue));
  layer::C_BaseCharaLayer l;
  world.setNow(1000);
  l.setPicture("old.png", nullptr, false);
  l.currentPicture().colour = 0x80FFFFFFu;  // the old slot is drawn opaque whatever its alpha
  l.changePicture("new.png", 100);
  l.update(0);  // the fade is stamped at 1000
  world.setNow(1050);
  l.update(0);
  EXPECT_EQ(l.currentPicture().alpha(), 127);
  world.clear();
  drawBoth(l);
  auto p = world.readBack();
  const uint32_t mid = world.pixel(p, 512, 384);
  EXPECT_NEAR(channel(mid, 16), 128, 2) << hex(mid);
  EXPECT_NEAR(channel(mid, 0), 127, 2) << hex(mid);
  EXPECT_EQ(channel(mid, 8), 0);
  EXPECT_STREQ(l.otherPicture().name, "old.png");
  // Once the fade has ended the old picture goes.
  world.setNow(1100);
  l.update(0);
  EXPECT_EQ(l.otherPicture().name[0], '\0');
  EXPECT_EQ(l.otherPicture().texture, nullptr);
  world.clear();
  drawBoth(l);
  EXPECT_EQ(world.pixel(world.readBack(), 512, 384), 0x0000FFu);
  EXPECT_EQ(engine::context().textureFact->acquireTexture("old.png")->refCount, 1) << "its reference was given back";
}

TEST(LayerDraw, HitTestEdgesAndClicks) {
  LayerWorld world;
  world.picture("box.png", solidImage(10, 6, kWhite));
  layer::C_BaseCharaLayer l;
  l.setPicture("box.png", nullptr, false);
  l.currentPicture().x = 100;
  l.currentPicture().y = 50;
  l.currentPicture().scaleX = 2.0f;  // 20 wide: [90, 110] x [47, 53]
  struct Case {
    float x, y;
    bool inside;
  } cases[] = {{90, 47, true},      {110, 53, true},     {89.9f, 50, false}, {110.1f, 50, false},
               {100, 46.9f, false}, {100, 53.1f, false}, {100, 50, true}};
  for (const Case& c : cases) EXPECT_EQ(l.hitTest(c.x, c.y), c.inside) << c.x << "," << c.y;

  engine::MouseState& m = engine::context().mouse;
  m.cursorX = 110;
  m.cursorY = 53;
  // Not enabled for the mouse: nothing.
  m.mouseEvents = engine::mouse::LeftUp;
  EXPECT_EQ(l.handleMouse(), 0);
  l.mouseEnabled = true;
  EXPECT_EQ(l.handleMouse(), 2) << "a release on the right-bottom edge counts";
  m.mouseEvents = engine::mouse::LeftDown;
  EXPECT_EQ(l.handleMouse(), 0) << "a layer that is not draggable reports no press";
  l.draggable = true;
  EXPECT_EQ(l.handleMouse(), 1);
  EXPECT_TRUE(l.dragging);
  EXPECT_EQ(l.dragOffsetX, 10);
  EXPECT_EQ(l.dragOffsetY, 3);
  // Dragging follows the mouse until the left button is released.
  m.mouseEvents = 0;
  m.cursorX = 0;
  m.cursorY = 0;
  l.update(0);
  EXPECT_FLOAT_EQ(l.currentPicture().x, -10.0f);
  EXPECT_FLOAT_EQ(l.currentPicture().y, -3.0f);
  m.mouseEvents = engine::mouse::LeftUp;
  l.update(0);
  EXPECT_FALSE(l.dragging);
  // Alpha 0: no hit at all.
  l.currentPicture().colour = 0x00FFFFFFu;
  m.cursorX = -10;
  m.cursorY = -3;
  EXPECT_EQ(l.handleMouse(), 0);
}

}  // namespace
