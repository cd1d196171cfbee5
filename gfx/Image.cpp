// Picture information from file headers, the D3DX stretch and mip filters, and texture creation
// from a picture file's bytes.
#include "gfx/Image.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/ByteReader.h"

namespace gfx {

namespace {

using platform::readBe16;
using platform::readBe32;
using platform::readLe16;
using platform::readLe32;

bool pngHeader(const uint8_t* d, size_t n, ImageInfo& out) {
  static const uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (n < 8 || std::memcmp(d, sig, 8) != 0) return false;
  if (n < 24 || std::memcmp(d + 12, "IHDR", 4) != 0) {
    out.fileFormat = ImageFileFormat::Unknown;  // a PNG signature with no header: broken
    return true;
  }
  out.width = readBe32(d + 16);
  out.height = readBe32(d + 20);
  out.fileFormat = ImageFileFormat::Png;
  return true;
}

bool jpegHeader(const uint8_t* d, size_t n, ImageInfo& out) {
  if (n < 3 || d[0] != 0xFF || d[1] != 0xD8) return false;
  out.fileFormat = ImageFileFormat::Unknown;
  size_t i = 2;
  while (i + 1 < n) {
    if (d[i] != 0xFF) return true;  // lost sync: broken
    uint8_t marker = d[i + 1];
    if (marker == 0xFF) {  // fill byte
      ++i;
      continue;
    }
    i += 2;
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) continue;  // no length
    if (marker == 0xD9 || marker == 0xDA) return true;                  // end, or data before any frame
    if (i + 2 > n) return true;
    const uint32_t length = readBe16(d + i);
    if (length < 2) return true;
    const bool startOfFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (startOfFrame) {
      if (i + 7 > n) return true;
      out.height = readBe16(d + i + 3);
      out.width = readBe16(d + i + 5);
      out.fileFormat = ImageFileFormat::Jpg;
      return true;
    }
    i += length;
  }
  return true;
}

bool bmpHeader(const uint8_t* d, size_t n, ImageInfo& out) {
  if (n < 2 || d[0] != 'B' || d[1] != 'M') return false;
  out.fileFormat = ImageFileFormat::Unknown;
  if (n < 26) return true;
  const uint32_t headerSize = readLe32(d + 14);
  if (headerSize == 12) {
    out.width = readLe16(d + 18);
    out.height = readLe16(d + 20);
  } else {
    if (headerSize < 40 || n < 26) return true;
    const int32_t w = static_cast<int32_t>(readLe32(d + 18));
    const int32_t h = static_cast<int32_t>(readLe32(d + 22));
    if (w <= 0 || h == 0 || h == INT32_MIN) return true;
    out.width = static_cast<uint32_t>(w);
    out.height = static_cast<uint32_t>(h < 0 ? -h : h);
  }
  out.fileFormat = ImageFileFormat::Bmp;
  return true;
}

// Whether a BMP carries real alpha: a bit-field header with an alpha mask. Plain 32-bit files
// are read as X8R8G8B8, opaque whatever their fourth byte holds.
bool bmpHasAlpha(const uint8_t* d, size_t n) {
  if (n < 34) return false;
  const uint32_t headerSize = readLe32(d + 14);
  if (headerSize < 40) return false;
  const uint32_t compression = readLe32(d + 30);
  if (compression == 6) return true;  // BI_ALPHABITFIELDS
  if (compression == 3 && headerSize >= 56 && n >= 58) return readLe32(d + 54) != 0;
  return false;
}

}  // namespace

// The picture libraries live in the backend (gfx/gl/ImageDecoder.cpp).
int32_t decodeWithBackend(const uint8_t* data, size_t size, Image& out, std::string* error);

uint32_t nextPowerOfTwo(uint32_t n) {
  uint32_t p = 1;
  while (p < n && p < 0x80000000u) p <<= 1;
  return p;
}

int32_t getImageInfoFromMemory(const uint8_t* data, size_t size, ImageInfo& out) {
  out = ImageInfo{};
  if (!data || size == 0) return result::InvalidData;
  if (pngHeader(data, size, out) || jpegHeader(data, size, out) || bmpHeader(data, size, out)) {
    if (out.fileFormat == ImageFileFormat::Unknown || out.width == 0 || out.height == 0) return result::InvalidData;
    return result::Ok;
  }
  // Other formats (TGA and friends) have no reliable header: decode them.
  Image image;
  if (decodeWithBackend(data, size, image, nullptr) != result::Ok) return result::InvalidData;
  out.width = static_cast<uint32_t>(image.width);
  out.height = static_cast<uint32_t>(image.height);
  out.fileFormat = ImageFileFormat::Tga;
  return result::Ok;
}

int32_t decodeImage(const uint8_t* data, size_t size, Image& out, std::string* error) {
  out = Image{};
  ImageInfo info;
  const bool known = data && size > 0 &&
                     (pngHeader(data, size, info) || jpegHeader(data, size, info) || bmpHeader(data, size, info));
  if (known) {
    if (info.fileFormat == ImageFileFormat::Unknown || info.width == 0 || info.height == 0) {
      if (error) *error = "broken picture header";
      return result::InvalidData;
    }
    // Refuse before decoding, so a hostile header cannot make us allocate gigabytes.
    if (info.width > MaxImageSide || info.height > MaxImageSide) {
      if (error) *error = "picture too large";
      return result::InvalidData;
    }
  }
  const int32_t hr = decodeWithBackend(data, size, out, error);
  if (hr != result::Ok) return hr;
  if (out.width <= 0 || out.height <= 0 || uint32_t(out.width) > MaxImageSide || uint32_t(out.height) > MaxImageSide ||
      (known && (uint32_t(out.width) != info.width || uint32_t(out.height) != info.height))) {
    out = Image{};
    if (error) *error = "picture size out of range";
    return result::InvalidData;
  }
  if (info.fileFormat == ImageFileFormat::Bmp && !bmpHasAlpha(data, size))
    for (uint32_t& p : out.pixels) p |= 0xFF000000u;
  return result::Ok;
}

namespace {

// One axis of the stretch: for destination index i, the two source indices and the weight of
// the second.
struct Tap {
  int32_t i0, i1;
  float f;
};

std::vector<Tap> taps(int32_t srcSize, int32_t dstSize) {
  std::vector<Tap> t(static_cast<size_t>(dstSize));
  const double scale = double(srcSize) / double(dstSize);
  for (int32_t i = 0; i < dstSize; ++i) {
    const double s = (i + 0.5) * scale - 0.5;
    const double fl = std::floor(s);
    const int32_t x0 = static_cast<int32_t>(fl);
    t[size_t(i)].f = static_cast<float>(s - fl);
    t[size_t(i)].i0 = std::clamp(x0, 0, srcSize - 1);
    t[size_t(i)].i1 = std::clamp(x0 + 1, 0, srcSize - 1);
  }
  return t;
}

}  // namespace

void resampleLinear(const Image& src, int32_t width, int32_t height, Image& dst) {
  if (src.width == width && src.height == height) {
    dst = src;
    return;
  }
  const std::vector<Tap> tx = taps(src.width, width), ty = taps(src.height, height);
  // Horizontal pass into floats, then the vertical pass rounds once.
  std::vector<float> rows(size_t(width) * size_t(src.height) * 4);
  for (int32_t y = 0; y < src.height; ++y) {
    const uint32_t* in = &src.pixels[size_t(y) * size_t(src.width)];
    float* out = &rows[size_t(y) * size_t(width) * 4];
    for (int32_t x = 0; x < width; ++x) {
      const Tap& t = tx[size_t(x)];
      const uint32_t a = in[t.i0], b = in[t.i1];
      for (int c = 0; c < 4; ++c) {
        const float va = float((a >> (c * 8)) & 0xFF), vb = float((b >> (c * 8)) & 0xFF);
        out[x * 4 + c] = va + (vb - va) * t.f;
      }
    }
  }
  dst.width = width;
  dst.height = height;
  dst.pixels.assign(size_t(width) * size_t(height), 0u);
  for (int32_t y = 0; y < height; ++y) {
    const Tap& t = ty[size_t(y)];
    const float* r0 = &rows[size_t(t.i0) * size_t(width) * 4];
    const float* r1 = &rows[size_t(t.i1) * size_t(width) * 4];
    uint32_t* out = &dst.pixels[size_t(y) * size_t(width)];
    for (int32_t x = 0; x < width; ++x) {
      uint32_t p = 0;
      for (int c = 0; c < 4; ++c) {
        const float v = r0[x * 4 + c] + (r1[x * 4 + c] - r0[x * 4 + c]) * t.f;
        p |= uint32_t(std::clamp(static_cast<int32_t>(v + 0.5f), 0, 255)) << (c * 8);
      }
      out[x] = p;
    }
  }
}

void halveImage(const Image& src, Image& dst) {
  const int32_t w = std::max(1, src.width >> 1), h = std::max(1, src.height >> 1);
  const bool exactX = src.width == 1 || src.width % 2 == 0;
  const bool exactY = src.height == 1 || src.height % 2 == 0;
  if (!exactX || !exactY) {
    resampleLinear(src, w, h, dst);
    return;
  }
  const int32_t sx = src.width > 1 ? 2 : 1, sy = src.height > 1 ? 2 : 1;
  const uint32_t n = uint32_t(sx * sy);
  dst.width = w;
  dst.height = h;
  dst.pixels.assign(size_t(w) * size_t(h), 0u);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      uint32_t sum[4] = {0, 0, 0, 0};
      for (int32_t dy = 0; dy < sy; ++dy)
        for (int32_t dx = 0; dx < sx; ++dx) {
          const uint32_t p = src.pixels[size_t(y * sy + dy) * size_t(src.width) + size_t(x * sx + dx)];
          for (int c = 0; c < 4; ++c) sum[c] += (p >> (c * 8)) & 0xFF;
        }
      uint32_t p = 0;
      for (int c = 0; c < 4; ++c) p |= ((sum[c] + n / 2) / n) << (c * 8);
      dst.pixels[size_t(y) * size_t(w) + size_t(x)] = p;
    }
  }
}

int32_t createTextureFromFileInMemory(Device& device, const uint8_t* data, size_t size, int32_t width,
                                      int32_t height, int32_t mipLevels, uint32_t usage, Pool pool,
                                      TexturePtr& out, ImageInfo* srcInfo) {
  out.reset();
  ImageInfo info;
  int32_t hr = getImageInfoFromMemory(data, size, info);
  if (hr != result::Ok) return hr;
  Image image;
  hr = decodeImage(data, size, image);
  if (hr != result::Ok) return hr;
  if (srcInfo) *srcInfo = info;
  // 0 (or D3DX_DEFAULT) takes the file's size rounded up to a power of two.
  const int32_t texW = (width <= 0) ? int32_t(nextPowerOfTwo(uint32_t(image.width))) : width;
  const int32_t texH = (height <= 0) ? int32_t(nextPowerOfTwo(uint32_t(image.height))) : height;
  if (texW > device.info().maxTextureSize || texH > device.info().maxTextureSize) return result::InvalidCall;

  TexturePtr texture;
  hr = device.createTexture(texW, texH, mipLevels, usage, pool, texture);
  if (hr != result::Ok) return hr;
  Image level;
  resampleLinear(image, texW, texH, level);
  image = Image{};
  for (int32_t k = 0; k < texture->levelCount(); ++k) {
    if (k > 0) {
      Image next;
      halveImage(level, next);
      level = std::move(next);
    }
    LockedRect lr;
    if (texture->lockRect(k, lr) != result::Ok) break;  // render targets: nothing to fill
    for (int32_t y = 0; y < level.height; ++y)
      std::memcpy(lr.bits + size_t(y) * size_t(lr.pitch), &level.pixels[size_t(y) * size_t(level.width)],
                  size_t(level.width) * 4);
    texture->unlockRect(k);
  }
  out = texture;
  return result::Ok;
}

}  // namespace gfx
