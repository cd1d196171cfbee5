// The texture factory and the picture loader.
#include "layer/C_TextureFact.h"

#include <vector>

#include "archive/ArchiveSet.h"
#include "engine/Engine.h"
#include "layer/PicturePrefetch.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace layer {

int32_t C_TextureFact::liveInstances_ = 0;

C_TextureFact::C_TextureFact() {
  if (++liveInstances_ > 1)
    platform::messageBox(CP932("C_TextureFactインスタンスは生成しないでください"), "error", platform::mb::Ok);
}

C_TextureFact::~C_TextureFact() {
  self_.reset();
  --liveInstances_;
  for (gfx::TexturePtr& t : fixedTextures) t.reset();
  // Entries still referenced are freed with the map, not released one by one.
  textures.clear();
}

TextureEntry* C_TextureFact::acquireTexture(const char* name) {
  if (!name) return nullptr;
  auto found = textures.find(name);
  if (found != textures.end() && found->second.refCount > 0) {
    ++found->second.refCount;
    return &found->second;
  }
  if (found == textures.end()) {
    TextureEntry entry;
    entry.info = defaultInfo;
    found = textures.emplace(name, entry).first;
  }
  TextureEntry& entry = found->second;
  entry.refCount = 1;
  gfx::ImageInfo image;
  if (loadTexture(name, 0, 0, gfx::Pool::Managed, entry.texture, &image) != gfx::result::Ok) {
    platform::warningOutput(std::string("picture cannot be loaded: ") + name);
    platform::messageBox(name, CP932("テクスチャ読み込みエラー"), platform::mb::Ok);
    entry.texture.reset();
    return &entry;
  }
  entry.info.imageWidth = static_cast<uint16_t>(image.width);
  entry.info.imageHeight = static_cast<uint16_t>(image.height);
  entry.info.textureWidth = static_cast<uint16_t>(entry.texture->width(0));
  entry.info.textureHeight = static_cast<uint16_t>(entry.texture->height(0));
  entry.info.ratioX = float(entry.info.imageWidth) / float(entry.info.textureWidth);
  entry.info.ratioY = float(entry.info.imageHeight) / float(entry.info.textureHeight);
  return &entry;
}

TextureRef C_TextureFact::acquire(const char* name) {
  TextureEntry* entry = acquireTexture(name);
  if (!entry) return TextureRef();
  return TextureRef(self_, entry, name);
}

void C_TextureFact::releaseTexture(const char* name) {
  if (!name) return;
  auto found = textures.find(name);
  if (found == textures.end() || found->second.refCount <= 0) return;
  if (--found->second.refCount == 0) found->second.texture.reset();
}

const PictureInfo& C_TextureFact::getPictureInfo(const char* name) const {
  if (!name) return defaultInfo;
  auto found = textures.find(name);
  return found != textures.end() ? found->second.info : defaultInfo;
}

int32_t loadTexture(const char* name, int32_t width, int32_t height, gfx::Pool pool, gfx::TexturePtr& out,
                    gfx::ImageInfo* info) {
  out.reset();
  gfx::Device* device = engine::context().device;
  if (!device || !name) return gfx::result::InvalidCall;
  // Made ready at start-up: only the texture is left to make (at the size the factory asks for;
  // another size loads as usual).
  gfx::ImageInfo prefetchedInfo;
  gfx::TextureLevels prefetched;
  gfx::TexturePtr made;
  if (TakePrefetchedPicture(name, *device, prefetchedInfo, prefetched, made) && width <= 0 && height <= 0 &&
      (!made || pool == gfx::Pool::Managed)) {
    if (info) *info = prefetchedInfo;
    if (made) {
      out = std::move(made);
      return gfx::result::Ok;
    }
    return gfx::createTextureFromLevels(*device, std::move(prefetched), 0, pool, out);
  }
  std::vector<uint8_t> bytes;
  if (!archive::LoadGameFile(name, bytes, MaxPictureFileBytes)) return gfx::result::InvalidCall;
  return gfx::createTextureFromFileInMemory(*device, bytes.data(), bytes.size(), width, height, 0, 0, pool, out, info);
}

int32_t getImageInfo(const char* name, gfx::ImageInfo& out) {
  out = gfx::ImageInfo{};
  std::vector<uint8_t> bytes;
  if (!name || !archive::LoadGameFile(name, bytes, MaxPictureFileBytes)) return gfx::result::InvalidCall;
  return gfx::getImageInfoFromMemory(bytes.data(), bytes.size(), out);
}

}  // namespace layer
