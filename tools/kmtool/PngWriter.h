// Writes RGBA pixels as a PNG file (kmtool play --shot).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kmtool {

// rgba holds width x height pixels, top row first, 4 bytes each. False when the file cannot
// be written.
bool WritePng(const std::string& path, const std::vector<uint8_t>& rgba, int width, int height);

}  // namespace kmtool
