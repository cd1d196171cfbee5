// Pixel placement, stage-0 operations, alpha test, blending and depth on the headless renderer,
// checked by reading the target back.
#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "GfxFixtures.h"
#include "gfx/SpriteBatch.h"

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

constexpr uint32_t kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu, kWhite = 0xFFFFFFFFu;

// The layers' shared unit quad, as a strip.
gfx::VertexBufferPtr unitQuad(gfx::Device& d) {
  gfx::VertexBufferPtr vb;
  EXPECT_EQ(d.createVertexBuffer(4 * sizeof(QuadVertex), gfx::usage::WriteOnly,
                                 gfx::fvf::Xyz | gfx::fvf::Diffuse | gfx::fvf::Tex1, gfx::Pool::Managed, vb),
            gfx::result::Ok);
  void* p = nullptr;
  EXPECT_EQ(vb->lock(0, 0, &p), gfx::result::Ok);
  const QuadVertex v[4] = {{-0.5f, -0.5f, 0.1f, kWhite, 0, 0},
                           {-0.5f, 0.5f, 0.1f, kWhite, 0, 1},
                           {0.5f, -0.5f, 0.1f, kWhite, 1, 0},
                           {0.5f, 0.5f, 0.1f, kWhite, 1, 1}};
  std::memcpy(p, v, sizeof v);
  vb->unlock();
  return vb;
}

// The quad draw of a picture of w x h pixels centred at (x, y) from the screen centre.
void drawQuad(gfx::Device& d, const gfx::VertexBufferPtr& quad, const gfx::TexturePtr& texture, float x, float y,
              float w, float h) {
  const float W = float(d.backBufferWidth()), H = float(d.backBufferHeight());
  d.setTransform(gfx::TransformType::World, Matrix::scaling(w, h, 1) * Matrix::translation(x - 0.5f, y - 0.5f, 0));
  d.setTransform(gfx::TransformType::Projection, Matrix::orthoOffCenterLH(-W / 2, W / 2, H / 2, -H / 2, -10, 10));
  d.setTexture(0, texture);
  d.setStreamSource(0, quad, 0, sizeof(QuadVertex));
  d.setFVF(gfx::fvf::Xyz | gfx::fvf::Diffuse | gfx::fvf::Tex1);
  d.drawPrimitive(gfx::PrimitiveType::TriangleStrip, 0, 2);
}

gfx::Image checker2x2() {
  const uint32_t c[4] = {kRed, kGreen, kBlue, kWhite};
  return makeImage(2, 2, [&](int32_t x, int32_t y) { return c[y * 2 + x]; });
}

void expectChecker(const Pixels& p, int32_t left, int32_t top, const char* what) {
  EXPECT_EQ(p.rgb(left, top), kRed & 0xFFFFFF) << what << " " << hex(p.at(left, top));
  EXPECT_EQ(p.rgb(left + 1, top), kGreen & 0xFFFFFF) << what << " " << hex(p.at(left + 1, top));
  EXPECT_EQ(p.rgb(left, top + 1), kBlue & 0xFFFFFF) << what << " " << hex(p.at(left, top + 1));
  EXPECT_EQ(p.rgb(left + 1, top + 1), kWhite & 0xFFFFFF) << what << " " << hex(p.at(left + 1, top + 1));
  // Nothing leaks into the neighbours.
  EXPECT_EQ(p.rgb(left - 1, top), 0u) << what;
  EXPECT_EQ(p.rgb(left + 2, top + 1), 0u) << what;
  EXPECT_EQ(p.rgb(left, top - 1), 0u) << what;
  EXPECT_EQ(p.rgb(left + 1, top + 2), 0u) << what;
}

TEST(DevicePixels, PicturesLandTexelExact) {
  auto device = headlessDevice(64, 64);
  ASSERT_TRUE(device);
  gfx::Device& d = *device;
  const gfx::TexturePtr checker = makeTexture(d, checker2x2());
  const gfx::VertexBufferPtr quad = unitQuad(d);
  gfx::SpriteBatch sprite(d);
  d.setSamplerState(0, gfx::SamplerState::MinFilter, gfx::texf::Linear);
  d.setSamplerState(0, gfx::SamplerState::MagFilter, gfx::texf::Linear);

  // Sprite with its centre on the texture's centre, no half-pixel shift: pixel edges on pixel
  // edges, centred on screen pixel (32 + x, 32 + y).
  d.clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0xFF000000u, 1.0f, 0);
  sprite.begin(gfx::spriteflag::AlphaBlend);
  sprite.setTransform(Matrix::translation(32 + 5, 32 - 7, 0.5f));
  const gfx::Vec3 centre{1, 1, 0};
  sprite.draw(checker, nullptr, &centre, nullptr, kWhite);
  sprite.end();
  expectChecker(readBack(d), 36, 24, "sprite");

  // The quad draw with the layers' -0.5 inside a batch (which turns culling off).
  d.clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0xFF000000u, 1.0f, 0);
  sprite.begin(gfx::spriteflag::AlphaBlend);
  drawQuad(d, quad, checker, -10, 3, 2, 2);
  sprite.end();
  expectChecker(readBack(d), 21, 34, "quad");

  // Outside a batch the device culls counter-clockwise triangles, and the quad strip is one.
  d.clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0xFF000000u, 1.0f, 0);
  drawQuad(d, quad, checker, -10, 3, 2, 2);
  EXPECT_EQ(readBack(d).rgb(21, 34), 0u);
  d.setRenderState(gfx::RenderState::CullMode, gfx::cull::CW);
  drawQuad(d, quad, checker, -10, 3, 2, 2);
  EXPECT_EQ(readBack(d).rgb(21, 34), kRed & 0xFFFFFF);
}

TEST(DevicePixels, PreTransformedVerticesSampleAtPixelCentres) {
  auto device = headlessDevice(32, 16);
  ASSERT_TRUE(device);
  gfx::Device& d = *device;
  // Four texels 0, 80, 160, 240 in red.
  const gfx::TexturePtr ramp =
      makeTexture(d, makeImage(4, 1, [](int32_t x, int32_t) { return 0xFF000000u | uint32_t(x * 80) << 16; }));
  d.setSamplerState(0, gfx::SamplerState::MinFilter, gfx::texf::Linear);
  d.setSamplerState(0, gfx::SamplerState::MagFilter, gfx::texf::Linear);
  d.setSamplerState(0, gfx::SamplerState::AddressU, gfx::taddress::Clamp);
  d.setSamplerState(0, gfx::SamplerState::AddressV, gfx::taddress::Clamp);
  d.setRenderState(gfx::RenderState::Lighting, 0);
  d.clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0, 1.0f, 0);
  // Clockwise strip (the glyph quad's order) with corners on integer screen coordinates.
  const RhwVertex v[4] = {{14, 4, 0.5f, 1, kWhite, 1, 0},
                          {14, 5, 0.5f, 1, kWhite, 1, 1},
                          {10, 4, 0.5f, 1, kWhite, 0, 0},
                          {10, 5, 0.5f, 1, kWhite, 0, 1}};
  d.setTexture(0, ramp);
  d.setFVF(gfx::fvf::XyzRhw | gfx::fvf::Diffuse | gfx::fvf::Tex1);
  ASSERT_EQ(d.drawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, v, sizeof(RhwVertex)), gfx::result::Ok);
  const Pixels p = readBack(d);
  // Pixel i's centre is the integer i: the texture is sampled half a texel off and averages.
  const int expected[4] = {0, 40, 120, 200};
  for (int i = 0; i < 4; ++i) EXPECT_NEAR(channel(p.at(10 + i, 4), 16), expected[i], 1) << i;
  EXPECT_EQ(p.rgb(14, 4), 0u);
  EXPECT_EQ(p.rgb(9, 4), 0u);
}

TEST(DevicePixels, RenderTargetsComeBackUpright) {
  auto device = headlessDevice(64, 64);
  ASSERT_TRUE(device);
  gfx::Device& d = *device;
  gfx::TexturePtr target;
  ASSERT_EQ(d.createTexture(16, 8, 1, gfx::usage::RenderTarget, gfx::Pool::Default, target), gfx::result::Ok);
  gfx::SurfacePtr depth;
  ASSERT_EQ(d.createDepthStencilSurface(16, 8, depth), gfx::result::Ok);
  const gfx::TexturePtr topRed =
      makeTexture(d, makeImage(16, 8, [](int32_t, int32_t y) { return y < 4 ? kRed : kGreen; }));

  const gfx::SurfacePtr savedTarget = d.getRenderTarget();
  const gfx::SurfacePtr savedDepth = d.getDepthStencilSurface();
  ASSERT_EQ(d.setRenderTarget(target->surfaceLevel(0)), gfx::result::Ok);
  ASSERT_EQ(d.setDepthStencilSurface(depth), gfx::result::Ok);
  EXPECT_EQ(d.getViewport().width, 16);
  d.clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0, 1.0f, 0);
  gfx::SpriteBatch sprite(d);
  sprite.begin(gfx::spriteflag::AlphaBlend);
  sprite.setTransform(Matrix::identity());
  sprite.draw(topRed, nullptr, nullptr, nullptr, kWhite);
  sprite.end();
  const Pixels inTarget = readBack(d, target->surfaceLevel(0));
  EXPECT_EQ(inTarget.at(3, 0), kRed);
  EXPECT_EQ(inTarget.at(3, 7), kGreen);

  d.setRenderTarget(savedTarget);
  d.setDepthStencilSurface(savedDepth);
  EXPECT_EQ(d.getViewport().width, 64);
  d.clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0xFF000000u, 1.0f, 0);
  sprite.begin(gfx::spriteflag::AlphaBlend);
  sprite.setTransform(Matrix::translation(10, 20, 0));
  sprite.draw(target, nullptr, nullptr, nullptr, kWhite);
  sprite.end();
  const Pixels screen = readBack(d);
  EXPECT_EQ(screen.rgb(12, 20), kRed & 0xFFFFFF);
  EXPECT_EQ(screen.rgb(12, 27), kGreen & 0xFFFFFF);
}

// Render targets and depth surfaces get their texels on first use, whatever that use is; from
// then on they keep what is drawn and the depth test works in them.
TEST(DevicePixels, TargetsAndDepthWorkWhateverTheirFirstUse) {
  enum class First { DrawnInto, Sampled, ReadBack, EmptiedByReset, DepthOnBackBufferSize };
  const struct {
    const char* name;
    First first;
  } cases[] = {{"drawn into", First::DrawnInto},
               {"sampled", First::Sampled},
               {"read back", First::ReadBack},
               {"emptied by a reset", First::EmptiedByReset},
               {"depth attached to the back buffer", First::DepthOnBackBufferSize}};
  const auto quad = [](float x0, float x1, float z, uint32_t colour) {
    return std::array<RhwVertex, 4>{{{x1, 0, z, 1, colour, 1, 0},
                                     {x1, 8, z, 1, colour, 1, 1},
                                     {x0, 0, z, 1, colour, 0, 0},
                                     {x0, 8, z, 1, colour, 0, 1}}};
  };
  for (const auto& c : cases) {
    auto device = headlessDevice(16, 8);
    ASSERT_TRUE(device);
    gfx::Device& d = *device;
    gfx::TexturePtr target;
    ASSERT_EQ(d.createTexture(16, 8, 1, gfx::usage::RenderTarget, gfx::Pool::Default, target), gfx::result::Ok);
    gfx::SurfacePtr depth;
    ASSERT_EQ(d.createDepthStencilSurface(16, 8, depth), gfx::result::Ok);
    const gfx::SurfacePtr backBuffer = d.getRenderTarget();
    d.setRenderState(gfx::RenderState::Lighting, 0);
    d.setRenderState(gfx::RenderState::CullMode, gfx::cull::None);
    d.setFVF(gfx::fvf::XyzRhw | gfx::fvf::Diffuse | gfx::fvf::Tex1);
    const auto full = quad(0, 16, 0.5f, kWhite);
    switch (c.first) {
      case First::DrawnInto:
        d.setRenderTarget(target->surfaceLevel(0));
        d.setTexture(0, nullptr);
        EXPECT_EQ(d.drawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, full.data(), sizeof(RhwVertex)),
                  gfx::result::Ok)
            << c.name;
        d.setRenderTarget(backBuffer);
        break;
      case First::Sampled:
        d.setTexture(0, target);
        EXPECT_EQ(d.drawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, full.data(), sizeof(RhwVertex)),
                  gfx::result::Ok)
            << c.name;
        break;
      case First::ReadBack: {
        const Pixels fresh = readBack(d, target->surfaceLevel(0));
        for (uint32_t word : fresh.words) ASSERT_EQ(word, 0u) << c.name << ": a new target is transparent black";
        break;
      }
      case First::EmptiedByReset:
        d.simulateDeviceLost();
        d.simulateDeviceNotReset();
        ASSERT_EQ(d.reset(), gfx::result::Ok) << c.name;
        d.setRenderState(gfx::RenderState::Lighting, 0);
        d.setRenderState(gfx::RenderState::CullMode, gfx::cull::None);
        d.setFVF(gfx::fvf::XyzRhw | gfx::fvf::Diffuse | gfx::fvf::Tex1);
        break;
      case First::DepthOnBackBufferSize:
        d.setDepthStencilSurface(depth);
        d.clear(gfx::clearflag::ZBuffer, 0, 0.0f, 0);
        break;
    }
    // Blue in front on the left, then red behind it across the whole width.
    d.setRenderTarget(target->surfaceLevel(0));
    d.setDepthStencilSurface(depth);
    d.setRenderState(gfx::RenderState::ZEnable, 1);
    d.clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0, 1.0f, 0);
    d.setTexture(0, nullptr);
    const auto nearBlue = quad(0, 8, 0.25f, kBlue), farRed = quad(0, 16, 0.75f, kRed);
    ASSERT_EQ(d.drawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, nearBlue.data(), sizeof(RhwVertex)),
              gfx::result::Ok)
        << c.name;
    ASSERT_EQ(d.drawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, farRed.data(), sizeof(RhwVertex)),
              gfx::result::Ok)
        << c.name;
    const Pixels inTarget = readBack(d, target->surfaceLevel(0));
    EXPECT_EQ(inTarget.at(3, 4), kBlue) << c.name << ": the nearer draw stays in front";
    EXPECT_EQ(inTarget.at(12, 4), kRed) << c.name;

    // The target, drawn onto the back buffer, shows the same.
    d.setRenderTarget(backBuffer);
    d.setDepthStencilSurface(nullptr);
    d.clear(gfx::clearflag::Target, 0xFF000000u, 1.0f, 0);
    d.setTexture(0, target);
    ASSERT_EQ(d.drawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, full.data(), sizeof(RhwVertex)), gfx::result::Ok)
        << c.name;
    const Pixels screen = readBack(d);
    EXPECT_EQ(screen.rgb(3, 4), kBlue & 0xFFFFFF) << c.name;
    EXPECT_EQ(screen.rgb(12, 4), kRed & 0xFFFFFF) << c.name;
  }
}

TEST(DevicePixels, AlphaTestDiscardsTransparentPixelsBeforeDepth) {
  auto device = headlessDevice(16, 16);
  ASSERT_TRUE(device);
  gfx::Device& d = *device;
  const gfx::VertexBufferPtr quad = unitQuad(d);
  // Left column transparent, right column opaque blue.
  const gfx::TexturePtr front =
      makeTexture(d, makeImage(2, 1, [](int32_t x, int32_t) { return x ? kBlue : 0x00FF0000u; }));
  const gfx::TexturePtr back = makeTexture(d, solidImage(1, 1, kGreen));
  d.setRenderState(gfx::RenderState::AlphaTestEnable, 1);
  d.setRenderState(gfx::RenderState::AlphaFunc, gfx::cmp::Greater);
  d.setRenderState(gfx::RenderState::AlphaRef, 0);
  d.setRenderState(gfx::RenderState::CullMode, gfx::cull::None);
  d.clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0xFF000000u, 1.0f, 0);
  // Front picture at z 0.1 (depth 0.505), then the back one at world z 3 (depth 0.65).
  drawQuad(d, quad, front, 0, 0, 8, 8);
  d.setTransform(gfx::TransformType::World, Matrix::scaling(8, 8, 1) * Matrix::translation(-0.5f, -0.5f, 3));
  d.setTexture(0, back);
  d.drawPrimitive(gfx::PrimitiveType::TriangleStrip, 0, 2);
  const Pixels p = readBack(d);
  EXPECT_EQ(p.rgb(5, 8), kGreen & 0xFFFFFF) << "the transparent half wrote no depth";
  EXPECT_EQ(p.rgb(10, 8), kBlue & 0xFFFFFF) << "the opaque half stays in front";
}

TEST(DevicePixels, StageOperationsAndBlendFactors) {
  auto device = headlessDevice(16, 16);
  ASSERT_TRUE(device);
  gfx::Device& d = *device;
  gfx::TexturePtr target;
  ASSERT_EQ(d.createTexture(16, 16, 1, gfx::usage::RenderTarget, gfx::Pool::Default, target), gfx::result::Ok);
  // A white texel of alpha 0.5 (128).
  const gfx::TexturePtr halfWhite = makeTexture(d, solidImage(1, 1, 0x80FFFFFFu));
  struct Case {
    const char* name;
    bool separate;
    uint32_t srcA, dstA;
    uint32_t alphaArg2;
    uint32_t factor;
    uint32_t vertexColour;
    uint32_t expected;
  } cases[] = {
      // SRCALPHA / INVSRCALPHA on a cleared target: RGB 0.5, alpha 0.5 x 0.5.
      {"no separate alpha", false, 0, 0, gfx::ta::Diffuse, 0xFFFFFFFFu, kWhite, 0x40808080u},
      {"separate ONE/ONE", true, gfx::blend::One, gfx::blend::One, gfx::ta::Diffuse, 0xFFFFFFFFu, kWhite, 0x80808080u},
      // Alpha = texture x texture factor; the factor's RGB is not used.
      {"texture factor alpha", true, gfx::blend::One, gfx::blend::One, gfx::ta::TFactor, 0x80000000u, kWhite,
       0x40404040u},
      // Colour = texture x diffuse: black vertices draw black at the texture's alpha.
      {"diffuse colour", true, gfx::blend::One, gfx::blend::One, gfx::ta::Diffuse, 0xFFFFFFFFu, 0xFF000000u,
       0x80000000u},
  };
  for (const Case& c : cases) {
    d.setRenderTarget(target->surfaceLevel(0));
    d.setDepthStencilSurface(nullptr);
    d.clear(gfx::clearflag::Target, 0, 1.0f, 0);
    d.setRenderState(gfx::RenderState::AlphaBlendEnable, 1);
    d.setRenderState(gfx::RenderState::SrcBlend, gfx::blend::SrcAlpha);
    d.setRenderState(gfx::RenderState::DestBlend, gfx::blend::InvSrcAlpha);
    d.setRenderState(gfx::RenderState::SeparateAlphaBlendEnable, c.separate);
    d.setRenderState(gfx::RenderState::SrcBlendAlpha, c.srcA);
    d.setRenderState(gfx::RenderState::DestBlendAlpha, c.dstA);
    d.setRenderState(gfx::RenderState::TextureFactor, c.factor);
    d.setTextureStageState(0, gfx::TextureStageState::AlphaOp, gfx::top::Modulate);
    d.setTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::ta::Texture);
    d.setTextureStageState(0, gfx::TextureStageState::AlphaArg2, c.alphaArg2);
    const RhwVertex v[4] = {{16, 0, 0.5f, 1, c.vertexColour, 1, 0},
                            {16, 16, 0.5f, 1, c.vertexColour, 1, 1},
                            {0, 0, 0.5f, 1, c.vertexColour, 0, 0},
                            {0, 16, 0.5f, 1, c.vertexColour, 0, 1}};
    d.setTexture(0, halfWhite);
    d.setFVF(gfx::fvf::XyzRhw | gfx::fvf::Diffuse | gfx::fvf::Tex1);
    ASSERT_EQ(d.drawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, v, sizeof(RhwVertex)), gfx::result::Ok);
    const Pixels p = readBack(d, target->surfaceLevel(0));
    EXPECT_TRUE(near(p.at(8, 8), c.expected)) << c.name << ": " << hex(p.at(8, 8));
  }
}

// The start-up compiles the common shader variants between draws: the draw after it must still
// run the program its state chose, not the last one compiled.
TEST(DevicePixels, CompilingTheCommonProgramsLeavesTheNextDrawAlone) {
  auto device = headlessDevice(16, 16);
  ASSERT_TRUE(device);
  gfx::Device& d = *device;
  const gfx::TexturePtr red = makeTexture(d, solidImage(1, 1, 0xFFFF0000u));
  d.setRenderState(gfx::RenderState::AlphaBlendEnable, 0);
  d.setRenderState(gfx::RenderState::AlphaTestEnable, 0);
  // Colour straight from the vertices: a variant the common set does not hold.
  d.setTextureStageState(0, gfx::TextureStageState::ColorOp, gfx::top::SelectArg2);
  d.setTextureStageState(0, gfx::TextureStageState::ColorArg2, gfx::ta::Diffuse);
  d.setTexture(0, red);
  d.setFVF(gfx::fvf::XyzRhw | gfx::fvf::Diffuse | gfx::fvf::Tex1);
  auto draw = [&](uint32_t colour) {
    const RhwVertex v[4] = {{16, 0, 0.5f, 1, colour, 1, 0},
                            {16, 16, 0.5f, 1, colour, 1, 1},
                            {0, 0, 0.5f, 1, colour, 0, 0},
                            {0, 16, 0.5f, 1, colour, 0, 1}};
    return d.drawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, v, sizeof(RhwVertex));
  };
  d.clear(gfx::clearflag::Target, 0, 1.0f, 0);
  ASSERT_EQ(draw(0xFF00FF00u), gfx::result::Ok);
  EXPECT_EQ(readBack(d).rgb(8, 8), 0x00FF00u);
  d.compileCommonPrograms();
  ASSERT_EQ(draw(0xFF0000FFu), gfx::result::Ok);
  EXPECT_EQ(readBack(d).rgb(8, 8), 0x0000FFu) << "the vertices' colour, not the texture's red";
}

TEST(DevicePixels, TextureTransformShowsPartOfTheTexture) {
  auto device = headlessDevice(16, 16);
  ASSERT_TRUE(device);
  gfx::Device& d = *device;
  const gfx::VertexBufferPtr quad = unitQuad(d);
  // Two cells side by side; u' = u * 0.5 + 0.5 shows only the right one.
  const gfx::TexturePtr cells =
      makeTexture(d, makeImage(4, 2, [](int32_t x, int32_t) { return x < 2 ? kRed : kGreen; }));
  d.setRenderState(gfx::RenderState::CullMode, gfx::cull::None);
  d.setSamplerState(0, gfx::SamplerState::AddressU, gfx::taddress::Clamp);
  d.clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0xFF000000u, 1.0f, 0);
  Matrix t = Matrix::scaling(0.5f, 1, 1);
  t.m[2][0] = 0.5f;  // the translation of a 2D texture transform sits in row 3
  d.setTransform(gfx::TransformType::Texture0, t);
  d.setTextureStageState(0, gfx::TextureStageState::TextureTransformFlags, gfx::ttff::Count2);
  drawQuad(d, quad, cells, 0, 0, 8, 8);
  d.setTextureStageState(0, gfx::TextureStageState::TextureTransformFlags, gfx::ttff::Disable);
  const Pixels p = readBack(d);
  for (int x = 4; x < 12; ++x) EXPECT_EQ(p.rgb(x, 8), kGreen & 0xFFFFFF) << x;
  EXPECT_EQ(p.rgb(3, 8), 0u);
}

TEST(DevicePixels, SpriteBatchQueuesAndRestoresState) {
  auto device = headlessDevice(16, 16);
  ASSERT_TRUE(device);
  gfx::Device& d = *device;
  const gfx::VertexBufferPtr quad = unitQuad(d);
  const gfx::TexturePtr red = makeTexture(d, solidImage(4, 4, kRed));
  const gfx::TexturePtr green = makeTexture(d, solidImage(4, 4, kGreen));

  const Matrix projection = Matrix::orthoLH(16, 16, 1, 30);
  d.setTransform(gfx::TransformType::Projection, projection);
  d.setTextureStageState(0, gfx::TextureStageState::AlphaOp, gfx::top::SelectArg1);
  d.setRenderState(gfx::RenderState::SrcBlend, gfx::blend::One);
  d.setRenderState(gfx::RenderState::CullMode, gfx::cull::CCW);
  const gfx::DeviceState before = d.state();

  d.clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0xFF000000u, 1.0f, 0);
  d.setRenderState(gfx::RenderState::ZEnable, 0);
  gfx::SpriteBatch sprite(d);
  sprite.begin(gfx::spriteflag::AlphaBlend);
  EXPECT_EQ(d.getRenderState(gfx::RenderState::CullMode), gfx::cull::None);
  sprite.setTransform(Matrix::translation(6, 6, 0));
  sprite.draw(red, nullptr, nullptr, nullptr, kWhite);
  // A direct draw between begin and end is drawn at once, under the queued sprite.
  drawQuad(d, quad, green, 0, 0, 4, 4);
  sprite.end();
  const Pixels p = readBack(d);
  EXPECT_EQ(p.rgb(7, 7), kRed & 0xFFFFFF) << "queued sprite on top";
  EXPECT_EQ(p.rgb(6, 9), kRed & 0xFFFFFF);

  const gfx::DeviceState& after = d.state();
  EXPECT_EQ(after.projection, projection);
  EXPECT_EQ(after.alphaOp, gfx::top::SelectArg1);
  EXPECT_EQ(after.srcBlend, gfx::blend::One);
  EXPECT_EQ(after.cullMode, gfx::cull::CCW);
  EXPECT_EQ(after.alphaBlendEnable, before.alphaBlendEnable);
}

}  // namespace

namespace {

TEST(DevicePixels, IndexedDrawsUseTheBaseVertex) {
  auto device = gfxtest::headlessDevice(16, 16);
  ASSERT_TRUE(device);
  gfx::Device& d = *device;
  // Two quads in one buffer; the indices name the first, the base vertex picks the second.
  const RhwVertex v[8] = {{0, 0, 0.5f, 1, 0xFFFF0000u, 0, 0},  {8, 0, 0.5f, 1, 0xFFFF0000u, 0, 0},
                          {0, 8, 0.5f, 1, 0xFFFF0000u, 0, 0},  {8, 8, 0.5f, 1, 0xFFFF0000u, 0, 0},
                          {8, 8, 0.5f, 1, 0xFF00FF00u, 0, 0},  {16, 8, 0.5f, 1, 0xFF00FF00u, 0, 0},
                          {8, 16, 0.5f, 1, 0xFF00FF00u, 0, 0}, {16, 16, 0.5f, 1, 0xFF00FF00u, 0, 0}};
  const uint16_t indices[6] = {0, 1, 2, 2, 1, 3};
  gfx::VertexBufferPtr vb;
  gfx::IndexBufferPtr ib;
  const uint32_t f = gfx::fvf::XyzRhw | gfx::fvf::Diffuse | gfx::fvf::Tex1;
  ASSERT_EQ(d.createVertexBuffer(sizeof v, 0, f, gfx::Pool::Managed, vb), gfx::result::Ok);
  ASSERT_EQ(d.createIndexBuffer(sizeof indices, 0, gfx::Pool::Managed, ib), gfx::result::Ok);
  void* p = nullptr;
  ASSERT_EQ(vb->lock(0, 0, &p), gfx::result::Ok);
  std::memcpy(p, v, sizeof v);
  vb->unlock();
  ASSERT_EQ(ib->lock(0, 0, &p), gfx::result::Ok);
  std::memcpy(p, indices, sizeof indices);
  ib->unlock();
  d.setRenderState(gfx::RenderState::CullMode, gfx::cull::None);
  d.setRenderState(gfx::RenderState::Lighting, 0);
  d.setTextureStageState(0, gfx::TextureStageState::ColorOp, gfx::top::SelectArg2);  // diffuse only
  d.setFVF(f);
  d.setStreamSource(0, vb, 0, sizeof(RhwVertex));
  d.setIndices(ib);
  d.clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0xFF000000u, 1.0f, 0);
  ASSERT_EQ(d.drawIndexedPrimitive(gfx::PrimitiveType::TriangleList, 4, 0, 4, 0, 2), gfx::result::Ok);
  const gfxtest::Pixels px = gfxtest::readBack(d);
  EXPECT_EQ(px.rgb(12, 12), 0x00FF00u);
  EXPECT_EQ(px.rgb(3, 3), 0u) << "the first quad was not drawn";
  // Indices beyond the buffer, or vertices beyond it, are refused.
  EXPECT_NE(d.drawIndexedPrimitive(gfx::PrimitiveType::TriangleList, 0, 0, 4, 3, 2), gfx::result::Ok);
  EXPECT_NE(d.drawIndexedPrimitive(gfx::PrimitiveType::TriangleList, 6, 0, 4, 0, 2), gfx::result::Ok);
  // An index that names a vertex outside the buffer (as a broken mesh file could) is refused.
  const uint16_t wild[3] = {0, 1, 60000};
  ASSERT_EQ(ib->lock(0, 6, &p), gfx::result::Ok);
  std::memcpy(p, wild, sizeof wild);
  ib->unlock();
  EXPECT_NE(d.drawIndexedPrimitive(gfx::PrimitiveType::TriangleList, 0, 0, 4, 0, 1), gfx::result::Ok);
}

}  // namespace

namespace {

using namespace gfxtest;

// Blending an opaque picture: factors that copy an opaque source give exactly the source (alpha
// 255), whether or not the renderer blends; the others still mix with the target.
TEST(DevicePixels, OpaqueSourcesUnderCopyingFactorsGiveTheSourceExactly) {
  auto device = headlessDevice(16, 16);
  ASSERT_TRUE(device);
  gfx::Device& d = *device;
  const uint32_t picture = 0xFF4080C0u, target = 0x80302010u;
  const gfx::TexturePtr opaque = makeTexture(d, solidImage(4, 4, picture));
  struct Case {
    const char* what;
    uint32_t src, dst;
    bool separate;
    uint32_t srcA, dstA;
    uint32_t factor;    // texture factor, its alpha modulating the texture's
    uint32_t expected;  // the pixel under the picture (0: any, with an alpha under 255)
  };
  namespace b = gfx::blend;
  const Case cases[] = {
      {"source alpha over", b::SrcAlpha, b::InvSrcAlpha, false, b::One, b::Zero, 0xFFFFFFFFu, picture},
      {"one, zero", b::One, b::Zero, false, b::One, b::Zero, 0xFFFFFFFFu, picture},
      {"separate alpha, one over inverse", b::SrcAlpha, b::InvSrcAlpha, true, b::One, b::InvSrcAlpha, 0xFFFFFFFFu,
       picture},
      {"separate alpha, one plus one saturates", b::SrcAlpha, b::InvSrcAlpha, true, b::One, b::One, 0xFFFFFFFFu,
       picture},
      {"additive colour still adds", b::One, b::One, false, b::One, b::One, 0xFFFFFFFFu, 0xFF70A0D0u},
      {"alpha 254 still mixes", b::SrcAlpha, b::InvSrcAlpha, false, b::One, b::Zero, 0xFEFFFFFFu, 0},
  };
  for (const Case& c : cases) {
    d.clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, target, 1.0f, 0);
    d.setRenderState(gfx::RenderState::Lighting, 0);
    d.setRenderState(gfx::RenderState::ZEnable, 0);
    d.setRenderState(gfx::RenderState::AlphaBlendEnable, 1);
    d.setRenderState(gfx::RenderState::SrcBlend, c.src);
    d.setRenderState(gfx::RenderState::DestBlend, c.dst);
    d.setRenderState(gfx::RenderState::SeparateAlphaBlendEnable, c.separate);
    d.setRenderState(gfx::RenderState::SrcBlendAlpha, c.srcA);
    d.setRenderState(gfx::RenderState::DestBlendAlpha, c.dstA);
    d.setRenderState(gfx::RenderState::TextureFactor, c.factor);
    d.setTextureStageState(0, gfx::TextureStageState::AlphaOp, gfx::top::Modulate);
    d.setTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::ta::Texture);
    d.setTextureStageState(0, gfx::TextureStageState::AlphaArg2, gfx::ta::TFactor);
    d.setTextureStageState(0, gfx::TextureStageState::ColorOp, gfx::top::SelectArg1);
    d.setTexture(0, opaque);
    const RhwVertex v[4] = {{2, 2, 0.5f, 1, 0xFFFFFFFFu, 0, 0},
                            {10, 2, 0.5f, 1, 0xFFFFFFFFu, 1, 0},
                            {2, 10, 0.5f, 1, 0xFFFFFFFFu, 0, 1},
                            {10, 10, 0.5f, 1, 0xFFFFFFFFu, 1, 1}};
    d.setFVF(gfx::fvf::XyzRhw | gfx::fvf::Diffuse | gfx::fvf::Tex1);
    ASSERT_EQ(d.drawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, v, sizeof(RhwVertex)), gfx::result::Ok);
    const Pixels p = readBack(d);
    if (c.expected)
      EXPECT_EQ(p.at(5, 5), c.expected) << c.what << " " << hex(p.at(5, 5));
    else
      EXPECT_LT(p.at(5, 5) >> 24, 0xFFu) << c.what << " " << hex(p.at(5, 5));
    EXPECT_EQ(p.at(12, 12), target) << c.what;
  }
}

}  // namespace

namespace {

// Plain surfaces get their pixels on first use: they read as zero until written, a lock reaches
// all of them, and a capture of the back buffer fills them.
TEST(DevicePixels, PlainSurfacesReadZeroTakeLocksAndCaptures) {
  auto device = gfxtest::headlessDevice(8, 4);
  ASSERT_TRUE(device);
  gfx::Device& d = *device;
  const struct {
    const char* name;
    bool lockFirst;
    bool capture;
  } cases[] = {{"untouched", false, false}, {"locked", true, false}, {"captured", false, true}, {"both", true, true}};
  for (const auto& c : cases) {
    gfx::SurfacePtr plain;
    ASSERT_EQ(d.createOffscreenPlainSurface(8, 4, plain), gfx::result::Ok) << c.name;
    uint32_t expected = 0;
    if (c.lockFirst) {
      gfx::LockedRect lr;
      ASSERT_EQ(plain->lockRect(lr), gfx::result::Ok) << c.name;
      ASSERT_EQ(lr.pitch, 8 * 4) << c.name;
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) reinterpret_cast<uint32_t*>(lr.bits + y * lr.pitch)[x] = 0xFF123456u;
      plain->unlockRect();
      expected = 0xFF123456u;
    }
    if (c.capture) {
      d.clear(gfx::clearflag::Target, 0xFF00FF00u, 1.0f, 0);
      ASSERT_EQ(d.getRenderTargetData(d.getBackBuffer(), plain), gfx::result::Ok) << c.name;
      expected = 0xFF00FF00u;
    }
    std::vector<uint32_t> pixels;
    ASSERT_EQ(d.readSurface(plain, pixels), gfx::result::Ok) << c.name;
    ASSERT_EQ(pixels.size(), 32u) << c.name;
    for (uint32_t p : pixels)
      EXPECT_EQ(c.capture ? p & 0xFFFFFF : p, c.capture ? expected & 0xFFFFFF : expected) << c.name;
  }
  gfx::SurfacePtr small;
  ASSERT_EQ(d.createOffscreenPlainSurface(4, 4, small), gfx::result::Ok);
  EXPECT_NE(d.getRenderTargetData(d.getBackBuffer(), small), gfx::result::Ok) << "sizes differ";
}

}  // namespace
