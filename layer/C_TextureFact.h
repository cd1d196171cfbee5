// The texture factory: picture files shared by name with reference counts, their sizes, and the
// picture loader every texture of the engine comes through.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "gfx/Device.h"
#include "gfx/Image.h"
#include "layer/C_BaseObject.h"
#include "layer/TextureRef.h"

namespace layer {

struct PictureInfo {
  uint16_t imageWidth = 32;
  uint16_t imageHeight = 32;
  uint16_t textureWidth = 32;
  uint16_t textureHeight = 32;
  float ratioX = 1.0f;  // imageWidth / textureWidth
  float ratioY = 1.0f;  // imageHeight / textureHeight
};

struct TextureEntry {
  gfx::TexturePtr texture;
  int32_t refCount = 0;
  PictureInfo info;
};

class C_TextureFact : public C_BaseObject {
 public:
  // A second live factory only warns.
  C_TextureFact();
  ~C_TextureFact() override;

  // The entry for name, loading the file on first use or after its count fell to 0; every call
  // counts one reference. A file that cannot be loaded shows its name and leaves the entry
  // without a texture.
  TextureEntry* acquireTexture(const char* name);
  // acquireTexture with the reference held by the returned handle (empty for a null name).
  TextureRef acquire(const char* name);
  // One reference less; at 0 the texture goes (the entry and its information stay).
  void releaseTexture(const char* name);
  // The entry's information, or defaultInfo for an unknown or null name.
  const PictureInfo& getPictureInfo(const char* name) const;

  // ---- Fields ----
  gfx::TexturePtr fixedTextures[6];
  std::map<std::string, TextureEntry> textures;  // compared bytewise; entries never removed
  PictureInfo defaultInfo;                       // 32, 32, 32, 32, 1.0, 1.0

 private:
  static int32_t liveInstances_;
  // This factory without ownership: the handles' weak references expire with it.
  std::shared_ptr<C_TextureFact> self_{this, [](C_TextureFact*) {}};
};

// Largest picture file the loader reads.
constexpr size_t MaxPictureFileBytes = 256u << 20;

// Creates a texture from the named file (archive first, then disk) at the given size (0 = the
// file's size rounded up to powers of two), with the full mip chain, A8R8G8B8, linear filters.
// info (optional) receives the file's own size. Returns the loader's result code.
int32_t loadTexture(const char* name, int32_t width, int32_t height, gfx::Pool pool, gfx::TexturePtr& out,
                    gfx::ImageInfo* info = nullptr);
// The file's own image information.
int32_t getImageInfo(const char* name, gfx::ImageInfo& out);

}  // namespace layer
