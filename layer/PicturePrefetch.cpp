#include "layer/PicturePrefetch.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#include "archive/ArchiveSet.h"
#include "engine/RenderDevice.h"
#include "layer/C_TextureFact.h"

namespace layer {

namespace {

// Enough for a scene's background, characters and window; more would only hold memory longer.
constexpr size_t kMaxPictures = 16;
constexpr size_t kMaxFileBytes = 64u << 20;

struct Picture {
  std::string name;
  std::vector<uint8_t> bytes;
  gfx::ImageInfo info;
  gfx::TextureLevels levels;
  bool decoded = false;  // the worker is done with it
  bool ok = false;
  // Made ahead on the device readied during the start-up questions (the levels then moved in).
  gfx::TexturePtr texture;
  const gfx::Device* textureDevice = nullptr;
};

class Prefetcher {
 public:
  explicit Prefetcher(std::vector<Picture> pictures) : pictures_(std::move(pictures)) {
    gfx::prepareImageDecoders();
    worker_ = std::thread([this] {
      decodeAll();
      gfx::releaseImageDecoderThread();
    });
  }
  ~Prefetcher() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stopping_ = true;
    }
    worker_.join();
  }
  Prefetcher(const Prefetcher&) = delete;
  Prefetcher& operator=(const Prefetcher&) = delete;

  bool take(const std::string& name, const gfx::Device& device, gfx::ImageInfo& info, gfx::TextureLevels& levels,
            gfx::TexturePtr& texture) {
    std::unique_lock<std::mutex> lock(mutex_);
    for (Picture& p : pictures_) {
      if (p.name != name) continue;
      decodedOne_.wait(lock, [&] { return p.decoded; });
      bool ok = p.ok;
      if (p.texture) {
        // Made on another device (one readied ahead and then replaced): loads as usual.
        ok = p.textureDevice == &device;
        if (ok) texture = std::move(p.texture);
      } else if (ok) {
        levels = std::move(p.levels);
      }
      if (ok) info = p.info;
      p = Picture{};
      p.decoded = true;  // a second request loads as usual
      return ok;
    }
    return false;
  }

  // Waits for each picture and makes its texture on the device now.
  void makeTextures(gfx::Device& device) {
    for (size_t i = 0;; ++i) {
      gfx::TextureLevels levels;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        if (i >= pictures_.size()) return;
        Picture& p = pictures_[i];
        decodedOne_.wait(lock, [&] { return p.decoded; });
        if (!p.ok || p.texture) continue;
        levels = std::move(p.levels);
      }
      gfx::TexturePtr texture;
      const bool made =
          gfx::createTextureFromLevels(device, std::move(levels), 0, gfx::Pool::Managed, texture) == gfx::result::Ok;
      std::lock_guard<std::mutex> lock(mutex_);
      Picture& p = pictures_[i];
      // A picture whose texture could not be made loads as usual (and reports there).
      p.ok = made;
      p.texture = std::move(texture);
      p.textureDevice = made ? &device : nullptr;
    }
  }

  // Drops the textures made ahead (before their device goes); those pictures load as usual.
  void dropTextures() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (Picture& p : pictures_) {
      if (!p.texture) continue;
      p.texture.reset();
      p.textureDevice = nullptr;
      p.ok = false;
    }
  }

 private:
  void decodeAll() {
    for (size_t i = 0;; ++i) {
      std::vector<uint8_t> bytes;
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (i >= pictures_.size()) return;
        if (stopping_) {
          // Nobody waits once the prefetch is stopped; the rest stay undecoded.
          for (size_t k = i; k < pictures_.size(); ++k) pictures_[k].decoded = true;
          decodedOne_.notify_all();
          return;
        }
        bytes = std::move(pictures_[i].bytes);
      }
      gfx::ImageInfo info;
      gfx::TextureLevels levels;
      bool ok = false;
      try {
        gfx::Image image;
        ok = gfx::getImageInfoFromMemory(bytes.data(), bytes.size(), info) == gfx::result::Ok &&
             gfx::decodeImage(bytes.data(), bytes.size(), image) == gfx::result::Ok &&
             gfx::buildTextureLevels(std::move(image), 0, 0, 0, levels) == gfx::result::Ok;
      } catch (const std::bad_alloc&) {
        ok = false;  // the picture loads as usual, and fails there with its message
      }
      {
        std::lock_guard<std::mutex> lock(mutex_);
        Picture& p = pictures_[i];
        p.info = info;
        p.levels = std::move(levels);
        p.ok = ok;
        p.decoded = true;
      }
      decodedOne_.notify_all();
    }
  }

  std::mutex mutex_;
  std::condition_variable decodedOne_;
  std::vector<Picture> pictures_;
  bool stopping_ = false;
  std::thread worker_;
};

std::unique_ptr<Prefetcher>& prefetcher() {
  static std::unique_ptr<Prefetcher> current;
  return current;
}

}  // namespace

void PrefetchPictures(const std::vector<std::string>& names) {
  StopPicturePrefetch();
  std::vector<Picture> pictures;
  size_t fileBytes = 0;
  for (const std::string& name : names) {
    if (pictures.size() >= kMaxPictures) break;
    bool seen = false;
    for (const Picture& p : pictures) seen = seen || p.name == name;
    if (seen) continue;
    Picture p;
    p.name = name;
    // The bytes the texture factory itself would read.
    if (!archive::LoadGameFile(name.c_str(), p.bytes, MaxPictureFileBytes)) continue;
    if (fileBytes + p.bytes.size() > kMaxFileBytes) break;
    fileBytes += p.bytes.size();
    pictures.push_back(std::move(p));
  }
  if (!pictures.empty()) prefetcher() = std::make_unique<Prefetcher>(std::move(pictures));
}

bool TakePrefetchedPicture(const std::string& name, const gfx::Device& device, gfx::ImageInfo& info,
                           gfx::TextureLevels& levels, gfx::TexturePtr& texture) {
  return prefetcher() && prefetcher()->take(name, device, info, levels, texture);
}

void MakePrefetchedTextures() {
  engine::RenderObjects& r = engine::renderObjects();
  if (!prefetcher() || !r.prepared.device) return;
  prefetcher()->makeTextures(*r.prepared.device);
  // Should the answers call for another device, these go before the one they were made on.
  r.prepared.beforeDiscard = [] {
    if (prefetcher()) prefetcher()->dropTextures();
  };
}

void StopPicturePrefetch() { prefetcher().reset(); }

}  // namespace layer
