// C_WindowLayer's text: the font set-up, the typing-out of a page and the layout, rasterising and
// drawing of one character into the text target.
//
// A character is rasterised at twice the font size into the glyph texture and drawn at half size
// into the text target, eight times in black at one-pixel offsets (the outline) and once in the
// text colour. Nothing is cached: the text target keeps the finished page until it is cleared.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>

#include "engine/Engine.h"
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
// Glyph textures one typing step may use before it fills the first one again.
constexpr size_t kGlyphTexturesPerStep = 16;

// The outline's offsets, in drawing order; the ninth pass draws the text colour unshifted.
constexpr int32_t kOutlineOffsets[8][2] = {{-1, -1}, {0, -1}, {1, -1}, {-1, 0}, {1, 0}, {-1, 1}, {0, 1}, {1, 1}};
constexpr int32_t kGlyphPasses = 9;
// Texels around the ink that a pixel's linear filter may still reach.
constexpr float kInkMarginTexels = 2.0f;

// The part of the glyph quad around the ink, with the texture coordinates it has in the whole
// quad. The rest of the glyph texture is transparent and draws nothing, so sending only this part
// to the renderer draws the same pixels at a fraction of the cost. False when there is no ink.
bool clipToInk(GlyphQuad& quad, const text::TextMetrics& metrics, const text::GlyphMetrics& glyph, bool hasInk,
               int32_t textureWidth, int32_t textureHeight) {
  if (!hasInk || textureWidth <= 0 || textureHeight <= 0) return false;
  const float inkTop = float(metrics.ascent - glyph.originY);
  const float left = std::max(0.0f, float(glyph.originX) - kInkMarginTexels);
  const float right = std::min(float(textureWidth), float(glyph.originX) + float(glyph.blackBoxX) + kInkMarginTexels);
  const float top = std::max(0.0f, inkTop - kInkMarginTexels);
  const float bottom = std::min(float(textureHeight), inkTop + float(glyph.blackBoxY) + kInkMarginTexels);
  if (left >= right || top >= bottom) return false;
  const float u0 = left / float(textureWidth), u1 = right / float(textureWidth);
  const float v0 = top / float(textureHeight), v1 = bottom / float(textureHeight);
  const float width = quad.x1 - quad.x0, height = quad.y1 - quad.y0;
  quad = {quad.x0 + width * u0, quad.y0 + height * v0, quad.x0 + width * u1, quad.y0 + height * v1, u0, v0, u1, v1};
  return true;
}

// Sizes and margins come from scripts: the pen's sums saturate instead of overflowing, so a
// huge margin ends the line like any wide advance.
int32_t saturatedSum(int64_t a, int64_t b, int64_t c) {
  return int32_t(std::clamp<int64_t>(a + b + c, INT32_MIN, INT32_MAX));
}

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

  gfx::Device* device = engine::context().device;
  glyphQuad.reset();
  if (!device || device->createVertexBuffer(kGlyphPasses * 6 * sizeof(ScreenVertex), gfx::usage::WriteOnly,
                                            kScreenVertexFvf, gfx::Pool::Managed, glyphQuad) != gfx::result::Ok) {
    glyphQuad.reset();
    platform::messageBox(CP932("GetGlyphOutlineで取得した文字を描画する板ポリの初期化に失敗"), "ERROR",
                         platform::mb::Ok);
  }
  glyphTexture.reset();
  glyphTextures_.clear();
  nextGlyphTexture_ = 0;
  if (device &&
      device->createTexture(twice(size), twice(size), 1, 0, gfx::Pool::Managed, glyphTexture) == gfx::result::Ok) {
    glyphTextures_.push_back(glyphTexture);
  } else {
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
  if (text::GlyphRasterizer* rasterizer = engine::context().glyphRasterizer) font = rasterizer->createFont(logFont);
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

void C_WindowLayer::typeNothing() {
  showAllRequest = false;
  if (cursor < 0) return;
  cursor = -1;
  typingFinished = true;
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
  // A request to show the rest types the whole page again in this call, over what is there.
  const float savedSpeed = speed;
  if (showAllRequest) {
    speed = 0.0f;
    cursor = 0;
    typeTimer = 0.0f;
    lineIndex = lineBytes = penX = 0;
  }
  // A page already typed to its end stops typing.
  if (cursor >= 0 && atEnd(cursor)) {
    cursor = -1;
    showAllRequest = false;
    typingFinished = true;
  }
  // The characters the frame's time has paid for, drawn into the text target.
  nextGlyphTexture_ = 0;
  if (cursor >= 0) {
    if (gfx::Device* device = engine::context().device) {
      device->setRenderState(gfx::RenderState::TextureFactor, 0xFFFFFFFFu);
      device->setTextureStageState(0, gfx::TextureStageState::AlphaOp, gfx::top::Modulate);
      device->setTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::ta::Texture);
      device->setTextureStageState(0, gfx::TextureStageState::AlphaArg2, gfx::ta::TFactor);
    }
    typeTimer -= float(engine::context().frameDeltaMs) * 0.001f;
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
        penX = saturatedSum(penX, fontSize, marginX);
      } else if (!drawCharacter(text.data() + cursor, int32_t(c.length))) {
        break;
      }
      lineBytes += int32_t(c.length);
      cursor += int32_t(c.length);
      if (lineBytes >= maxLineBytes || float(penX) >= textAreaWidth) newLine();
    }
  }
  unbindTextTarget();
  // A show-all request ends with the page: typing stops this frame.
  if (showAllRequest) {
    showAllRequest = false;
    cursor = -1;
    typingFinished = true;
  }
  // The speed a show-all request zeroed comes back.
  speed = savedSpeed;
}

const gfx::TexturePtr& C_WindowLayer::nextGlyphTexture() {
  if (glyphTextures_.empty()) return glyphTexture;
  if (nextGlyphTexture_ < glyphTextures_.size()) return glyphTextures_[nextGlyphTexture_++];
  gfx::Device* device = engine::context().device;
  gfx::TexturePtr more;
  if (glyphTextures_.size() < kGlyphTexturesPerStep && device &&
      device->createTexture(glyphTextures_[0]->width(0), glyphTextures_[0]->height(0), 1, 0, gfx::Pool::Managed,
                            more) == gfx::result::Ok) {
    glyphTextures_.push_back(std::move(more));
    return glyphTextures_[nextGlyphTexture_++];
  }
  nextGlyphTexture_ = 1;
  return glyphTextures_[0];
}

bool C_WindowLayer::bindTextTarget() {
  gfx::Device* device = engine::context().device;
  if (!device || !textTarget || !textTarget->texture || !textTarget->depthSurface) return false;
  if (textTargetBound_) return true;
  savedTarget_ = device->getRenderTarget();
  savedDepth_ = device->getDepthStencilSurface();
  device->setRenderTarget(textTarget->texture->surfaceLevel(0));
  device->setDepthStencilSurface(textTarget->depthSurface);
  textTargetBound_ = true;
  return true;
}

void C_WindowLayer::unbindTextTarget() {
  if (!textTargetBound_) return;
  gfx::Device* device = engine::context().device;
  device->setRenderTarget(savedTarget_);
  device->setDepthStencilSurface(savedDepth_);
  savedTarget_.reset();
  savedDepth_.reset();
  textTargetBound_ = false;
}

bool C_WindowLayer::drawCharacter(const char* bytes, int32_t length) {
  if (glyphResourcesMissing()) return true;
  const uint32_t code =
      length == 2 ? (uint32_t(uint8_t(bytes[0])) << 8 | uint8_t(bytes[1])) : uint32_t(uint8_t(bytes[0]));
  // The metrics at twice the size, and the grey bitmap.
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
  // A character that would not fit starts a new line.
  if (wrapByWidth && float(int64_t(marginX) + inkHalf + penX) > textAreaWidth) newLine();
  // The glyph texture: white, the grey levels as alpha.
  glyphTexture = nextGlyphTexture();
  gfx::LockedRect locked;
  if (glyphTexture->lockRect(0, locked) != gfx::result::Ok || !locked.bits) return false;
  text::fillGlyphTexels(metrics, glyph, glyphBits_.data(), bitsBytes, locked.bits, uint32_t(glyphTexture->width(0)),
                        uint32_t(glyphTexture->height(0)), uint32_t(locked.pitch));
  glyphTexture->unlockRect(0);
  // The quad shows the whole glyph texture at half size.
  const float x0 = float(penX), x1 = float(penX) + float(glyph.cellIncX) * 0.5f;
  const float y0 = float(int64_t(fontSize) + marginY) * float(lineIndex), y1 = y0 + float(metrics.height) * 0.5f;
  GlyphQuad quad{x0, y0, x1, y1, 0.0f, 0.0f, 1.0f, 1.0f};
  if (clipToInk(quad, metrics, glyph, bitsBytes > 0, glyphTexture->width(0), glyphTexture->height(0)) &&
      !drawGlyphQuads(quad))
    return false;
  // The pen follows the ink's width, not the cell advance.
  penX = saturatedSum(marginX, inkHalf, penX);
  return true;
}

// The nine quads go to the renderer as one list of triangles in drawing order, which blends
// exactly as nine draws of one quad would, at a ninth of the draws' cost.
bool C_WindowLayer::drawGlyphQuads(const GlyphQuad& q) {
  if (!bindTextTarget()) return true;
  gfx::Device* device = engine::context().device;
  void* data = nullptr;
  if (glyphQuad->lock(0, 0, &data) != gfx::result::Ok || !data) return false;
  ScreenVertex* out = static_cast<ScreenVertex*>(data);
  for (int32_t pass = 0; pass < kGlyphPasses; ++pass) {
    const bool outline = pass < 8;
    const float dx = outline ? float(kOutlineOffsets[pass][0]) : 0.0f;
    const float dy = outline ? float(kOutlineOffsets[pass][1]) : 0.0f;
    const uint32_t colour = outline ? 0xFF000000u : textColour;
    // The strip (x1, y0) (x1, y1) (x0, y0) (x0, y1) as its two triangles.
    const ScreenVertex topRight{q.x1 + dx, q.y0 + dy, 0.5f, 1.0f, colour, q.u1, q.v0};
    const ScreenVertex bottomRight{q.x1 + dx, q.y1 + dy, 0.5f, 1.0f, colour, q.u1, q.v1};
    const ScreenVertex topLeft{q.x0 + dx, q.y0 + dy, 0.5f, 1.0f, colour, q.u0, q.v0};
    const ScreenVertex bottomLeft{q.x0 + dx, q.y1 + dy, 0.5f, 1.0f, colour, q.u0, q.v1};
    const ScreenVertex quad[6] = {topRight, bottomRight, topLeft, topLeft, bottomRight, bottomLeft};
    std::memcpy(out + pass * 6, quad, sizeof quad);
  }
  glyphQuad->unlock();
  device->setTexture(0, glyphTexture);
  device->setRenderState(gfx::RenderState::TextureFactor, 0xFFFFFFFFu);
  device->setTextureStageState(0, gfx::TextureStageState::AlphaOp, gfx::top::Modulate);
  device->setTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::ta::Texture);
  device->setTextureStageState(0, gfx::TextureStageState::AlphaArg2, gfx::ta::TFactor);
  device->setFVF(kScreenVertexFvf);
  device->setStreamSource(0, glyphQuad, 0, sizeof(ScreenVertex));
  device->drawPrimitive(gfx::PrimitiveType::TriangleList, 0, 2 * kGlyphPasses);
  return true;
}

}  // namespace window
