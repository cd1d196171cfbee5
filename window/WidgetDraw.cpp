// Draw helpers of the selection window and the widgets.
#include "window/WidgetDraw.h"

#include "layer/C_BaseLayer.h"
#include "layer/C_Sprite.h"
#include "window/C_WindowLayer.h"

namespace window {

void DrawTexturedQuad(gfx::Device& device, const gfx::TexturePtr& texture, const gfx::Matrix& world) {
  const gfx::VertexBufferPtr& quad = layer::C_BaseLayer::quadBuffer();
  if (!quad || !texture) return;
  device.setTransform(gfx::TransformType::World, world);
  device.setTransform(gfx::TransformType::Projection, layer::CentredProjection());
  device.setTexture(0, texture);
  device.setStreamSource(0, quad, 0, layer::C_BaseLayer::QuadVertexBytes);
  device.setFVF(layer::C_BaseLayer::QuadFvf);
  device.drawPrimitive(gfx::PrimitiveType::TriangleStrip, 0, 2);
}

void DrawFlatRect(gfx::Device& device, float left, float top, float right, float bottom, uint32_t argb) {
  if ((argb >> 24) == 0 || !(right > left) || !(bottom > top)) return;
  struct FlatVertex {
    float x, y, z, rhw;
    uint32_t colour;
  };
  const FlatVertex corners[4] = {{left, top, 0.0f, 1.0f, argb},
                                 {right, top, 0.0f, 1.0f, argb},
                                 {left, bottom, 0.0f, 1.0f, argb},
                                 {right, bottom, 0.0f, 1.0f, argb}};
  // Without a texture the stage reads white, so the vertex colour is what is drawn.
  device.setTexture(0, nullptr);
  device.setRenderState(gfx::RenderState::SrcBlend, gfx::blend::SrcAlpha);
  device.setRenderState(gfx::RenderState::DestBlend, gfx::blend::InvSrcAlpha);
  device.setTextureStageState(0, gfx::TextureStageState::AlphaOp, gfx::top::Modulate);
  device.setTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::ta::Texture);
  device.setTextureStageState(0, gfx::TextureStageState::AlphaArg2, gfx::ta::Diffuse);
  device.clear(gfx::clearflag::ZBuffer, 0, 1.0f, 0);
  device.setFVF(gfx::fvf::XyzRhw | gfx::fvf::Diffuse);
  device.drawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, corners, sizeof(FlatVertex));
}

}  // namespace window
