// Layer animations: key moves (timing, relative keys, skipping one key per step), the spline,
// colour fades byte by byte, and the composing and difference-fade arithmetic.
#include <gtest/gtest.h>

#include <cmath>

#include "LayerWorld.h"

namespace {

using namespace layertest;

struct Frame {
  uint32_t now;
  float x, y;
};

TEST(KeyMove, PositionsAlongTheKeysAndTheirSegments) {
  LayerWorld world;
  layer::C_BaseCharaLayer l;
  world.setNow(1000);
  l.resetKeyMove(false);
  l.addKey(0, 100, 0, 0, 1, 1, 100, false);  // absolute
  l.addKey(1, 0, 50, 0, 1, 1, 200, false);   // relative: 50 down from where it starts
  l.startKeyMove(false);
  const Frame frames[] = {{1000, 0, 0},   {1050, 50, 0},   {1100, 100, 0},  // key 0 ends
                          {1117, 100, 0}, {1217, 100, 25}, {1317, 100, 50}};
  for (const Frame& f : frames) {
    world.setNow(f.now);
    l.update(0);
    EXPECT_FLOAT_EQ(l.currentPicture().x, f.x) << f.now;
    EXPECT_FLOAT_EQ(l.currentPicture().y, f.y) << f.now;
  }
  EXPECT_EQ(l.busyFlags, 0) << "the move has ended";
  // A relative scale adds to the present scale.
  EXPECT_FLOAT_EQ(l.currentPicture().scaleX, 2.0f);
}

TEST(KeyMove, EachSkippingStepCompletesOneKey) {
  LayerWorld world;
  layer::C_BaseCharaLayer l;
  world.setNow(5000);
  l.resetKeyMove(false);
  l.addKey(0, 10, 0, 0, 1, 1, 1000, false);
  l.addKey(1, 5, 5, 0, 0, 0, 1000, false);
  l.addKey(0, -20, 0, 0, 2, 2, 1000, false);
  l.startKeyMove(false);
  l.update(0);  // key 0's segment starts with the first step
  world.setNow(5300);
  l.update(0);  // key 0 under way: x = 3
  EXPECT_FLOAT_EQ(l.currentPicture().x, 3.0f);
  EXPECT_EQ(l.computeBusy(), 4);
  const float expected[3][2] = {{10, 0}, {15, 5}, {-20, 0}};
  for (int step = 0; step < 3; ++step) {
    l.finishAnimations();
    EXPECT_FLOAT_EQ(l.currentPicture().x, expected[step][0]) << step;
    EXPECT_FLOAT_EQ(l.currentPicture().y, expected[step][1]) << step;
  }
  EXPECT_FLOAT_EQ(l.currentPicture().scaleX, 2.0f);
  EXPECT_EQ(l.computeBusy(), 0);

  // A relative key skipped half way ends where it would have ended, not beyond.
  l.resetKeyMove(false);
  l.addKey(1, 100, 0, 0, 0, 0, 1000, false);
  l.startKeyMove(false);
  l.update(0);
  world.setNow(5800);
  l.update(0);
  EXPECT_FLOAT_EQ(l.currentPicture().x, 30.0f);
  l.finishAnimations();
  EXPECT_FLOAT_EQ(l.currentPicture().x, 80.0f);
}

TEST(KeyMove, KeyZeroRunsUnlookedAndEightKeysAtMost) {
  LayerWorld world;
  layer::C_BaseCharaLayer l;
  l.currentPicture().x = 40;
  l.currentPicture().scaleX = 3;
  world.setNow(100);
  // After construction key 0 holds absolute (0, 0), scale 1, duration 0: applied in one step.
  l.resetKeyMove(false);
  l.startKeyMove(false);
  l.update(0);
  EXPECT_FLOAT_EQ(l.currentPicture().x, 0.0f);
  EXPECT_FLOAT_EQ(l.currentPicture().scaleX, 1.0f);
  EXPECT_EQ(l.busyFlags, 0);

  l.resetKeyMove(false);
  for (int i = 0; i < 9; ++i) l.addKey(0, float(i + 1), 0, 0, 1, 1, 0, false);  // the ninth is ignored
  l.startKeyMove(false);
  int steps = 0;
  while (steps < 20) {
    world.setNow(100 + 17 * uint32_t(++steps));
    if (l.update(0) == 0) break;
  }
  EXPECT_FLOAT_EQ(l.currentPicture().x, 8.0f);
  // A key of duration 0 starts and ends in one step.
  EXPECT_EQ(steps, 8);
}

TEST(SplineMove, PassesThroughItsPointsAndEndsOnTheLast) {
  LayerWorld world;
  layer::C_BaseCharaLayer l;
  world.setNow(0);
  l.resetSplineMove(false);  // starts at (0, 0), scale 1
  l.addSplinePoint(0, 100, 0, 0, 3, 3, false);
  l.addSplinePoint(1, 0, 100, 0, 0, 0, false);  // relative: (100, 100), scale 3
  l.startSplineMove(1000, false);
  EXPECT_EQ(l.computeBusy(), 4);
  // Equal chords: the middle point is reached at half the time, with the second scale.
  world.setNow(500);
  l.update(0);
  EXPECT_NEAR(l.currentPicture().x, 100.0f, 1e-3f);
  EXPECT_NEAR(l.currentPicture().y, 0.0f, 1e-3f);
  EXPECT_NEAR(l.currentPicture().scaleX, 3.0f, 1e-4f);
  world.setNow(1300);
  l.update(0);
  EXPECT_FLOAT_EQ(l.currentPicture().x, 100.0f);
  EXPECT_FLOAT_EQ(l.currentPicture().y, 100.0f);
  EXPECT_FLOAT_EQ(l.currentPicture().scaleY, 3.0f);
  EXPECT_EQ(l.computeBusy(), 0);

  // Duration 0 ends on the next step; one point only is refused.
  l.resetSplineMove(false);
  l.addSplinePoint(0, -50, 20, 0, 1, 1, false);
  l.startSplineMove(0, false);
  l.update(0);
  EXPECT_FLOAT_EQ(l.currentPicture().x, -50.0f);
  l.resetSplineMove(false);
  l.startSplineMove(100, false);
  EXPECT_FALSE(l.currentPicture().splineActive);

  // The curve itself: tangents of a straight line keep it straight and evenly paced.
  layer::SplineCurve curve;
  ASSERT_TRUE(curve.build({{0, 0}, {10, 0}, {30, 0}}));
  int32_t k = -1;
  float f = -1;
  auto p = curve.evaluate(0.5f, &k, &f);
  EXPECT_NEAR(p.first, 15.0f, 1e-3f);
  EXPECT_EQ(k, 1);
  EXPECT_NEAR(f, 0.25f, 1e-5f);
  // Repeated points give no division by zero.
  ASSERT_TRUE(curve.build({{0, 0}, {0, 0}, {10, 10}, {10, 10}}));
  p = curve.evaluate(0.5f);
  EXPECT_TRUE(std::isfinite(p.first) && std::isfinite(p.second));
  EXPECT_EQ(curve.evaluate(1.0f), (layer::SplineCurve::Point{10, 10}));
}

TEST(ColourFade, BytesMoveSeparatelyAndTruncate) {
  LayerWorld world;
  layer::C_BaseCharaLayer l;
  l.currentPicture().colour = 0xFF000000u;
  world.setNow(2000);
  l.startColourFade(0x80FFFF00u, 100, false);
  world.setNow(2010);
  l.update(0);  // stamps the start at 2010
  EXPECT_EQ(l.currentPicture().colour, 0xFF000000u);
  EXPECT_EQ(l.busyFlags, 2);
  world.setNow(2040);
  l.update(0);
  // 30 %: alpha 255 - 127 * 0.3 = 216.9, red and green 76.5, blue stays 0.
  EXPECT_EQ(l.currentPicture().colour, 0xD84C4C00u) << hex(l.currentPicture().colour);
  world.setNow(2110);
  l.update(0);
  EXPECT_EQ(l.currentPicture().colour, 0x80FFFF00u);
  // Duration 0: the target at the next step.
  l.startAlphaFade(0, 0, false);
  l.update(0);
  EXPECT_EQ(l.currentPicture().colour, 0x00FFFF00u);
}

TEST(PictureArithmetic, ComposingAndDifferenceFadeRules) {
  struct Compose {
    uint32_t base, diff, out;
  } compose[] = {
      {0xFF000000u, 0x80FFFFFFu, 0xFF7F7F7Fu},  // (128 * 255) >> 8 = 127
      {0xFFFFFFFFu, 0xFF000000u, 0xFF000000u},  // 255 + (255 * -255) >> 8 = 0
      {0x00000000u, 0x00FFFFFFu, 0x00000000u},  // a transparent difference changes nothing
      {0x40102030u, 0xFF405060u, 0xFF3F4F5Fu},  // alpha adds up to 255; a shift, not / 255
  };
  for (const Compose& c : compose)
    EXPECT_EQ(layer::ComposePixel(c.base, c.diff), c.out) << hex(c.base) << " " << hex(c.diff);

  struct Blend {
    uint32_t saved, diff;
    float t;
    bool changed;
    uint32_t out;
  } blends[] = {
      {0x00000000u, 0x00FFFFFFu, 1.0f, false, 0},           // transparent over transparent
      {0x00000000u, 0xFF0000FFu, 0.5f, true, 0x7F00007Eu},  // a = 127
      {0xFF00FF00u, 0xFFFF0000u, 1.0f, true, 0xFFFE0000u},  // 255 - 255: the shift floors
      {0xFF00FF00u, 0xFFFF0000u, 0.0f, true, 0xFF00FF00u},  // t 0 over an opaque base
  };
  for (const Blend& b : blends) {
    uint32_t out = 0;
    EXPECT_EQ(layer::BlendDifferencePixel(b.saved, b.diff, b.t, out), b.changed) << hex(b.saved);
    if (b.changed) { EXPECT_EQ(out, b.out) << hex(out); }
  }
  EXPECT_TRUE(layer::DifferenceFitsBase(10, 10, 0, 0, 10, 10));
  EXPECT_FALSE(layer::DifferenceFitsBase(10, 10, 1, 0, 10, 10));
  EXPECT_FALSE(layer::DifferenceFitsBase(10, 10, 0, 1, 10, 10));
  EXPECT_FALSE(layer::DifferenceFitsBase(10, 10, -1, 0, 2, 2));
}

TEST(PictureArithmetic, CompositeAndDifferenceOnTextures) {
  LayerWorld world;
  world.picture("base.png", solidImage(8, 8, 0xFFFF0000u));
  world.picture("diff.png", makeImage(2, 2, [](int32_t x, int32_t) { return x ? 0x800000FFu : 0x000000FFu; }));
  world.picture("big.png", solidImage(8, 9, 0xFF00FF00u));
  layer::C_BaseCharaLayer l;
  // The difference may not stick out of the base.
  platform::clearMessageBoxLog();
  l.setPictureComposite("base.png", "big.png", 0, 0, false);
  ASSERT_EQ(world.boxes().size(), 1u);
  EXPECT_EQ(world.boxes()[0], "テクスチャエラー | 差分は、ベース画像からはみ出て指定はできません");
  EXPECT_FALSE(l.currentPicture().loaded);

  l.setPictureComposite("base.png", "diff.png", 6, 6, false);
  layer::PictureSlot& s = l.currentPicture();
  ASSERT_TRUE(s.texture);
  EXPECT_FALSE(s.sharedTexture);
  EXPECT_EQ(s.width, 8);
  std::vector<uint32_t> texels;
  ASSERT_EQ(world.device().readSurface(s.texture->surfaceLevel(0), texels), gfx::result::Ok);
  EXPECT_EQ(texels[6 * 8 + 6], 0xFFFF0000u) << "alpha 0 leaves the base";
  EXPECT_EQ(texels[6 * 8 + 7], layer::ComposePixel(0xFFFF0000u, 0x800000FFu));

  // A difference fade, recomputed from the saved region at every step.
  layer::C_BaseCharaLayer fading;
  fading.setPicture("base.png", nullptr, false);
  world.setNow(100);
  fading.setDifference("diff.png", 2, 2, 100, false);
  EXPECT_EQ(fading.computeBusy(), 2);
  fading.update(0);  // stamped at 100
  world.setNow(150);
  fading.update(0);
  fading.update(0);  // the same fraction twice: no accumulation
  const gfx::TexturePtr base = fading.currentPicture().texture;
  gfx::LockedRect lr;
  ASSERT_EQ(base->lockRect(0, lr), gfx::result::Ok);
  auto texel = [&](int x, int y) { return reinterpret_cast<uint32_t*>(lr.bits + y * lr.pitch)[x]; };
  uint32_t expected = 0;
  layer::BlendDifferencePixel(0xFFFF0000u, 0x800000FFu, 0.5f, expected);
  EXPECT_EQ(texel(3, 2), expected) << hex(texel(3, 2));
  EXPECT_EQ(texel(2, 2), 0xFFFF0000u);
  EXPECT_EQ(texel(1, 1), 0xFFFF0000u);
  base->unlockRect(0);
  world.setNow(300);
  fading.update(0);
  EXPECT_EQ(fading.computeBusy(), 0);
  EXPECT_EQ(fading.currentPicture().diffTexture, nullptr);
  ASSERT_EQ(base->lockRect(0, lr), gfx::result::Ok);
  EXPECT_EQ(texel(3, 3), layer::ComposePixel(0xFFFF0000u, 0x800000FFu) | 0);
  base->unlockRect(0);

  platform::clearMessageBoxLog();
  fading.setDifference("diff.png", 7, 0, 100, false);
  ASSERT_EQ(world.boxes().size(), 1u);
  EXPECT_EQ(world.boxes()[0], "テクスチャエラー | 差分は、ベース画像からはみ出て指定はできません");
}

}  // namespace
