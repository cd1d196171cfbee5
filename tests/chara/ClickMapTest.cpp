// Click maps: the region lookup at each depth (row padding, nibble order, bit order) and BMPs
// that lie about themselves.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "chara/ClickMap.h"
#include "chara/TouchFixtures.h"
#include "platform/Platform.h"

namespace {

using touchtest::Bmp;

layer::ClickMap Parsed(const std::vector<uint8_t>& bytes, bool expectOk = true) {
  layer::ClickMap m;
  EXPECT_EQ(chara::ParseClickMap(bytes.data(), bytes.size(), m), expectOk);
  return m;
}

struct Lookup {
  const char* label;
  float u, v;
  int32_t region;
};

TEST(ClickMap, EightBitRowsArePaddedToFourBytesBottomRowFirst) {
  // 5 x 2: rows of 8 bytes; the bottom row holds 1..5, the top row 6..10.
  const layer::ClickMap m = Parsed(Bmp(5, 2, 8, {1, 2, 3, 4, 5, 0xEE, 0xEE, 0xEE, 6, 7, 8, 9, 10, 0xEE, 0xEE, 0xEE}));
  EXPECT_EQ(m.byteSize, 16);
  const Lookup cases[] = {
      {"bottom left", 0.0f, 0.0f, 1},
      {"bottom right", 0.99f, 0.49f, 5},
      {"top left", 0.0f, 0.5f, 6},
      {"top right", 0.99f, 0.99f, 10},
      {"column 2", 0.45f, 0.7f, 8},
      {"u of 1 is past the edge", 1.0f, 0.0f, 0},
      {"v of 1 is past the edge", 0.0f, 1.0f, 0},
      {"negative u", -0.1f, 0.0f, 0},
  };
  for (const Lookup& c : cases) EXPECT_EQ(chara::ClickMapIndexAt(m, c.u, c.v), c.region) << c.label;
}

TEST(ClickMap, FourBitEvenColumnsAreTheHighNibble) {
  // 3 x 1: columns 0..2 are 0xA, 0xB, 0xC; row of 4 bytes.
  const layer::ClickMap m = Parsed(Bmp(3, 1, 4, {0xAB, 0xC0, 0, 0}));
  const Lookup cases[] = {{"column 0", 0.1f, 0.5f, 0xA}, {"column 1", 0.4f, 0.5f, 0xB}, {"column 2", 0.9f, 0.5f, 0xC}};
  for (const Lookup& c : cases) EXPECT_EQ(chara::ClickMapIndexAt(m, c.u, c.v), c.region) << c.label;
}

TEST(ClickMap, OneBitColumnsCountFromTheLeastSignificantBit) {
  // 16 x 2: bottom row bytes 0b00000010, 0b10000000 -> columns 1 and 15; top row all set.
  const layer::ClickMap m = Parsed(Bmp(16, 2, 1, {0x02, 0x80, 0, 0, 0xFF, 0xFF, 0, 0}));
  for (int x = 0; x < 16; ++x) {
    const float u = (float(x) + 0.5f) / 16.0f;
    EXPECT_EQ(chara::ClickMapIndexAt(m, u, 0.25f), (x == 1 || x == 15) ? 1 : 0) << "column " << x;
    EXPECT_EQ(chara::ClickMapIndexAt(m, u, 0.75f), 1) << "top row, column " << x;
  }
}

TEST(ClickMap, OtherDepthsShowTheMessageAndHaveNoRegions) {
  for (uint16_t bits : {16, 24, 32, 0, 2}) {
    platform::clearMessageBoxLog();
    const layer::ClickMap m = Parsed(Bmp(2, 2, bits, std::vector<uint8_t>(32, 1)), false);
    EXPECT_TRUE(m.pixels.empty()) << bits;
    EXPECT_EQ(chara::ClickMapIndexAt(m, 0.5f, 0.5f), 0) << bits;
    ASSERT_EQ(platform::messageBoxLog().size(), 1u) << bits;
    EXPECT_EQ(platform::messageBoxLog()[0].captionUtf8, "ERROR");
    EXPECT_EQ(platform::messageBoxLog()[0].textUtf8, "クリッカブルマップのBMPが、インデックス形式ではない");
  }
}

TEST(ClickMap, HostileHeadersNeverReadOutsideTheFile) {
  struct Hostile {
    const char* label;
    std::vector<uint8_t> bytes;
    bool ok;
    int32_t regionAtBottomLeft;
  };
  const std::vector<uint8_t> row = {7, 7, 7, 7};
  std::vector<uint8_t> truncatedHeader = Bmp(4, 1, 8, row);
  truncatedHeader.resize(29);
  std::vector<uint8_t> offsetPastEnd = Bmp(4, 1, 8, row);
  offsetPastEnd[10] = 0xF0, offsetPastEnd[11] = offsetPastEnd[12] = offsetPastEnd[13] = 0xFF;
  const Hostile cases[] = {
      {"shorter than the header", truncatedHeader, false, 0},
      {"zero width", Bmp(0, 1, 8, row), false, 0},
      {"negative height", Bmp(4, -1, 8, row), false, 0},
      {"negative width", Bmp(-4, 1, 8, row), false, 0},
      {"huge size", Bmp(0x7FFFFFFF, 0x7FFFFFFF, 8, row), false, 0},
      {"pixel offset past the end", offsetPastEnd, true, 0},
      // Only the bottom row is present: the missing top rows have no regions.
      {"rows missing at the end", Bmp(4, 3, 8, row), true, 7},
      // 60 bytes that declare the largest map allowed.
      {"large map, four pixels present", Bmp(8192, 8192, 8, row), true, 0},
  };
  for (const Hostile& c : cases) {
    layer::ClickMap m;
    EXPECT_EQ(chara::ParseClickMap(c.bytes.data(), c.bytes.size(), m), c.ok) << c.label;
    // A map never holds more than the file gave.
    EXPECT_LE(m.pixels.size(), c.bytes.size()) << c.label;
    EXPECT_EQ(chara::ClickMapIndexAt(m, 0.1f, 0.1f), c.regionAtBottomLeft) << c.label;
    EXPECT_EQ(chara::ClickMapIndexAt(m, 0.1f, 0.9f), 0) << c.label;
  }
}

}  // namespace
