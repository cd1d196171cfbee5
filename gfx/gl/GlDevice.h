// The OpenGL 3.3 core render device and its resources (textures, surfaces, buffers).
#pragma once

#include <epoxy/gl.h>

#include <functional>
#include <memory>
#include <vector>

#include "gfx/Device.h"
#include "gfx/gl/FrameRecord.h"
#include "gfx/gl/GlContext.h"
#include "gfx/gl/GlProgram.h"

namespace gfx::gl {

class GlDevice;

// Shared by the device and every resource: resources outliving the device skip their GL calls.
class GlTexture;

struct GlShared {
  bool alive = true;
  // Managed textures that handed their processor copies over to the renderer; they take them
  // back before the device goes, so locks keep working on textures that outlive it.
  std::vector<std::weak_ptr<GlTexture>> withoutCopies;
  int32_t liveDefaultPool = 0;
  // GL bindings the device believes current; a deleted object resets its entry, since GL may
  // hand its name out again.
  GLuint boundTexture = ~0u;
  GLuint layoutBuffer = ~0u;
  GLuint elementBuffer = ~0u;
  GLuint attachedColourTex = ~0u, attachedColourRb = ~0u, attachedDepthRb = ~0u;
  // Every texture, buffer and surface gets its own number, never reused.
  uint64_t nextSerial = 1;
  uint64_t newSerial() { return nextSerial++; }
  // Told, with the resource's number, just before the renderer's copy of its contents changes.
  std::function<void(uint64_t)> beforeChange;
  void changing(uint64_t serial) {
    if (alive && beforeChange) beforeChange(serial);
  }
  void forgetTexture(GLuint name) {
    if (boundTexture == name) boundTexture = ~0u;
    if (attachedColourTex == name) attachedColourTex = ~0u;
  }
  void forgetRenderbuffer(GLuint name) {
    if (attachedColourRb == name) attachedColourRb = ~0u;
    if (attachedDepthRb == name) attachedDepthRb = ~0u;
    if (evenDepthRb == name) evenDepthRb = 0;
  }
  // The depth buffer known to hold one value over an area since its last clear (the device
  // keeps the area and value): 0 when none is.
  GLuint evenDepthRb = 0;
  void forgetBuffer(GLuint name) {
    if (layoutBuffer == name) layoutBuffer = ~0u;
    if (elementBuffer == name) elementBuffer = ~0u;
  }
};

class GlTexture final : public Texture, public std::enable_shared_from_this<GlTexture> {
 public:
  GlTexture(std::shared_ptr<GlShared> shared, int32_t width, int32_t height, int32_t levels, uint32_t usage, Pool pool);
  ~GlTexture() override;

  int32_t width(int32_t level) const override;
  int32_t height(int32_t level) const override;
  int32_t levelCount() const override { return levels_; }
  uint32_t usage() const override { return usage_; }
  Pool pool() const override { return pool_; }
  int32_t lockRect(int32_t level, LockedRect& out) override;
  int32_t unlockRect(int32_t level) override;
  int32_t writeLevel(int32_t level, const uint32_t* texels, size_t pitch) override;
  SurfacePtr surfaceLevel(int32_t level) override;

  bool isRenderTarget() const { return (usage_ & usage::RenderTarget) != 0; }
  // The texture's number and the count of changes to its texels so far.
  uint64_t serial() const { return serial_; }
  uint64_t version() const { return version_; }
  void touch() { ++version_; }
  // The GL texture (0 for system-memory textures, which the renderer never samples).
  GLuint glName() const { return name_; }
  // Gives a render target its texels before it is first drawn into, sampled or read; false when
  // the renderer has no memory for them.
  bool ensureStorage();
  bool hasStorage() const { return stored_; }
  const std::vector<uint32_t>* cpuLevel(int32_t level) const;
  // The sampler settings last applied to this texture.
  GLint appliedMin = -1, appliedMag = -1, appliedWrapS = -1, appliedWrapT = -1;

  // What is known of the texels (for draws whose result the cheaper sampling leaves the same):
  // the smallest alpha of any level, and whether every texel of every level is one colour.
  // Render targets are unknown (alpha 0, not uniform).
  uint8_t minAlpha() const;
  bool uniform() const;

 private:
  // Hands the level's processor copy to the renderer (and drops it unless copies are kept).
  void upload(int32_t level);
  // Gives the renderer a level's texels, rows `pitch` words apart, and notes what they hold.
  void send(int32_t level, const uint32_t* texels, size_t pitch);
  void measure(int32_t level, const uint32_t* texels, size_t pitch);
  // Lists the texture among those a device reset cannot restore from copies.
  void listWithoutCopies();

  std::shared_ptr<GlShared> shared_;
  uint64_t serial_ = 0, version_ = 0;
  int32_t width_, height_, levels_;
  uint32_t usage_;
  Pool pool_;
  GLuint name_ = 0;
  bool stored_ = true;
  // Levels got storage without texels: the ones not written by then are zeroed before the
  // texture is first sampled or read.
  bool zeroPending_ = false;
  void zeroUnwrittenLevels();
  // Processor copies of the levels. Managed textures drop a level's copy once it is handed to
  // the renderer (the GL texture outlives a device loss, so nothing has to be restored from it)
  // and read it back when locked again; a texture locked again keeps its copies from then on.
  std::vector<std::vector<uint32_t>> cpu_;
  bool cpuSide_ = false;
  bool keepCopies_ = true;
  std::vector<bool> levelWritten_;
  int32_t lockedLevel_ = -1;
  bool fillLevel(int32_t level);
  bool listedWithoutCopies_ = false;

 public:
  // Reads back every level that handed its copy over; from then on the copies stay.
  void keepCopies();
  std::vector<uint8_t> levelMinAlpha_;
  std::vector<uint32_t> levelUniformValue_;
  std::vector<bool> levelUniform_;
  std::vector<std::weak_ptr<Surface>> surfaces_;
};

class GlSurface final : public Surface {
 public:
  // Back buffer or depth-stencil: a renderbuffer. A depth-stencil surface made without storage
  // gets it when first attached (ensureStorage).
  GlSurface(std::shared_ptr<GlShared> shared, Kind kind, int32_t width, int32_t height, GLuint renderbuffer,
            bool countsAsDefaultPool, bool stored = true);
  // A texture level.
  GlSurface(std::shared_ptr<GlTexture> texture, int32_t level);
  // Offscreen plain: processor memory only.
  GlSurface(int32_t width, int32_t height);
  ~GlSurface() override;

  Kind kind() const override { return kind_; }
  int32_t width() const override { return width_; }
  int32_t height() const override { return height_; }
  std::shared_ptr<Texture> texture() const override { return texture_; }
  int32_t lockRect(LockedRect& out) override;
  int32_t unlockRect() override;

  GLuint renderbuffer() const { return renderbuffer_; }
  bool ensureStorage();
  const std::shared_ptr<GlTexture>& glTexture() const { return texture_; }
  int32_t level() const { return level_; }
  std::vector<uint32_t>& plainPixels();
  void setPlainPixels(std::vector<uint32_t>&& pixels) { plain_ = std::move(pixels); }
  // The number of a back buffer or depth-stencil surface (0 for the other kinds).
  uint64_t serial() const { return serial_; }

 private:
  std::shared_ptr<GlShared> shared_;
  uint64_t serial_ = 0;
  Kind kind_;
  int32_t width_, height_;
  GLuint renderbuffer_ = 0;
  bool countsAsDefaultPool_ = false;
  bool stored_ = true;
  // Levels got storage without texels: the ones not written by then are zeroed before the
  // texture is first sampled or read.
  bool zeroPending_ = false;
  void zeroUnwrittenLevels();
  std::shared_ptr<GlTexture> texture_;
  int32_t level_ = 0;
  std::vector<uint32_t> plain_;
};

// The storage behind a vertex or an index buffer: the CPU copy that locks hand out and the GL
// buffer that unlock brings up to date.
class GlBufferStorage {
 public:
  GlBufferStorage(std::shared_ptr<GlShared> shared, uint32_t length);
  ~GlBufferStorage();
  GlBufferStorage(const GlBufferStorage&) = delete;
  GlBufferStorage& operator=(const GlBufferStorage&) = delete;
  uint32_t sizeBytes() const { return static_cast<uint32_t>(cpu_.size()); }
  int32_t lock(uint32_t offset, uint32_t size, void** out);
  int32_t unlock();
  GLuint glName() const { return name_; }
  const uint8_t* cpuData() const { return cpu_.data(); }
  uint64_t serial() const { return serial_; }
  uint64_t version() const { return version_; }

 private:
  std::shared_ptr<GlShared> shared_;
  uint64_t serial_ = 0, version_ = 0;
  std::vector<uint8_t> cpu_;
  GLuint name_ = 0;
  uint32_t lockOffset_ = 0, lockSize_ = 0;
  bool locked_ = false;
};

class GlVertexBuffer final : public VertexBuffer {
 public:
  GlVertexBuffer(std::shared_ptr<GlShared> shared, uint32_t length, uint32_t fvf)
      : storage_(std::move(shared), length), fvf_(fvf) {}
  uint32_t sizeBytes() const override { return storage_.sizeBytes(); }
  uint32_t fvf() const override { return fvf_; }
  int32_t lock(uint32_t offset, uint32_t size, void** out) override { return storage_.lock(offset, size, out); }
  int32_t unlock() override { return storage_.unlock(); }
  GLuint glName() const { return storage_.glName(); }
  const uint8_t* cpuData() const { return storage_.cpuData(); }
  const GlBufferStorage& storage() const { return storage_; }

 private:
  GlBufferStorage storage_;
  uint32_t fvf_;
};

class GlIndexBuffer final : public IndexBuffer {
 public:
  GlIndexBuffer(std::shared_ptr<GlShared> shared, uint32_t length) : storage_(std::move(shared), length) {}
  uint32_t sizeBytes() const override { return storage_.sizeBytes(); }
  int32_t lock(uint32_t offset, uint32_t size, void** out) override { return storage_.lock(offset, size, out); }
  int32_t unlock() override { return storage_.unlock(); }
  GLuint glName() const { return storage_.glName(); }
  const uint8_t* cpuData() const { return storage_.cpuData(); }
  const GlBufferStorage& storage() const { return storage_; }

 private:
  GlBufferStorage storage_;
};

class GlDevice final : public Device {
 public:
  // Takes a context that is current; false from init when the context is unusable.
  // redrawEveryFrame: every clear and draw runs as it comes and every Present shows the frame,
  // instead of drawing only what differs from the previous frame.
  GlDevice(std::unique_ptr<GlContext> context, int32_t width, int32_t height, bool redrawEveryFrame = false);
  ~GlDevice() override;
  bool init(std::string* error);

  const DeviceInfo& info() const override { return info_; }
  int32_t backBufferWidth() const override { return width_; }
  int32_t backBufferHeight() const override { return height_; }

  int32_t testCooperativeLevel() override { return coop_; }
  int32_t reset() override;
  void simulateDeviceLost() override { coop_ = result::DeviceLost; }
  void simulateDeviceNotReset() override {
    if (coop_ == result::DeviceLost) coop_ = result::DeviceNotReset;
  }
  void simulateResetFailures(int32_t n) override { resetFailures_ = n; }
  int32_t liveDefaultPoolResources() const override { return shared_->liveDefaultPool; }

  int32_t clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) override;
  int32_t beginScene() override;
  int32_t endScene() override;
  int32_t present() override;
  void compileCommonPrograms() override;
  void finish() override {
    resolveFrame();
    glFinish();
  }

  FrameStats frameStats() const override { return stats_; }

  int32_t setRenderState(RenderState state, uint32_t value) override;
  uint32_t getRenderState(RenderState state) const override;
  int32_t setTextureStageState(uint32_t stage, TextureStageState type, uint32_t value) override;
  int32_t setSamplerState(uint32_t sampler, SamplerState type, uint32_t value) override;
  int32_t setTransform(TransformType type, const Matrix& m) override;
  Matrix getTransform(TransformType type) const override;
  int32_t setTexture(uint32_t stage, const TexturePtr& texture) override;
  TexturePtr getTexture(uint32_t stage) const override;
  int32_t setFVF(uint32_t fvf) override;
  int32_t setStreamSource(uint32_t stream, const VertexBufferPtr& vb, uint32_t offsetBytes,
                          uint32_t strideBytes) override;
  int32_t setIndices(const IndexBufferPtr& ib) override;
  int32_t setViewport(const Viewport& vp) override;
  Viewport getViewport() const override { return state_.viewport; }
  const DeviceState& state() const override { return state_; }
  void setState(const DeviceState& s) override;

  SurfacePtr getBackBuffer() override { return backBuffer_; }
  SurfacePtr getRenderTarget() override { return renderTarget_; }
  int32_t setRenderTarget(const SurfacePtr& colour) override;
  SurfacePtr getDepthStencilSurface() override { return depthSurface_; }
  int32_t setDepthStencilSurface(const SurfacePtr& depth) override;

  int32_t drawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) override;
  int32_t drawIndexedPrimitive(PrimitiveType type, int32_t baseVertex, uint32_t minIndex, uint32_t numVertices,
                               uint32_t startIndex, uint32_t primitiveCount) override;
  int32_t drawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices,
                          uint32_t strideBytes) override;

  int32_t createTexture(int32_t width, int32_t height, int32_t levels, uint32_t usage, Pool pool,
                        TexturePtr& out) override;
  int32_t createDepthStencilSurface(int32_t width, int32_t height, SurfacePtr& out) override;
  int32_t createOffscreenPlainSurface(int32_t width, int32_t height, SurfacePtr& out) override;
  int32_t createVertexBuffer(uint32_t lengthBytes, uint32_t usage, uint32_t fvf, Pool pool,
                             VertexBufferPtr& out) override;
  int32_t createIndexBuffer(uint32_t lengthBytes, uint32_t usage, Pool pool, IndexBufferPtr& out) override;

  int32_t readSurface(const SurfacePtr& surface, std::vector<uint32_t>& out) override;
  int32_t getRenderTargetData(const SurfacePtr& target, const SurfacePtr& plain) override;

 private:
  // ---- The frame record ----
  // Back-buffer clears and draws wait in frame_ until the frame is presented or something needs
  // their result; then only the pixels where frame_ differs from previous_ are drawn again.
  bool recordsBackBuffer() const;
  void record(RecordedCommand&& command);
  void fillCommand(RecordedCommand& c, RecordedCommand::Kind kind);
  // Draws what waits, then lets the rest of the frame run as it comes.
  void resolveFrame();
  void replay(size_t begin, size_t end, const PixelRect* area);
  // Whether the depth the recorded draw at `at` writes is cleared before anything reads it (the
  // frame's commands up to `end`, inside area when given), so it need not be written.
  bool depthWritesUnread(size_t at, size_t end, const PixelRect* area) const;
  // Whether the back buffer's waiting commands must be replayed before work on the current
  // target (see beforeDirectWork).
  bool directWorkMustWait() const;
  void run(const RecordedCommand& c);
  bool frameComparable() const;
  void endFrame();
  void forgetFrames();
  // Around a clear or draw that runs as it comes (into a texture, or unrecorded).
  void beforeDirectWork();
  void afterDirectWork();
  void beforeResourceChange(uint64_t serial);
  Matrix clipMatrix() const;

  int32_t clearNow(uint32_t flags, uint32_t colour, float z, uint32_t stencil);
  int32_t drawNow(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount);
  int32_t drawIndexedNow(PrimitiveType type, int32_t baseVertex, uint32_t startIndex, uint32_t primitiveCount);
  int32_t drawUPNow(PrimitiveType type, uint32_t primitiveCount, const void* vertices, uint32_t stride);

  bool bindTargets();
  // vertices (optional, count of them with stride) lets the draw pick cheaper sampling or drop
  // an alpha test that cannot fail, when the result stays the same.
  bool prepareDraw(bool preTransformed, const uint8_t* vertices = nullptr, uint32_t stride = 0, uint32_t count = 0);
  void applyVertexLayout(GLuint buffer, uint32_t fvf, uint32_t stride, uintptr_t offset);
  void applySampler(GlTexture* texture, bool nearest);
  int32_t readColour(const SurfacePtr& surface, std::vector<uint32_t>& out);
  void clearLiveRenderTargets();

  std::unique_ptr<GlContext> context_;
  std::shared_ptr<GlShared> shared_;
  DeviceInfo info_;
  int32_t width_, height_;
  int32_t coop_ = result::Ok;
  int32_t resetFailures_ = 0;

  DeviceState state_;
  SurfacePtr backBuffer_, autoDepth_, renderTarget_, depthSurface_;
  std::vector<std::weak_ptr<GlTexture>> renderTargets_;

  bool redrawEveryFrame_ = false;
  std::vector<RecordedCommand> frame_, previous_;
  size_t executed_ = 0;              // frame_ commands already drawn
  bool deferring_ = true;            // back-buffer commands wait until the frame resolves
  bool previousExact_ = false;       // the back buffer holds exactly what previous_ draws
  bool frameIncomplete_ = false;     // some of this frame's commands were not recorded
  bool offscreenAutoDepth_ = false;  // the automatic depth buffer served a texture target
  bool backBufferChanged_ = true;    // drawn into since the last Present
  bool scissoring_ = false;
  PixelRect scissor_;
  FrameStats stats_;
  // What the next Present must show: the whole back buffer, or only this part of it.
  bool presentAll_ = true;
  PixelRect presentArea_;
  // A part this small is shown by reading its pixels back (into presentPixels_) on the
  // software rasteriser; larger ones, which would cross the window system's socket, go through
  // its shared memory as before.
  static constexpr int64_t kMaxPixelPresent = 512 * 384;
  std::vector<uint32_t> presentPixels_;
  // Every depth value of shared_->evenDepthRb inside this area is evenDepthZ_: a clear to that
  // value there changes nothing and is left out. Layers clear depth before each draw, and on the
  // software renderer a clear of part of a target costs a draw of its own.
  PixelRect evenDepthArea_;
  float evenDepthZ_ = 1.0f;
  // The draw being replayed writes depth that nothing reads: it is drawn without writing it,
  // which keeps the buffer even for the layer's next clear.
  bool depthWritesUnread_ = false;

  GLuint fbo_ = 0, readFbo_ = 0, vao_ = 0, streamVbo_ = 0, whiteTexture_ = 0;
  std::unique_ptr<ProgramCache> programs_;
  bool targetsComplete_ = false;
  Program* currentProgram_ = nullptr;

  // Cached GL state.
  struct Applied {
    uint32_t fvf = 0, stride = 0;
    uintptr_t offset = ~uintptr_t(0);
    int blend = -1;
    GLenum src = 0, dst = 0, srcA = 0, dstA = 0, eq = 0, eqA = 0;
    int depthTest = -1, depthMask = -1;
    GLenum depthFunc = 0;
    int cull = -1;
    GLenum cullFace = 0;
    uint32_t colorMask = 0xFFFFFFFF;
    Viewport viewport{-1, -1, -1, -1, -1, -1};
  } applied_;
};

}  // namespace gfx::gl
