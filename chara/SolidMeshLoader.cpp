// Mesh files of solid characters.
#include "chara/SolidMeshLoader.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "archive/ArchiveSet.h"
#include "platform/System.h"

namespace chara {

namespace {

// Coordinates, weights and rates beyond this are not a picture's: they are cut to it so the
// bounds, the spring and the draw stay finite.
constexpr float kLimit = 1000.0f;

float Sane(double v) {
  if (!std::isfinite(v)) return 0.0f;
  return float(std::clamp(v, -double(kLimit), double(kLimit)));
}

// atof / atoi of a bounded piece of text (no locale, no overflow).
double ToReal(std::string_view s) {
  std::string copy(s);
  return std::strtod(copy.c_str(), nullptr);
}
long long ToInteger(std::string_view s) {
  std::string copy(s);
  return std::strtoll(copy.c_str(), nullptr, 10);
}

constexpr size_t npos = std::string_view::npos;

// "key ... = value ;": the text after the next '=' up to the next ';' (empty when either lacks).
std::string_view AssignedText(std::string_view text, std::string_view key) {
  const size_t k = text.find(key);
  if (k == npos) return {};
  const size_t eq = text.find('=', k + key.size());
  if (eq == npos) return {};
  const size_t end = text.find(';', eq + 1);
  if (end == npos) return {};
  return text.substr(eq + 1, end - eq - 1);
}

// "key ... \"value\"": the text between the next two double quotes.
std::string QuotedText(std::string_view text, std::string_view key) {
  const size_t k = text.find(key);
  if (k == npos) return {};
  const size_t open = text.find('"', k + key.size());
  if (open == npos) return {};
  const size_t close = text.find('"', open + 1);
  if (close == npos) return {};
  return std::string(text.substr(open + 1, close - open - 1));
}

// A value block: the key searched from `from`, then "{"; values start on the line after it and
// end at the first "}" after the key; each value is the text before its terminator. Returns
// false (and leaves `from`) when the key or its "{" is missing; otherwise `from` becomes the
// closing brace. At most count values are read; the rest stay as they are (zero).
template <typename Store>
bool ReadBlock(std::string_view text, std::string_view key, std::string_view terminator, size_t count, size_t& from,
               Store store) {
  const size_t k = text.find(key, from);
  if (k == npos) return false;
  const size_t brace = text.find('{', k + key.size());
  if (brace == npos) return false;
  size_t close = text.find('}', k + key.size());
  if (close == npos) close = text.size();
  const size_t lineEnd = text.find('\n', brace);
  size_t pos = lineEnd == npos ? text.size() : lineEnd + 1;
  for (size_t i = 0; i < count && pos < close; ++i) {
    const size_t t = text.find(terminator, pos);
    if (t == npos || t >= close) break;
    store(i, text.substr(pos, t - pos));
    pos = t + terminator.size();
  }
  from = close;
  return true;
}

bool Fail(std::string* error, const char* why) {
  if (error) *error = why;
  return false;
}

void SizeArrays(SolidMeshData& out) {
  const size_t n = size_t(out.vertexCount);
  out.positions.assign(n * 3, 0.0f);
  out.indices.assign(size_t(out.indexCount), 0);
  out.uvs.assign(n * 2, 0.0f);
  out.weights.assign(n, 0.0f);
  out.returnRates.assign(n, 0.0f);
}

// A triangle that names a vertex the mesh does not have is made empty (all three corners on
// vertex 0), so it draws nothing and never reads outside the vertex buffer.
void EmptyBadTriangles(SolidMeshData& out) {
  const size_t n = size_t(out.vertexCount);
  for (size_t t = 0; t < out.indices.size(); t += 3) {
    const size_t end = std::min(out.indices.size(), t + 3);
    bool bad = false;
    for (size_t i = t; i < end; ++i) bad = bad || out.indices[i] >= n;
    if (bad)
      for (size_t i = t; i < end; ++i) out.indices[i] = 0;
  }
}

bool CountInRange(long long v) { return v > 0 && v <= 32767; }

}  // namespace

bool IsTextMeshName(std::string_view file) { return !file.empty() && file.back() == 't'; }

bool ParseMeshText(std::string_view text, SolidMeshData& out, std::string* error) {
  out = SolidMeshData{};
  text = text.substr(0, std::min(text.size(), MaxMeshTextBytes));
  const long long vertices = ToInteger(AssignedText(text, "vertexCount"));
  const long long indices = ToInteger(AssignedText(text, "indexCount"));
  if (!CountInRange(vertices)) return Fail(error, "vertexCount is not between 1 and 32767");
  if (!CountInRange(indices)) return Fail(error, "indexCount is not between 1 and 32767");
  out.vertexCount = int16_t(vertices);
  out.indexCount = int16_t(indices);
  out.shakeRate = Sane(ToReal(AssignedText(text, "shakeRate")));
  out.pictureName = QuotedText(text, "picFileName");
  SizeArrays(out);
  const size_t n = size_t(out.vertexCount);

  size_t from = 0;
  ReadBlock(text, "position", "f,", n * 3, from,
            [&](size_t i, std::string_view v) { out.positions[i] = Sane(ToReal(v)); });
  ReadBlock(text, "index", ",", size_t(out.indexCount), from, [&](size_t i, std::string_view v) {
    const long long x = ToInteger(v);
    // A value no vertex can have is caught with the triangle it belongs to.
    out.indices[i] = (x < 0 || x > 65535) ? uint16_t(65535) : uint16_t(x);
  });
  ReadBlock(text, "uv", "f,", n * 2, from, [&](size_t i, std::string_view v) { out.uvs[i] = Sane(ToReal(v)); });
  ReadBlock(text, "shakeWeights", "f,", n, from,
            [&](size_t i, std::string_view v) { out.weights[i] = Sane(ToReal(v)); });
  if (!ReadBlock(text, "shakeReturnRates", "f,", n, from,
                 [&](size_t i, std::string_view v) { out.returnRates[i] = Sane(ToReal(v)); }))
    std::fill(out.returnRates.begin(), out.returnRates.end(), -1.0f);
  EmptyBadTriangles(out);
  return true;
}

bool ParseFlatText(std::string_view text, SolidMeshData& out, std::string* error) {
  out = SolidMeshData{};
  text = text.substr(0, std::min(text.size(), MaxMeshTextBytes));
  const double w = ToReal(AssignedText(text, "picWidth"));
  const double h = ToReal(AssignedText(text, "picHeight"));
  const double m = std::max(w, h);
  if (!std::isfinite(w) || !std::isfinite(h) || w <= 0 || h <= 0)
    return Fail(error, "picWidth and picHeight must be positive");
  const float W = float(w / m), H = float(h / m);
  out.pictureName = QuotedText(text, "picFileName");
  out.vertexCount = 4;
  out.indexCount = 6;
  out.shakeRate = 0.0f;
  out.positions = {W, -H, 0, -W, -H, 0, -W, H, 0, W, H, 0};
  out.uvs = {1, 1, 0, 1, 0, 0, 1, 0};
  out.indices = {0, 1, 2, 3, 0, 2};
  out.weights.assign(4, 0.0f);
  out.returnRates.assign(4, 0.0f);
  return true;
}

bool ParseMeshBinary(const uint8_t* bytes, size_t size, std::string_view directory, SolidMeshData& out,
                     std::string* error) {
  out = SolidMeshData{};
  constexpr size_t kHeader = 276;
  if (!bytes || size < kHeader) return Fail(error, "shorter than its header");
  const auto i16 = [&](size_t at) { return int16_t(uint16_t(bytes[at]) | uint16_t(bytes[at + 1]) << 8); };
  const auto f32 = [&](size_t at) {
    uint32_t u = uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
                 uint32_t(bytes[at + 3]) << 24;
    float f;
    std::memcpy(&f, &u, 4);
    return f;
  };
  const int16_t vertices = i16(0), indices = i16(8);
  if (vertices <= 0) return Fail(error, "vertexCount is not positive");
  if (indices <= 0) return Fail(error, "indexCount is not positive");
  const size_t n = size_t(vertices), ni = size_t(indices);
  const size_t needed = kHeader + n * 12 + ni * 2 + n * 8 + n * 4;
  if (size < needed) return Fail(error, "shorter than its counts say");
  out.vertexCount = vertices;
  out.indexCount = indices;
  out.shakeRate = Sane(f32(16));
  const char* name = reinterpret_cast<const char*>(bytes + 28);
  out.pictureName = std::string(directory) + std::string(name, strnlen(name, 248));
  SizeArrays(out);
  size_t at = kHeader;
  for (size_t i = 0; i < n * 3; ++i, at += 4) out.positions[i] = Sane(f32(at));
  for (size_t i = 0; i < ni; ++i, at += 2) out.indices[i] = uint16_t(i16(at));
  for (size_t i = 0; i < n * 2; ++i, at += 4) out.uvs[i] = Sane(f32(at));
  for (size_t i = 0; i < n; ++i, at += 4) out.weights[i] = Sane(f32(at));
  if (size >= at + n * 4) {
    for (size_t i = 0; i < n; ++i, at += 4) out.returnRates[i] = Sane(f32(at));
  } else {
    std::fill(out.returnRates.begin(), out.returnRates.end(), 1.0f);
  }
  EmptyBadTriangles(out);
  return true;
}

bool LoadMeshFile(const char* file, bool useSolid, SolidMeshData& out, std::string* error) {
  out = SolidMeshData{};
  if (!file || !file[0]) return Fail(error, "no file name");
  const std::string_view name(file);
  std::vector<uint8_t> bytes;
  if (IsTextMeshName(name)) {
    if (!archive::LoadGameFile(name, bytes, MaxMeshTextBytes)) return Fail(error, "file not found");
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return useSolid ? ParseMeshText(text, out, error) : ParseFlatText(text, out, error);
  }
  if (!platform::readFile(name, bytes, MaxMeshBinaryBytes)) return Fail(error, "file cannot be opened");
  const size_t slash = name.rfind('\\');
  const std::string_view directory = slash == npos ? std::string_view() : name.substr(0, slash + 1);
  return ParseMeshBinary(bytes.data(), bytes.size(), directory, out, error);
}

}  // namespace chara
