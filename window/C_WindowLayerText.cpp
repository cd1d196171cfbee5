// C_WindowLayer's text: the font set-up, the typing-out of a page and the layout, rasterising and
// drawing of one character into the text target.
//
// A character is rasterised at twice the font size into the glyph texture and drawn at half size
// into the text target, eight times in black at one-pixel offsets (the outline) and once in the
// text colour. Nothing is cached: the text target keeps the finished page until it is cleared.
#include <algorithm>
#include <cstring>
#include <set>
#include <string>

#include "app/Engine.h"
#include "layer/C_Sprite.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "text/Cp932.h"
#include "text/GlyphTexels.h"
#include "window/C_WindowLayer.h"

namespace window {

namespace {

constexpr uint32_t kIdeographicSpace = 0x8140;
constexpr int32_t kMaxFontSide = 1 << 20;  // keeps twice the size defined; no texture is this large

// The outline's offsets, in drawing order.
constexpr int32_t kOutlineOffsets[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};

int32_t twice(int32_t size) { return int32_t(std::clamp<int64_t>(int64_t(size) * 2, -kMaxFontSide, kMaxFontSide)); }

// A face name that no installed face answers is reported once per name for the whole run.
void reportFallbackFace(const std::string& faceName) {
  static std::set<std::string> reported;
  if (!reported.insert(faceName).second) return;
  std::string message = CP932("フォント「");
  message += faceName;
  message += CP932("」が見つからないため、IPAゴシックで代用します");
  platform::messageBox(message, CP932("警告"), platform::mb::Ok);
}

}  // namespace

// ---- Font set-up -------------------------------------------------------------------------------------

void C_WindowLayer::setFont(uint8_t type, int32_t size, const char* face, int32_t weight) {
  marginX = marginY = 2;
  fontType = type;
  fontSize = size;
  // The name keeps at most 62 bytes, never half a double-byte character.
  const std::string_view name(face ? face : "");
  size_t kept = 0;
  for (const text::Cp932Character& c : text::Cp932Characters(name)) {
    if (c.offset + c.length > sizeof faceName - 1) break;
    kept = c.offset + c.length;
  }
  std::memcpy(faceName, name.data(), kept);
  faceName[kept] = '\0';
  fontWeight = weight;

  if (type == 1) {
    glyphRenderer = &C_WindowLayer::typeNothing;
    return;
  }
  if (type != 0) return;

  gfx::Device* device = app::engine().device;
  glyphQuad.reset();
  if (!device || device->createVertexBuffer(4 * sizeof(ScreenVertex), gfx::usage::WriteOnly, kScreenVertexFvf,
                                            gfx::Pool::Managed, glyphQuad) != gfx::result::Ok) {
    glyphQuad.reset();
    platform::messageBox(CP932("GetGlyphOutlineで取得した文字を描画する板ポリの初期化に失敗"), "ERROR",
                         platform::mb::Ok);
  }
  glyphTexture.reset();
  if (!device || device->createTexture(twice(size), twice(size), 1, 0, gfx::Pool::Managed, glyphTexture) !=
                     gfx::result::Ok) {
    glyphTexture.reset();
    platform::messageBox(CP932("GetGlyphOutlineで取得した文字を描画するテクスチャの初期化に失敗"), "ERROR",
                         platform::mb::Ok);
  }

  logFont = text::LogicalFont{};
  logFont.height = twice(size);
  logFont.weight = weight;
  logFont.charSet = text::logfont::ShiftJisCharset;
  logFont.outPrecision = text::logfont::OutTtOnlyPrecis;
  logFont.clipPrecision = text::logfont::ClipDefaultPrecis;
  logFont.quality = text::logfont::ProofQuality;
  logFont.pitchAndFamily = text::logfont::FixedPitchModern;
  logFont.faceName = faceName;
  font.reset();
  if (text::GlyphRasterizer* rasterizer = app::engine().glyphRasterizer) font = rasterizer->createFont(logFont);
  if (!font) {
    platform::messageBox(CP932("フォントオブジェクト生成に失敗"), "ERROR", platform::mb::Ok);
    return;
  }
  glyphRenderer = &C_WindowLayer::typeText;
  if (font->usedFallbackFace()) reportFallbackFace(faceName);
}

void C_WindowLayer::setFontMargin(int32_t x, int32_t y) {
  marginX = x;
  marginY = y;
}

// ---- Typing ------------------------------------------------------------------------------------------

void C_WindowLayer::runRenderer() {
  if (glyphRenderer) (this->*glyphRenderer)();
}

void C_WindowLayer::finishPage() {
  lineIndex = lineBytes = penX = 0;
  showAllRequest = false;
  cursor = -1;
  typingFinished = true;
}

// One call per drawn frame. The timer runs on the frame's length, so a page types at 1 / speed
// characters per second whatever the frame rate; a long frame types several characters.
void C_WindowLayer::typeText() {
  const auto atEnd = [this](int32_t at) { return size_t(at) >= text.size(); };
  // 1. A request to show the rest types the whole page again in this call, over what is there.
  const float savedSpeed = speed;
  if (showAllRequest) {
    speed = 0.0f;
    cursor = 0;
    typeTimer = 0.0f;
    lineIndex = lineBytes = penX = 0;
  }
  // 2.
  if (cursor >= 0 && atEnd(cursor)) {
    cursor = -1;
    showAllRequest = false;
    typingFinished = true;
  }
  // 3.
  if (cursor >= 0) {
    if (gfx::Device* device = app::engine().device) {
      device->setRenderState(gfx::RenderState::TextureFactor, 0xFFFFFFFFu);
      device->setTextureStageState(0, gfx::TextureStageState::AlphaOp, gfx::top::Modulate);
      device->setTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::ta::Texture);
      device->setTextureStageState(0, gfx::TextureStageState::AlphaArg2, gfx::ta::TFactor);
    }
    typeTimer -= float(app::engine().frameDeltaMs) * 0.001f;
    while (typeTimer <= 0.0f) {
      typeTimer += speed;
      if (atEnd(cursor)) {
        finishPage();
        break;
      }
      if (text[size_t(cursor)] == '\n') {
        ++lineIndex;
        ++cursor;
        lineBytes = 0;
        penX = 0;
        continue;
      }
      if (text.compare(size_t(cursor), 3, "<n>") == 0) {
        cursor += 3;
        newLine();
        if (!atEnd(cursor) && text[size_t(cursor)] == '\n') ++cursor;
        if (atEnd(cursor)) {
          finishPage();
          break;
        }
        continue;
      }
      const text::Cp932Character c = text::cp932CharacterAt(text, size_t(cursor));
      if (c.code == kIdeographicSpace) {
        penX += fontSize + marginX;
      } else if (!drawCharacter(text.data() + cursor, int32_t(c.length))) {
        break;
      }
      lineBytes += int32_t(c.length);
      cursor += int32_t(c.length);
      if (lineBytes >= maxLineBytes || float(penX) >= textAreaWidth) newLine();
    }
  }
  // 4.
  if (showAllRequest) {
    showAllRequest = false;
    cursor = -1;
    typingFinished = true;
  }
  // 5.
  speed = savedSpeed;
}

bool C_WindowLayer::drawCharacter(const char* bytes, int32_t length) {
  if (glyphResourcesMissing()) return true;
  const uint32_t code =
      length == 2 ? (uint32_t(uint8_t(bytes[0])) << 8 | uint8_t(bytes[1])) : uint32_t(uint8_t(bytes[0]));
  // 1. The metrics at twice the size, and the grey bitmap.
  const text::TextMetrics metrics = font->textMetrics();
  text::GlyphMetrics glyph;
  const uint32_t needed = font->glyphOutline(code, glyph, nullptr, 0);
  if (needed == text::GdiError) return true;
  uint32_t bitsBytes = 0;
  if (needed > 0) {
    if (glyphBits_.size() < needed) glyphBits_.resize(needed);
    const uint32_t got = font->glyphOutline(code, glyph, glyphBits_.data(), needed);
    if (got != text::GdiError) bitsBytes = got;
  }
  const int32_t inkHalf = int32_t((double(glyph.blackBoxX) + double(glyph.originX)) * 0.5);
  // 2. A character that would not fit starts a new line.
  if (wrapByWidth && float(int64_t(marginX) + inkHalf + penX) > textAreaWidth) newLine();
  // 3. The glyph texture: white, the grey levels as alpha.
  gfx::LockedRect locked;
  if (glyphTexture->lockRect(0, locked) != gfx::result::Ok || !locked.bits) return false;
  text::fillGlyphTexels(metrics, glyph, glyphBits_.data(), bitsBytes, locked.bits, uint32_t(glyphTexture->width(0)),
                        uint32_t(glyphTexture->height(0)), uint32_t(locked.pitch));
  glyphTexture->unlockRect(0);
  // 4-5. The quad shows the whole glyph texture at half size.
  const float x0 = float(penX), x1 = float(penX) + float(glyph.cellIncX) * 0.5f;
  const float y0 = float(fontSize + marginY) * float(lineIndex), y1 = y0 + float(metrics.height) * 0.5f;
  if (!drawGlyphQuads(x0, y0, x1, y1)) return false;
  // 6. The pen follows the ink's width, not the cell advance.
  penX = marginX + inkHalf + penX;
  return true;
}

bool C_WindowLayer::drawGlyphQuads(float x0, float y0, float x1, float y1) {
  gfx::Device* device = app::engine().device;
  if (!device || !textTarget || !textTarget->texture || !textTarget->depthSurface) return true;
  const gfx::SurfacePtr savedTarget = device->getRenderTarget();
  const gfx::SurfacePtr savedDepth = device->getDepthStencilSurface();
  device->setRenderTarget(textTarget->texture->surfaceLevel(0));
  device->setDepthStencilSurface(textTarget->depthSurface);
  device->setTexture(0, glyphTexture);
  device->setRenderState(gfx::RenderState::TextureFactor, 0xFFFFFFFFu);
  device->setTextureStageState(0, gfx::TextureStageState::AlphaOp, gfx::top::Modulate);
  device->setTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::ta::Texture);
  device->setTextureStageState(0, gfx::TextureStageState::AlphaArg2, gfx::ta::TFactor);
  device->setFVF(kScreenVertexFvf);
  device->setStreamSource(0, glyphQuad, 0, sizeof(ScreenVertex));
  bool drawn = true;
  for (int32_t pass = 0; pass < 9; ++pass) {
    const bool outline = pass < 8;
    const float dx = outline ? float(kOutlineOffsets[pass][0]) : 0.0f;
    const float dy = outline ? float(kOutlineOffsets[pass][1]) : 0.0f;
    const uint32_t colour = outline ? 0xFF000000u : textColour;
    const ScreenVertex quad[4] = {{x1 + dx, y0 + dy, 0.5f, 1.0f, colour, 1.0f, 0.0f},
                                  {x1 + dx, y1 + dy, 0.5f, 1.0f, colour, 1.0f, 1.0f},
                                  {x0 + dx, y0 + dy, 0.5f, 1.0f, colour, 0.0f, 0.0f},
                                  {x0 + dx, y1 + dy, 0.5f, 1.0f, colour, 0.0f, 1.0f}};
    void* data = nullptr;
    if (glyphQuad->lock(0, 0, &data) != gfx::result::Ok || !data) {
      drawn = false;
      break;
    }
    std::memcpy(data, quad, sizeof quad);
    glyphQuad->unlock();
    device->drawPrimitive(gfx::PrimitiveType::TriangleStrip, 0, 2);
  }
  device->setRenderTarget(savedTarget);
  device->setDepthStencilSurface(savedDepth);
  return drawn;
}

}  // namespace window
