// The glyph texture's texels for one character: white with the glyph's grey level as alpha.
#pragma once

#include <cstdint>

#include "text/GlyphRasterizer.h"

namespace text {

// Fills a locked A8R8G8B8 glyph texture (rows of rowPitchBytes, top row first) from a bitmap of
// Font::glyphOutline. Texel (r, c) shows the bitmap's pixel (r - (ascent - originY), c - originX)
// as 0x00FFFFFF | greyToAlpha(level) << 24; every other texel becomes 0x00FFFFFF. The bitmap is
// clipped to the texture, so a cell taller than the texture (a text height rounded up past it)
// or ink outside the cell never writes beyond the texture, and rows below the cell hold no
// texels of an earlier character. bitsBytes below the bitmap's size counts as no ink.
void fillGlyphTexels(const TextMetrics& textMetrics, const GlyphMetrics& glyph, const uint8_t* bits, uint32_t bitsBytes,
                     void* texels, uint32_t textureWidth, uint32_t textureHeight, uint32_t rowPitchBytes);

}  // namespace text
