// Glyph rasteriser contract: logical fonts, text metrics and 17-level grey glyph bitmaps as GDI
// reports them (CreateFontIndirectA, GetTextMetricsA, GetGlyphOutlineA with GGO_GRAY4_BITMAP).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace text {

// The logical-font record (LOGFONTA). faceName is code page 932 text; like lfFaceName it keeps
// at most FaceNameBytes - 1 bytes (a longer name is cut, never on half a double-byte character).
struct LogicalFont {
  static constexpr size_t FaceNameBytes = 32;

  // > 0: cell height (ascent + descent) in pixels; < 0: em height; 0: the default cell height.
  int32_t height = 0;
  int32_t width = 0;        // not applied: every caller asks for 0 (the face's own width)
  int32_t escapement = 0;   // not applied
  int32_t orientation = 0;  // not applied
  int32_t weight = 0;       // 0 = don't care (regular); above 550 a face without bold is emboldened
  uint8_t italic = 0;       // slanted when set
  uint8_t underline = 0;    // glyph outlines never carry the underline or strike-out
  uint8_t strikeOut = 0;
  uint8_t charSet = 0;       // characters are always read as code page 932 codes
  uint8_t outPrecision = 0;  // recorded only
  uint8_t clipPrecision = 0;
  uint8_t quality = 0;
  uint8_t pitchAndFamily = 0;
  std::string faceName;
};

// Values of the LOGFONTA fields the engine uses.
namespace logfont {
constexpr uint8_t ShiftJisCharset = 128;
constexpr uint8_t OutTtOnlyPrecis = 7;
constexpr uint8_t ClipDefaultPrecis = 0;
constexpr uint8_t ProofQuality = 2;
constexpr uint8_t AntialiasedQuality = 4;
constexpr uint8_t FixedPitchModern = 0x31;  // FIXED_PITCH | FF_MODERN
constexpr int32_t WeightNormal = 400;
constexpr int32_t WeightBold = 700;
}  // namespace logfont

// GetTextMetricsA's vertical values, in pixels.
struct TextMetrics {
  int32_t height = 0;  // ascent + descent; may exceed a positive requested height by rounding
  int32_t ascent = 0;
  int32_t descent = 0;
  int32_t internalLeading = 0;  // height - em
};

// GLYPHMETRICS.
struct GlyphMetrics {
  uint32_t blackBoxX = 0;  // ink box width; 1 for a glyph without ink
  uint32_t blackBoxY = 0;  // ink box height; 1 for a glyph without ink
  int32_t originX = 0;     // pen position to the ink box's left edge
  int32_t originY = 0;     // baseline up to the ink box's top edge
  int16_t cellIncX = 0;    // advance in whole pixels
  int16_t cellIncY = 0;    // always 0
};

// GetGlyphOutlineA's failure value.
constexpr uint32_t GdiError = 0xFFFFFFFFu;

// Grey bitmaps hold levels 0..16; the level 16 is full ink.
constexpr uint8_t MaxGreyLevel = 16;

// Rows of a grey bitmap are padded to a multiple of 4 bytes (DWORD-aligned, as GDI delivers them).
constexpr uint32_t glyphPitch(uint32_t blackBoxX) { return (blackBoxX + 3) & ~3u; }

// A grey level as texel alpha: 16 gives 255, 8 gives 127.
constexpr uint8_t greyToAlpha(uint8_t grey) { return static_cast<uint8_t>(grey * 255 / 16); }

// A font made from a logical font (the GDI font handle). Only the main thread uses it.
class Font {
 public:
  virtual ~Font() = default;

  virtual TextMetrics textMetrics() const = 0;

  // GetGlyphOutlineA(code, GGO_GRAY4_BITMAP, identity matrix). code is a code page 932
  // character: the byte, or lead << 8 | trail. With no buffer (or bufferBytes 0) it returns the
  // bytes the bitmap needs: glyphPitch(blackBoxX) * blackBoxY, 0 for a glyph without ink.
  // Otherwise it writes the bitmap (rows top to bottom, one byte per pixel, levels 0..16,
  // padding bytes 0) and returns its size, or GdiError when the buffer is too small. A
  // character the face lacks, or a code that is no code page 932 character, gives the face's
  // replacement glyph. Asking for the size and then the bitmap of one character rasterises once.
  virtual uint32_t glyphOutline(uint32_t code, GlyphMetrics& metrics, uint8_t* buffer, uint32_t bufferBytes) = 0;

  // Whether the face has a glyph of its own for the character (not the replacement glyph).
  virtual bool hasGlyph(uint32_t code) = 0;

  // The face in use: its family name (UTF-8) and its pixels per em.
  virtual const std::string& familyName() const = 0;
  virtual int32_t pixelsPerEm() const = 0;

  // True when the requested face name could not be resolved to a Japanese face and IPAGothic
  // stands in for it; the caller shows its one message.
  virtual bool usedFallbackFace() const = 0;
};

// Makes fonts from logical fonts (CreateFontIndirectA). Face names: "ＭＳ ゴシック" / "MS Gothic" give
// IPAGothic, "ＭＳ 明朝" / "MS Mincho" IPAMincho (and the proportional "ＭＳ Ｐ" faces their IPA P
// faces); an empty name gives IPAGothic; any other name is looked up through the system's font
// configuration and accepted when the match has that family name and covers Japanese, else
// IPAGothic stands in.
class GlyphRasterizer {
 public:
  virtual ~GlyphRasterizer() = default;

  // nullptr when the font library cannot start.
  static std::unique_ptr<GlyphRasterizer> create();

  // nullptr when no face can be loaded (not even IPAGothic) or the size is out of range
  // (more than MaxPixelsPerEm). Fonts stay usable after the rasteriser is destroyed.
  virtual std::unique_ptr<Font> createFont(const LogicalFont& logicalFont) = 0;

  static constexpr int32_t MaxPixelsPerEm = 2048;
};

}  // namespace text
