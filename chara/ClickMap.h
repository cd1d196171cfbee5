// Click maps: palette-indexed BMPs whose pixel values are region numbers of a picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace layer {

// The click map of a picture slot. pixels holds the BMP's rows as stored (bottom row first),
// each padded to a multiple of 4 bytes; empty when the picture has no click map.
struct ClickMap {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bitsPerPixel = 0;
  int32_t byteSize = 0;
  std::vector<uint8_t> pixels;
};

}  // namespace layer

namespace chara {

// Reads a click map from BMP bytes. Only 1, 4 and 8 bits per pixel are accepted (any other
// depth shows its message and fails). Rows the file does not hold stay without regions.
bool ParseClickMap(const uint8_t* data, size_t size, layer::ClickMap& out);
// Reads the file through the archive or from the disk; a missing file fails silently.
bool LoadClickMap(layer::ClickMap& clickMap, const char* file);
// The click map that belongs to a picture: its name with the extension replaced by "_c.bmp";
// nullptr when there is none or it cannot be used.
std::shared_ptr<layer::ClickMap> LoadPictureClickMap(const char* pictureFile);
// The region number at texture coordinates (u, v), v up from the bottom edge; 0 = none.
int32_t ClickMapIndexAt(const layer::ClickMap& clickMap, float u, float v);

}  // namespace chara
