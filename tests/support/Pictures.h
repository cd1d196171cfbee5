// Pictures built in memory for the tests: filled by a function or one colour, and as PNG bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
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

}  // namespace testsupport
