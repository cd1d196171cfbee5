// The device's frame record: back-buffer clears and draws wait until the frame is presented (or
// their result is needed), then only the pixels where the frame can differ from the previous one
// are drawn again, on the back buffer that still holds the previous frame.
#include "gfx/gl/GlDevice.h"

namespace gfx::gl {

namespace {
// A frame that never ends (no Present) stops being recorded here.
constexpr size_t kMaxRecordedCommands = 1u << 16;
}  // namespace

bool GlDevice::recordsBackBuffer() const {
  return !redrawEveryFrame_ && !frameIncomplete_ && renderTarget_ == backBuffer_;
}

void GlDevice::fillCommand(RecordedCommand& c, RecordedCommand::Kind kind) {
  c.kind = kind;
  c.state = state_;
  c.depth = depthSurface_;
  c.depthId = depthSurface_ ? static_cast<GlSurface*>(depthSurface_.get())->serial() : 0;
  if (kind == RecordedCommand::Kind::Clear) return;
  if (const auto* t = static_cast<const GlTexture*>(state_.texture.get())) {
    c.textureId = t->serial();
    c.textureVersion = t->version();
  }
  c.usesDepth = depthSurface_ && state_.zEnable;
}

void GlDevice::record(RecordedCommand&& command) {
  if (frame_.size() >= kMaxRecordedCommands) {
    resolveFrame();
    frame_.clear();
    executed_ = 0;
    frameIncomplete_ = true;
  }
  if (frameIncomplete_) {
    presentArea_.unite(command.bounds);
    run(command);
    backBufferChanged_ = true;
    return;
  }
  frame_.push_back(std::move(command));
  if (deferring_) return;
  presentArea_.unite(frame_.back().bounds);
  run(frame_.back());
  executed_ = frame_.size();
  backBufferChanged_ = true;
}

void GlDevice::run(const RecordedCommand& c) {
  switch (c.kind) {
    case RecordedCommand::Kind::Clear: clearNow(c.clearFlags, c.clearColour, c.clearZ, c.clearStencil); break;
    case RecordedCommand::Kind::Draw: drawNow(c.type, c.args[0], c.args[1]); break;
    case RecordedCommand::Kind::DrawIndexed: drawIndexedNow(c.type, c.baseVertex, c.args[0], c.args[1]); break;
    case RecordedCommand::Kind::DrawUP: drawUPNow(c.type, c.args[0], c.vertices.data(), c.args[1]); break;
  }
}

bool GlDevice::frameComparable() const {
  if (frame_.empty() || offscreenAutoDepth_) return false;
  // The frame must start by clearing the whole back buffer, so no pixel depends on what was
  // there before; depth tests must read only what this frame wrote after that clear.
  const RecordedCommand& first = frame_.front();
  const PixelRect b = first.bounds;
  if (first.kind != RecordedCommand::Kind::Clear || !(first.clearFlags & clearflag::Target) || b.x0 != 0 || b.y0 != 0 ||
      b.x1 != width_ || b.y1 != height_)
    return false;
  const bool depthCleared = first.depth && (first.clearFlags & clearflag::ZBuffer);
  for (const RecordedCommand& c : frame_)
    if (c.usesDepth && (!depthCleared || c.depthId != first.depthId)) return false;
  return true;
}

void GlDevice::resolveFrame() {
  if (coop_ != result::Ok) {
    forgetFrames();
    return;
  }
  if (executed_ >= frame_.size()) return;
  const PixelRect whole{0, 0, width_, height_};
  PixelRect area = whole;
  if (deferring_ && previousExact_ && frameComparable()) area = differingPixels(frame_, previous_).intersected(whole);
  deferring_ = false;
  if (!area.empty()) {
    const bool limited = area.area() < whole.area();
    replay(executed_, frame_.size(), limited ? &area : nullptr);
    if (limited) ++stats_.partial;
    if (limited)
      presentArea_.unite(area);
    else
      presentAll_ = true;
    backBufferChanged_ = true;
  }
  executed_ = frame_.size();
}

void GlDevice::replay(size_t begin, size_t end, const PixelRect* area) {
  DeviceState live = std::move(state_);
  const SurfacePtr liveTarget = renderTarget_, liveDepth = depthSurface_;
  renderTarget_ = backBuffer_;
  if (area) {
    scissoring_ = true;
    scissor_ = *area;
    glEnable(GL_SCISSOR_TEST);
    glScissor(area->x0, area->y0, area->x1 - area->x0, area->y1 - area->y0);
  }
  for (size_t i = begin; i < end; ++i) {
    const RecordedCommand& c = frame_[i];
    if (area && !c.bounds.intersects(*area)) continue;
    state_ = c.state;
    depthSurface_ = c.depth;
    depthWritesUnread_ = depthWritesUnread(i, end, area);
    run(c);
  }
  depthWritesUnread_ = false;
  if (area) {
    glDisable(GL_SCISSOR_TEST);
    scissoring_ = false;
  }
  state_ = std::move(live);
  renderTarget_ = liveTarget;
  depthSurface_ = liveDepth;
}

bool GlDevice::depthWritesUnread(size_t at, size_t end, const PixelRect* area) const {
  const RecordedCommand& d = frame_[at];
  if (d.kind == RecordedCommand::Kind::Clear || d.kind == RecordedCommand::Kind::DrawIndexed || !d.usesDepth ||
      !d.state.zWriteEnable)
    return false;
  const uint8_t* vertices = nullptr;
  uint32_t stride = 0, primitives = 0;
  if (d.kind == RecordedCommand::Kind::DrawUP) {
    vertices = d.vertices.data();
    stride = d.args[1];
    primitives = d.args[0];
  } else if (const auto* vb = static_cast<const GlVertexBuffer*>(d.state.stream.get()); vb && vb->cpuData()) {
    vertices = vb->cpuData() + d.state.streamOffset + size_t(d.args[0]) * d.state.streamStride;
    stride = d.state.streamStride;
    primitives = d.args[1];
  }
  // Within the draw itself a triangle must not test against another's depth.
  if (!trianglesApart(d.state, clipMatrix(), vertices, stride, d.type, primitives)) return false;
  const PixelRect reach = area ? d.bounds.intersected(*area) : d.bounds;
  // The next command on the same depth buffer that reads it, or clears all the draw reached.
  for (size_t i = at + 1; i < end; ++i) {
    const RecordedCommand& c = frame_[i];
    if (c.depthId != d.depthId) continue;
    if (c.kind == RecordedCommand::Kind::Clear) {
      if (!(c.clearFlags & clearflag::ZBuffer)) continue;
      const PixelRect cleared = area ? c.bounds.intersected(*area) : c.bounds;
      return cleared.intersected(reach).area() == reach.area();
    }
    if (c.usesDepth) return false;
  }
  return false;
}

void GlDevice::endFrame() {
  for (RecordedCommand& c : frame_) c.dropReferences();
  previous_.swap(frame_);
  frame_.clear();
  previousExact_ = !redrawEveryFrame_ && !frameIncomplete_ && !offscreenAutoDepth_;
  executed_ = 0;
  deferring_ = true;
  frameIncomplete_ = false;
  offscreenAutoDepth_ = false;
}

void GlDevice::forgetFrames() {
  frame_.clear();
  previous_.clear();
  executed_ = 0;
  deferring_ = true;
  previousExact_ = false;
  frameIncomplete_ = false;
  offscreenAutoDepth_ = false;
  backBufferChanged_ = true;
  presentAll_ = true;
}

void GlDevice::beforeDirectWork() {
  if (directWorkMustWait()) resolveFrame();
  if (renderTarget_ != backBuffer_ && depthSurface_ == autoDepth_) offscreenAutoDepth_ = true;
}

bool GlDevice::directWorkMustWait() const {
  // Drawing into a picture target (a window's text, the characters' target) leaves the back
  // buffer's waiting commands waiting, so the frame is still compared and redrawn only where it
  // changed, and the renderer does not switch targets in the middle of the frame. They are
  // replayed first when they read that picture or share its depth buffer.
  if (renderTarget_ == backBuffer_ || renderTarget_->kind() != Surface::Kind::TextureLevel) return true;
  const auto* target = static_cast<const GlSurface*>(renderTarget_.get());
  const uint64_t textureId = target->glTexture()->serial();
  const uint64_t depthId = depthSurface_ ? static_cast<const GlSurface*>(depthSurface_.get())->serial() : 0;
  if (depthSurface_ == autoDepth_) return true;
  for (size_t i = executed_; i < frame_.size(); ++i) {
    const RecordedCommand& c = frame_[i];
    if (c.textureId == textureId || (depthId != 0 && c.depthId == depthId)) return true;
  }
  return false;
}

void GlDevice::afterDirectWork() {
  auto* target = static_cast<GlSurface*>(renderTarget_.get());
  if (target->kind() == Surface::Kind::TextureLevel)
    target->glTexture()->touch();
  else
    backBufferChanged_ = presentAll_ = true;
}

void GlDevice::beforeResourceChange(uint64_t serial) {
  for (size_t i = executed_; i < frame_.size(); ++i) {
    const RecordedCommand& c = frame_[i];
    if (c.textureId == serial || c.vertexId == serial || c.indexId == serial) {
      resolveFrame();
      return;
    }
  }
}

}  // namespace gfx::gl
