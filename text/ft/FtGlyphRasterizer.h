// The glyph rasteriser on FreeType: faces shared by file, one FreeType size per font.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>

#include "text/GlyphRasterizer.h"

namespace text::ft {

struct FtLibrary;
struct FtFace;

// Coverage 0..255 as a grey level 0..16 in 17 equal bins: 0 -> 0, 255 -> 16.
constexpr uint8_t greyLevelOfCoverage(uint8_t coverage) { return static_cast<uint8_t>((coverage * 17) >> 8); }

class FtGlyphRasterizer final : public GlyphRasterizer {
 public:
  explicit FtGlyphRasterizer(std::shared_ptr<FtLibrary> library);
  ~FtGlyphRasterizer() override;

  std::unique_ptr<Font> createFont(const LogicalFont& logicalFont) override;

 private:
  std::shared_ptr<FtFace> openFace(const std::string& file, int index);

  std::shared_ptr<FtLibrary> library_;
  std::map<std::pair<std::string, int>, std::shared_ptr<FtFace>> faces_;
};

}  // namespace text::ft
