// Textures, surfaces and buffers of the OpenGL device. Managed and system-memory textures keep
// their texels on the processor side (locks read and write them; unlock uploads the level).
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "gfx/gl/GlDevice.h"

namespace gfx::gl {

// ---- Textures ------------------------------------------------------------------------------------

GlTexture::GlTexture(std::shared_ptr<GlShared> shared, int32_t width, int32_t height, int32_t levels, uint32_t usage,
                     Pool pool)
    : shared_(std::move(shared)),
      serial_(shared_->newSerial()),
      width_(width),
      height_(height),
      levels_(levels),
      usage_(usage),
      pool_(pool) {
  surfaces_.resize(static_cast<size_t>(levels_));
  cpuSide_ = pool_ == Pool::Managed || pool_ == Pool::SystemMem || pool_ == Pool::Scratch ||
             (pool_ == Pool::Default && !isRenderTarget());
  keepCopies_ = pool_ != Pool::Managed;
  if (cpuSide_) {
    cpu_.resize(static_cast<size_t>(levels_));
    if (keepCopies_)
      for (int32_t k = 0; k < levels_; ++k)
        cpu_[static_cast<size_t>(k)].assign(static_cast<size_t>(this->width(k)) * static_cast<size_t>(this->height(k)),
                                            0u);
  }
  if (pool_ == Pool::Default) ++shared_->liveDefaultPool;
  levelMinAlpha_.assign(size_t(levels_), 0);
  levelUniformValue_.assign(size_t(levels_), 0u);
  levelUniform_.assign(size_t(levels_), cpuSide_);
  levelWritten_.assign(size_t(levels_), false);
  if (pool_ == Pool::SystemMem || pool_ == Pool::Scratch) return;  // never sampled by the renderer

  glGenTextures(1, &name_);
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, name_);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, levels_ - 1);
  // Processor-side textures start out zero. Levels without a kept copy get their storage
  // empty: most are written whole before they are first used, and the rest are zeroed then.
  zeroPending_ = cpuSide_ && !keepCopies_;
  // A render target gets its texels when first drawn into, sampled or read: many are made at
  // start-up for scenes that never use them.
  stored_ = !isRenderTarget();
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  for (int32_t k = 0; k < levels_ && stored_; ++k) {
    const void* data = nullptr;
    if (cpuSide_ && keepCopies_) data = cpu_[static_cast<size_t>(k)].data();
    glTexImage2D(GL_TEXTURE_2D, k, GL_RGBA8, this->width(k), this->height(k), 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                 data);
  }
  glActiveTexture(GL_TEXTURE0);
}

bool GlTexture::ensureStorage() {
  if (zeroPending_) zeroUnwrittenLevels();
  if (stored_ || !name_ || !shared_->alive) return stored_;
  // It starts transparent black on every renderer, as a target emptied by a device loss does
  // (the zeroed block is fresh pages from the system: reading it costs no resident memory).
  std::unique_ptr<uint32_t, decltype(&std::free)> zeros(
      static_cast<uint32_t*>(std::calloc(size_t(width_) * size_t(height_), sizeof(uint32_t))), &std::free);
  if (!zeros) return false;
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, name_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  for (int32_t k = 0; k < levels_; ++k)
    glTexImage2D(GL_TEXTURE_2D, k, GL_RGBA8, width(k), height(k), 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, zeros.get());
  glActiveTexture(GL_TEXTURE0);
  stored_ = glGetError() != GL_OUT_OF_MEMORY;
  return stored_;
}

void GlTexture::zeroUnwrittenLevels() {
  zeroPending_ = false;
  if (!name_ || !shared_->alive) return;
  int32_t first = 0;
  while (first < levels_ && levelWritten_[size_t(first)]) ++first;
  if (first == levels_) return;
  // One zeroed block the size of the largest such level (fresh pages from the system: reading
  // them costs no resident memory).
  std::unique_ptr<uint32_t, decltype(&std::free)> zeros(
      static_cast<uint32_t*>(std::calloc(size_t(width(first)) * size_t(height(first)), sizeof(uint32_t))), &std::free);
  if (!zeros) return;
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, name_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  for (int32_t k = first; k < levels_; ++k)
    if (!levelWritten_[size_t(k)])
      glTexSubImage2D(GL_TEXTURE_2D, k, 0, 0, width(k), height(k), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, zeros.get());
  glActiveTexture(GL_TEXTURE0);
}

GlTexture::~GlTexture() {
  if (pool_ == Pool::Default && shared_->alive) --shared_->liveDefaultPool;
  if (name_ && shared_->alive) {
    shared_->forgetTexture(name_);
    glDeleteTextures(1, &name_);
  }
}

int32_t GlTexture::width(int32_t level) const { return std::max(1, width_ >> std::clamp(level, 0, 30)); }
int32_t GlTexture::height(int32_t level) const { return std::max(1, height_ >> std::clamp(level, 0, 30)); }

const std::vector<uint32_t>* GlTexture::cpuLevel(int32_t level) const {
  if (level < 0 || level >= levels_ || cpu_.empty() || cpu_[static_cast<size_t>(level)].empty()) return nullptr;
  return &cpu_[static_cast<size_t>(level)];
}

bool GlTexture::fillLevel(int32_t level) {
  std::vector<uint32_t>& texels = cpu_[static_cast<size_t>(level)];
  if (!texels.empty()) return true;
  const size_t count = static_cast<size_t>(width(level)) * static_cast<size_t>(height(level));
  if (!levelWritten_[static_cast<size_t>(level)]) {
    // Never written: the level is still all zero.
    texels.assign(count, 0u);
    return true;
  }
  if (!name_ || !shared_->alive) return false;
  // Written before and handed over: this texture is changed again, so it keeps its copies.
  keepCopies_ = true;
  texels.resize(count);
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, name_);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glGetTexImage(GL_TEXTURE_2D, level, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, texels.data());
  glActiveTexture(GL_TEXTURE0);
  return true;
}

int32_t GlTexture::lockRect(int32_t level, LockedRect& out) {
  if (level < 0 || level >= levels_ || cpu_.empty() || lockedLevel_ >= 0) return result::InvalidCall;
  if (!fillLevel(level)) return result::InvalidCall;
  lockedLevel_ = level;
  out.bits = reinterpret_cast<uint8_t*>(cpu_[static_cast<size_t>(level)].data());
  out.pitch = width(level) * 4;
  return result::Ok;
}

int32_t GlTexture::unlockRect(int32_t level) {
  if (level != lockedLevel_) return result::InvalidCall;
  lockedLevel_ = -1;
  levelWritten_[static_cast<size_t>(level)] = true;
  shared_->changing(serial_);
  ++version_;
  upload(level);
  return result::Ok;
}

void GlTexture::measure(int32_t level, const uint32_t* texels, size_t pitch) {
  uint8_t minA = 255;
  bool same = true;
  const int32_t w = width(level), h = height(level);
  const uint32_t first = texels[0];
  for (int32_t y = 0; y < h; ++y)
    for (const uint32_t* t = texels + size_t(y) * pitch; t != texels + size_t(y) * pitch + size_t(w); ++t) {
      minA = std::min<uint8_t>(minA, uint8_t(*t >> 24));
      same = same && *t == first;
    }
  levelMinAlpha_[size_t(level)] = minA;
  levelUniform_[size_t(level)] = same;
  levelUniformValue_[size_t(level)] = first;
}

uint8_t GlTexture::minAlpha() const {
  if (cpu_.empty()) return 0;
  uint8_t m = 255;
  for (uint8_t a : levelMinAlpha_) m = std::min(m, a);
  return m;
}

bool GlTexture::uniform() const {
  if (cpu_.empty()) return false;
  for (int32_t k = 0; k < levels_; ++k)
    if (!levelUniform_[size_t(k)] || levelUniformValue_[size_t(k)] != levelUniformValue_[0]) return false;
  return true;
}

void GlTexture::upload(int32_t level) {
  if (cpu_.empty()) return;
  std::vector<uint32_t>& texels = cpu_[static_cast<size_t>(level)];
  send(level, texels.data(), size_t(width(level)));
  if (keepCopies_) return;
  std::vector<uint32_t>().swap(texels);
  listWithoutCopies();
}

void GlTexture::send(int32_t level, const uint32_t* texels, size_t pitch) {
  measure(level, texels, pitch);
  if (!name_ || !shared_->alive) return;
  glActiveTexture(GL_TEXTURE1);
  glBindTexture(GL_TEXTURE_2D, name_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  if (pitch != size_t(width(level))) glPixelStorei(GL_UNPACK_ROW_LENGTH, GLint(pitch));
  glTexSubImage2D(GL_TEXTURE_2D, level, 0, 0, width(level), height(level), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                  texels);
  if (pitch != size_t(width(level))) glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glActiveTexture(GL_TEXTURE0);
}

void GlTexture::listWithoutCopies() {
  if (listedWithoutCopies_) return;
  listedWithoutCopies_ = true;
  auto& listed = shared_->withoutCopies;
  if (listed.size() >= 64 && listed.size() == listed.capacity())
    listed.erase(std::remove_if(listed.begin(), listed.end(), [](const auto& t) { return t.expired(); }), listed.end());
  listed.push_back(weak_from_this());
}

int32_t GlTexture::writeLevel(int32_t level, const uint32_t* texels, size_t pitch) {
  if (level < 0 || level >= levels_ || cpu_.empty() || lockedLevel_ >= 0 || !texels || pitch < size_t(width(level)))
    return result::InvalidCall;
  const size_t w = size_t(width(level)), h = size_t(height(level));
  levelWritten_[static_cast<size_t>(level)] = true;
  shared_->changing(serial_);
  ++version_;
  std::vector<uint32_t>& copy = cpu_[static_cast<size_t>(level)];
  if (keepCopies_) {
    // The kept copy is replaced, then handed over as an unlock hands it.
    copy.resize(w * h);
    for (size_t y = 0; y < h; ++y) std::memcpy(copy.data() + y * w, texels + y * pitch, w * 4);
    upload(level);
    return result::Ok;
  }
  // No copy is kept: the texels go to the renderer straight from the caller's memory.
  std::vector<uint32_t>().swap(copy);
  send(level, texels, pitch);
  listWithoutCopies();
  return result::Ok;
}

void GlTexture::keepCopies() {
  if (cpu_.empty()) return;
  keepCopies_ = true;
  for (int32_t k = 0; k < levels_; ++k) fillLevel(k);
}

SurfacePtr GlTexture::surfaceLevel(int32_t level) {
  if (level < 0 || level >= levels_) return nullptr;
  if (auto existing = surfaces_[static_cast<size_t>(level)].lock()) return existing;
  auto surface = std::make_shared<GlSurface>(shared_from_this(), level);
  surfaces_[static_cast<size_t>(level)] = surface;
  return surface;
}

// ---- Surfaces ------------------------------------------------------------------------------------

GlSurface::GlSurface(std::shared_ptr<GlShared> shared, Kind kind, int32_t width, int32_t height, GLuint renderbuffer,
                     bool countsAsDefaultPool, bool stored)
    : shared_(std::move(shared)),
      serial_(shared_->newSerial()),
      kind_(kind),
      width_(width),
      height_(height),
      renderbuffer_(renderbuffer),
      countsAsDefaultPool_(countsAsDefaultPool),
      stored_(stored) {
  if (countsAsDefaultPool_) ++shared_->liveDefaultPool;
}

GlSurface::GlSurface(std::shared_ptr<GlTexture> texture, int32_t level)
    : kind_(Kind::TextureLevel),
      width_(texture->width(level)),
      height_(texture->height(level)),
      texture_(std::move(texture)),
      level_(level) {}

// The pixels come with the first lock or read: a capture surface that is never captured into
// costs no memory.
GlSurface::GlSurface(int32_t width, int32_t height) : kind_(Kind::OffscreenPlain), width_(width), height_(height) {}

std::vector<uint32_t>& GlSurface::plainPixels() {
  if (plain_.empty()) plain_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_), 0u);
  return plain_;
}

bool GlSurface::ensureStorage() {
  if (stored_ || !renderbuffer_ || !shared_ || !shared_->alive) return stored_;
  glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width_, height_);
  stored_ = glGetError() == GL_NO_ERROR;
  return stored_;
}

GlSurface::~GlSurface() {
  if (!shared_) return;
  if (countsAsDefaultPool_ && shared_->alive) --shared_->liveDefaultPool;
  if (renderbuffer_ && shared_->alive) {
    shared_->forgetRenderbuffer(renderbuffer_);
    glDeleteRenderbuffers(1, &renderbuffer_);
  }
}

int32_t GlSurface::lockRect(LockedRect& out) {
  switch (kind_) {
    case Kind::OffscreenPlain:
      out.bits = reinterpret_cast<uint8_t*>(plainPixels().data());
      out.pitch = width_ * 4;
      return result::Ok;
    case Kind::TextureLevel: return texture_->lockRect(level_, out);
    default: return result::InvalidCall;
  }
}

int32_t GlSurface::unlockRect() {
  switch (kind_) {
    case Kind::OffscreenPlain: return result::Ok;
    case Kind::TextureLevel: return texture_->unlockRect(level_);
    default: return result::InvalidCall;
  }
}

// ---- Buffers ----------------------------------------------------------------------------------------

namespace {
bool lockRange(std::vector<uint8_t>& cpu, uint32_t offset, uint32_t size, uint32_t& lockOffset, uint32_t& lockSize) {
  if (offset > cpu.size()) return false;
  if (size == 0) size = static_cast<uint32_t>(cpu.size()) - offset;
  if (size > cpu.size() - offset) return false;
  lockOffset = offset;
  lockSize = size;
  return true;
}
}  // namespace

GlBufferStorage::GlBufferStorage(std::shared_ptr<GlShared> shared, uint32_t length)
    : shared_(std::move(shared)), serial_(shared_->newSerial()), cpu_(length, 0) {
  glGenBuffers(1, &name_);
  glBindBuffer(GL_COPY_WRITE_BUFFER, name_);
  glBufferData(GL_COPY_WRITE_BUFFER, length, cpu_.data(), GL_DYNAMIC_DRAW);
}

GlBufferStorage::~GlBufferStorage() {
  if (shared_->alive) {
    shared_->forgetBuffer(name_);
    glDeleteBuffers(1, &name_);
  }
}

int32_t GlBufferStorage::lock(uint32_t offset, uint32_t size, void** out) {
  if (locked_ || !out || !lockRange(cpu_, offset, size, lockOffset_, lockSize_)) return result::InvalidCall;
  locked_ = true;
  *out = cpu_.data() + lockOffset_;
  return result::Ok;
}

int32_t GlBufferStorage::unlock() {
  if (!locked_) return result::InvalidCall;
  locked_ = false;
  shared_->changing(serial_);
  ++version_;
  if (shared_->alive && lockSize_ > 0) {
    glBindBuffer(GL_COPY_WRITE_BUFFER, name_);
    glBufferSubData(GL_COPY_WRITE_BUFFER, lockOffset_, lockSize_, cpu_.data() + lockOffset_);
  }
  return result::Ok;
}

}  // namespace gfx::gl
