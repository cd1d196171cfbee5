// The picture decoders: header information and the full decode of any bytes, through every
// format the engine reads (PNG, JPEG, BMP and TGA, which has no signature).
#include <algorithm>

#include "FuzzSupport.h"
#include "gfx/Image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  gfx::ImageInfo info;
  const int32_t infoResult = gfx::getImageInfoFromMemory(data, size, info);
  gfx::Image image;
  const int32_t decodeResult = gfx::decodeImage(data, size, image);
  // The header decides: a picture decodes only at the size its header gave.
  if (decodeResult == gfx::result::Ok &&
      (infoResult != gfx::result::Ok || uint32_t(image.width) != info.width || uint32_t(image.height) != info.height))
    std::abort();
  if (decodeResult == gfx::result::Ok && image.width <= 64 && image.height <= 64) {
    gfx::Image half;
    gfx::halveImage(image, half);
    // The texture's levels as the texture factory builds them: the stretch to powers of two and
    // the whole mip chain, each level half the one before.
    gfx::TextureLevels levels;
    if (gfx::buildTextureLevels(std::move(image), 0, 0, 0, levels) != gfx::result::Ok) std::abort();
    for (size_t k = 1; k < levels.levels.size(); ++k)
      if (levels.levels[k].width != std::max(1, levels.levels[k - 1].width / 2) ||
          levels.levels[k].pixels.size() != size_t(levels.levels[k].width) * size_t(levels.levels[k].height))
        std::abort();
  }
  return 0;
}
