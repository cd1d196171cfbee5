// Pictures built in memory for the tests: filled by a function or one colour, and as PNG bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gfx/Image.h"

namespace testsupport {

// A picture filled by f(x, y) -> 0xAARRGGBB.
template <typename F>
gfx::Image makeImage(int32_t width, int32_t height, F f) {
  gfx::Image image;
  image.width = width;
  image.height = height;
  image.pixels.resize(size_t(width) * size_t(height));
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x) image.pixels[size_t(y) * size_t(width) + size_t(x)] = f(x, y);
  return image;
}

inline gfx::Image solidImage(int32_t width, int32_t height, uint32_t argb) {
  return makeImage(width, height, [argb](int32_t, int32_t) { return argb; });
}

inline std::vector<uint8_t> pngBytes(const gfx::Image& image) {
  std::vector<uint8_t> out;
  EXPECT_TRUE(gfx::encodePng(image, out));
  return out;
}

// A screenshot file read back, decoded (a failure to decode fails the test).
inline gfx::Image readShot(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  gfx::Image image;
  EXPECT_EQ(gfx::decodeImage(bytes.data(), bytes.size(), image), 0) << path;
  return image;
}

// The colour of one pixel without its alpha.
inline uint32_t rgbAt(const gfx::Image& image, int x, int y) {
  return image.pixels[size_t(y) * size_t(image.width) + size_t(x)] & 0x00FFFFFFu;
}

}  // namespace testsupport
