// The debug font (the face of the debug line): glyphs rasterised once into small
// textures and drawn through a sprite batch.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "gfx/Device.h"
#include "gfx/SpriteBatch.h"
#include "text/GlyphRasterizer.h"

namespace engine {

class DebugFont {
 public:
  // D3DXCreateFontA's parameters the engine uses; nullptr when no glyph rasteriser can be made.
  static std::unique_ptr<DebugFont> create(gfx::Device& device, int32_t height, int32_t weight, uint8_t quality,
                                           const std::string& faceCp932);

  // DrawTextA into rect with DT_VCENTER (which only single-line text uses: lines run from the
  // rectangle's top), clipped to the rectangle. The batch must be begun.
  void drawText(gfx::SpriteBatch& batch, const std::string& textCp932, const gfx::Rect& rect, uint32_t colour);

  // Glyph textures live in managed memory: nothing to let go of on a lost device.
  void onLostDevice() {}

  // 0 when no face can be opened.
  int32_t lineHeight();

 private:
  struct Glyph {
    gfx::TexturePtr texture;  // nullptr for a glyph without ink
    text::GlyphMetrics metrics;
  };
  DebugFont(gfx::Device& device, text::GlyphRasterizer& rasterizer, const text::LogicalFont& logical);
  bool ensureFont();
  const Glyph& glyph(uint32_t code);

  gfx::Device& device_;
  text::GlyphRasterizer& rasterizer_;
  text::LogicalFont logical_;
  bool triedFont_ = false;
  std::unique_ptr<text::Font> font_;
  text::TextMetrics metrics_{};
  std::map<uint32_t, Glyph> glyphs_;
};

}  // namespace engine
