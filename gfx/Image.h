// Picture files to textures, as the D3DX loaders do it: image information, decoding to
// A8R8G8B8, the default power-of-two size with a linear stretch, and the mip chain.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/Device.h"

namespace gfx {

enum class ImageFileFormat : uint32_t { Bmp = 0, Jpg = 1, Tga = 2, Png = 3, Dds = 4, Unknown = 0xFF };

// D3DXIMAGE_INFO's fields the engine reads.
struct ImageInfo {
  uint32_t width = 0;
  uint32_t height = 0;
  ImageFileFormat fileFormat = ImageFileFormat::Unknown;
};

// A decoded picture: 0xAARRGGBB words, rows top first.
struct Image {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint32_t> pixels;
};

// Pictures larger than this on either side, or with more pixels than this in all (128 MB
// decoded), are refused before anything is decoded.
constexpr uint32_t MaxImageSide = 8192;
constexpr uint64_t MaxImagePixels = uint64_t(8192) * 4096;

// Reads the format and size from the file's header: PNG, JPEG, BMP and TGA, the formats the
// engine reads. InvalidData for any other file, a broken header or a size out of range.
int32_t getImageInfoFromMemory(const uint8_t* data, size_t size, ImageInfo& out);

// Decodes the whole picture after the header's checks (files without alpha come out opaque; plain 32-bit BMPs too).
int32_t decodeImage(const uint8_t* data, size_t size, Image& out, std::string* error = nullptr);

// Readies the picture decoders on the calling thread, so that decodeImage may then run on
// several threads at once.
void prepareImageDecoders();
// Frees what the picture decoders keep for the calling thread: a worker that decoded calls it
// before it ends.
void releaseImageDecoderThread();

// Encodes a picture as PNG (with alpha) or baseline JPEG (quality 0..100). False on failure.
bool encodePng(const Image& image, std::vector<uint8_t>& out);
bool encodeJpeg(const Image& image, int quality, std::vector<uint8_t>& out);

// Smallest power of two >= n (n >= 1).
uint32_t nextPowerOfTwo(uint32_t n);

// Centre-aligned bilinear stretch, each axis separately, indices clamped at the edges; an exact
// copy when the sizes are equal.
void resampleLinear(const Image& src, int32_t width, int32_t height, Image& dst);

// The next mip level: the 2x2 (or 2x1) average when halving exactly, else a linear stretch.
void halveImage(const Image& src, Image& dst);

// D3DXCreateTextureFromFileInMemoryEx with format A8R8G8B8, filter and mip filter linear and no
// colour key: width / height 0 take the file's size rounded up to powers of two; mipLevels 0
// builds the full chain. srcInfo (optional) receives the file's own information.
int32_t createTextureFromFileInMemory(Device& device, const uint8_t* data, size_t size, int32_t width, int32_t height,
                                      int32_t mipLevels, uint32_t usage, Pool pool, TexturePtr& out,
                                      ImageInfo* srcInfo = nullptr);
// The same texture from a picture already decoded (taken: its pixels are released as the top
// level is filled).
int32_t createTextureFromImage(Device& device, Image&& image, int32_t width, int32_t height, int32_t mipLevels,
                               uint32_t usage, Pool pool, TexturePtr& out);

// A picture made ready for a texture, on any thread: stretched to the texture's size (width /
// height 0: the picture's rounded up to powers of two) and halved into its mip chain (mipLevels
// 0 or more than the chain holds: the full chain). A device then only takes the levels.
struct TextureLevels {
  std::vector<Image> levels;
};
int32_t buildTextureLevels(Image&& image, int32_t width, int32_t height, int32_t mipLevels, TextureLevels& out);
// The texture holding those levels (taken: each is released once the renderer has it).
int32_t createTextureFromLevels(Device& device, TextureLevels&& levels, uint32_t usage, Pool pool, TexturePtr& out);

}  // namespace gfx
