// The glyph rasteriser on FreeType: faces shared by file, one FreeType size per font.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "text/GlyphRasterizer.h"

namespace text::ft {

struct FtLibrary;
struct FtFace;

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
