// The sprite batch: queues transformed rectangles and draws them with the batch's device state.
#include "gfx/SpriteBatch.h"

namespace gfx {

int32_t SpriteBatch::begin(uint32_t flags) {
  if (begun_) return result::InvalidCall;
  flags_ = flags;
  if (!(flags & spriteflag::DoNotSaveState)) saved_ = device_.state();
  // Screen space of the current viewport, with the half-pixel shift that puts a sprite's pixel
  // edges on the target's pixel edges.
  const Viewport vp = device_.getViewport();
  view_ = Matrix::identity();
  projection_ = Matrix::orthoOffCenterLH(vp.x + 0.5f, vp.width + vp.x + 0.5f, vp.height + vp.y + 0.5f, vp.y + 0.5f,
                                         vp.minZ, vp.maxZ);
  if (flags & spriteflag::ObjectSpace) {
    view_ = device_.getTransform(TransformType::View);
    projection_ = device_.getTransform(TransformType::Projection);
  }
  applyBatchState();
  queue_.clear();
  begun_ = true;
  return result::Ok;
}

void SpriteBatch::applyBatchState() {
  Device& d = device_;
  if (!(flags_ & spriteflag::DoNotModifyRenderState)) {
    d.setRenderState(RenderState::AlphaBlendEnable, 1);
    d.setRenderState(RenderState::AlphaFunc, cmp::Greater);
    d.setRenderState(RenderState::AlphaRef, 0);
    d.setRenderState(RenderState::AlphaTestEnable, 1);
    d.setRenderState(RenderState::BlendOp, blendop::Add);
    d.setRenderState(RenderState::ColorWriteEnable, 0xF);
    d.setRenderState(RenderState::CullMode, cull::None);
    d.setRenderState(RenderState::DestBlend, blend::InvSrcAlpha);
    d.setRenderState(RenderState::FogEnable, 0);
    d.setRenderState(RenderState::Lighting, 0);
    d.setRenderState(RenderState::SeparateAlphaBlendEnable, 0);
    d.setRenderState(RenderState::SpecularEnable, 0);
    d.setRenderState(RenderState::SrcBlend, blend::SrcAlpha);
    d.setRenderState(RenderState::StencilEnable, 0);
    d.setTextureStageState(0, TextureStageState::AlphaArg1, ta::Texture);
    d.setTextureStageState(0, TextureStageState::AlphaArg2, ta::Diffuse);
    d.setTextureStageState(0, TextureStageState::AlphaOp, top::Modulate);
    d.setTextureStageState(0, TextureStageState::ColorArg1, ta::Texture);
    d.setTextureStageState(0, TextureStageState::ColorArg2, ta::Diffuse);
    d.setTextureStageState(0, TextureStageState::ColorOp, top::Modulate);
    d.setTextureStageState(0, TextureStageState::TexCoordIndex, 0);
    d.setTextureStageState(0, TextureStageState::TextureTransformFlags, ttff::Disable);
    d.setTextureStageState(1, TextureStageState::AlphaOp, top::Disable);
    d.setTextureStageState(1, TextureStageState::ColorOp, top::Disable);
    d.setSamplerState(0, SamplerState::AddressU, taddress::Clamp);
    d.setSamplerState(0, SamplerState::AddressV, taddress::Clamp);
    d.setSamplerState(0, SamplerState::MagFilter, texf::Linear);
    d.setSamplerState(0, SamplerState::MinFilter, texf::Linear);
    d.setSamplerState(0, SamplerState::MipFilter, texf::Linear);
  }
  d.setTransform(TransformType::World, Matrix::identity());
  d.setTransform(TransformType::View, view_);
  d.setTransform(TransformType::Projection, projection_);
}

int32_t SpriteBatch::setTransform(const Matrix& m) {
  transform_ = m;
  return result::Ok;
}

int32_t SpriteBatch::draw(const TexturePtr& texture, const Rect* src, const Vec3* centre, const Vec3* position,
                          uint32_t colour) {
  if (!begun_ || !texture) return result::InvalidCall;
  const float texW = static_cast<float>(texture->width(0)), texH = static_cast<float>(texture->height(0));
  Rect r{0, 0, texture->width(0), texture->height(0)};
  if (src) r = *src;
  const Vec3 c = centre ? *centre : Vec3{};
  const Vec3 p = position ? *position : Vec3{};
  const float w = static_cast<float>(r.right - r.left), h = static_cast<float>(r.bottom - r.top);
  const float u0 = r.left / texW, v0 = r.top / texH, u1 = r.right / texW, v1 = r.bottom / texH;
  const float qx[4] = {0, w, w, 0}, qy[4] = {0, 0, h, h};
  const float us[4] = {u0, u1, u1, u0}, vs[4] = {v0, v0, v1, v1};
  Queued q;
  q.texture = texture;
  for (int i = 0; i < 4; ++i) {
    const Vec3 v = transformCoord({qx[i] + p.x - c.x, qy[i] + p.y - c.y, p.z - c.z}, transform_);
    q.corners[i] = {v.x, v.y, v.z, colour, us[i], vs[i]};
  }
  queue_.push_back(std::move(q));
  return result::Ok;
}

int32_t SpriteBatch::flush() {
  if (!begun_) return result::InvalidCall;
  if (queue_.empty()) return result::Ok;
  applyBatchState();
  device_.setFVF(fvf::Xyz | fvf::Diffuse | fvf::Tex1);
  size_t start = 0;
  while (start < queue_.size()) {
    // Consecutive sprites of one texture go in one draw.
    size_t end = start + 1;
    while (end < queue_.size() && queue_[end].texture == queue_[start].texture) ++end;
    vertices_.clear();
    for (size_t i = start; i < end; ++i) {
      const Vertex* v = queue_[i].corners;
      vertices_.insert(vertices_.end(), {v[0], v[1], v[2], v[3], v[0], v[2]});
    }
    device_.setTexture(0, queue_[start].texture);
    device_.drawPrimitiveUP(PrimitiveType::TriangleList, static_cast<uint32_t>((end - start) * 2), vertices_.data(),
                            sizeof(Vertex));
    start = end;
  }
  queue_.clear();
  return result::Ok;
}

int32_t SpriteBatch::end() {
  if (!begun_) return result::InvalidCall;
  flush();
  begun_ = false;
  if (!(flags_ & spriteflag::DoNotSaveState)) device_.setState(saved_);
  saved_ = DeviceState{};  // drop the saved references
  return result::Ok;
}

int32_t SpriteBatch::onLostDevice() {
  if (begun_) end();
  return result::Ok;
}

int32_t SpriteBatch::onResetDevice() { return result::Ok; }

}  // namespace gfx
