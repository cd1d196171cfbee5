// The debug font: a glyph cache over the glyph rasteriser, drawn with the sprite batch.
#include "engine/DebugFont.h"

#include <vector>

#include "text/Cp932.h"

namespace engine {

std::unique_ptr<DebugFont> DebugFont::create(gfx::Device& device, int32_t height, int32_t weight, uint8_t quality,
                                             const std::string& faceCp932) {
  static std::unique_ptr<text::GlyphRasterizer> rasterizer = text::GlyphRasterizer::create();
  if (!rasterizer) return nullptr;
  text::LogicalFont lf;
  lf.height = height;
  lf.weight = weight;
  lf.charSet = 1;       // DEFAULT_CHARSET
  lf.outPrecision = 3;  // OUT_STRING_PRECIS
  lf.quality = quality;
  lf.faceName = faceCp932;
  return std::unique_ptr<DebugFont>(new DebugFont(device, *rasterizer, lf));
}

DebugFont::DebugFont(gfx::Device& device, text::GlyphRasterizer& rasterizer, const text::LogicalFont& logical)
    : device_(device), rasterizer_(rasterizer), logical_(logical) {}

// The face is opened with the first debug line: most runs never show one, and an open face
// keeps its file's tables in memory.
bool DebugFont::ensureFont() {
  if (font_) return true;
  if (triedFont_) return false;
  triedFont_ = true;
  font_ = rasterizer_.createFont(logical_);
  if (font_) metrics_ = font_->textMetrics();
  return font_ != nullptr;
}

int32_t DebugFont::lineHeight() { return ensureFont() ? metrics_.height : 0; }

const DebugFont::Glyph& DebugFont::glyph(uint32_t code) {
  auto found = glyphs_.find(code);
  if (found != glyphs_.end()) return found->second;
  Glyph g;
  const uint32_t size = font_->glyphOutline(code, g.metrics, nullptr, 0);
  if (size != text::GdiError && size > 0) {
    std::vector<uint8_t> bits(size);
    font_->glyphOutline(code, g.metrics, bits.data(), size);
    const uint32_t w = g.metrics.blackBoxX, h = g.metrics.blackBoxY, pitch = text::glyphPitch(w);
    if (device_.createTexture(int32_t(w), int32_t(h), 1, 0, gfx::Pool::Managed, g.texture) == gfx::result::Ok) {
      gfx::LockedRect lr;
      if (g.texture->lockRect(0, lr) == gfx::result::Ok) {
        for (uint32_t r = 0; r < h; ++r)
          for (uint32_t c = 0; c < w; ++c) {
            const uint8_t level = bits[size_t(r) * pitch + c];
            reinterpret_cast<uint32_t*>(lr.bits + size_t(r) * size_t(lr.pitch))[c] =
                uint32_t(text::greyToAlpha(level)) << 24 | 0x00FFFFFFu;
          }
        g.texture->unlockRect(0);
      }
    }
  }
  return glyphs_.emplace(code, std::move(g)).first->second;
}

void DebugFont::drawText(gfx::SpriteBatch& batch, const std::string& textCp932, const gfx::Rect& rect,
                         uint32_t colour) {
  if (!ensureFont()) return;
  int32_t penX = rect.left, lineTop = rect.top;
  batch.setTransform(gfx::Matrix::identity());
  for (const text::Cp932Character& ch : text::Cp932Characters(textCp932)) {
    if (ch.code == '\n') {
      penX = rect.left;
      lineTop += metrics_.height;
      continue;
    }
    if (ch.code == '\r') continue;
    if (lineTop + metrics_.height > rect.bottom) break;
    const Glyph& g = glyph(ch.code);
    if (g.texture) {
      const int32_t x = penX + g.metrics.originX, y = lineTop + metrics_.ascent - g.metrics.originY;
      // Clipped to the rectangle's right edge.
      gfx::Rect src{0, 0, g.texture->width(0), g.texture->height(0)};
      if (x < rect.right) {
        if (x + src.right > rect.right) src.right = rect.right - x;
        const gfx::Vec3 position{float(x), float(y), 0.0f};
        batch.draw(g.texture, &src, nullptr, &position, colour);
      }
    }
    penX += g.metrics.cellIncX;
  }
}

}  // namespace engine
