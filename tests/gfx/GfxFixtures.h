// Helpers for the renderer's tests: a headless device, pictures built in memory, read-back.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gfx/Device.h"
#include "gfx/Image.h"
#include "support/Pictures.h"

namespace gfxtest {

// A headless device of the given back-buffer size (fails the test when none can be made).
inline std::unique_ptr<gfx::Device> headlessDevice(int32_t width = 64, int32_t height = 64) {
  gfx::DeviceConfig config;
  config.kind = gfx::ContextKind::Headless;
  config.backBufferWidth = width;
  config.backBufferHeight = height;
  std::string error;
  auto device = gfx::createDevice(config, &error);
  EXPECT_NE(device, nullptr) << error;
  return device;
}

using testsupport::makeImage;
using testsupport::pngBytes;
using testsupport::solidImage;

// A texture holding the picture at its own size (one level unless asked otherwise).
inline gfx::TexturePtr makeTexture(gfx::Device& device, const gfx::Image& image, int32_t levels = 1,
                                   gfx::Pool pool = gfx::Pool::Managed) {
  gfx::TexturePtr texture;
  EXPECT_EQ(device.createTexture(image.width, image.height, levels, 0, pool, texture), gfx::result::Ok);
  if (!texture) return nullptr;
  gfx::LockedRect lr;
  EXPECT_EQ(texture->lockRect(0, lr), gfx::result::Ok);
  for (int32_t y = 0; y < image.height; ++y)
    for (int32_t x = 0; x < image.width; ++x)
      reinterpret_cast<uint32_t*>(lr.bits + y * lr.pitch)[x] =
          image.pixels[size_t(y) * size_t(image.width) + size_t(x)];
  texture->unlockRect(0);
  return texture;
}

// The back buffer (or any readable surface) as 0xAARRGGBB words, top row first.
struct Pixels {
  int32_t width = 0, height = 0;
  std::vector<uint32_t> words;
  uint32_t at(int32_t x, int32_t y) const { return words[size_t(y) * size_t(width) + size_t(x)]; }
  // Alpha ignored: the back buffer's alpha is not part of what is shown.
  uint32_t rgb(int32_t x, int32_t y) const { return at(x, y) & 0x00FFFFFFu; }
};

inline Pixels readBack(gfx::Device& device, const gfx::SurfacePtr& surface = nullptr) {
  Pixels p;
  gfx::SurfacePtr s = surface ? surface : device.getBackBuffer();
  p.width = s->width();
  p.height = s->height();
  EXPECT_EQ(device.readSurface(s, p.words), gfx::result::Ok);
  return p;
}

inline int channel(uint32_t argb, int shift) { return int((argb >> shift) & 0xFF); }

// True when every channel differs by at most tolerance.
inline bool near(uint32_t a, uint32_t b, int tolerance = 1) {
  for (int s = 0; s < 32; s += 8)
    if (std::abs(channel(a, s) - channel(b, s)) > tolerance) return false;
  return true;
}

inline std::string hex(uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "%08X", v);
  return b;
}

// A plain 32-bit or 24-bit bottom-up BMP (BI_RGB) of the picture; 32-bit files carry the alpha
// byte as written.
inline std::vector<uint8_t> bmpBytes(const gfx::Image& image, int bitsPerPixel) {
  const int32_t rowBytes = ((image.width * bitsPerPixel / 8) + 3) & ~3;
  const uint32_t dataSize = uint32_t(rowBytes * image.height);
  std::vector<uint8_t> b(54 + dataSize, 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
  };
  b[0] = 'B';
  b[1] = 'M';
  put32(2, uint32_t(b.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, uint32_t(image.width));
  put32(22, uint32_t(image.height));
  b[26] = 1;
  b[28] = uint8_t(bitsPerPixel);
  put32(34, dataSize);
  for (int32_t y = 0; y < image.height; ++y) {
    uint8_t* row = &b[54 + size_t(image.height - 1 - y) * size_t(rowBytes)];
    for (int32_t x = 0; x < image.width; ++x) {
      const uint32_t p = image.pixels[size_t(y) * size_t(image.width) + size_t(x)];
      uint8_t* px = row + x * (bitsPerPixel / 8);
      px[0] = uint8_t(p);
      px[1] = uint8_t(p >> 8);
      px[2] = uint8_t(p >> 16);
      if (bitsPerPixel == 32) px[3] = uint8_t(p >> 24);
    }
  }
  return b;
}

}  // namespace gfxtest
