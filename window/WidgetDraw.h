// Draw helpers of the selection window and the widgets: the shared quad with a texture, and flat
// coloured rectangles in screen pixels.
#pragma once

#include <cstdint>

#include "gfx/Device.h"

namespace window {

// The shared quad of the layers, centred on the world transform's origin, with the centred
// projection; nothing without the quad or the texture.
void DrawTexturedQuad(gfx::Device& device, const gfx::TexturePtr& texture, const gfx::Matrix& world);

// A rectangle of one colour (alpha blended) in screen pixels from the top-left corner.
void DrawFlatRect(gfx::Device& device, float left, float top, float right, float bottom, uint32_t argb);

// A colour with its alpha multiplied by another alpha (0-255).
constexpr uint32_t FadeColour(uint32_t argb, uint8_t alpha) {
  const uint32_t a = (argb >> 24) * alpha / 255u;
  return a << 24 | (argb & 0x00FFFFFFu);
}

}  // namespace window
