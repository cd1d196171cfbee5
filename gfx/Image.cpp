// Picture information from file headers, the D3DX stretch and mip filters, and texture creation
// from a picture file's bytes.
#include "gfx/Image.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

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
    if (marker == 0xD9 || marker == 0xDA) return true;                   // end, or data before any frame
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

// TGA has no signature: a header is taken for one only when every field holds a value the
// format allows (colour-mapped, true-colour or grey, plain or run-length encoded).
bool tgaHeader(const uint8_t* d, size_t n, ImageInfo& out) {
  if (n < 18) return false;
  const uint32_t idLength = d[0], mapType = d[1], type = d[2];
  const uint32_t mapLength = readLe16(d + 5), mapBits = d[7];
  const uint32_t width = readLe16(d + 12), height = readLe16(d + 14), depth = d[16];
  const uint32_t plainType = type & ~8u;
  if (type != plainType && type != (plainType | 8u)) return false;
  if (plainType == 1) {
    if (mapType != 1 || depth != 8 || mapLength == 0) return false;
    if (mapBits != 15 && mapBits != 16 && mapBits != 24 && mapBits != 32) return false;
  } else if (plainType == 2) {
    if (mapType > 1 || (depth != 15 && depth != 16 && depth != 24 && depth != 32)) return false;
  } else if (plainType == 3) {
    if (mapType > 1 || depth != 8) return false;
  } else {
    return false;
  }
  if (width == 0 || height == 0 || (d[17] & 0xC0) != 0) return false;
  // The pixel data must be there: plain pixels in full, run-length packets for at least one
  // byte each plus a pixel per 128 pixels.
  const uint64_t pixelBytes = (depth + 7) / 8;
  const uint64_t mapBytes = mapType == 1 ? uint64_t(mapLength) * ((mapBits + 7) / 8) : 0;
  const uint64_t pixels = uint64_t(width) * height;
  const uint64_t dataBytes = type == plainType ? pixels * pixelBytes : (pixels + 127) / 128 * (1 + pixelBytes);
  if (18 + idLength + mapBytes + dataBytes > n) return false;
  out.width = width;
  out.height = height;
  out.fileFormat = ImageFileFormat::Tga;
  return true;
}

// A BMP's pixel array holds width x height pixels unless it is compressed: SDL sizes its
// surface from the header before reading a byte of it.
bool bmpHoldsItsPixels(const uint8_t* d, size_t n, const ImageInfo& info) {
  if (n < 30) return false;
  const uint32_t headerSize = readLe32(d + 14);
  const uint32_t bits = headerSize == 12 ? readLe16(d + 24) : readLe16(d + 28);
  const uint32_t compression = headerSize >= 40 && n >= 34 ? readLe32(d + 30) : 0;
  if (compression == 1 || compression == 2) return true;  // run-length encoded
  const uint64_t rowBytes = (uint64_t(info.width) * bits + 31) / 32 * 4;
  const uint64_t offset = readLe32(d + 10);
  return offset + rowBytes * (info.height - 1) + (uint64_t(info.width) * bits + 7) / 8 <= n;
}

// The format and size from the header; Unknown when the file is no picture the engine reads,
// its header is broken, or its size is out of range.
ImageInfo identify(const uint8_t* d, size_t n, std::string* error) {
  ImageInfo info;
  if (!d || n == 0) {
    if (error) *error = "no picture data";
    return info;
  }
  if (!pngHeader(d, n, info) && !jpegHeader(d, n, info) && !bmpHeader(d, n, info) && !tgaHeader(d, n, info)) {
    if (error) *error = "not a picture format the engine reads";
    return ImageInfo{};
  }
  if (info.fileFormat == ImageFileFormat::Unknown || info.width == 0 || info.height == 0) {
    if (error) *error = "broken picture header";
    return ImageInfo{};
  }
  // Refused before decoding, so a hostile header cannot make us allocate gigabytes.
  if (info.width > MaxImageSide || info.height > MaxImageSide || uint64_t(info.width) * info.height > MaxImagePixels) {
    if (error) *error = "picture too large";
    return ImageInfo{};
  }
  if (info.fileFormat == ImageFileFormat::Bmp && !bmpHoldsItsPixels(d, n, info)) {
    if (error) *error = "picture cut short";
    return ImageInfo{};
  }
  return info;
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

// The picture libraries live in the backend (gfx/gl/ImageDecoder.cpp); only the decoder of
// the format named is tried.
int32_t decodeWithBackend(ImageFileFormat format, const uint8_t* data, size_t size, Image& out, std::string* error);

uint32_t nextPowerOfTwo(uint32_t n) {
  uint32_t p = 1;
  while (p < n && p < 0x80000000u) p <<= 1;
  return p;
}

int32_t getImageInfoFromMemory(const uint8_t* data, size_t size, ImageInfo& out) {
  out = identify(data, size, nullptr);
  return out.fileFormat == ImageFileFormat::Unknown ? result::InvalidData : result::Ok;
}

int32_t decodeImage(const uint8_t* data, size_t size, Image& out, std::string* error) {
  out = Image{};
  const ImageInfo info = identify(data, size, error);
  if (info.fileFormat == ImageFileFormat::Unknown) return result::InvalidData;
  const int32_t hr = decodeWithBackend(info.fileFormat, data, size, out, error);
  if (hr != result::Ok) return hr;
  if (uint32_t(out.width) != info.width || uint32_t(out.height) != info.height) {
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

namespace {

// Pixels read in place: rows `pitch` words apart.
struct PixelView {
  const uint32_t* pixels;
  int32_t width, height;
  size_t pitch;
};

PixelView viewOf(const Image& image) { return {image.pixels.data(), image.width, image.height, size_t(image.width)}; }

// Horizontal pass of one source row into floats.
void stretchRow(const PixelView& src, int32_t row, const std::vector<Tap>& tx, float* out) {
  const uint32_t* in = src.pixels + size_t(row) * src.pitch;
  for (size_t x = 0; x < tx.size(); ++x) {
    const Tap& t = tx[x];
    const uint32_t a = in[t.i0], b = in[t.i1];
    for (int c = 0; c < 4; ++c) {
      const float va = float((a >> (c * 8)) & 0xFF), vb = float((b >> (c * 8)) & 0xFF);
      out[x * 4 + c] = va + (vb - va) * t.f;
    }
  }
}

// Bilinear stretch into `out` (rows `outPitch` words apart). The horizontal pass goes into
// floats and the vertical pass rounds once; the destination rows read source rows in rising
// order, so two stretched rows are all that is kept.
void resampleInto(const PixelView& src, int32_t width, int32_t height, uint32_t* out, size_t outPitch) {
  if (src.width == width && src.height == height) {
    for (int32_t y = 0; y < height; ++y)
      std::memcpy(out + size_t(y) * outPitch, src.pixels + size_t(y) * src.pitch, size_t(width) * 4);
    return;
  }
  const std::vector<Tap> tx = taps(src.width, width), ty = taps(src.height, height);
  std::vector<float> cache[2] = {std::vector<float>(size_t(width) * 4), std::vector<float>(size_t(width) * 4)};
  int32_t cached[2] = {-1, -1};
  auto row = [&](int32_t index, int32_t keep) -> const float* {
    for (int k = 0; k < 2; ++k)
      if (cached[k] == index) return cache[k].data();
    const int slot = cached[0] == keep ? 1 : 0;
    stretchRow(src, index, tx, cache[slot].data());
    cached[slot] = index;
    return cache[slot].data();
  };
  for (int32_t y = 0; y < height; ++y) {
    const Tap& t = ty[size_t(y)];
    const float* r0 = row(t.i0, -1);
    const float* r1 = row(t.i1, t.i0);
    uint32_t* dst = out + size_t(y) * outPitch;
    for (int32_t x = 0; x < width; ++x) {
      uint32_t p = 0;
      for (int c = 0; c < 4; ++c) {
        const float v = r0[x * 4 + c] + (r1[x * 4 + c] - r0[x * 4 + c]) * t.f;
        p |= uint32_t(std::clamp(static_cast<int32_t>(v + 0.5f), 0, 255)) << (c * 8);
      }
      dst[x] = p;
    }
  }
}

// The next smaller mip level: each texel the rounded average of a 2 x 2 block (2 x 1 or 1 x 2
// once a side is 1); odd sizes are stretched instead.
void halveView(const PixelView& src, Image& dst) {
  const int32_t w = std::max(1, src.width >> 1), h = std::max(1, src.height >> 1);
  dst.width = w;
  dst.height = h;
  dst.pixels.assign(size_t(w) * size_t(h), 0u);
  uint32_t* out = dst.pixels.data();
  const bool exactX = src.width == 1 || src.width % 2 == 0;
  const bool exactY = src.height == 1 || src.height % 2 == 0;
  if (!exactX || !exactY) {
    resampleInto(src, w, h, out, size_t(w));
    return;
  }
  const int32_t sx = src.width > 1 ? 2 : 1, sy = src.height > 1 ? 2 : 1;
  if (sx == 2 && sy == 2) {
    // The usual case, four texels per texel, with the channels added two at a time.
    for (int32_t y = 0; y < h; ++y) {
      const uint32_t* r0 = src.pixels + size_t(2 * y) * src.pitch;
      const uint32_t* r1 = r0 + src.pitch;
      uint32_t* d = out + size_t(y) * size_t(w);
      for (int32_t x = 0; x < w; ++x) {
        const uint32_t a = r0[2 * x], b = r0[2 * x + 1], c = r1[2 * x], e = r1[2 * x + 1];
        constexpr uint32_t kEven = 0x00FF00FFu;
        const uint32_t lo = (a & kEven) + (b & kEven) + (c & kEven) + (e & kEven) + 0x00020002u;
        const uint32_t hi =
            ((a >> 8) & kEven) + ((b >> 8) & kEven) + ((c >> 8) & kEven) + ((e >> 8) & kEven) + 0x00020002u;
        d[x] = ((lo >> 2) & kEven) | (((hi >> 2) & kEven) << 8);
      }
    }
    return;
  }
  const uint32_t n = uint32_t(sx * sy);
  for (int32_t y = 0; y < h; ++y) {
    for (int32_t x = 0; x < w; ++x) {
      uint32_t sum[4] = {0, 0, 0, 0};
      for (int32_t dy = 0; dy < sy; ++dy)
        for (int32_t dx = 0; dx < sx; ++dx) {
          const uint32_t p = src.pixels[size_t(y * sy + dy) * src.pitch + size_t(x * sx + dx)];
          for (int c = 0; c < 4; ++c) sum[c] += (p >> (c * 8)) & 0xFF;
        }
      uint32_t p = 0;
      for (int c = 0; c < 4; ++c) p |= ((sum[c] + n / 2) / n) << (c * 8);
      out[size_t(y) * size_t(w) + size_t(x)] = p;
    }
  }
}

}  // namespace

void resampleLinear(const Image& src, int32_t width, int32_t height, Image& dst) {
  if (src.width == width && src.height == height) {
    dst = src;
    return;
  }
  Image out;
  out.width = width;
  out.height = height;
  out.pixels.assign(size_t(width) * size_t(height), 0u);
  resampleInto(viewOf(src), width, height, out.pixels.data(), size_t(width));
  dst = std::move(out);
}

void halveImage(const Image& src, Image& dst) {
  Image out;
  halveView(viewOf(src), out);
  dst = std::move(out);
}

int32_t createTextureFromFileInMemory(Device& device, const uint8_t* data, size_t size, int32_t width, int32_t height,
                                      int32_t mipLevels, uint32_t usage, Pool pool, TexturePtr& out,
                                      ImageInfo* srcInfo) {
  out.reset();
  ImageInfo info;
  int32_t hr = getImageInfoFromMemory(data, size, info);
  if (hr != result::Ok) return hr;
  Image image;
  hr = decodeImage(data, size, image);
  if (hr != result::Ok) return hr;
  if (srcInfo) *srcInfo = info;
  return createTextureFromImage(device, std::move(image), width, height, mipLevels, usage, pool, out);
}

int32_t createTextureFromImage(Device& device, Image&& image, int32_t width, int32_t height, int32_t mipLevels,
                               uint32_t usage, Pool pool, TexturePtr& out) {
  out.reset();
  // 0 (or D3DX_DEFAULT) takes the file's size rounded up to a power of two.
  const int32_t texW = (width <= 0) ? int32_t(nextPowerOfTwo(uint32_t(image.width))) : width;
  const int32_t texH = (height <= 0) ? int32_t(nextPowerOfTwo(uint32_t(image.height))) : height;
  if (texW > device.info().maxTextureSize || texH > device.info().maxTextureSize) return result::InvalidCall;
  TextureLevels levels;
  const int32_t hr = buildTextureLevels(std::move(image), texW, texH, mipLevels, levels);
  if (hr != result::Ok) return hr;
  return createTextureFromLevels(device, std::move(levels), usage, pool, out);
}

int32_t buildTextureLevels(Image&& image, int32_t width, int32_t height, int32_t mipLevels, TextureLevels& out) {
  out.levels.clear();
  if (image.width <= 0 || image.height <= 0 || image.pixels.size() < size_t(image.width) * size_t(image.height))
    return result::InvalidCall;
  const int32_t texW = (width <= 0) ? int32_t(nextPowerOfTwo(uint32_t(image.width))) : width;
  const int32_t texH = (height <= 0) ? int32_t(nextPowerOfTwo(uint32_t(image.height))) : height;
  int32_t full = 1;
  while ((texW >> full) > 0 || (texH >> full) > 0) ++full;
  const int32_t count = (mipLevels <= 0 || mipLevels > full) ? full : mipLevels;
  try {
    out.levels.reserve(size_t(count));
    if (image.width == texW && image.height == texH) {
      out.levels.push_back(std::move(image));
    } else {
      Image stretched;
      stretched.width = texW;
      stretched.height = texH;
      stretched.pixels.resize(size_t(texW) * size_t(texH));
      resampleInto(viewOf(image), texW, texH, stretched.pixels.data(), size_t(texW));
      image = Image{};
      out.levels.push_back(std::move(stretched));
    }
    while (int32_t(out.levels.size()) < count) {
      Image next;
      halveView(viewOf(out.levels.back()), next);
      out.levels.push_back(std::move(next));
    }
  } catch (const std::bad_alloc&) {
    out.levels.clear();
    return result::OutOfMemory;
  }
  return result::Ok;
}

int32_t createTextureFromLevels(Device& device, TextureLevels&& levels, uint32_t usage, Pool pool, TexturePtr& out) {
  out.reset();
  if (levels.levels.empty()) return result::InvalidCall;
  const Image& top = levels.levels.front();
  TexturePtr texture;
  const int32_t hr = device.createTexture(top.width, top.height, int32_t(levels.levels.size()), usage, pool, texture);
  if (hr != result::Ok) return hr;
  // Each level goes to the texture straight from its picture, which is then released.
  for (int32_t k = 0; k < texture->levelCount() && size_t(k) < levels.levels.size(); ++k) {
    Image& level = levels.levels[size_t(k)];
    if (texture->writeLevel(k, level.pixels.data(), size_t(level.width)) != result::Ok) break;  // render targets
    level = Image{};
  }
  out = texture;
  return result::Ok;
}

}  // namespace gfx
