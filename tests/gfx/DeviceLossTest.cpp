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
