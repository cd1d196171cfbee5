// The render device contract: a Direct3D 9 style device (states, transforms, surfaces, textures,
// buffers, draws, device loss) that the engine drives; the OpenGL backend lives in gfx/gl/.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gfx/Matrix.h"
#include "platform/ResultCodes.h"

namespace gfx {

// ---- Result codes (the Direct3D values, from the program's one table) -----------------------
namespace result = platform::result;
inline bool succeeded(int32_t hr) { return hr >= 0; }

// ---- State names and values (Direct3D numbering) ---------------------------------------------
enum class RenderState : uint32_t {
  ZEnable = 7,
  ZWriteEnable = 14,
  AlphaTestEnable = 15,
  SrcBlend = 19,
  DestBlend = 20,
  CullMode = 22,
  ZFunc = 23,
  AlphaRef = 24,
  AlphaFunc = 25,
  AlphaBlendEnable = 27,
  FogEnable = 28,
  SpecularEnable = 29,
  StencilEnable = 52,
  TextureFactor = 60,
  Lighting = 137,
  Ambient = 139,
  NormalizeNormals = 143,
  ColorWriteEnable = 168,
  BlendOp = 171,
  SeparateAlphaBlendEnable = 206,
  SrcBlendAlpha = 207,
  DestBlendAlpha = 208,
  BlendOpAlpha = 209,
};

namespace blend {
constexpr uint32_t Zero = 1, One = 2, SrcColor = 3, InvSrcColor = 4, SrcAlpha = 5, InvSrcAlpha = 6, DestAlpha = 7,
                   InvDestAlpha = 8, DestColor = 9, InvDestColor = 10;
}
namespace blendop {
constexpr uint32_t Add = 1, Subtract = 2, RevSubtract = 3, Min = 4, Max = 5;
}
namespace cmp {
constexpr uint32_t Never = 1, Less = 2, Equal = 3, LessEqual = 4, Greater = 5, NotEqual = 6, GreaterEqual = 7,
                   Always = 8;
}
namespace cull {
constexpr uint32_t None = 1, CW = 2, CCW = 3;
}

enum class TextureStageState : uint32_t {
  ColorOp = 1,
  ColorArg1 = 2,
  ColorArg2 = 3,
  AlphaOp = 4,
  AlphaArg1 = 5,
  AlphaArg2 = 6,
  TexCoordIndex = 11,
  TextureTransformFlags = 24,
};
namespace top {
constexpr uint32_t Disable = 1, SelectArg1 = 2, SelectArg2 = 3, Modulate = 4, Modulate2x = 5, Modulate4x = 6, Add = 7;
}
namespace ta {
constexpr uint32_t Diffuse = 0, Current = 1, Texture = 2, TFactor = 3;
}
namespace ttff {
constexpr uint32_t Disable = 0, Count2 = 2;
}

enum class SamplerState : uint32_t {
  AddressU = 1,
  AddressV = 2,
  MagFilter = 5,
  MinFilter = 6,
  MipFilter = 7,
};
namespace texf {
constexpr uint32_t None = 0, Point = 1, Linear = 2, Anisotropic = 3;
}
namespace taddress {
constexpr uint32_t Wrap = 1, Mirror = 2, Clamp = 3;
}

enum class TransformType : uint32_t { View = 2, Projection = 3, Texture0 = 16, World = 256 };

namespace clearflag {
constexpr uint32_t Target = 1, ZBuffer = 2, Stencil = 4;
}

enum class PrimitiveType : uint32_t {
  PointList = 1,
  LineList = 2,
  LineStrip = 3,
  TriangleList = 4,
  TriangleStrip = 5,
  TriangleFan = 6
};

// Flexible vertex format bits; vertices are laid out in this order: position (3 floats, or 4 with
// RHW), normal (3 floats), diffuse (32-bit ARGB), texture u, v.
namespace fvf {
constexpr uint32_t Xyz = 0x002, XyzRhw = 0x004, Normal = 0x010, Diffuse = 0x040, Tex1 = 0x100;
}
uint32_t vertexSizeOf(uint32_t fvf);

namespace usage {
constexpr uint32_t RenderTarget = 0x1, DepthStencil = 0x2, WriteOnly = 0x8, Dynamic = 0x200;
}
enum class Pool : uint32_t { Default = 0, Managed = 1, SystemMem = 2, Scratch = 3 };

// ---- Resources ------------------------------------------------------------------------------------

// A8R8G8B8 texels: one 32-bit word 0xAARRGGBB each, rows top first.
struct LockedRect {
  uint8_t* bits = nullptr;
  int32_t pitch = 0;  // bytes per row
};

class Texture;

// A 2D surface: the back buffer, a texture's level, a depth-stencil buffer or a plain
// system-memory surface.
class Surface {
 public:
  enum class Kind { BackBuffer, TextureLevel, DepthStencil, OffscreenPlain };
  virtual ~Surface() = default;
  virtual Kind kind() const = 0;
  virtual int32_t width() const = 0;
  virtual int32_t height() const = 0;
  // The texture a TextureLevel surface belongs to (nullptr for the other kinds).
  virtual std::shared_ptr<Texture> texture() const = 0;
  // Processor access: offscreen plain surfaces and levels of managed / system-memory textures.
  virtual int32_t lockRect(LockedRect& out) = 0;
  virtual int32_t unlockRect() = 0;
};
using SurfacePtr = std::shared_ptr<Surface>;

class Texture {
 public:
  virtual ~Texture() = default;
  virtual int32_t width(int32_t level = 0) const = 0;
  virtual int32_t height(int32_t level = 0) const = 0;
  virtual int32_t levelCount() const = 0;
  virtual uint32_t usage() const = 0;
  virtual Pool pool() const = 0;
  // Managed and system-memory textures keep their texels on the processor side; lock gives
  // them, unlock hands the changed level to the renderer. Render targets cannot be locked.
  virtual int32_t lockRect(int32_t level, LockedRect& out) = 0;
  virtual int32_t unlockRect(int32_t level) = 0;
  // Replaces a whole level with texels whose rows lie `pitch` words apart, as a lock, a copy of
  // every row and an unlock would, without reading the level's old texels first.
  virtual int32_t writeLevel(int32_t level, const uint32_t* texels, size_t pitch) = 0;
  virtual SurfacePtr surfaceLevel(int32_t level) = 0;
};
using TexturePtr = std::shared_ptr<Texture>;

class VertexBuffer {
 public:
  virtual ~VertexBuffer() = default;
  virtual uint32_t sizeBytes() const = 0;
  virtual uint32_t fvf() const = 0;
  // offset and size in bytes; size 0 = to the end.
  virtual int32_t lock(uint32_t offset, uint32_t size, void** out) = 0;
  virtual int32_t unlock() = 0;
};
using VertexBufferPtr = std::shared_ptr<VertexBuffer>;

// 16-bit indices.
class IndexBuffer {
 public:
  virtual ~IndexBuffer() = default;
  virtual uint32_t sizeBytes() const = 0;
  virtual int32_t lock(uint32_t offset, uint32_t size, void** out) = 0;
  virtual int32_t unlock() = 0;
};
using IndexBufferPtr = std::shared_ptr<IndexBuffer>;

// ---- The device state (what a state block captures) ----------------------------------------------

struct DeviceState {
  // Render states, Direct3D defaults for a device with an automatic depth buffer.
  bool zEnable = true;
  bool zWriteEnable = true;
  uint32_t zFunc = cmp::LessEqual;
  bool alphaTestEnable = false;
  uint32_t alphaRef = 0;
  uint32_t alphaFunc = cmp::Always;
  bool alphaBlendEnable = false;
  uint32_t srcBlend = blend::One;
  uint32_t destBlend = blend::Zero;
  uint32_t blendOp = blendop::Add;
  bool separateAlphaBlendEnable = false;
  uint32_t srcBlendAlpha = blend::One;
  uint32_t destBlendAlpha = blend::Zero;
  uint32_t blendOpAlpha = blendop::Add;
  uint32_t cullMode = cull::CCW;
  bool fogEnable = false;
  bool specularEnable = false;
  bool stencilEnable = false;
  bool lighting = true;
  uint32_t ambient = 0;
  bool normalizeNormals = false;
  uint32_t textureFactor = 0xFFFFFFFFu;
  uint32_t colorWriteEnable = 0xF;

  // Texture stage 0 (later stages are not emulated; stage 1 only remembers its colour op).
  uint32_t colorOp = top::Modulate;
  uint32_t colorArg1 = ta::Texture;
  uint32_t colorArg2 = ta::Current;
  uint32_t alphaOp = top::SelectArg1;
  uint32_t alphaArg1 = ta::Texture;
  uint32_t alphaArg2 = ta::Current;
  uint32_t texCoordIndex = 0;
  uint32_t textureTransformFlags = ttff::Disable;
  uint32_t stage1ColorOp = top::Disable;
  uint32_t stage1AlphaOp = top::Disable;

  // Sampler 0.
  uint32_t addressU = taddress::Wrap;
  uint32_t addressV = taddress::Wrap;
  uint32_t magFilter = texf::Point;
  uint32_t minFilter = texf::Point;
  uint32_t mipFilter = texf::None;

  Matrix world, view, projection, texture0;

  TexturePtr texture;
  uint32_t fvf = 0;
  VertexBufferPtr stream;
  uint32_t streamOffset = 0;
  uint32_t streamStride = 0;
  IndexBufferPtr indices;

  Viewport viewport;  // reset to the whole target whenever the render target changes
};

// ---- The device ---------------------------------------------------------------------------------

struct DeviceInfo {
  std::string renderer;  // the driver's renderer name
  std::string version;   // the context's version string
  bool softwareRasteriser = false;
  bool shaderModel2 = false;  // programmable vertex and pixel stages of at least model 2.0
  int32_t maxTextureSize = 0;
};

// What Present has done so far.
struct FrameStats {
  uint64_t shown = 0;      // frames presented
  uint64_t unchanged = 0;  // frames equal to the one shown: neither drawn nor presented
  uint64_t partial = 0;    // frames drawn again only where they differ from the previous one
};

enum class ContextKind { Desktop, Headless };

struct DeviceConfig {
  ContextKind kind = ContextKind::Headless;
  void* nativeWindow = nullptr;  // the desktop window (platform::Window::nativeHandle())
  int32_t backBufferWidth = 1024;
  int32_t backBufferHeight = 768;
  bool forceSoftware = false;  // ask for the software rasteriser (the "reference device")
  // Draw and present every frame in full. Otherwise a frame equal to the previous one is neither
  // drawn nor presented, and a changed one is drawn again only where it can differ.
  bool redrawEveryFrame = false;
};

class Device {
 public:
  virtual ~Device() = default;

  virtual const DeviceInfo& info() const = 0;
  virtual int32_t backBufferWidth() const = 0;
  virtual int32_t backBufferHeight() const = 0;

  // ---- Device loss ----
  // Ok while usable; DeviceLost while lost; DeviceNotReset once a Reset can succeed.
  virtual int32_t testCooperativeLevel() = 0;
  // Succeeds only in the not-reset state (or when usable). Puts every state back to its
  // default, the back buffer and the automatic depth buffer current, and drops the content of
  // every render target (as a lost device does).
  virtual int32_t reset() = 0;
  // Loss simulation (OpenGL contexts are not lost by themselves): the device reports lost until
  // told not-reset. Present returns DeviceLost while the device is not usable.
  virtual void simulateDeviceLost() = 0;
  virtual void simulateDeviceNotReset() = 0;
  // The next n Reset calls fail.
  virtual void simulateResetFailures(int32_t n) = 0;
  // Live render-target textures and depth surfaces (what Direct3D wants released before Reset).
  virtual int32_t liveDefaultPoolResources() const = 0;

  // ---- Frame ----
  // Clears the viewport of the current targets, whatever the write masks. Depth-stencil
  // surfaces keep 24-bit depth only: the engine never writes stencil, so its clear is moot.
  virtual int32_t clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) = 0;
  virtual int32_t beginScene() = 0;
  virtual int32_t endScene() = 0;
  virtual int32_t present() = 0;
  // Waits until the renderer has finished everything issued so far.
  virtual void finish() = 0;
  // Readies the shader variants the 2D layers draw with before their first draw: a graphics
  // library's first shader compile is by far its slowest. Nothing changes on screen.
  virtual void compileCommonPrograms() {}
  virtual FrameStats frameStats() const = 0;

  // ---- State ----
  virtual int32_t setRenderState(RenderState state, uint32_t value) = 0;
  virtual uint32_t getRenderState(RenderState state) const = 0;
  virtual int32_t setTextureStageState(uint32_t stage, TextureStageState type, uint32_t value) = 0;
  virtual int32_t setSamplerState(uint32_t sampler, SamplerState type, uint32_t value) = 0;
  virtual int32_t setTransform(TransformType type, const Matrix& m) = 0;
  virtual Matrix getTransform(TransformType type) const = 0;
  virtual int32_t setTexture(uint32_t stage, const TexturePtr& texture) = 0;
  virtual TexturePtr getTexture(uint32_t stage) const = 0;
  virtual int32_t setFVF(uint32_t fvf) = 0;
  virtual int32_t setStreamSource(uint32_t stream, const VertexBufferPtr& vb, uint32_t offsetBytes,
                                  uint32_t strideBytes) = 0;
  virtual int32_t setIndices(const IndexBufferPtr& ib) = 0;
  virtual int32_t setViewport(const Viewport& vp) = 0;
  virtual Viewport getViewport() const = 0;
  // The whole state at once (state blocks, the sprite batch).
  virtual const DeviceState& state() const = 0;
  virtual void setState(const DeviceState& s) = 0;

  // ---- Render targets ----
  virtual SurfacePtr getBackBuffer() = 0;
  virtual SurfacePtr getRenderTarget() = 0;
  virtual int32_t setRenderTarget(const SurfacePtr& colour) = 0;
  virtual SurfacePtr getDepthStencilSurface() = 0;
  virtual int32_t setDepthStencilSurface(const SurfacePtr& depth) = 0;

  // ---- Draws ----
  virtual int32_t drawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) = 0;
  virtual int32_t drawIndexedPrimitive(PrimitiveType type, int32_t baseVertex, uint32_t minIndex, uint32_t numVertices,
                                       uint32_t startIndex, uint32_t primitiveCount) = 0;
  virtual int32_t drawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices,
                                  uint32_t strideBytes) = 0;

  // ---- Resources ----
  virtual int32_t createTexture(int32_t width, int32_t height, int32_t levels, uint32_t usage, Pool pool,
                                TexturePtr& out) = 0;
  virtual int32_t createDepthStencilSurface(int32_t width, int32_t height, SurfacePtr& out) = 0;
  virtual int32_t createOffscreenPlainSurface(int32_t width, int32_t height, SurfacePtr& out) = 0;
  virtual int32_t createVertexBuffer(uint32_t lengthBytes, uint32_t usage, uint32_t fvf, Pool pool,
                                     VertexBufferPtr& out) = 0;
  virtual int32_t createIndexBuffer(uint32_t lengthBytes, uint32_t usage, Pool pool, IndexBufferPtr& out) = 0;

  // ---- Read-back ----
  // The texels of the back buffer, a render-target level or a lockable surface as 0xAARRGGBB
  // words, top row first.
  virtual int32_t readSurface(const SurfacePtr& surface, std::vector<uint32_t>& out) = 0;
  // GetRenderTargetData: copies a render target (or the back buffer) into a plain surface of
  // the same size.
  virtual int32_t getRenderTargetData(const SurfacePtr& target, const SurfacePtr& plain) = 0;
};

// Creates the device: a desktop context on the window, or a headless one rendering off-screen.
// On failure returns nullptr and, when error is given, the reason.
std::unique_ptr<Device> createDevice(const DeviceConfig& config, std::string* error = nullptr);

// A1R8G8B8 helpers.
constexpr uint32_t argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
  return ((a & 0xFF) << 24) | ((r & 0xFF) << 16) | ((g & 0xFF) << 8) | (b & 0xFF);
}

}  // namespace gfx
