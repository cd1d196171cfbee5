// Click maps: reading the BMP and looking up region numbers.
#include "chara/ClickMap.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "archive/ArchiveSet.h"
#include "platform/ByteReader.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"

namespace chara {

namespace {
// The file header and the info header's width, height and depth end at byte 30.
constexpr size_t kHeaderBytes = 30;
// A click map larger than this is not a picture's map (65536 x 65536 at 8 bits is 4 GB).
constexpr int64_t kMaxPixelBytes = int64_t(64) << 20;

int64_t RowBytes(int64_t width, int32_t bits) { return ((width * bits + 31) / 32) * 4; }
}  // namespace

bool ParseClickMap(const uint8_t* data, size_t size, layer::ClickMap& out) {
  out = layer::ClickMap{};
  if (!data || size < kHeaderBytes) return false;
  const uint32_t offset = platform::readLe32(data + 10);
  const int32_t width = int32_t(platform::readLe32(data + 18));
  const int32_t height = int32_t(platform::readLe32(data + 22));
  const int32_t bits = platform::readLe16(data + 28);
  if (bits != 1 && bits != 4 && bits != 8) {
    platform::messageBox(CP932("クリッカブルマップのBMPが、インデックス形式ではない"), "ERROR", platform::mb::Ok);
    return false;
  }
  // A top-down BMP (negative height) or an empty one holds no usable rows.
  if (width <= 0 || height <= 0) return false;
  const int64_t bytes = int64_t(height) * RowBytes(width, bits);
  if (bytes > kMaxPixelBytes) return false;
  out.width = width;
  out.height = height;
  out.bitsPerPixel = bits;
  out.byteSize = int32_t(bytes);
  // Only the rows the file holds are kept: a lookup past them reads 0 (no region), so a short
  // file that declares a large map costs no memory for the rows it lacks.
  if (offset < size) {
    const size_t available = std::min(size - offset, size_t(bytes));
    out.pixels.assign(data + offset, data + offset + available);
  }
  return true;
}

bool LoadClickMap(layer::ClickMap& clickMap, const char* file) {
  clickMap = layer::ClickMap{};
  std::vector<uint8_t> bytes;
  if (!file || !archive::LoadGameFile(file, bytes)) return false;
  return ParseClickMap(bytes.data(), bytes.size(), clickMap);
}

std::shared_ptr<layer::ClickMap> LoadPictureClickMap(const char* pictureFile) {
  if (!pictureFile || pictureFile[0] == '\0') return nullptr;
  std::string name = pictureFile;
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.resize(dot);
  name += "_c.bmp";
  auto map = std::make_shared<layer::ClickMap>();
  if (!LoadClickMap(*map, name.c_str())) return nullptr;
  return map;
}

int32_t ClickMapIndexAt(const layer::ClickMap& m, float u, float v) {
  if (m.pixels.empty() || !(u == u) || !(v == v)) return 0;
  const float fx = std::floor(float(m.width) * u), fy = std::floor(float(m.height) * v);
  // Outside the map (u or v of 1 and beyond, or below 0) there is no region.
  if (fx < 0.0f || fy < 0.0f || fx >= float(m.width) || fy >= float(m.height)) return 0;
  const int64_t x = int64_t(fx), y = int64_t(fy);
  const size_t at = size_t(y * RowBytes(m.width, m.bitsPerPixel) + x * m.bitsPerPixel / 8);
  if (at >= m.pixels.size()) return 0;
  const uint8_t byte = m.pixels[at];
  switch (m.bitsPerPixel) {
    case 8: return byte;
    case 4: return (x % 2 == 0) ? byte >> 4 : byte & 0x0F;
    case 1: return (byte >> (x % 8)) & 1;
    default: return 0;
  }
}

}  // namespace chara
