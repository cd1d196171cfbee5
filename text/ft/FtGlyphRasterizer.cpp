// GDI's logical fonts, text metrics and GGO_GRAY4 glyph bitmaps reproduced on FreeType.
//
// Size: a positive logical height asks for a cell height (win ascent + win descent), so the em
// is height * unitsPerEm / (winAscent + winDescent), rounded as MulDiv does; a negative height
// is the em itself. The em is set as a nominal pixel size; ascent and descent are the win values
// scaled and rounded, which is what GetTextMetricsA reports for TrueType faces.
//
// Glyphs: loaded hinted from the outline, rendered with 256 coverage levels and quantised to
// 17 grey levels with g = (c * 17) >> 8 (0 -> 0, 255 -> 16, equal bins). Black box, origin and
// advance come from the rendered bitmap; a glyph without ink reports a 1 x 1 box at (0, 0) and
// needs no bytes.
#include "text/ft/FtGlyphRasterizer.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <vector>

#include "platform/System.h"
#include "text/Cp932.h"
#include "text/ft/Cp932Decoder.h"
#include "text/ft/FaceMatcher.h"

namespace text::ft {

struct FtLibrary {
  FT_Library library = nullptr;
  Cp932Decoder decoder;

  ~FtLibrary() {
    if (library) FT_Done_FreeType(library);
  }
};

struct FtFace {
  std::shared_ptr<FtLibrary> library;  // outlives the face
  FT_Face face = nullptr;

  ~FtFace() {
    if (face) FT_Done_Face(face);
  }
};

namespace {

// GDI's cell height for a logical height of 0.
constexpr int32_t kDefaultCellHeight = 16;

// A quarter of the height to the right over the full height: GDI's synthetic italic.
constexpr FT_Matrix kItalicShear = {0x10000, 0x4000, 0, 0x10000};

constexpr int32_t kBoldWeightAbove = 550;

// MulDiv: a * b / c rounded half away from zero (all operands positive here).
int64_t mulDivRounded(int64_t a, int64_t b, int64_t c) { return (a * b + c / 2) / c; }

// lfFaceName keeps 31 bytes and its NUL; the name also ends at an embedded NUL.
std::string logicalFaceName(const std::string& requested) {
  std::string_view name(requested.c_str());
  size_t kept = 0;
  while (kept < name.size()) {
    const Cp932Character c = cp932CharacterAt(name, kept);
    if (kept + c.length > LogicalFont::FaceNameBytes - 1) break;
    kept += c.length;
  }
  return std::string(name.substr(0, kept));
}

struct RasterisedGlyph {
  GlyphMetrics metrics;
  std::vector<uint8_t> bits;  // pitch * blackBoxY grey levels, empty without ink
};

class FtFont final : public Font {
 public:
  FtFont(std::shared_ptr<FtFace> face, FT_Size size, TextMetrics metrics, int32_t ppem, std::string family,
         bool fallback, bool italic, FT_Pos boldStrength)
      : face_(std::move(face)),
        size_(size),
        metrics_(metrics),
        ppem_(ppem),
        family_(std::move(family)),
        fallback_(fallback),
        italic_(italic),
        boldStrength_(boldStrength) {}

  ~FtFont() override { FT_Done_Size(size_); }

  TextMetrics textMetrics() const override { return metrics_; }
  const std::string& familyName() const override { return family_; }
  int32_t pixelsPerEm() const override { return ppem_; }
  bool usedFallbackFace() const override { return fallback_; }

  bool hasGlyph(uint32_t code) override { return glyphIndex(code) != 0; }

  uint32_t glyphOutline(uint32_t code, GlyphMetrics& metrics, uint8_t* buffer, uint32_t bufferBytes) override {
    // The size query and the bitmap request come in pairs for one character: keep the last.
    if (!lastValid_ || lastCode_ != code) {
      lastValid_ = rasterise(code, last_);
      lastCode_ = code;
      if (!lastValid_) return GdiError;
    }
    metrics = last_.metrics;
    const auto needed = static_cast<uint32_t>(last_.bits.size());
    if (!buffer || bufferBytes == 0) return needed;
    if (bufferBytes < needed) return GdiError;
    if (needed) std::memcpy(buffer, last_.bits.data(), needed);
    return needed;
  }

 private:
  FT_UInt glyphIndex(uint32_t code) {
    const char32_t scalar = face_->library->decoder.decode(code);
    return scalar ? FT_Get_Char_Index(face_->face, scalar) : 0;
  }

  // The face draws its replacement glyph where GDI would have linked another face: say so once
  // per character on the debug output.
  void reportMissing(uint32_t code) {
    if (!reportedMissing_.insert(code).second) return;
    char line[80];
    std::snprintf(line, sizeof line, "glyph 0x%04X missing from the font: replacement glyph drawn\n", code);
    platform::debugOutput(line);
  }

  bool rasterise(uint32_t code, RasterisedGlyph& out) {
    FT_Face face = face_->face;
    if (FT_Activate_Size(size_) != 0) return false;
    constexpr FT_Int32 kLoadFlags = FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP;
    FT_UInt index = glyphIndex(code);
    if (index == 0) reportMissing(code);
    FT_Error error = FT_Load_Glyph(face, index, kLoadFlags);
    if (error && index != 0) error = FT_Load_Glyph(face, 0, kLoadFlags);
    if (error) return false;

    FT_GlyphSlot slot = face->glyph;
    FT_Pos advance = slot->advance.x;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
      if (italic_) FT_Outline_Transform(&slot->outline, &kItalicShear);
      if (boldStrength_ > 0) {
        FT_Outline_EmboldenXY(&slot->outline, boldStrength_, 0);
        advance += boldStrength_;
      }
    }
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return false;

    const FT_Bitmap& bitmap = slot->bitmap;
    out.metrics = GlyphMetrics{};
    out.metrics.cellIncX = static_cast<int16_t>((advance + 32) >> 6);
    out.bits.clear();
    if (bitmap.width == 0 || bitmap.rows == 0 || !bitmap.buffer) {
      out.metrics.blackBoxX = out.metrics.blackBoxY = 1;
      return true;
    }
    out.metrics.blackBoxX = bitmap.width;
    out.metrics.blackBoxY = bitmap.rows;
    out.metrics.originX = slot->bitmap_left;
    out.metrics.originY = slot->bitmap_top;

    const uint32_t pitch = glyphPitch(bitmap.width);
    out.bits.assign(static_cast<size_t>(pitch) * bitmap.rows, 0);
    const size_t sourcePitch = static_cast<size_t>(bitmap.pitch < 0 ? -bitmap.pitch : bitmap.pitch);
    for (uint32_t row = 0; row < bitmap.rows; ++row) {
      // A negative pitch stores the rows bottom-up.
      const uint32_t sourceRow = bitmap.pitch < 0 ? bitmap.rows - 1 - row : row;
      const uint8_t* source = bitmap.buffer + sourceRow * sourcePitch;
      uint8_t* target = out.bits.data() + static_cast<size_t>(row) * pitch;
      for (uint32_t column = 0; column < bitmap.width; ++column) {
        uint32_t coverage = 0;
        if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
          coverage = bitmap.num_grays == 256 ? source[column] : source[column] * 255u / (bitmap.num_grays - 1u);
        } else if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
          coverage = (source[column >> 3] >> (7 - (column & 7)) & 1) ? 255 : 0;
        }
        target[column] = greyLevelOfCoverage(static_cast<uint8_t>(std::min(coverage, 255u)));
      }
    }
    return true;
  }

  std::shared_ptr<FtFace> face_;
  FT_Size size_;
  TextMetrics metrics_;
  int32_t ppem_;
  std::string family_;
  bool fallback_;
  bool italic_;
  FT_Pos boldStrength_;  // 26.6 pixels of synthetic bold, 0 for none

  std::set<uint32_t> reportedMissing_;
  bool lastValid_ = false;
  uint32_t lastCode_ = 0;
  RasterisedGlyph last_;
};

}  // namespace

FtGlyphRasterizer::FtGlyphRasterizer(std::shared_ptr<FtLibrary> library) : library_(std::move(library)) {}

FtGlyphRasterizer::~FtGlyphRasterizer() = default;

std::shared_ptr<FtFace> FtGlyphRasterizer::openFace(const std::string& file, int index) {
  auto key = std::make_pair(file, index);
  if (auto it = faces_.find(key); it != faces_.end()) return it->second;
  auto face = std::make_shared<FtFace>();
  face->library = library_;
  if (FT_New_Face(library_->library, file.c_str(), index, &face->face) != 0) {
    face->face = nullptr;
    return nullptr;
  }
  if (!FT_IS_SCALABLE(face->face) || face->face->units_per_EM == 0) return nullptr;
  faces_.emplace(key, face);
  return face;
}

std::unique_ptr<Font> FtGlyphRasterizer::createFont(const LogicalFont& logicalFont) {
  // A name that is no code page 932 text cannot name any face: IPAGothic stands in for it.
  std::string nameUtf8;
  std::optional<FaceLocation> location =
      library_->decoder.toUtf8(logicalFaceName(logicalFont.faceName), nameUtf8) ? matchFace(nameUtf8) : fallbackFace();
  if (!location) return nullptr;
  std::shared_ptr<FtFace> face = openFace(location->file, location->index);
  if (!face) return nullptr;
  FT_Face ftFace = face->face;

  int64_t winAscent = 0, winDescent = 0;
  if (auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(ftFace, FT_SFNT_OS2)); os2 && os2->version != 0xFFFF) {
    winAscent = os2->usWinAscent;
    winDescent = os2->usWinDescent;
  }
  if (winAscent + winDescent <= 0) {
    winAscent = ftFace->ascender;
    winDescent = -ftFace->descender;
  }
  if (winAscent + winDescent <= 0) {
    winAscent = ftFace->units_per_EM;
    winDescent = 0;
  }

  const int64_t requested = logicalFont.height;
  int64_t ppem = requested < 0 ? -requested
                               : mulDivRounded(requested > 0 ? requested : kDefaultCellHeight, ftFace->units_per_EM,
                                               winAscent + winDescent);
  ppem = std::max<int64_t>(ppem, 1);
  if (ppem > MaxPixelsPerEm) return nullptr;

  FT_Size size = nullptr;
  if (FT_New_Size(ftFace, &size) != 0) return nullptr;
  if (FT_Activate_Size(size) != 0 || FT_Set_Pixel_Sizes(ftFace, 0, static_cast<FT_UInt>(ppem)) != 0) {
    FT_Done_Size(size);
    return nullptr;
  }
  const FT_Fixed yScale = size->metrics.y_scale;
  TextMetrics metrics;
  metrics.ascent = static_cast<int32_t>((FT_MulFix(winAscent, yScale) + 32) >> 6);
  metrics.descent = static_cast<int32_t>((FT_MulFix(winDescent, yScale) + 32) >> 6);
  metrics.height = metrics.ascent + metrics.descent;
  metrics.internalLeading = metrics.height - static_cast<int32_t>(ppem);

  // GDI fakes bold on faces that have none; about a pixel per 24 pixels of em, sideways only.
  FT_Pos boldStrength = 0;
  if (logicalFont.weight > kBoldWeightAbove && !(ftFace->style_flags & FT_STYLE_FLAG_BOLD)) {
    boldStrength = std::max<FT_Pos>(FT_MulFix(ftFace->units_per_EM, yScale) / 24, 64);
  }

  return std::make_unique<FtFont>(std::move(face), size, metrics, static_cast<int32_t>(ppem), location->family,
                                  location->fallback, logicalFont.italic != 0, boldStrength);
}

}  // namespace text::ft

namespace text {

std::unique_ptr<GlyphRasterizer> GlyphRasterizer::create() {
  using namespace ft;
  auto library = std::make_shared<FtLibrary>();
  if (FT_Init_FreeType(&library->library) != 0) {
    library->library = nullptr;
    return nullptr;
  }
  if (!library->decoder.ready() || !initFaceMatcher()) return nullptr;
  return std::make_unique<FtGlyphRasterizer>(std::move(library));
}

}  // namespace text
