// Glyph rasteriser: face choice, GDI-style metrics, grey bitmaps and hostile character codes.
#include "text/GlyphRasterizer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "platform/Encoding.h"
#include "text/ft/FtGlyphRasterizer.h"

namespace {

using text::GdiError;
using text::GlyphMetrics;
using text::GlyphRasterizer;
using text::LogicalFont;

constexpr uint32_t kIdeographicSpace = 0x8140;
constexpr uint32_t kHiraganaA = 0x82A0;    // あ
constexpr uint32_t kKanjiA = 0x889F;       // 亜
constexpr uint32_t kBlackSquare = 0x81A1;  // ■

GlyphRasterizer& rasterizer() {
  static std::unique_ptr<GlyphRasterizer> instance = GlyphRasterizer::create();
  if (!instance) throw std::runtime_error("no glyph rasteriser");
  return *instance;
}

// The logical font of a message window of the given size.
LogicalFont windowFont(int32_t height, std::string faceName = CP932("ＭＳ ゴシック"), int32_t weight = 400) {
  LogicalFont lf;
  lf.height = height;
  lf.weight = weight;
  lf.charSet = text::logfont::ShiftJisCharset;
  lf.outPrecision = text::logfont::OutTtOnlyPrecis;
  lf.quality = text::logfont::ProofQuality;
  lf.pitchAndFamily = text::logfont::FixedPitchModern;
  lf.faceName = std::move(faceName);
  return lf;
}

struct Glyph {
  uint32_t bytes = 0;
  GlyphMetrics metrics;
  std::vector<uint8_t> bits;
};

// The two calls of a typed character: the size, then the bitmap.
Glyph rasterise(text::Font& font, uint32_t code) {
  Glyph g;
  g.bytes = font.glyphOutline(code, g.metrics, nullptr, 0);
  EXPECT_NE(g.bytes, GdiError) << std::hex << code;
  if (g.bytes == GdiError) return g;
  g.bits.assign(g.bytes, 0xEE);
  if (g.bytes) {
    GlyphMetrics second;
    EXPECT_EQ(font.glyphOutline(code, second, g.bits.data(), g.bytes), g.bytes);
  }
  return g;
}

TEST(GlyphRasterizer, PositiveHeightIsTheCellHeight) {
  // IPAGothic: 2048 units per em, win ascent 1802, win descent 401.
  struct Case {
    int32_t height, ppem, ascent, descent;
  };
  const Case cases[] = {{60, 56, 49, 11}, {48, 45, 40, 9}, {40, 37, 33, 7}, {-24, 24, 21, 5}, {-56, 56, 49, 11}};
  for (const Case& c : cases) {
    auto font = rasterizer().createFont(windowFont(c.height));
    ASSERT_TRUE(font) << c.height;
    const text::TextMetrics tm = font->textMetrics();
    EXPECT_EQ(font->pixelsPerEm(), c.ppem) << c.height;
    EXPECT_EQ(tm.ascent, c.ascent) << c.height;
    EXPECT_EQ(tm.descent, c.descent) << c.height;
    EXPECT_EQ(tm.height, tm.ascent + tm.descent) << c.height;
    EXPECT_EQ(tm.internalLeading, tm.height - c.ppem) << c.height;
    if (c.height > 0) { EXPECT_LE(std::abs(tm.height - c.height), 1) << c.height; }
  }
}

TEST(GlyphRasterizer, GlyphsSitInTheirCellAtEverySize) {
  for (int32_t height : {20, 32, 48, 60, 96, -24}) {
    auto font = rasterizer().createFont(windowFont(height));
    ASSERT_TRUE(font);
    const text::TextMetrics tm = font->textMetrics();
    const int32_t em = font->pixelsPerEm();
    for (uint32_t code : {kHiraganaA, kKanjiA, uint32_t{'A'}, uint32_t{'g'}, uint32_t{0xB1} /* ｱ */}) {
      const Glyph g = rasterise(*font, code);
      const bool fullWidth = code > 0xFF;
      EXPECT_EQ(g.metrics.cellIncX, fullWidth ? em : (em + 1) / 2) << height << " " << std::hex << code;
      EXPECT_EQ(g.metrics.cellIncY, 0);
      EXPECT_GE(g.metrics.originX, 0) << height << " " << std::hex << code;
      EXPECT_LE(g.metrics.originX + static_cast<int32_t>(g.metrics.blackBoxX), g.metrics.cellIncX);
      EXPECT_LE(g.metrics.originY, tm.ascent) << height << " " << std::hex << code;
      EXPECT_LE(static_cast<int32_t>(g.metrics.blackBoxY) - g.metrics.originY, tm.descent);
      EXPECT_LE(static_cast<int32_t>(g.metrics.blackBoxY), tm.height);
    }
  }
}

TEST(GlyphRasterizer, BitmapsHoldSeventeenGreyLevelsInDwordRows) {
  auto font = rasterizer().createFont(windowFont(60));
  ASSERT_TRUE(font);
  bool sawPartialCoverage = false;
  for (uint32_t code : {kHiraganaA, kKanjiA, kBlackSquare, uint32_t{'W'}, uint32_t{'j'}, uint32_t{0xDE}}) {
    const Glyph g = rasterise(*font, code);
    const uint32_t pitch = text::glyphPitch(g.metrics.blackBoxX);
    ASSERT_EQ(pitch % 4, 0u);
    ASSERT_EQ(g.bytes, pitch * g.metrics.blackBoxY) << std::hex << code;
    for (uint32_t row = 0; row < g.metrics.blackBoxY; ++row) {
      for (uint32_t column = 0; column < pitch; ++column) {
        const uint8_t level = g.bits[row * pitch + column];
        if (column >= g.metrics.blackBoxX) {
          ASSERT_EQ(level, 0) << "padding of " << std::hex << code;
        } else {
          ASSERT_LE(level, text::MaxGreyLevel) << std::hex << code;
          sawPartialCoverage |= level > 0 && level < text::MaxGreyLevel;
        }
      }
    }
  }
  EXPECT_TRUE(sawPartialCoverage);

  // Full ink inside the black square is the top level, which becomes opaque alpha.
  const Glyph square = rasterise(*font, kBlackSquare);
  const uint32_t pitch = text::glyphPitch(square.metrics.blackBoxX);
  const uint8_t centre = square.bits[(square.metrics.blackBoxY / 2) * pitch + square.metrics.blackBoxX / 2];
  EXPECT_EQ(centre, 16);
  EXPECT_EQ(text::greyToAlpha(centre), 255);
  EXPECT_EQ(text::greyToAlpha(8), 127);
  EXPECT_EQ(text::greyToAlpha(0), 0);
}

TEST(GlyphRasterizer, CoverageFallsIntoSeventeenEqualBins) {
  int binSize[17] = {};
  uint8_t previous = 0;
  for (int coverage = 0; coverage <= 255; ++coverage) {
    const uint8_t level = text::ft::greyLevelOfCoverage(static_cast<uint8_t>(coverage));
    ASSERT_LE(level, 16);
    ASSERT_GE(level, previous);
    previous = level;
    ++binSize[level];
  }
  for (int level = 0; level <= 16; ++level) EXPECT_TRUE(binSize[level] == 15 || binSize[level] == 16) << level;
  EXPECT_EQ(text::ft::greyLevelOfCoverage(0), 0);
  EXPECT_EQ(text::ft::greyLevelOfCoverage(15), 0);
  EXPECT_EQ(text::ft::greyLevelOfCoverage(16), 1);
  EXPECT_EQ(text::ft::greyLevelOfCoverage(255), 16);
}

TEST(GlyphRasterizer, BlankGlyphsHaveAnAdvanceAndNoInk) {
  auto font = rasterizer().createFont(windowFont(60));
  ASSERT_TRUE(font);
  struct Case {
    uint32_t code;
    int32_t advance;
  };
  const Case cases[] = {{kIdeographicSpace, font->pixelsPerEm()}, {' ', font->pixelsPerEm() / 2}};
  for (const Case& c : cases) {
    GlyphMetrics m;
    EXPECT_EQ(font->glyphOutline(c.code, m, nullptr, 0), 0u) << std::hex << c.code;
    EXPECT_EQ(m.blackBoxX, 1u);
    EXPECT_EQ(m.blackBoxY, 1u);
    EXPECT_EQ(m.originX, 0);
    EXPECT_EQ(m.originY, 0);
    EXPECT_EQ(m.cellIncX, c.advance) << std::hex << c.code;
    uint8_t untouched[4] = {7, 7, 7, 7};
    EXPECT_EQ(font->glyphOutline(c.code, m, untouched, sizeof untouched), 0u);
    EXPECT_EQ(untouched[0], 7);
  }
}

TEST(GlyphRasterizer, BufferProtocolAndInterleavedCharacters) {
  auto font = rasterizer().createFont(windowFont(48));
  ASSERT_TRUE(font);
  const Glyph first = rasterise(*font, kKanjiA);
  ASSERT_GT(first.bytes, 0u);

  GlyphMetrics m;
  std::vector<uint8_t> small(first.bytes - 1);
  EXPECT_EQ(font->glyphOutline(kKanjiA, m, small.data(), static_cast<uint32_t>(small.size())), GdiError);

  // Another character in between must not leak into the next answer.
  const Glyph other = rasterise(*font, kHiraganaA);
  EXPECT_NE(other.bits, first.bits);
  const Glyph again = rasterise(*font, kKanjiA);
  EXPECT_EQ(again.bits, first.bits);
  EXPECT_EQ(again.metrics.blackBoxX, first.metrics.blackBoxX);
  EXPECT_EQ(again.metrics.originY, first.metrics.originY);

  // Fonts of two sizes on the same face do not disturb each other.
  auto large = rasterizer().createFont(windowFont(96));
  ASSERT_TRUE(large);
  const Glyph big = rasterise(*large, kKanjiA);
  EXPECT_GT(big.metrics.blackBoxX, first.metrics.blackBoxX);
  EXPECT_EQ(rasterise(*font, kKanjiA).bits, first.bits);
}

TEST(GlyphRasterizer, CharactersOutsideTheFaceOrTheCodePageNeverFail) {
  auto font = rasterizer().createFont(windowFont(60));
  ASSERT_TRUE(font);
  EXPECT_TRUE(font->hasGlyph(kKanjiA));
  EXPECT_TRUE(font->hasGlyph(0x8740));  // ① on the NEC row
  // User-defined area, a bad trail byte, a lone lead byte, undefined single bytes, beyond 16 bits.
  for (uint32_t code : {0xF040u, 0x8120u, 0x81u, 0xA0u, 0xFDu, 0x4142u, 0x10000u, 0xFFFFFFFFu}) {
    EXPECT_FALSE(font->hasGlyph(code)) << std::hex << code;
    const Glyph g = rasterise(*font, code);  // the replacement glyph, or nothing
    EXPECT_EQ(g.bytes, text::glyphPitch(g.metrics.blackBoxX) * (g.bytes ? g.metrics.blackBoxY : 0));
    EXPECT_LE(g.metrics.cellIncX, font->pixelsPerEm());
  }
}

TEST(GlyphRasterizer, FaceNames) {
  struct Case {
    std::string name;
    const char* family;
    bool fallback;
  };
  const Case cases[] = {
      {CP932("ＭＳ ゴシック"), "IPAGothic", false},
      {"MS Gothic", "IPAGothic", false},
      {"ms gothic", "IPAGothic", false},
      {CP932("ＭＳ 明朝"), "IPAMincho", false},
      {"MS Mincho", "IPAMincho", false},
      {"IPAMincho", "IPAMincho", false},
      {"", "IPAGothic", false},
      {"No Such Face Anywhere", "IPAGothic", true},
      {"\x81", "IPAGothic", true},  // not even code page 932 text
      {CP932("存在しないフォント名がとても長く続いてLOGFONTに収まらない"), "IPAGothic", true},
  };
  for (const Case& c : cases) {
    auto font = rasterizer().createFont(windowFont(60, c.name));
    ASSERT_TRUE(font) << c.name;
    EXPECT_EQ(font->familyName(), c.family) << platform::cp932ToUtf8(c.name);
    EXPECT_EQ(font->usedFallbackFace(), c.fallback) << platform::cp932ToUtf8(c.name);
  }
  // Mincho is a face of its own: a larger win descent gives it a smaller em at the same height.
  EXPECT_EQ(rasterizer().createFont(windowFont(60, CP932("ＭＳ 明朝")))->pixelsPerEm(), 54);
}

TEST(GlyphRasterizer, SizesOutOfRangeGiveNoFont) {
  EXPECT_FALSE(rasterizer().createFont(windowFont(1000000)));
  EXPECT_FALSE(rasterizer().createFont(windowFont(INT_MIN)));
  EXPECT_FALSE(rasterizer().createFont(windowFont(-(GlyphRasterizer::MaxPixelsPerEm + 1))));
  auto tiny = rasterizer().createFont(windowFont(1));
  ASSERT_TRUE(tiny);
  EXPECT_EQ(tiny->pixelsPerEm(), 1);
  rasterise(*tiny, kKanjiA);
  auto byDefault = rasterizer().createFont(windowFont(0));
  ASSERT_TRUE(byDefault);
  EXPECT_EQ(byDefault->textMetrics().height, 16);
}

TEST(GlyphRasterizer, BoldAndItalicWidenTheInk) {
  auto regular = rasterizer().createFont(windowFont(-24));
  auto bold = rasterizer().createFont(windowFont(-24, "MS Gothic", text::logfont::WeightBold));
  LogicalFont italicFont = windowFont(-24);
  italicFont.italic = 1;
  auto italic = rasterizer().createFont(italicFont);
  ASSERT_TRUE(regular && bold && italic);
  const Glyph r = rasterise(*regular, 'H');
  const Glyph b = rasterise(*bold, 'H');
  const Glyph i = rasterise(*italic, 'H');
  EXPECT_GT(b.metrics.blackBoxX, r.metrics.blackBoxX);
  EXPECT_GT(b.metrics.cellIncX, r.metrics.cellIncX);
  EXPECT_GT(i.metrics.blackBoxX, r.metrics.blackBoxX);
  EXPECT_EQ(i.metrics.cellIncX, r.metrics.cellIncX);
  EXPECT_EQ(i.metrics.blackBoxY, r.metrics.blackBoxY);
}

TEST(GlyphRasterizer, FontsOutliveTheirRasterizer) {
  auto own = GlyphRasterizer::create();
  ASSERT_TRUE(own);
  auto font = own->createFont(windowFont(60));
  ASSERT_TRUE(font);
  own.reset();
  EXPECT_GT(rasterise(*font, kKanjiA).bytes, 0u);
}

}  // namespace
