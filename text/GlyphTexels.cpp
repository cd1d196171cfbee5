// The glyph texture fill of a typed character.
#include "text/GlyphTexels.h"

#include <algorithm>
#include <cstring>

namespace text {

void fillGlyphTexels(const TextMetrics& textMetrics, const GlyphMetrics& glyph, const uint8_t* bits, uint32_t bitsBytes,
                     void* texels, uint32_t textureWidth, uint32_t textureHeight, uint32_t rowPitchBytes) {
  constexpr uint32_t kClear = 0x00FFFFFF;
  const int64_t pitch = glyphPitch(glyph.blackBoxX);
  const bool hasInk = bits && bitsBytes > 0 && static_cast<uint64_t>(pitch) * glyph.blackBoxY <= bitsBytes;
  // The bitmap's top row and left column in texel coordinates (64-bit: metrics may be anything).
  const int64_t top = static_cast<int64_t>(textMetrics.ascent) - glyph.originY;
  const int64_t left = glyph.originX;
  const int64_t inkRowsEnd = std::min<int64_t>(textMetrics.height, top + glyph.blackBoxY);
  const int64_t inkColumnsBegin = std::clamp<int64_t>(left, 0, textureWidth);
  const int64_t inkColumnsEnd = std::clamp<int64_t>(left + pitch, 0, textureWidth);

  for (uint32_t r = 0; r < textureHeight; ++r) {
    auto* line = static_cast<uint8_t*>(texels) + static_cast<size_t>(r) * rowPitchBytes;
    const bool rowHasInk = hasInk && r >= top && r < inkRowsEnd;
    for (int64_t c = 0; c < textureWidth; ++c) {
      uint32_t texel = kClear;
      if (rowHasInk && c >= inkColumnsBegin && c < inkColumnsEnd) {
        const uint8_t level = bits[(r - top) * pitch + (c - left)];
        texel |= static_cast<uint32_t>(greyToAlpha(std::min(level, MaxGreyLevel))) << 24;
      }
      std::memcpy(line + c * 4, &texel, sizeof texel);
    }
  }
}

}  // namespace text
