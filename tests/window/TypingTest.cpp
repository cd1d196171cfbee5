// Typing a page out: the timer against the frame length, line breaks, tabs, the 80-byte line,
// wrapping by width, the ideographic space, the outline around the text colour, showing the rest
// at once, and characters the font cannot draw.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "WindowWorld.h"
#include "layer/C_Sprite.h"
#include "platform/Encoding.h"
#include "text/GlyphRasterizer.h"

namespace {

using windowtest::WindowWorld;

std::string sjis(const char* utf8) { return platform::utf8ToCp932(utf8); }

// Types exactly one more step of the page (one character, line feed or "<n>").
void step(window::C_WindowLayer& w) {
  w.speed = 1.0f;
  w.typeTimer = 0.0f;
  WindowWorld::typeFrame(w, 1);
}

struct TimingCase {
  const char* name;
  float speed;
  std::vector<int32_t> framesMs;
  int32_t cursor;  // after the frames; -1 when the page is typed
  float typeTimer;
};

TEST(Typing, TheTimerRunsOnTheFrameLength) {
  WindowWorld world;
  const TimingCase cases[] = {
      {"a first frame of 120 ms types 3 characters", 0.05f, {120}, 6, 0.03f},
      {"a short frame after it types nothing", 0.05f, {120, 17}, 6, 0.013f},
      {"a frame longer than the rest types one more", 0.05f, {120, 50}, 8, 0.03f},
      {"speed 0 types the page in one frame", 0.0f, {17}, -1, 0.0f},
  };
  for (const TimingCase& c : cases) {
    window::C_WindowLayer w;
    WindowWorld::setUpMessageWindow(w, 20);
    w.speed = c.speed;
    w.setText(sjis("あいうえおかきくけこ"), false);
    for (int32_t ms : c.framesMs) WindowWorld::typeFrame(w, ms);
    EXPECT_EQ(w.cursor, c.cursor) << c.name;
    EXPECT_EQ(w.typingFinished, c.cursor < 0) << c.name;
    if (c.cursor >= 0) { EXPECT_NEAR(w.typeTimer, c.typeTimer, 1e-5) << c.name; }
    EXPECT_FLOAT_EQ(w.speed, c.speed) << "the speed is the window's own again: " << c.name;
  }
}

TEST(Typing, LineBreaksFromLineFeedsAndTheBreakSequence) {
  WindowWorld world;
  window::C_WindowLayer w;
  WindowWorld::setUpMessageWindow(w, 20);

  // "<n>" and the line feed after it make one break, not two.
  const std::string text = sjis("あい<n>\nうえ");
  w.setText(text, false);
  step(w);
  step(w);
  EXPECT_EQ(w.lineIndex, 0);
  step(w);  // the break
  EXPECT_EQ(w.lineIndex, 1);
  EXPECT_EQ(w.penX, 0);
  EXPECT_EQ(size_t(w.cursor), text.find(sjis("う"))) << "the line feed after <n> is skipped with it";
  step(w);
  EXPECT_EQ(w.lineIndex, 1);
  EXPECT_GT(w.penX, 0);

  // A page that ends with "<n>" ends there, in the step that reads it.
  w.setText(sjis("あい<n>"), false);
  step(w);
  step(w);
  EXPECT_TRUE(w.isTyping());
  step(w);
  EXPECT_FALSE(w.isTyping());
  EXPECT_TRUE(w.typingFinished);

  // A plain line feed breaks the line too.
  w.setText(sjis("あ\nい"), false);
  step(w);
  step(w);
  EXPECT_EQ(w.lineIndex, 1);
}

TEST(Typing, TabsAreDroppedAndDoNotAdvance) {
  WindowWorld world;
  window::C_WindowLayer w;
  WindowWorld::setUpMessageWindow(w, 20);
  w.setText(sjis("\tあ\t\tい\t"), false);
  EXPECT_EQ(w.text, sjis("あい"));
  step(w);
  step(w);
  const int32_t withTabs = w.penX;
  w.setText(sjis("あい"), false);
  step(w);
  step(w);
  EXPECT_EQ(w.penX, withTabs);
}

TEST(Typing, FortyDoubleByteCharactersFillAnEightyByteLine) {
  WindowWorld world;
  window::C_WindowLayer w;
  WindowWorld::setUpMessageWindow(w, 10, 4000.0f);
  std::string text;
  for (int i = 0; i < 41; ++i) text += sjis("一");
  w.setText(text, false);
  for (int i = 0; i < 39; ++i) step(w);
  EXPECT_EQ(w.lineIndex, 0);
  EXPECT_EQ(w.lineBytes, 78);
  step(w);
  EXPECT_EQ(w.lineIndex, 1) << "the 40th character ends the line";
  EXPECT_EQ(w.penX, 0);
  EXPECT_EQ(w.lineBytes, 0);
}

TEST(Typing, WrapsBeforeACharacterThatWouldNotFitOrAfterItWithoutWrapping) {
  WindowWorld world;
  for (const bool wrap : {true, false}) {
    window::C_WindowLayer w;
    WindowWorld::setUpMessageWindow(w, 30, 50.0f);
    w.wrapByWidth = wrap;
    w.setText(sjis("ああ"), false);
    step(w);
    const int32_t advance = w.penX;
    ASSERT_GT(advance, 0);
    ASSERT_LT(advance, 50) << "the first character fits";
    ASSERT_GT(2 * advance, 50) << "the second does not";
    step(w);
    EXPECT_EQ(w.lineIndex, 1) << wrap;
    // Wrapping first puts the character on the new line; without it the line breaks after it.
    EXPECT_EQ(w.penX, wrap ? advance : 0) << wrap;
  }
}

// Margins and sizes come from scripts as any 32-bit number: the pen's sums must not overflow
// (a wrapped negative pen would keep the line going to the left of the area).
TEST(Typing, HugeMarginsAndSizesEndTheLineInsteadOfOverflowing) {
  WindowWorld world;
  constexpr int32_t kHuge = 2147483647;
  struct Case {
    const char* name;
    int32_t fontSize, marginX;
    const char* text;
    int32_t lineIndex;  // after the first character
  };
  const Case cases[] = {
      // Wrapped before it (it would not fit), then ended after it.
      {"a drawn character with a huge margin", 20, kHuge, "あい", 2},
      {"an ideographic space of a huge size", kHuge, 2, "　い", 1},
      {"an ideographic space with a huge margin", 20, kHuge, "　い", 1},
  };
  for (const Case& c : cases) {
    window::C_WindowLayer w;
    WindowWorld::setUpMessageWindow(w, 20);
    w.fontSize = c.fontSize;
    w.setFontMargin(c.marginX, kHuge);
    w.setText(sjis(c.text), false);
    step(w);
    EXPECT_EQ(w.lineIndex, c.lineIndex) << c.name;
    EXPECT_EQ(w.penX, 0) << c.name;
    step(w);
    step(w);
    EXPECT_FALSE(w.isTyping()) << c.name;
  }
}

TEST(Typing, TheIdeographicSpaceAdvancesBySizeAndMarginAndDrawsNothing) {
  WindowWorld world;
  window::C_WindowLayer w;
  WindowWorld::setUpMessageWindow(w, 24);
  w.setFontMargin(5, 3);
  w.setText(sjis("　　"), false);
  step(w);
  EXPECT_EQ(w.penX, 24 + 5);
  step(w);
  EXPECT_EQ(w.penX, 2 * (24 + 5));
  for (uint32_t texel : WindowWorld::textTargetTexels(w)) ASSERT_EQ(texel, 0u);
}

// The character is drawn eight times in black around its place, then in the text colour: every
// edge of a filled square has black ink just outside it, and nothing beyond that.
TEST(Typing, TheOutlineIsBlackAroundTheTextColour) {
  WindowWorld world;
  window::C_WindowLayer w;
  WindowWorld::setUpMessageWindow(w, 30);
  w.textColour = 0xFFFF0000u;
  w.speed = 0.0f;
  w.setText(sjis("■"), false);
  WindowWorld::typeFrame(w, 17);
  ASSERT_FALSE(w.isTyping());
  const std::vector<uint32_t> texels = WindowWorld::textTargetTexels(w);
  const int32_t width = w.textTarget->width;
  auto at = [&](int32_t x, int32_t y) { return texels[size_t(y) * size_t(width) + size_t(x)]; };
  auto red = [](uint32_t p) { return (p >> 24) > 200 && ((p >> 16) & 0xFF) > 200 && ((p >> 8) & 0xFF) < 40; };
  auto blackInk = [](uint32_t p) { return (p >> 24) > 100 && ((p >> 16) & 0xFF) < 96 && ((p >> 8) & 0xFF) < 40; };
  int32_t minX = width, maxX = -1, minY = int32_t(texels.size()) / width, maxY = -1;
  for (int32_t y = 0; y < int32_t(texels.size()) / width; ++y)
    for (int32_t x = 0; x < width; ++x)
      if (red(at(x, y)))
        minX = std::min(minX, x), maxX = std::max(maxX, x), minY = std::min(minY, y), maxY = std::max(maxY, y);
  ASSERT_GT(maxX - minX, 8) << "the square is drawn in the text colour";
  ASSERT_GT(maxY - minY, 8);
  ASSERT_GE(minX, 2);
  ASSERT_GE(minY, 2);
  const int32_t midX = (minX + maxX) / 2, midY = (minY + maxY) / 2;
  // The text colour's own soft edge may cover the first pixel outside, so the black lies within
  // two pixels of the red on every side.
  const int32_t sides[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
  for (const auto& side : sides) {
    const int32_t fromX = side[0] < 0 ? minX : side[0] > 0 ? maxX : midX;
    const int32_t fromY = side[1] < 0 ? minY : side[1] > 0 ? maxY : midY;
    const uint32_t one = at(fromX + side[0], fromY + side[1]), two = at(fromX + 2 * side[0], fromY + 2 * side[1]);
    EXPECT_TRUE(blackInk(one) || blackInk(two)) << side[0] << "," << side[1] << std::hex << " " << one << " " << two;
  }
  EXPECT_EQ(at(maxX + 4, midY) >> 24, 0u) << "nothing beyond the one-pixel outline";
  EXPECT_EQ(at(midX, maxY + 4) >> 24, 0u);
}

// A font whose every character is an 8 x 8 square of full ink: the arithmetic of the layout
// and of the nine draws then says exactly what each pixel of the text target must be.
class SquareFont final : public text::Font {
 public:
  // The cell advance: 32 for a full-width character, 16 for a half-width one.
  explicit SquareFont(int16_t advance = 32) : advance_(advance) {}
  text::TextMetrics textMetrics() const override { return {32, 28, 4, 0}; }
  uint32_t glyphOutline(uint32_t, text::GlyphMetrics& metrics, uint8_t* buffer, uint32_t bufferBytes) override {
    // The ink's top row is 28 - 20 = 8 texels down, its left column 8 texels right of the pen.
    metrics = text::GlyphMetrics{8, 8, 8, 20, advance_, 0};
    if (!buffer || bufferBytes == 0) return 64;
    if (bufferBytes < 64) return text::GdiError;
    std::fill(buffer, buffer + 64, uint8_t(16));
    return 64;
  }
  bool hasGlyph(uint32_t) override { return true; }
  const std::string& familyName() const override { return family_; }
  int32_t pixelsPerEm() const override { return 32; }
  bool usedFallbackFace() const override { return false; }

 private:
  int16_t advance_;
  std::string family_ = "square";
};

// Size 16: the 32 x 32 glyph texture is shown at half size, so text pixel i reads texels 2i - 1
// and 2i. The ink (texels 8..15) covers pixels 5..7 fully and pixels 4 and 8 by half. The eight
// black draws around it reach one pixel further (with a partial edge one more out), and the
// text colour comes last, with the glyph's alpha whatever the colour's own alpha is.
TEST(Typing, NineDrawsPutTheOutlineAndTheTextColourOnExactPixels) {
  WindowWorld world;
  window::C_WindowLayer w;
  WindowWorld::setUpMessageWindow(w, 16);
  w.font = std::make_unique<SquareFont>();
  w.textColour = 0x80FF0000u;
  w.speed = 0.0f;
  w.setText("AB<n>C", false);
  WindowWorld::typeFrame(w, 17);
  ASSERT_FALSE(w.isTyping());
  const std::vector<uint32_t> texels = WindowWorld::textTargetTexels(w);
  const int32_t width = w.textTarget->width;
  // Coverage of text pixel p by a glyph whose quad starts at `origin`.
  auto ink = [](int32_t p, int32_t origin) {
    const int32_t i = p - origin;
    return i >= 5 && i <= 7 ? 1.0 : (i == 4 || i == 8) ? 0.5 : 0.0;
  };
  auto reached = [](int32_t p, int32_t origin) { return p - origin >= 3 && p - origin <= 9; };
  // "A" at the pen's start, "B" after A's ink width and the margin (2 + (8 + 8) / 2 = 10), "C" on
  // the second line, (16 + 2) pixels down.
  const int32_t glyphs[3][2] = {{0, 0}, {10, 0}, {0, 18}};
  for (int32_t y = 0; y < 32; ++y) {
    for (int32_t x = 0; x < 24; ++x) {
      double coverage = 0.0;
      bool outlined = false;
      for (const auto& g : glyphs) {
        coverage += ink(x, g[0]) * ink(y, g[1]);
        outlined = outlined || (reached(x, g[0]) && reached(y, g[1]));
      }
      const uint32_t texel = texels[size_t(y) * size_t(width) + size_t(x)];
      const int32_t red = int32_t((texel >> 16) & 0xFF);
      EXPECT_NEAR(red, 255.0 * coverage, 1.0) << x << "," << y;
      EXPECT_EQ(texel & 0xFFFFu, 0u) << "the outline is black and the text red: " << x << "," << y;
      EXPECT_EQ((texel >> 24) != 0, outlined)
          << "ink reaches one pixel beyond the outline, no further: " << x << "," << y;
      if (coverage == 1.0) { EXPECT_EQ(texel, 0xFFFF0000u) << x << "," << y; }
    }
  }
}

// With the square font every character advances the pen by exactly 2 + 8 = 10 pixels, whatever
// its cell advance, and its quad is half its cell advance wide.
TEST(Typing, TheLineEndsExactlyWhereThePenReachesTheAreasEdge) {
  WindowWorld world;
  struct Case {
    const char* name;
    float areaWidth;
    bool wrap;
    int32_t lineIndex, penX;  // after "AB"
  };
  const Case cases[] = {
      {"B's advance puts the pen exactly on the edge: the line ends after it", 20.0f, true, 1, 0},
      {"B would reach past the edge: it goes to the next line first", 19.5f, true, 1, 10},
      {"without wrapping B is drawn across the edge, then the line ends", 19.5f, false, 1, 0},
      {"room to spare", 20.5f, true, 0, 20},
  };
  for (const Case& c : cases) {
    window::C_WindowLayer w;
    WindowWorld::setUpMessageWindow(w, 16, c.areaWidth);
    w.font = std::make_unique<SquareFont>();
    w.wrapByWidth = c.wrap;
    w.setText("AB", false);
    step(w);
    EXPECT_EQ(w.penX, 10) << c.name;
    step(w);
    EXPECT_EQ(w.lineIndex, c.lineIndex) << c.name;
    EXPECT_EQ(w.penX, c.penX) << c.name;
  }

  // A half-width cell (16) gives a quad of 8 pixels for the 32 texels: text pixel i reads texels
  // 4i - 1 and 4i, so the ink (texels 8..15) covers pixel 3 fully and pixels 2 and 4 by half.
  window::C_WindowLayer w;
  WindowWorld::setUpMessageWindow(w, 16);
  w.font = std::make_unique<SquareFont>(16);
  w.textColour = 0xFFFF0000u;
  w.setText("A", false);
  step(w);
  EXPECT_EQ(w.penX, 10) << "spaced by the ink, not the cell";
  const std::vector<uint32_t> texels = WindowWorld::textTargetTexels(w);
  const int32_t width = w.textTarget->width;
  const int32_t expectedRed[] = {0, 0, 128, 255, 128, 0, 0};
  for (int32_t x = 0; x < 7; ++x)
    EXPECT_NEAR(int32_t((texels[size_t(6 * width + x)] >> 16) & 0xFF), expectedRed[x], 1) << x;
}

TEST(Typing, ShowingTheRestTypesTheWholePageInOneFrame) {
  WindowWorld world;
  window::C_WindowLayer w;
  WindowWorld::setUpMessageWindow(w, 20);
  w.setText(sjis("あいうえおかきくけこ"), false);
  WindowWorld::typeFrame(w, 60);
  ASSERT_TRUE(w.isTyping());
  w.requestShowAll();
  WindowWorld::typeFrame(w, 17);
  EXPECT_FALSE(w.isTyping());
  EXPECT_TRUE(w.typingFinished);
  EXPECT_FALSE(w.showAllRequest);
  EXPECT_FLOAT_EQ(w.speed, 0.05f);
}

TEST(Typing, CharactersTheFontCannotDrawNeverStopThePage) {
  WindowWorld world;
  const std::string pages[] = {
      std::string("\xF0\x40") + sjis("あ"),  // user-defined area: no glyph in any face
      sjis("あ") + "\x81",                   // a lead byte that ends the text
      std::string("\x80\xA0\xFD\xFE\xFF"),   // bytes that are no character
  };
  for (const std::string& page : pages) {
    window::C_WindowLayer w;
    WindowWorld::setUpMessageWindow(w, 20);
    w.speed = 0.0f;
    w.setText(page, false);
    WindowWorld::typeFrame(w, 17);
    EXPECT_FALSE(w.isTyping());
    EXPECT_TRUE(w.typingFinished);
  }
  EXPECT_TRUE(world.boxes().empty());
}

TEST(Typing, AWindowWithoutAFontStillFinishesItsPages) {
  WindowWorld world;
  window::C_WindowLayer w;
  w.setPicture("frame.png", nullptr, false);
  w.setWindow(window::kind::Message, 500, 160, 0, 0, false, false);
  w.setTextArea(0, 0, 400, 100);
  w.setText(sjis("あいう"), false);
  WindowWorld::typeFrame(w, 1000);
  EXPECT_FALSE(w.isTyping());
  for (uint32_t texel : WindowWorld::textTargetTexels(w)) ASSERT_EQ(texel, 0u);
}

}  // namespace
