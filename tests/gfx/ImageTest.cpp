// Picture information, decoding, the default-size stretch, mips and hostile files.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "GfxFixtures.h"
#include "gfx/Image.h"

namespace {

using namespace gfxtest;

TEST(Image, PowerOfTwoSizes) {
  const uint32_t cases[][2] = {{1, 1}, {2, 2}, {3, 4}, {480, 512}, {512, 512}, {513, 1024}, {640, 1024}, {768, 1024}};
  for (const auto& c : cases) EXPECT_EQ(gfx::nextPowerOfTwo(c[0]), c[1]) << c[0];
}

TEST(Image, LinearStretchAndMipAverages) {
  // Centre-aligned taps clamped at the edges: 0 and 255 stretched to four texels.
  gfx::Image src = makeImage(2, 1, [](int32_t x, int32_t) { return x == 0 ? 0xFF000000u : 0xFFFFFFFFu; });
  gfx::Image dst;
  gfx::resampleLinear(src, 4, 1, dst);
  const int expected[4] = {0, 64, 191, 255};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(channel(dst.pixels[size_t(i)], 0), expected[i]) << i;

  // Equal sizes copy exactly.
  gfx::Image noisy = makeImage(5, 3, [](int32_t x, int32_t y) { return uint32_t(x * 977 + y * 131071) * 2654435761u; });
  gfx::resampleLinear(noisy, 5, 3, dst);
  EXPECT_EQ(dst.pixels, noisy.pixels);

  // Halving averages 2x2 blocks (rounded), and 2x1 once one side is 1.
  gfx::Image quad = makeImage(2, 2, [](int32_t x, int32_t y) { return 0xFF000000u | uint32_t((x + 2 * y) * 10 + 1); });
  gfx::Image half;
  gfx::halveImage(quad, half);
  ASSERT_EQ(half.width, 1);
  ASSERT_EQ(half.height, 1);
  EXPECT_EQ(channel(half.pixels[0], 0), (1 + 11 + 21 + 31 + 2) / 4);
  gfx::Image row = makeImage(2, 1, [](int32_t x, int32_t) { return x ? 0x00000003u : 0x00000000u; });
  gfx::halveImage(row, half);
  EXPECT_EQ(channel(half.pixels[0], 0), 2);
}

// A texture made from a picture holds, level by level, the picture stretched to powers of two
// and then each level's rounded 2 x 2 averages (2 x 1 once a side is 1), channel by channel.
TEST(Image, TextureLevelsAreTheStretchAndItsAverages) {
  auto device = headlessDevice();
  ASSERT_TRUE(device);
  auto halve = [](const gfx::Image& src) {
    const int32_t w = std::max(1, src.width / 2), h = std::max(1, src.height / 2);
    const int32_t sx = src.width > 1 ? 2 : 1, sy = src.height > 1 ? 2 : 1;
    return makeImage(w, h, [&](int32_t x, int32_t y) {
      uint32_t out = 0;
      for (int shift = 0; shift < 32; shift += 8) {
        uint32_t sum = 0;
        for (int32_t dy = 0; dy < sy; ++dy)
          for (int32_t dx = 0; dx < sx; ++dx)
            sum += (src.pixels[size_t(y * sy + dy) * size_t(src.width) + size_t(x * sx + dx)] >> shift) & 0xFF;
        out |= (sum + uint32_t(sx * sy) / 2) / uint32_t(sx * sy) << shift;
      }
      return out;
    });
  };
  // Noise over all four channels, and blocks of 255 that carry in every channel.
  const int32_t sizes[][2] = {{64, 32}, {48, 20}, {5, 3}, {1, 16}, {16, 1}, {1, 1}};
  for (const auto& size : sizes) {
    SCOPED_TRACE(std::to_string(size[0]) + "x" + std::to_string(size[1]));
    const gfx::Image picture = makeImage(size[0], size[1], [](int32_t x, int32_t y) {
      return (x / 4 + y / 4) % 3 == 0 ? 0xFFFFFFFFu : uint32_t(x * 977 + y * 131071 + 12345) * 2654435761u;
    });
    gfx::TexturePtr texture;
    ASSERT_EQ(gfx::createTextureFromImage(*device, gfx::Image(picture), 0, 0, 0, 0, gfx::Pool::Managed, texture),
              gfx::result::Ok);
    gfx::Image expected;
    gfx::resampleLinear(picture, texture->width(0), texture->height(0), expected);
    for (int32_t level = 0; level < texture->levelCount(); ++level) {
      std::vector<uint32_t> texels;
      ASSERT_EQ(device->readSurface(texture->surfaceLevel(level), texels), gfx::result::Ok);
      EXPECT_EQ(texels, expected.pixels) << "level " << level;
      expected = halve(expected);
    }
  }

  // Written whole from rows wider than the level; a level never written reads as zero.
  gfx::TexturePtr texture;
  ASSERT_EQ(device->createTexture(4, 2, 2, 0, gfx::Pool::Managed, texture), gfx::result::Ok);
  const std::vector<uint32_t> rows = {1, 2, 3, 4, 99, 5, 6, 7, 8, 99};
  EXPECT_EQ(texture->writeLevel(0, rows.data(), 3), gfx::result::InvalidCall);
  ASSERT_EQ(texture->writeLevel(0, rows.data(), 5), gfx::result::Ok);
  std::vector<uint32_t> texels;
  ASSERT_EQ(device->readSurface(texture->surfaceLevel(0), texels), gfx::result::Ok);
  EXPECT_EQ(texels, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8}));
  ASSERT_EQ(device->readSurface(texture->surfaceLevel(1), texels), gfx::result::Ok);
  EXPECT_EQ(texels, (std::vector<uint32_t>{0, 0}));
  gfx::LockedRect lr;
  ASSERT_EQ(texture->lockRect(0, lr), gfx::result::Ok);
  EXPECT_EQ(reinterpret_cast<const uint32_t*>(lr.bits + lr.pitch)[3], 8u);
  // Not while a level is locked.
  EXPECT_EQ(texture->writeLevel(1, rows.data(), 2), gfx::result::InvalidCall);
  texture->unlockRect(0);
}

TEST(Image, HeadersGiveTheFileSize) {
  const gfx::Image picture = makeImage(37, 21, [](int32_t x, int32_t y) { return 0xFF000000u | uint32_t(x * 5 + y); });
  std::vector<uint8_t> jpeg;
  ASSERT_TRUE(gfx::encodeJpeg(picture, 90, jpeg));
  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
    gfx::ImageFileFormat format;
  } cases[] = {
      {"png", pngBytes(picture), gfx::ImageFileFormat::Png},
      {"bmp24", bmpBytes(picture, 24), gfx::ImageFileFormat::Bmp},
      {"bmp32", bmpBytes(picture, 32), gfx::ImageFileFormat::Bmp},
      {"jpeg", jpeg, gfx::ImageFileFormat::Jpg},
  };
  for (const Case& c : cases) {
    gfx::ImageInfo info;
    ASSERT_EQ(gfx::getImageInfoFromMemory(c.bytes.data(), c.bytes.size(), info), gfx::result::Ok) << c.name;
    EXPECT_EQ(info.width, 37u) << c.name;
    EXPECT_EQ(info.height, 21u) << c.name;
    EXPECT_EQ(info.fileFormat, c.format) << c.name;
    gfx::Image decoded;
    ASSERT_EQ(gfx::decodeImage(c.bytes.data(), c.bytes.size(), decoded), gfx::result::Ok) << c.name;
    EXPECT_EQ(decoded.width, 37) << c.name;
    EXPECT_EQ(decoded.height, 21) << c.name;
  }
}

TEST(Image, AlphaOfTheFormats) {
  // PNG keeps its alpha; a plain 32-bit BMP reads as opaque whatever its fourth byte holds.
  const gfx::Image picture =
      makeImage(3, 2, [](int32_t x, int32_t y) { return uint32_t(x * 60 + y * 20) << 24 | 0x123456u; });
  const std::vector<uint8_t> png = pngBytes(picture);
  gfx::Image decoded;
  ASSERT_EQ(gfx::decodeImage(png.data(), png.size(), decoded), gfx::result::Ok);
  EXPECT_EQ(decoded.pixels, picture.pixels);

  const std::vector<uint8_t> bmp = bmpBytes(picture, 32);
  ASSERT_EQ(gfx::decodeImage(bmp.data(), bmp.size(), decoded), gfx::result::Ok);
  for (uint32_t p : decoded.pixels) EXPECT_EQ(p, 0xFF123456u) << hex(p);

  const std::vector<uint8_t> bmp24 = bmpBytes(picture, 24);
  ASSERT_EQ(gfx::decodeImage(bmp24.data(), bmp24.size(), decoded), gfx::result::Ok);
  for (uint32_t p : decoded.pixels) EXPECT_EQ(p, 0xFF123456u) << hex(p);
}

TEST(Image, HostileFilesAreRefusedWithoutACrash) {
  const std::vector<uint8_t> png = pngBytes(solidImage(16, 16, 0xFF00FF00u));
  std::vector<uint8_t> truncated(png.begin(), png.begin() + 40);
  std::vector<uint8_t> hugePng = png;  // IHDR claims 60000 x 60000
  hugePng[16] = 0;
  hugePng[17] = 0;
  hugePng[18] = 0xEA;
  hugePng[19] = 0x60;
  hugePng[20] = 0;
  hugePng[21] = 0;
  hugePng[22] = 0xEA;
  hugePng[23] = 0x60;
  std::vector<uint8_t> zeroPng = png;  // IHDR claims 0 x 16
  zeroPng[18] = zeroPng[19] = 0;
  std::vector<uint8_t> hugeBmp = bmpBytes(solidImage(4, 4, 0xFF000000u), 24);
  hugeBmp[20] = 0x01;  // width 65540
  std::vector<uint8_t> garbage(300);
  for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = uint8_t(i * 37 + 11);
  std::vector<uint8_t> jpegStart = {0xFF, 0xD8, 0xFF, 0xC0, 0x00};

  struct Case {
    const char* name;
    std::vector<uint8_t> bytes;
  } cases[] = {{"empty", {}},         {"truncated png", truncated}, {"huge png", hugePng},  {"zero-size png", zeroPng},
               {"huge bmp", hugeBmp}, {"garbage", garbage},         {"cut jpeg", jpegStart}};
  auto device = headlessDevice();
  ASSERT_TRUE(device);
  for (const Case& c : cases) {
    gfx::Image decoded;
    EXPECT_NE(gfx::decodeImage(c.bytes.data(), c.bytes.size(), decoded), gfx::result::Ok) << c.name;
    gfx::TexturePtr texture;
    EXPECT_NE(gfx::createTextureFromFileInMemory(*device, c.bytes.data(), c.bytes.size(), 0, 0, 0, 0,
                                                 gfx::Pool::Managed, texture),
              gfx::result::Ok)
        << c.name;
    EXPECT_EQ(texture, nullptr) << c.name;
  }
}

// A TGA file: 18-byte header, then pixels bottom row first (B, G, R bytes), plain or run-length
// packets as given.
std::vector<uint8_t> tgaBytes(uint8_t type, uint16_t width, uint16_t height, uint8_t depth,
                              const std::vector<uint8_t>& data) {
  std::vector<uint8_t> b = {0,
                            0,
                            type,
                            0,
                            0,
                            0,
                            0,
                            0,
                            0,
                            0,
                            0,
                            0,
                            uint8_t(width),
                            uint8_t(width >> 8),
                            uint8_t(height),
                            uint8_t(height >> 8),
                            depth,
                            0};
  for (uint8_t v : data) b.push_back(v);
  return b;
}

// Every format is identified and sized from its header before anything is decoded: TGA by the
// fields of its header, anything else the engine does not read (GIF, text) is refused.
TEST(Image, TgaIsReadFromItsHeaderAndOtherFormatsAreRefused) {
  const std::vector<uint8_t> plain = tgaBytes(2, 2, 1, 24, {0x30, 0x20, 0x10, 0x60, 0x50, 0x40});
  const std::vector<uint8_t> rle = tgaBytes(10, 3, 1, 24, {0x82, 0x30, 0x20, 0x10});
  for (const auto& [name, bytes, width, first] :
       {std::tuple{"plain", plain, 2, 0xFF102030u}, std::tuple{"run-length", rle, 3, 0xFF102030u}}) {
    gfx::ImageInfo info;
    ASSERT_EQ(gfx::getImageInfoFromMemory(bytes.data(), bytes.size(), info), gfx::result::Ok) << name;
    EXPECT_EQ(info.fileFormat, gfx::ImageFileFormat::Tga) << name;
    EXPECT_EQ(info.width, uint32_t(width)) << name;
    gfx::Image decoded;
    ASSERT_EQ(gfx::decodeImage(bytes.data(), bytes.size(), decoded), gfx::result::Ok) << name;
    ASSERT_EQ(decoded.width, width) << name;
    EXPECT_EQ(decoded.pixels[0], first) << name << " " << hex(decoded.pixels[0]);
  }

  // 26 bytes claiming 65535 x 16348 32-bit pixels (4 GB before the header was checked).
  std::vector<uint8_t> hugeTga = tgaBytes(2, 0xFFFF, 0x3FDC, 32, std::vector<uint8_t>(8, 0xAB));
  std::vector<uint8_t> manyPixelsTga = tgaBytes(3, 8000, 8000, 8, std::vector<uint8_t>(64, 0));
  std::vector<uint8_t> shortTga = tgaBytes(2, 4, 4, 24, std::vector<uint8_t>(20, 0));
  std::vector<uint8_t> badDepthTga = tgaBytes(2, 1, 1, 7, {1, 2, 3});
  const std::vector<uint8_t> gif = {'G', 'I',  'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, 0xFF, 0xFF, 0xFF, 0,   0,
                                    0,   0x2C, 0,   0,   0,   0,   1, 0, 1, 0, 0,    2, 2, 0x44, 1,    0,    0x3B};
  const std::string text = "P('not a picture at all')\n";
  // 8192 x 8192 within the side limit, beyond the total.
  std::vector<uint8_t> squarePng = pngBytes(solidImage(16, 16, 0xFF00FF00u));
  squarePng[18] = squarePng[22] = 0x20;
  squarePng[19] = squarePng[23] = 0;
  // A BMP whose header claims more pixels than the file holds.
  std::vector<uint8_t> shortBmp = bmpBytes(solidImage(4, 4, 0xFF000000u), 24);
  shortBmp[19] = shortBmp[23] = 0x10;  // 4100 x 4100

  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
  } refused[] = {{"huge tga", hugeTga},
                 {"too many tga pixels", manyPixelsTga},
                 {"cut-short tga", shortTga},
                 {"tga of an unknown depth", badDepthTga},
                 {"gif", gif},
                 {"text", std::vector<uint8_t>(text.begin(), text.end())},
                 {"8192 x 8192 png", squarePng},
                 {"cut-short bmp", shortBmp}};
  for (const auto& c : refused) {
    gfx::ImageInfo info;
    EXPECT_EQ(gfx::getImageInfoFromMemory(c.bytes.data(), c.bytes.size(), info), gfx::result::InvalidData) << c.name;
    gfx::Image decoded;
    std::string error;
    EXPECT_EQ(gfx::decodeImage(c.bytes.data(), c.bytes.size(), decoded, &error), gfx::result::InvalidData) << c.name;
    EXPECT_FALSE(error.empty()) << c.name;
    EXPECT_TRUE(decoded.pixels.empty()) << c.name;
  }
}

TEST(Image, DefaultSizeTexturesStretchToPowersOfTwo) {
  auto device = headlessDevice();
  ASSERT_TRUE(device);
  struct Case {
    int32_t w, h, texW, texH, levels;
  } cases[] = {{640, 480, 1024, 512, 11}, {1, 1, 1, 1, 1}, {1024, 768, 1024, 1024, 11}, {800, 600, 1024, 1024, 11}};
  for (const Case& c : cases) {
    // Left half red, right half blue: the stretch keeps each half's inside exact.
    const gfx::Image picture =
        makeImage(c.w, c.h, [&](int32_t x, int32_t) { return x * 2 < c.w ? 0xFFFF0000u : 0xFF0000FFu; });
    const std::vector<uint8_t> png = pngBytes(picture);
    gfx::TexturePtr texture;
    gfx::ImageInfo info;
    ASSERT_EQ(gfx::createTextureFromFileInMemory(*device, png.data(), png.size(), 0, 0, 0, 0, gfx::Pool::Managed,
                                                 texture, &info),
              gfx::result::Ok);
    EXPECT_EQ(info.width, uint32_t(c.w));
    EXPECT_EQ(info.height, uint32_t(c.h));
    EXPECT_EQ(texture->width(0), c.texW);
    EXPECT_EQ(texture->height(0), c.texH);
    EXPECT_EQ(texture->levelCount(), c.levels);
    std::vector<uint32_t> level0;
    ASSERT_EQ(device->readSurface(texture->surfaceLevel(0), level0), gfx::result::Ok);
    EXPECT_EQ(level0.front(), 0xFFFF0000u);
    if (c.w > 1) { EXPECT_EQ(level0[size_t(c.texW - 1)], 0xFF0000FFu); }
  }
  // The ratios the layers draw with.
  EXPECT_FLOAT_EQ(640.0f / 1024.0f, 0.625f);
  EXPECT_FLOAT_EQ(480.0f / 512.0f, 0.9375f);

  // An explicit size is used as given (the picture's own size for processor-side work).
  const std::vector<uint8_t> png = pngBytes(solidImage(30, 20, 0x80FFFFFFu));
  gfx::TexturePtr texture;
  ASSERT_EQ(
      gfx::createTextureFromFileInMemory(*device, png.data(), png.size(), 30, 20, 1, 0, gfx::Pool::SystemMem, texture),
      gfx::result::Ok);
  EXPECT_EQ(texture->width(0), 30);
  EXPECT_EQ(texture->height(0), 20);
  gfx::LockedRect lr;
  ASSERT_EQ(texture->lockRect(0, lr), gfx::result::Ok);
  EXPECT_EQ(reinterpret_cast<uint32_t*>(lr.bits)[0], 0x80FFFFFFu);
  texture->unlockRect(0);
}

}  // namespace
