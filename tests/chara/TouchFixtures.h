// Files for the touch tests: a centred quad mesh and palette-indexed click-map BMPs.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace touchtest {

// A centred quad of half-size h mesh units (h x 512 pixels), wound like the flat quad, rigid.
inline std::string Quad(float h, const std::string& picture) {
  char b[1024];
  std::snprintf(b, sizeof b,
                "vertexCount = 4;\nindexCount = 6;\nshakeRate = 1.0;\npicFileName = \"%s\";\n"
                "position = {\n%gf,%gf,0f,\n%gf,%gf,0f,\n%gf,%gf,0f,\n%gf,%gf,0f,\n};\n"
                "index = {\n0,1,2,3,0,2,\n};\nuv = {\n1f,1f,0f,1f,0f,0f,1f,0f,\n};\n"
                "shakeWeights = {\n0f,0f,0f,0f,\n};\n",
                picture.c_str(), h, -h, -h, -h, -h, h, h, h);
  return b;
}

// A BMP header saying width x height at `bits` per pixel, followed by `rows` as given (bottom
// row first, already packed and padded); no palette.
inline std::vector<uint8_t> Bmp(int32_t width, int32_t height, uint16_t bits, const std::vector<uint8_t>& rows) {
  std::vector<uint8_t> b(54 + rows.size(), 0);
  auto put32 = [&](size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + size_t(i)] = uint8_t(v >> (8 * i));
  };
  b[0] = 'B', b[1] = 'M';
  put32(10, 54);
  put32(14, 40);
  put32(18, uint32_t(width));
  put32(22, uint32_t(height));
  b[28] = uint8_t(bits), b[29] = uint8_t(bits >> 8);
  for (size_t i = 0; i < rows.size(); ++i) b[54 + i] = rows[i];
  return b;
}

inline std::string BmpFile(int32_t width, int32_t height, uint16_t bits, const std::vector<uint8_t>& rows) {
  const std::vector<uint8_t> b = Bmp(width, height, bits, rows);
  return std::string(b.begin(), b.end());
}

}  // namespace touchtest
