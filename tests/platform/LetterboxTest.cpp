// Full screen at the desktop's resolution: where the picture goes and where the mouse lands.
#include <gtest/gtest.h>

#include <climits>

#include "platform/Letterbox.h"

namespace {

using platform::ScreenRect;

struct RectCase {
  int gameW, gameH, outW, outH;
  ScreenRect expected;
};

TEST(Letterbox, PictureKeepsItsShapeCentredBetweenBars) {
  const RectCase cases[] = {
      {1024, 768, 1920, 1080, {240, 0, 1440, 1080}},  // 16:9: bars left and right
      {1024, 768, 1280, 1024, {0, 32, 1280, 960}},    // 5:4: bars above and below
      {1024, 768, 1024, 768, {0, 0, 1024, 768}},      // the window itself: no bars
      {1024, 768, 2048, 1536, {0, 0, 2048, 1536}},    // same shape, larger
      {640, 480, 1366, 768, {171, 0, 1024, 768}},     // odd bar widths round the picture left
      {800, 600, 2560, 1080, {560, 0, 1440, 1080}},   // ultra-wide
      {1024, 768, 0, 0, {0, 0, 0, 0}},                // a drawable not there yet
      {0, 768, 1920, 1080, {0, 0, 1920, 1080}},       // no game size: the whole output
      {1024, 768, 100000, 3, {49998, 0, 4, 3}},       // extreme shapes stay inside the output
  };
  for (const RectCase& c : cases) {
    const ScreenRect r = platform::letterboxRect(c.gameW, c.gameH, c.outW, c.outH);
    SCOPED_TRACE(testing::Message() << c.gameW << "x" << c.gameH << " on " << c.outW << "x" << c.outH);
    EXPECT_EQ(r.x, c.expected.x);
    EXPECT_EQ(r.y, c.expected.y);
    EXPECT_EQ(r.width, c.expected.width);
    EXPECT_EQ(r.height, c.expected.height);
    EXPECT_LE(r.x + r.width, c.outW > 0 ? c.outW : 0);
    EXPECT_LE(r.y + r.height, c.outH > 0 ? c.outH : 0);
  }
}

struct PointCase {
  int outX, outY, gameX, gameY;
};

TEST(Letterbox, MouseMapsToGamePixels) {
  // 1024x768 on 1920x1080: the picture is 1440x1080 from x = 240, 1.40625 output pixels each.
  const ScreenRect picture = platform::letterboxRect(1024, 768, 1920, 1080);
  const PointCase cases[] = {
      {240, 0, 0, 0},           // the picture's corner
      {1679, 1079, 1023, 767},  // its last pixel
      {960, 540, 512, 384},     // the centre
      {241, 1, 0, 0},           // still inside the first game pixel
      {242, 2, 1, 1},
      {0, 0, -171, 0},  // on the left bar: left of the game, rounded down
      {239, 0, -1, 0},
      {1919, 0, 1193, 0},            // on the right bar: past the game's width
      {-5000, -5000, -3727, -3556},  // off the screen
  };
  for (const PointCase& c : cases) {
    int x = 0, y = 0;
    platform::outputToGame(picture, 1024, 768, c.outX, c.outY, x, y);
    EXPECT_EQ(x, c.gameX) << "at " << c.outX << "," << c.outY;
    EXPECT_EQ(y, c.gameY) << "at " << c.outX << "," << c.outY;
  }
  // Without a picture the point passes through; huge values saturate instead of wrapping.
  int x = 0, y = 0;
  platform::outputToGame(ScreenRect{}, 1024, 768, 17, 23, x, y);
  EXPECT_EQ(x, 17);
  EXPECT_EQ(y, 23);
  platform::outputToGame(ScreenRect{0, 0, 1, 1}, INT_MAX, INT_MAX, INT_MAX, INT_MIN, x, y);
  EXPECT_EQ(x, INT_MAX);
  EXPECT_EQ(y, INT_MIN);
}

}  // namespace
