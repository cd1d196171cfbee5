// The simulated device loss: lost, then not-reset, then a Reset that restores the defaults and
// empties the render targets.
#include <gtest/gtest.h>

#include "GfxFixtures.h"
#include "gfx/SpriteBatch.h"

namespace {

using namespace gfxtest;

TEST(DeviceLoss, LostThenNotResetThenReset) {
  auto device = headlessDevice(32, 32);
  ASSERT_TRUE(device);
  gfx::Device& d = *device;
  EXPECT_EQ(d.testCooperativeLevel(), gfx::result::Ok);
  EXPECT_EQ(d.liveDefaultPoolResources(), 0);

  gfx::TexturePtr target;
  ASSERT_EQ(d.createTexture(8, 8, 1, gfx::usage::RenderTarget, gfx::Pool::Default, target), gfx::result::Ok);
  gfx::SurfacePtr depth;
  ASSERT_EQ(d.createDepthStencilSurface(8, 8, depth), gfx::result::Ok);
  EXPECT_EQ(d.liveDefaultPoolResources(), 2);
  d.setRenderTarget(target->surfaceLevel(0));
  d.clear(gfx::clearflag::Target, 0xFF336699u, 1.0f, 0);
  EXPECT_EQ(readBack(d, target->surfaceLevel(0)).at(4, 4), 0xFF336699u);
  d.setRenderTarget(d.getBackBuffer());
  d.clear(gfx::clearflag::Target, 0xFF112233u, 1.0f, 0);
  d.setRenderState(gfx::RenderState::Lighting, 0);
  d.setRenderState(gfx::RenderState::AlphaTestEnable, 1);

  d.simulateDeviceLost();
  EXPECT_EQ(d.testCooperativeLevel(), gfx::result::DeviceLost);
  EXPECT_EQ(d.present(), gfx::result::DeviceLost);
  EXPECT_EQ(d.reset(), gfx::result::DeviceLost) << "no reset while the device is lost";
  // Draws and clears are accepted and do nothing.
  EXPECT_EQ(d.clear(gfx::clearflag::Target, 0xFFFFFFFFu, 1.0f, 0), gfx::result::Ok);

  d.simulateDeviceNotReset();
  EXPECT_EQ(d.testCooperativeLevel(), gfx::result::DeviceNotReset);
  EXPECT_EQ(d.present(), gfx::result::DeviceLost);
  d.simulateResetFailures(2);
  EXPECT_NE(d.reset(), gfx::result::Ok);
  EXPECT_NE(d.reset(), gfx::result::Ok);
  EXPECT_EQ(d.testCooperativeLevel(), gfx::result::DeviceNotReset);
  ASSERT_EQ(d.reset(), gfx::result::Ok);
  EXPECT_EQ(d.testCooperativeLevel(), gfx::result::Ok);
  EXPECT_EQ(d.present(), gfx::result::Ok);

  // Every state is back to its default and the targets are the back buffer and its depth.
  EXPECT_EQ(d.getRenderState(gfx::RenderState::Lighting), 1u);
  EXPECT_EQ(d.getRenderState(gfx::RenderState::AlphaTestEnable), 0u);
  EXPECT_EQ(d.getRenderTarget(), d.getBackBuffer());
  // What the render target held is gone, as with a real lost device.
  EXPECT_EQ(readBack(d, target->surfaceLevel(0)).at(4, 4), 0u);

  target.reset();
  depth.reset();
  EXPECT_EQ(d.liveDefaultPoolResources(), 0);
}

TEST(DeviceLoss, ResourcesOutlivingTheDeviceAreHarmless) {
  gfx::TexturePtr texture;
  gfx::VertexBufferPtr buffer;
  gfx::SurfacePtr depth;
  {
    auto device = headlessDevice(16, 16);
    ASSERT_TRUE(device);
    texture = makeTexture(*device, solidImage(4, 4, 0xFF00FF00u));
    ASSERT_EQ(device->createVertexBuffer(96, 0, gfx::fvf::Xyz, gfx::Pool::Managed, buffer), gfx::result::Ok);
    ASSERT_EQ(device->createDepthStencilSurface(4, 4, depth), gfx::result::Ok);
  }
  // The device is gone: locks still reach the processor copy, releases skip the renderer.
  gfx::LockedRect lr;
  ASSERT_EQ(texture->lockRect(0, lr), gfx::result::Ok);
  EXPECT_EQ(reinterpret_cast<uint32_t*>(lr.bits)[0], 0xFF00FF00u);
  texture->unlockRect(0);
  texture.reset();
  buffer.reset();
  depth.reset();
}

// Managed textures hand their texels to the renderer; locking a level again, reading it or
// outliving the device still sees exactly what was written, across a loss and reset too.
TEST(DeviceLoss, ManagedTexelsSurviveWithoutProcessorCopies) {
  struct Case {
    const char* what;
    bool loseDevice;
    bool writeSecondTime;  // lock level 0 again and change one texel
    bool outliveDevice;
  };
  const Case cases[] = {
      {"locked again", false, false, false},
      {"after a loss and reset", true, false, false},
      {"changed a second time", true, true, false},
      {"after the device is gone", false, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    gfx::TexturePtr texture;
    auto device = headlessDevice(16, 16);
    ASSERT_TRUE(device);
    ASSERT_EQ(device->createTexture(8, 4, 0, 0, gfx::Pool::Managed, texture), gfx::result::Ok);
    ASSERT_EQ(texture->levelCount(), 4);
    auto texelOf = [](int32_t level, int32_t x, int32_t y) { return 0x80000000u | uint32_t(level << 16 | y << 8 | x); };
    // Levels 0 and 2 are written, 1 and 3 never are.
    for (int32_t level : {0, 2}) {
      gfx::LockedRect lr;
      ASSERT_EQ(texture->lockRect(level, lr), gfx::result::Ok);
      for (int32_t y = 0; y < texture->height(level); ++y)
        for (int32_t x = 0; x < texture->width(level); ++x)
          reinterpret_cast<uint32_t*>(lr.bits + y * lr.pitch)[x] = texelOf(level, x, y);
      ASSERT_EQ(texture->unlockRect(level), gfx::result::Ok);
    }
    if (c.loseDevice) {
      device->simulateDeviceLost();
      device->simulateDeviceNotReset();
      ASSERT_EQ(device->reset(), gfx::result::Ok);
    }
    if (c.writeSecondTime) {
      gfx::LockedRect lr;
      ASSERT_EQ(texture->lockRect(0, lr), gfx::result::Ok);
      reinterpret_cast<uint32_t*>(lr.bits + 3 * lr.pitch)[7] = 0xFF123456u;
      ASSERT_EQ(texture->unlockRect(0), gfx::result::Ok);
    }
    if (!c.outliveDevice) {
      // What the renderer holds is the same as what a lock shows.
      Pixels level0 = readBack(*device, texture->surfaceLevel(0));
      EXPECT_EQ(level0.at(7, 3), c.writeSecondTime ? 0xFF123456u : texelOf(0, 7, 3));
      EXPECT_EQ(level0.at(5, 1), texelOf(0, 5, 1));
    } else {
      device.reset();
    }
    for (int32_t level = 0; level < texture->levelCount(); ++level) {
      gfx::LockedRect lr;
      ASSERT_EQ(texture->lockRect(level, lr), gfx::result::Ok) << "level " << level;
      for (int32_t y = 0; y < texture->height(level); ++y)
        for (int32_t x = 0; x < texture->width(level); ++x) {
          uint32_t expected = (level % 2 == 0) ? texelOf(level, x, y) : 0u;
          if (c.writeSecondTime && level == 0 && x == 7 && y == 3) expected = 0xFF123456u;
          EXPECT_EQ(reinterpret_cast<const uint32_t*>(lr.bits + y * lr.pitch)[x], expected)
              << "level " << level << " at " << x << "," << y;
        }
      ASSERT_EQ(texture->unlockRect(level), gfx::result::Ok);
    }
  }
}

TEST(DeviceLoss, InvalidCallsAreRefused) {
  auto device = headlessDevice(16, 16);
  ASSERT_TRUE(device);
  gfx::Device& d = *device;
  gfx::TexturePtr t;
  EXPECT_NE(d.createTexture(0, 4, 1, 0, gfx::Pool::Managed, t), gfx::result::Ok);
  EXPECT_NE(d.createTexture(100000, 4, 1, 0, gfx::Pool::Managed, t), gfx::result::Ok);
  EXPECT_NE(d.createTexture(4, 4, 1, gfx::usage::RenderTarget, gfx::Pool::Managed, t), gfx::result::Ok);
  ASSERT_EQ(d.createTexture(4, 4, 1, gfx::usage::RenderTarget, gfx::Pool::Default, t), gfx::result::Ok);
  gfx::LockedRect lr;
  EXPECT_NE(t->lockRect(0, lr), gfx::result::Ok) << "render targets cannot be locked";
  gfx::TexturePtr managed = makeTexture(d, solidImage(4, 4, 0));
  EXPECT_NE(d.setRenderTarget(managed->surfaceLevel(0)), gfx::result::Ok);
  EXPECT_NE(d.setRenderTarget(nullptr), gfx::result::Ok);
  // Draws beyond the end of the bound buffer are refused, not read out of bounds.
  gfx::VertexBufferPtr vb;
  ASSERT_EQ(d.createVertexBuffer(24 * 3, 0, gfx::fvf::Xyz | gfx::fvf::Diffuse | gfx::fvf::Tex1, gfx::Pool::Managed, vb),
            gfx::result::Ok);
  d.setStreamSource(0, vb, 0, 24);
  d.setFVF(gfx::fvf::Xyz | gfx::fvf::Diffuse | gfx::fvf::Tex1);
  EXPECT_EQ(d.drawPrimitive(gfx::PrimitiveType::TriangleList, 0, 1), gfx::result::Ok);
  EXPECT_NE(d.drawPrimitive(gfx::PrimitiveType::TriangleList, 1, 1), gfx::result::Ok);
  EXPECT_NE(d.drawPrimitive(gfx::PrimitiveType::TriangleStrip, 0, 2), gfx::result::Ok);
  void* p = nullptr;
  EXPECT_NE(vb->lock(70, 8, &p), gfx::result::Ok);
}

}  // namespace
