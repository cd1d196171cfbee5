// Glyph texture fill: texel placement, the alpha rule and clipping to the texture.
#include "text/GlyphTexels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/Encoding.h"

namespace {

using text::GlyphMetrics;
using text::TextMetrics;

constexpr uint32_t kClear = 0x00FFFFFF;
constexpr uint8_t kSentinel = 0xAB;

// A locked texture: rows of rowPitchBytes (wider than the texels), pre-filled with a sentinel so
// stale texels and writes into the row padding or past the end show.
struct LockedTexture {
  uint32_t width, height, rowPitchBytes;
  std::vector<uint8_t> memory;

  LockedTexture(uint32_t w, uint32_t h, uint32_t extraBytesPerRow = 8)
      : width(w), height(h), rowPitchBytes(w * 4 + extraBytesPerRow), memory(rowPitchBytes * h + 16, kSentinel) {}

  uint32_t texel(uint32_t row, uint32_t column) const {
    uint32_t t;
    std::memcpy(&t, memory.data() + row * rowPitchBytes + column * 4, 4);
    return t;
  }
  bool paddingUntouched() const {
    for (uint32_t row = 0; row < height; ++row) {
      for (uint32_t b = width * 4; b < rowPitchBytes; ++b) {
        if (memory[row * rowPitchBytes + b] != kSentinel) return false;
      }
    }
    for (size_t b = rowPitchBytes * height; b < memory.size(); ++b) {
      if (memory[b] != kSentinel) return false;
    }
    return true;
  }
  void fill(const TextMetrics& tm, const GlyphMetrics& gm, const std::vector<uint8_t>& bits) {
    text::fillGlyphTexels(tm, gm, bits.data(), static_cast<uint32_t>(bits.size()), memory.data(), width, height,
                          rowPitchBytes);
  }
};

uint32_t white(uint8_t alpha) { return kClear | static_cast<uint32_t>(alpha) << 24; }

TEST(GlyphTexels, BitmapLandsBelowTheAscentWithTheAlphaRule) {
  // 3 x 2 ink box (pitch 4) whose top is 5 above the baseline, 1 right of the pen; ascent 6.
  const std::vector<uint8_t> bits = {16, 8, 1, 0, 0, 4, 16, 0};
  const GlyphMetrics gm{3, 2, 1, 5, 4, 0};
  const TextMetrics tm{8, 6, 2, 0};
  LockedTexture texture(6, 8);
  texture.fill(tm, gm, bits);

  const uint32_t expectedRow1[6] = {kClear, white(255), white(127), white(15), white(0), kClear};
  const uint32_t expectedRow2[6] = {kClear, white(0), white(63), white(255), white(0), kClear};
  for (uint32_t r = 0; r < texture.height; ++r) {
    for (uint32_t c = 0; c < texture.width; ++c) {
      const uint32_t expected = r == 1 ? expectedRow1[c] : r == 2 ? expectedRow2[c] : kClear;
      EXPECT_EQ(texture.texel(r, c), expected) << r << "," << c;
    }
  }
  EXPECT_TRUE(texture.paddingUntouched());
}

TEST(GlyphTexels, ClippedToTheTextureAndTheCell) {
  // 6 x 6 ink (pitch 8) of distinct levels, so a texel tells which bitmap pixel it shows.
  std::vector<uint8_t> bits(8 * 6);
  for (size_t i = 0; i < bits.size(); ++i) bits[i] = static_cast<uint8_t>(i % 17);
  struct Case {
    const char* what;
    GlyphMetrics gm;
    TextMetrics tm;
    uint32_t width, height;
    uint32_t row, column;  // a texel to check
    int bitmapIndex;       // what it shows; -1 for clear
  };
  const Case cases[] = {
      {"ink above the cell top, left of the pen", {6, 6, -2, 8, 6, 0}, {8, 6, 2, 0}, 5, 5, 0, 0, 2 * 8 + 2},
      {"cell taller than the texture", {6, 6, 1, 2, 6, 0}, {12, 10, 2, 0}, 4, 9, 8, 3, 0 * 8 + 2},
      {"ink past the right edge", {6, 6, 3, 6, 6, 0}, {8, 6, 2, 0}, 5, 8, 0, 4, 1},
      {"rows below a short cell", {6, 6, 0, 6, 6, 0}, {3, 6, 2, 0}, 8, 8, 3, 1, -1},
      {"origin far outside", {6, 6, -100000, -100000, 6, 0}, {8, 6, 2, 0}, 4, 4, 3, 3, -1},
  };
  for (const Case& c : cases) {
    LockedTexture texture(c.width, c.height);
    texture.fill(c.tm, c.gm, bits);
    EXPECT_TRUE(texture.paddingUntouched()) << c.what;
    const uint32_t expected = c.bitmapIndex < 0 ? kClear : white(text::greyToAlpha(bits[c.bitmapIndex]));
    EXPECT_EQ(texture.texel(c.row, c.column), expected) << c.what;
  }
}

TEST(GlyphTexels, NoInkClearsTheWholeTexture) {
  const TextMetrics tm{8, 6, 2, 0};
  const std::vector<uint8_t> shortBits = {16, 16, 16};  // fewer bytes than a 3 x 2 box needs
  LockedTexture texture(4, 4);
  texture.fill(tm, GlyphMetrics{3, 2, 0, 6, 4, 0}, shortBits);
  texture.fill(tm, GlyphMetrics{1, 1, 0, 0, 4, 0}, {});
  for (uint32_t r = 0; r < 4; ++r) {
    for (uint32_t c = 0; c < 4; ++c) EXPECT_EQ(texture.texel(r, c), kClear);
  }
}

TEST(GlyphTexels, RealGlyphsFitTheTextureOfTwiceTheFontSize) {
  // At font size 24 the IPA cell is 49 rows for a 48-row texture.
  auto rasterizer = text::GlyphRasterizer::create();
  ASSERT_TRUE(rasterizer);
  text::LogicalFont lf;
  lf.height = 48;
  lf.faceName = CP932("ＭＳ ゴシック");
  auto font = rasterizer->createFont(lf);
  ASSERT_TRUE(font);
  ASSERT_GT(font->textMetrics().height, 48);
  for (uint32_t code : {0x82A0u /* あ */, 0x8140u /* ideographic space */, uint32_t{'g'}}) {
    GlyphMetrics gm;
    std::vector<uint8_t> bits(font->glyphOutline(code, gm, nullptr, 0));
    if (!bits.empty()) font->glyphOutline(code, gm, bits.data(), static_cast<uint32_t>(bits.size()));
    LockedTexture texture(48, 48);
    texture.fill(font->textMetrics(), gm, bits);
    EXPECT_TRUE(texture.paddingUntouched());
    int opaque = 0;
    for (uint32_t r = 0; r < 48; ++r) {
      for (uint32_t c = 0; c < 48; ++c) opaque += texture.texel(r, c) >> 24 == 255;
    }
    EXPECT_EQ(opaque > 0, !bits.empty()) << std::hex << code;
  }
}

}  // namespace
