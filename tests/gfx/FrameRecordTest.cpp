// Drawing only what changed: random sequences of frames rendered on a device that redraws only
// the differing pixels and on one that redraws everything must give the same back buffer, byte
// for byte, after every frame.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

#include "GfxFixtures.h"
#include "gfx/SpriteBatch.h"
#include "gfx/gl/GlDevice.h"

namespace {

using namespace gfxtest;
using gfx::Matrix;

struct QuadVertex {
  float x, y, z;
  uint32_t colour;
  float u, v;
};
struct RhwVertex {
  float x, y, z, rhw;
  uint32_t colour;
  float u, v;
};
constexpr uint32_t kQuadFvf = gfx::fvf::Xyz | gfx::fvf::Diffuse | gfx::fvf::Tex1;
constexpr uint32_t kRhwFvf = gfx::fvf::XyzRhw | gfx::fvf::Diffuse | gfx::fvf::Tex1;
constexpr int32_t kWidth = 96, kHeight = 64;

// Bowtie: a strip whose two halves overlap, the second farther, so the draw tests its own depth.
enum class DrawKind { ScreenQuad, WorldQuad, IndexedQuad, Perspective, Sprite, TargetPicture, Bowtie };

struct Item {
  DrawKind kind = DrawKind::ScreenQuad;
  int texture = 0;
  float x = 0, y = 0, w = 8, h = 8, z = 0.5f, angle = 0;
  uint32_t colour = 0xFFFFFFFFu;
  bool blend = true, depthTest = false, alphaTest = false;
};

// One frame's description; both devices draw exactly this.
struct Frame {
  std::vector<Item> items;
  bool clearFirst = true, clearDepth = true;
  uint32_t clearColour = 0xFF000000u;
  bool partialClear = false;  // a viewport-sized clear between the items
  bool layerClears = false;   // a depth clear after every item, as the layers do
  bool targetBefore = false;  // the render target is drawn into before the back buffer
  bool targetAfter = false;   // ... or after some back-buffer items
  float targetSpin = 0;
  bool readMidway = false;
  bool skipPresent = false;
};

// One device's resources, made the same way on both devices.
struct Resources {
  std::vector<gfx::TexturePtr> textures;
  gfx::TexturePtr target;
  gfx::SurfacePtr targetDepth;
  gfx::VertexBufferPtr quad;
  gfx::IndexBufferPtr indices;
};

gfx::Image randomPicture(std::mt19937& rng) {
  std::uniform_int_distribution<int> size(1, 20), byte(0, 255), alphaKind(0, 3);
  const int kind = alphaKind(rng);
  const int32_t w = size(rng), h = size(rng);
  std::vector<uint32_t> px(size_t(w) * size_t(h));
  for (uint32_t& p : px) {
    const uint32_t a = kind == 0 ? 255u : kind == 1 ? (byte(rng) < 128 ? 0u : 255u) : uint32_t(byte(rng));
    p = a << 24 | uint32_t(byte(rng)) << 16 | uint32_t(byte(rng)) << 8 | uint32_t(byte(rng));
  }
  return makeImage(w, h, [&](int32_t x, int32_t y) { return px[size_t(y) * size_t(w) + size_t(x)]; });
}

// New texels for level 0, through a lock or written whole from the caller's memory.
void upload(const gfx::TexturePtr& texture, const gfx::Image& image, bool writeWhole = false) {
  if (writeWhole) {
    ASSERT_EQ(texture->writeLevel(0, image.pixels.data(), size_t(image.width)), gfx::result::Ok);
    return;
  }
  gfx::LockedRect lr;
  ASSERT_EQ(texture->lockRect(0, lr), gfx::result::Ok);
  for (int32_t y = 0; y < image.height; ++y)
    std::memcpy(lr.bits + y * lr.pitch, &image.pixels[size_t(y) * size_t(image.width)], size_t(image.width) * 4);
  texture->unlockRect(0);
}

Resources makeResources(gfx::Device& d, const std::vector<gfx::Image>& pictures) {
  Resources r;
  for (const gfx::Image& p : pictures) r.textures.push_back(makeTexture(d, p));
  EXPECT_EQ(d.createTexture(24, 16, 1, gfx::usage::RenderTarget, gfx::Pool::Default, r.target), gfx::result::Ok);
  EXPECT_EQ(d.createDepthStencilSurface(24, 16, r.targetDepth), gfx::result::Ok);
  EXPECT_EQ(d.createVertexBuffer(4 * sizeof(QuadVertex), gfx::usage::WriteOnly, kQuadFvf, gfx::Pool::Managed, r.quad),
            gfx::result::Ok);
  void* p = nullptr;
  EXPECT_EQ(r.quad->lock(0, 0, &p), gfx::result::Ok);
  const QuadVertex v[4] = {{-0.5f, -0.5f, 0.1f, 0xFFFFFFFFu, 0, 0},
                           {-0.5f, 0.5f, 0.1f, 0xFF80FFFFu, 0, 1},
                           {0.5f, -0.5f, 0.1f, 0xFFFFFFFFu, 1, 0},
                           {0.5f, 0.5f, 0.1f, 0x80FFFFFFu, 1, 1}};
  std::memcpy(p, v, sizeof v);
  r.quad->unlock();
  EXPECT_EQ(d.createIndexBuffer(6 * 2, gfx::usage::WriteOnly, gfx::Pool::Managed, r.indices), gfx::result::Ok);
  EXPECT_EQ(r.indices->lock(0, 0, &p), gfx::result::Ok);
  const uint16_t idx[6] = {0, 1, 2, 2, 1, 3};
  std::memcpy(p, idx, sizeof idx);
  r.indices->unlock();
  return r;
}

void drawItem(gfx::Device& d, Resources& r, const Item& it) {
  const gfx::TexturePtr& texture = it.kind == DrawKind::TargetPicture ? r.target : r.textures[size_t(it.texture)];
  d.setRenderState(gfx::RenderState::AlphaBlendEnable, it.blend);
  d.setRenderState(gfx::RenderState::SrcBlend, gfx::blend::SrcAlpha);
  d.setRenderState(gfx::RenderState::DestBlend, gfx::blend::InvSrcAlpha);
  d.setRenderState(gfx::RenderState::ZEnable, it.depthTest);
  d.setRenderState(gfx::RenderState::AlphaTestEnable, it.alphaTest);
  d.setRenderState(gfx::RenderState::AlphaFunc, gfx::cmp::Greater);
  d.setRenderState(gfx::RenderState::CullMode, gfx::cull::None);
  d.setRenderState(gfx::RenderState::Lighting, 0);
  d.setRenderState(gfx::RenderState::TextureFactor, it.colour);
  d.setTextureStageState(0, gfx::TextureStageState::ColorArg2, gfx::ta::Diffuse);
  d.setSamplerState(0, gfx::SamplerState::MinFilter, it.angle != 0 ? gfx::texf::Linear : gfx::texf::Point);
  d.setSamplerState(0, gfx::SamplerState::MagFilter, gfx::texf::Linear);
  d.setTexture(0, texture);
  const float W = float(kWidth), H = float(kHeight);
  const Matrix world = Matrix::scaling(it.w, it.h, 1) * Matrix::rotationZ(it.angle) *
                       Matrix::translation(it.x - W / 2, it.y - H / 2, it.z);
  d.setTransform(gfx::TransformType::World, world);
  d.setTransform(gfx::TransformType::View, Matrix::identity());
  d.setTransform(gfx::TransformType::Projection, Matrix::orthoOffCenterLH(-W / 2, W / 2, H / 2, -H / 2, -10, 10));
  switch (it.kind) {
    case DrawKind::ScreenQuad: {
      const float x0 = it.x, y0 = it.y, x1 = it.x + it.w, y1 = it.y + it.h;
      const RhwVertex v[4] = {{x0, y0, it.z, 1, it.colour, 0, 0},
                              {x1, y0, it.z, 1, it.colour, 1, 0},
                              {x0, y1, it.z, 1, 0xFFFFFFFFu, 0, 1},
                              {x1, y1, it.z, 1, it.colour, 1, 1}};
      d.setFVF(kRhwFvf);
      d.drawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, v, sizeof(RhwVertex));
      break;
    }
    case DrawKind::WorldQuad:
    case DrawKind::TargetPicture:
      d.setFVF(kQuadFvf);
      d.setStreamSource(0, r.quad, 0, sizeof(QuadVertex));
      d.drawPrimitive(gfx::PrimitiveType::TriangleStrip, 0, 2);
      break;
    case DrawKind::IndexedQuad:
      d.setFVF(kQuadFvf);
      d.setStreamSource(0, r.quad, 0, sizeof(QuadVertex));
      d.setIndices(r.indices);
      d.drawIndexedPrimitive(gfx::PrimitiveType::TriangleList, 0, 0, 4, 0, 2);
      break;
    case DrawKind::Perspective:
      // A quad tilted towards the eye, some of it behind: its bounds are the whole viewport.
      d.setTransform(gfx::TransformType::World, Matrix::scaling(it.w, it.h, 1) * Matrix::rotationX(it.angle + 1.2f) *
                                                    Matrix::translation(it.x / 10 - 4, it.y / 10 - 3, 6));
      d.setTransform(gfx::TransformType::Projection, Matrix::perspectiveFovLH(1.0f, W / H, 0.5f, 50.0f));
      d.setFVF(kQuadFvf);
      d.setStreamSource(0, r.quad, 0, sizeof(QuadVertex));
      d.drawPrimitive(gfx::PrimitiveType::TriangleStrip, 0, 2);
      break;
    case DrawKind::Bowtie: {
      const float x0 = it.x, y0 = it.y, x1 = it.x + it.w, y1 = it.y + it.h;
      const RhwVertex v[4] = {{x0, y0, it.z, 1, it.colour, 0, 0},
                              {x1, y1, it.z, 1, it.colour, 1, 1},
                              {x1, y0, it.z, 1, 0xFFFFFFFFu, 1, 0},
                              {x0 + it.w / 2, y0 + it.h / 4, it.z + 0.25f, 1, 0xFF00FF00u, 0, 1}};
      d.setFVF(kRhwFvf);
      d.drawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, v, sizeof(RhwVertex));
      break;
    }
    case DrawKind::Sprite: {
      gfx::SpriteBatch sprite(d);
      sprite.begin(gfx::spriteflag::AlphaBlend);
      sprite.setTransform(Matrix::rotationZ(it.angle) * Matrix::translation(it.x, it.y, 0.5f));
      sprite.draw(texture, nullptr, nullptr, nullptr, it.colour);
      sprite.end();
      break;
    }
  }
}

void drawTarget(gfx::Device& d, Resources& r, float spin) {
  const gfx::SurfacePtr savedTarget = d.getRenderTarget(), savedDepth = d.getDepthStencilSurface();
  d.setRenderTarget(r.target->surfaceLevel(0));
  d.setDepthStencilSurface(r.targetDepth);
  d.clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0x40204080u, 1.0f, 0);
  gfx::SpriteBatch sprite(d);
  sprite.begin(gfx::spriteflag::AlphaBlend);
  sprite.setTransform(Matrix::rotationZ(spin) * Matrix::translation(12, 8, 0.5f));
  sprite.draw(r.textures[0], nullptr, nullptr, nullptr, 0xFFFFFFFFu);
  sprite.end();
  d.setRenderTarget(savedTarget);
  d.setDepthStencilSurface(savedDepth);
}

void drawFrame(gfx::Device& d, Resources& r, const Frame& f) {
  if (f.targetBefore) drawTarget(d, r, f.targetSpin);
  const uint32_t depth = f.clearDepth ? gfx::clearflag::ZBuffer : 0;
  if (f.clearFirst) d.clear(gfx::clearflag::Target | depth, f.clearColour, 1.0f, 0);
  for (size_t i = 0; i < f.items.size(); ++i) {
    drawItem(d, r, f.items[i]);
    if (f.layerClears) d.clear(gfx::clearflag::ZBuffer, 0, i % 3 == 2 ? 0.4f : 1.0f, 0);
    if (i == f.items.size() / 2) {
      if (f.readMidway) readBack(d);
      if (f.targetAfter) drawTarget(d, r, f.targetSpin);
      if (f.partialClear) {
        d.setViewport({10, 8, 30, 20, 0.0f, 1.0f});
        d.clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0xFF306090u, 1.0f, 0);
        d.setViewport({0, 0, kWidth, kHeight, 0.0f, 1.0f});
      }
    }
  }
  if (!f.skipPresent) d.present();
}

Item randomItem(std::mt19937& rng, int textures) {
  std::uniform_real_distribution<float> x(-10.0f, float(kWidth)), y(-10.0f, float(kHeight)), size(1.0f, 40.0f);
  std::uniform_int_distribution<int> kind(0, 6), texture(0, textures - 1), coin(0, 3);
  std::uniform_int_distribution<uint32_t> colour;
  Item it;
  it.kind = DrawKind(kind(rng));
  it.texture = texture(rng);
  it.x = std::round(x(rng));
  it.y = std::round(y(rng));
  it.w = std::round(size(rng));
  it.h = std::round(size(rng));
  it.z = coin(rng) * 0.2f + 0.1f;
  it.angle = coin(rng) == 0 ? 0.3f * float(coin(rng)) : 0.0f;
  it.colour = coin(rng) == 0 ? colour(rng) : 0xFFFFFFFFu;
  it.blend = coin(rng) != 0;
  it.depthTest = coin(rng) != 0;
  it.alphaTest = coin(rng) == 0;
  return it;
}

// The next frame: mostly the same as the last, with one small change now and then.
void mutate(std::mt19937& rng, Frame& f, std::vector<gfx::Image>& pictures, std::vector<int>& changedPictures) {
  std::uniform_int_distribution<int> what(0, 29), coin(0, 1);
  std::uniform_real_distribution<float> step(-3.0f, 3.0f);
  changedPictures.clear();
  f.readMidway = what(rng) == 0;
  f.skipPresent = what(rng) == 0;
  f.targetBefore = f.targetAfter = false;
  switch (what(rng)) {
    case 0:
    case 1: f.items.push_back(randomItem(rng, int(pictures.size()))); break;
    case 2:
      if (!f.items.empty())
        f.items.erase(f.items.begin() + std::uniform_int_distribution<int>(0, int(f.items.size()) - 1)(rng));
      break;
    case 3:
    case 4:
    case 5:
      // The click-wait coin: one item turns or moves a little.
      if (!f.items.empty()) {
        Item& it = f.items.back();
        it.angle += 0.25f;
        it.x += std::round(step(rng));
      }
      break;
    case 6: {
      const int k = std::uniform_int_distribution<int>(0, int(pictures.size()) - 1)(rng);
      gfx::Image next = randomPicture(rng);
      // Same size, new texels.
      pictures[size_t(k)].pixels =
          makeImage(pictures[size_t(k)].width, pictures[size_t(k)].height, [&](int32_t x, int32_t y) {
            return next.pixels[size_t(y % next.height) * size_t(next.width) + size_t(x % next.width)];
          }).pixels;
      changedPictures.push_back(k);
      break;
    }
    case 7: f.clearFirst = !f.clearFirst; break;
    case 8: f.clearDepth = !f.clearDepth; break;
    case 9: f.clearColour ^= 0x00102030u; break;
    case 10: f.partialClear = !f.partialClear; break;
    case 11:
      f.targetBefore = true;
      f.targetSpin += 0.5f;
      break;
    case 12:
      f.targetAfter = true;
      f.targetSpin += 0.5f;
      break;
    case 13:
      if (!f.items.empty()) f.items[0].colour ^= 0x3F000000u;
      break;
    case 15:
    case 16:
      // A picture jumps elsewhere: its old place must be drawn again too.
      if (!f.items.empty()) {
        Item& it = f.items[size_t(std::uniform_int_distribution<int>(0, int(f.items.size()) - 1)(rng))];
        it.x = std::round(std::uniform_real_distribution<float>(-10.0f, float(kWidth))(rng));
        it.y = std::round(std::uniform_real_distribution<float>(-10.0f, float(kHeight))(rng));
      }
      break;
    case 14:
      if (f.items.size() > 1) std::swap(f.items.front(), f.items.back());
      break;
    case 17:
    case 18: f.layerClears = !f.layerClears; break;
    default: break;  // unchanged
  }
  if (coin(rng) == 0 && f.items.size() > 12) f.items.pop_back();
}

TEST(FrameRecord, RandomFrameSequencesMatchAFullRedrawEveryFrame) {
  gfx::DeviceConfig config;
  config.kind = gfx::ContextKind::Headless;
  config.backBufferWidth = kWidth;
  config.backBufferHeight = kHeight;
  std::string error;
  auto changesOnly = gfx::createDevice(config, &error);
  ASSERT_NE(changesOnly, nullptr) << error;
  config.redrawEveryFrame = true;
  auto everything = gfx::createDevice(config, &error);
  ASSERT_NE(everything, nullptr) << error;

  for (uint32_t seed = 1; seed <= 6; ++seed) {
    std::mt19937 rng(seed);
    std::vector<gfx::Image> pictures;
    for (int i = 0; i < 5; ++i) pictures.push_back(randomPicture(rng));
    Resources a = makeResources(*changesOnly, pictures), b = makeResources(*everything, pictures);
    Frame frame;
    frame.layerClears = seed % 2 == 0;
    for (int i = 0; i < 6; ++i) frame.items.push_back(randomItem(rng, int(pictures.size())));
    std::vector<int> changed;
    for (int n = 0; n < 120; ++n) {
      drawFrame(*changesOnly, a, frame);
      drawFrame(*everything, b, frame);
      const Pixels pa = readBack(*changesOnly), pb = readBack(*everything);
      ASSERT_EQ(pa.words, pb.words) << "seed " << seed << " frame " << n;
      mutate(rng, frame, pictures, changed);
      for (int k : changed) {
        upload(a.textures[size_t(k)], pictures[size_t(k)], k % 2 == 1);
        upload(b.textures[size_t(k)], pictures[size_t(k)]);
      }
    }
  }
  const gfx::FrameStats stats = changesOnly->frameStats(), full = everything->frameStats();
  EXPECT_GT(stats.unchanged, 50u);
  EXPECT_GT(stats.partial, 50u);
  EXPECT_EQ(full.unchanged, 0u);
  EXPECT_EQ(full.partial, 0u);
  EXPECT_EQ(stats.shown + stats.unchanged, full.shown);
}

// A window that keeps what it was shown: the parts the device hands over as pixels, and whole
// frames at a swap (which the test reads from the back buffer; the context has no window of
// its own to receive them).
class ShownWindow final : public gfx::gl::GlContext {
 public:
  ShownWindow(std::unique_ptr<gfx::gl::GlContext> context, int width, int height)
      : shown(size_t(width) * size_t(height)), context_(std::move(context)), width_(width), height_(height) {}
  bool makeCurrent() override { return context_->makeCurrent(); }
  void swapBuffers() override {
    glGetError();  // the copy into a window the surfaceless context does not have
    ++swaps;
  }
  bool hasWindow() const override { return true; }
  void drawableSize(int& width, int& height) override {
    width = width_;
    height = height_;
  }
  bool canPresentPixels() override { return true; }
  bool presentPixels(int x, int y, int width, int height, const uint32_t* pixels) override {
    EXPECT_TRUE(x >= 0 && y >= 0 && width > 0 && height > 0 && x + width <= width_ && y + height <= height_);
    for (int row = 0; row < height; ++row)
      std::memcpy(&shown[size_t(y + row) * size_t(width_) + size_t(x)], pixels + size_t(row) * size_t(width),
                  size_t(width) * 4);
    ++parts;
    return true;
  }

  int swaps = 0, parts = 0;
  std::vector<uint32_t> shown;

 private:
  std::unique_ptr<gfx::gl::GlContext> context_;
  int width_, height_;
};

// Every presented frame reaches the window whole, whether it was shown in full or only the
// part that changed was handed over.
TEST(FrameRecord, PresentedFramesReachTheWindowPixelForPixel) {
  std::string error;
  auto context = gfx::gl::createEglSurfacelessContext(false, &error);
  ASSERT_NE(context, nullptr) << error;
  auto window = std::make_unique<ShownWindow>(std::move(context), kWidth, kHeight);
  ShownWindow& shown = *window;
  gfx::gl::GlDevice device(std::move(window), kWidth, kHeight);
  ASSERT_TRUE(device.init(&error)) << error;
  if (!device.info().softwareRasteriser) GTEST_SKIP() << "parts are handed over on the software rasteriser only";

  for (uint32_t seed = 11; seed <= 14; ++seed) {
    std::mt19937 rng(seed);
    std::vector<gfx::Image> pictures;
    for (int i = 0; i < 4; ++i) pictures.push_back(randomPicture(rng));
    Resources r = makeResources(device, pictures);
    Frame frame;
    frame.layerClears = seed % 2 == 0;
    for (int i = 0; i < 6; ++i) frame.items.push_back(randomItem(rng, int(pictures.size())));
    std::vector<int> changed;
    for (int n = 0; n < 80; ++n) {
      const int swapsBefore = shown.swaps;
      drawFrame(device, r, frame);
      const Pixels back = readBack(device);
      if (shown.swaps != swapsBefore) shown.shown = back.words;
      for (size_t i = 0; i < back.words.size() && !frame.skipPresent; ++i)
        ASSERT_EQ(shown.shown[i] & 0xFFFFFFu, back.words[i] & 0xFFFFFFu)
            << "seed " << seed << " frame " << n << " pixel " << i % kWidth << "," << i / kWidth;
      mutate(rng, frame, pictures, changed);
      for (int k : changed) upload(r.textures[size_t(k)], pictures[size_t(k)]);
    }
  }
  EXPECT_GT(shown.parts, 20);
  EXPECT_GT(shown.swaps, 0);
}

// Depth clears that would change nothing are left out; every one that would still takes
// effect: over part of the buffer, after a draw that wrote depth, or to another value.
TEST(FrameRecord, DepthClearsTakeEffectWhereverTheyChangeTheBuffer) {
  for (const bool redrawEveryFrame : {false, true}) {
    gfx::DeviceConfig config;
    config.kind = gfx::ContextKind::Headless;
    config.backBufferWidth = kWidth;
    config.backBufferHeight = kHeight;
    config.redrawEveryFrame = redrawEveryFrame;
    std::string error;
    auto device = gfx::createDevice(config, &error);
    ASSERT_NE(device, nullptr) << error;
    gfx::Device& d = *device;
    d.setRenderState(gfx::RenderState::ZEnable, 1);
    d.setRenderState(gfx::RenderState::ZFunc, gfx::cmp::LessEqual);
    d.setRenderState(gfx::RenderState::Lighting, 0);
    d.setFVF(kRhwFvf);
    const auto fill = [&](uint32_t colour, float z, bool writeDepth) {
      d.setRenderState(gfx::RenderState::ZWriteEnable, writeDepth);
      const float w = float(kWidth), h = float(kHeight);
      const RhwVertex v[4] = {{0, 0, z, 1, colour, 0, 0},
                              {w, 0, z, 1, colour, 1, 0},
                              {0, h, z, 1, colour, 0, 1},
                              {w, h, z, 1, colour, 1, 1}};
      d.drawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, v, sizeof(RhwVertex));
    };
    const auto expectHalves = [&](uint32_t left, uint32_t right, const char* step) {
      const Pixels p = readBack(d);
      EXPECT_EQ(p.rgb(5, 30), left & 0xFFFFFFu) << step << (redrawEveryFrame ? " (full redraws)" : "");
      EXPECT_EQ(p.rgb(kWidth - 5, 30), right & 0xFFFFFFu) << step << (redrawEveryFrame ? " (full redraws)" : "");
    };
    for (int frame = 0; frame < 2; ++frame) {
      d.clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0xFF000000u, 1.0f, 0);
      // Nothing has written depth yet: this clear changes nothing.
      d.clear(gfx::clearflag::ZBuffer, 0, 1.0f, 0);
      fill(0xFFFF0000u, 0.5f, true);
      // The left half only: the right keeps the red picture's depth.
      d.setViewport({0, 0, kWidth / 2, kHeight, 0.0f, 1.0f});
      d.clear(gfx::clearflag::ZBuffer, 0, 1.0f, 0);
      d.setViewport({0, 0, kWidth, kHeight, 0.0f, 1.0f});
      fill(0xFF00FF00u, 0.7f, false);
      expectHalves(0xFF00FF00u, 0xFFFF0000u, "a clear of half the buffer");
      // The right half still holds 0.5, though the last draw wrote no depth.
      d.clear(gfx::clearflag::ZBuffer, 0, 1.0f, 0);
      fill(0xFF0000FFu, 0.9f, true);
      expectHalves(0xFF0000FFu, 0xFF0000FFu, "a whole clear after a half one");
      // Another value over a buffer already even.
      d.clear(gfx::clearflag::ZBuffer, 0, 1.0f, 0);
      d.clear(gfx::clearflag::ZBuffer, 0, 0.3f, 0);
      fill(0xFFFFFF00u, 0.5f, true);
      expectHalves(0xFF0000FFu, 0xFF0000FFu, "a clear to a nearer depth");
      d.present();
    }
  }
}

// Drawing into a picture target in the middle of a frame that does not show that picture
// leaves the frame's back-buffer commands waiting: the frame is still compared as a whole, so
// an unchanged one is not presented again.
TEST(FrameRecord, WorkOnAnotherTargetKeepsTheFrameComparable) {
  auto device = headlessDevice(kWidth, kHeight);
  ASSERT_TRUE(device);
  gfx::Device& d = *device;
  std::mt19937 rng(11);
  const std::vector<gfx::Image> pictures{randomPicture(rng), randomPicture(rng)};
  Resources r = makeResources(d, pictures);
  Frame frame;
  for (int i = 0; i < 4; ++i) frame.items.push_back(randomItem(rng, int(pictures.size())));
  for (Item& it : frame.items)
    if (it.kind == DrawKind::TargetPicture) it.kind = DrawKind::ScreenQuad;
  frame.targetAfter = true;
  drawFrame(d, r, frame);
  const Pixels first = readBack(d);
  const gfx::FrameStats before = d.frameStats();
  drawFrame(d, r, frame);
  EXPECT_EQ(d.frameStats().unchanged, before.unchanged + 1);
  EXPECT_EQ(readBack(d).words, first.words);
  // Once the frame shows the picture, its commands are drawn before the picture changes.
  frame.items.back().kind = DrawKind::TargetPicture;
  frame.targetSpin += 0.5f;
  drawFrame(d, r, frame);
  const Pixels shown = readBack(d);
  frame.targetAfter = false;
  drawFrame(d, r, frame);
  EXPECT_EQ(readBack(d).words, shown.words);
}

// A frame like the last one is not presented again; a change, a texture's new texels, a draw
// into a render target the frame shows, or a Reset all bring the next Present back.
TEST(FrameRecord, UnchangedFramesAreNotPresented) {
  auto device = headlessDevice(kWidth, kHeight);
  ASSERT_TRUE(device);
  gfx::Device& d = *device;
  std::mt19937 rng(7);
  std::vector<gfx::Image> pictures{randomPicture(rng)};
  Resources r = makeResources(d, pictures);
  Frame f;
  f.items.push_back(randomItem(rng, 1));
  f.items.back().kind = DrawKind::WorldQuad;
  Item target;
  target.kind = DrawKind::TargetPicture;
  target.w = 24;
  target.h = 16;
  target.x = 40;
  target.y = 30;
  f.items.push_back(target);

  struct Step {
    const char* what;
    std::function<void()> change;
    bool shown;
  };
  const Step steps[] = {
      {"first frame", [] {}, true},
      {"same frame", [] {}, false},
      {"same frame again", [] {}, false},
      {"moved item", [&] { f.items[0].x += 1; }, true},
      {"same after the move", [] {}, false},
      {"new texels", [&] { upload(r.textures[0], solidImage(pictures[0].width, pictures[0].height, 0xFF123456u)); },
       true},
      {"same texels written whole",
       [&] { upload(r.textures[0], solidImage(pictures[0].width, pictures[0].height, 0xFF123456u), true); }, true},
      {"target drawn", [&] { f.targetBefore = true; }, true},
      {"target drawn again, same picture", [] {}, true},
      {"target left alone", [&] { f.targetBefore = false; }, false},
      {"after a reset", [&] { ASSERT_EQ(d.reset(), gfx::result::Ok); }, true},
  };
  for (const Step& s : steps) {
    s.change();
    const uint64_t before = d.frameStats().shown;
    drawFrame(d, r, f);
    EXPECT_EQ(d.frameStats().shown - before, s.shown ? 1u : 0u) << s.what;
  }
}

}  // namespace
