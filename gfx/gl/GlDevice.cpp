// The OpenGL 3.3 core device: Direct3D 9 states and draws emulated on one framebuffer object.
// Every target is stored top row first and every transformed vertex is moved by half a pixel,
// so screen coordinates and texture coordinates mean what they mean under Direct3D 9.
#include "gfx/gl/GlDevice.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/Letterbox.h"

namespace gfx::gl {

namespace {

GLenum blendFactor(uint32_t b) {
  switch (b) {
    case blend::Zero: return GL_ZERO;
    case blend::One: return GL_ONE;
    case blend::SrcColor: return GL_SRC_COLOR;
    case blend::InvSrcColor: return GL_ONE_MINUS_SRC_COLOR;
    case blend::SrcAlpha: return GL_SRC_ALPHA;
    case blend::InvSrcAlpha: return GL_ONE_MINUS_SRC_ALPHA;
    case blend::DestAlpha: return GL_DST_ALPHA;
    case blend::InvDestAlpha: return GL_ONE_MINUS_DST_ALPHA;
    case blend::DestColor: return GL_DST_COLOR;
    case blend::InvDestColor: return GL_ONE_MINUS_DST_COLOR;
    default: return GL_ONE;
  }
}

GLenum blendEquation(uint32_t op) {
  switch (op) {
    case blendop::Subtract: return GL_FUNC_SUBTRACT;
    case blendop::RevSubtract: return GL_FUNC_REVERSE_SUBTRACT;
    case blendop::Min: return GL_MIN;
    case blendop::Max: return GL_MAX;
    default: return GL_FUNC_ADD;
  }
}

GLenum compareFunc(uint32_t c) {
  switch (c) {
    case cmp::Never: return GL_NEVER;
    case cmp::Less: return GL_LESS;
    case cmp::Equal: return GL_EQUAL;
    case cmp::LessEqual: return GL_LEQUAL;
    case cmp::Greater: return GL_GREATER;
    case cmp::NotEqual: return GL_NOTEQUAL;
    case cmp::GreaterEqual: return GL_GEQUAL;
    default: return GL_ALWAYS;
  }
}

GLint wrapMode(uint32_t a) {
  switch (a) {
    case taddress::Mirror: return GL_MIRRORED_REPEAT;
    case taddress::Clamp: return GL_CLAMP_TO_EDGE;
    default: return GL_REPEAT;
  }
}

GLint minFilterMode(uint32_t minF, uint32_t mipF) {
  const bool linear = minF != texf::Point && minF != texf::None;
  switch (mipF) {
    case texf::Point: return linear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    case texf::Linear:
    case texf::Anisotropic: return linear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    default: return linear ? GL_LINEAR : GL_NEAREST;
  }
}

GLenum primitiveMode(PrimitiveType t) {
  switch (t) {
    case PrimitiveType::PointList: return GL_POINTS;
    case PrimitiveType::LineList: return GL_LINES;
    case PrimitiveType::LineStrip: return GL_LINE_STRIP;
    case PrimitiveType::TriangleStrip: return GL_TRIANGLE_STRIP;
    case PrimitiveType::TriangleFan: return GL_TRIANGLE_FAN;
    default: return GL_TRIANGLES;
  }
}

uint32_t vertexCount(PrimitiveType t, uint32_t primitives) {
  if (primitives == 0) return 0;
  switch (t) {
    case PrimitiveType::PointList: return primitives;
    case PrimitiveType::LineList: return primitives * 2;
    case PrimitiveType::LineStrip: return primitives + 1;
    case PrimitiveType::TriangleList: return primitives * 3;
    case PrimitiveType::TriangleStrip:
    case PrimitiveType::TriangleFan: return primitives + 2;
  }
  return 0;
}

bool isSoftwareRenderer(const std::string& renderer) {
  for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer", "SWR"})
    if (renderer.find(name) != std::string::npos) return true;
  return false;
}

// The clip-space fix for a target of w x h: y flipped so the top row is stored first, D3D's
// 0..1 depth mapped onto GL's -1..1, and the half-pixel shift to D3D's integer pixel centres.
Matrix clipFix(float w, float h) {
  Matrix c;
  c.m[1][1] = -1.0f;
  c.m[2][2] = 2.0f;
  c.m[3][0] = 1.0f / w;
  c.m[3][1] = 1.0f / h;
  c.m[3][2] = -1.0f;
  return c;
}

// With a source alpha of exactly 1, blending gives the source colour and an alpha of 1.
bool blendCopiesOpaqueSource(const DeviceState& s) {
  if (s.blendOp != blendop::Add) return false;
  const bool colourCopies = (s.srcBlend == blend::SrcAlpha && s.destBlend == blend::InvSrcAlpha) ||
                            (s.srcBlend == blend::One && s.destBlend == blend::Zero);
  if (!colourCopies) return false;
  if (!s.separateAlphaBlendEnable) return true;
  // Source alpha 1 times One or SrcAlpha, plus the target's alpha times Zero, InvSrcAlpha or One
  // (saturated): 1 either way.
  return s.blendOpAlpha == blendop::Add && (s.srcBlendAlpha == blend::One || s.srcBlendAlpha == blend::SrcAlpha) &&
         (s.destBlendAlpha == blend::Zero || s.destBlendAlpha == blend::InvSrcAlpha || s.destBlendAlpha == blend::One);
}

}  // namespace

Matrix GlDevice::clipMatrix() const {
  const DeviceState& s = state_;
  if (s.fvf & fvf::XyzRhw) return Matrix{};
  return s.world * s.view * s.projection * clipFix(float(s.viewport.width), float(s.viewport.height));
}

GlDevice::GlDevice(std::unique_ptr<GlContext> context, int32_t width, int32_t height, bool redrawEveryFrame)
    : context_(std::move(context)),
      shared_(std::make_shared<GlShared>()),
      width_(width),
      height_(height),
      redrawEveryFrame_(redrawEveryFrame),
      programs_(std::make_unique<ProgramCache>()) {}

GlDevice::~GlDevice() {
  if (context_) context_->makeCurrent();
  shared_->beforeChange = nullptr;
  frame_.clear();
  previous_.clear();
  // Resources held elsewhere outlive us: they skip their GL calls from now on.
  state_ = DeviceState{};
  renderTarget_.reset();
  depthSurface_.reset();
  backBuffer_.reset();
  autoDepth_.reset();
  for (auto& listed : shared_->withoutCopies)
    if (auto texture = listed.lock()) texture->keepCopies();
  shared_->withoutCopies.clear();
  shared_->alive = false;
  if (fbo_) glDeleteFramebuffers(1, &fbo_);
  if (readFbo_) glDeleteFramebuffers(1, &readFbo_);
  if (vao_) glDeleteVertexArrays(1, &vao_);
  if (streamVbo_) glDeleteBuffers(1, &streamVbo_);
  if (whiteTexture_) glDeleteTextures(1, &whiteTexture_);
  programs_.reset();
  context_.reset();
}

bool GlDevice::init(std::string* error) {
  if (!context_->makeCurrent()) {
    if (error) *error = "cannot make the context current";
    return false;
  }
  const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  info_.renderer = renderer ? renderer : "";
  info_.version = version ? version : "";
  info_.softwareRasteriser = isSoftwareRenderer(info_.renderer);
  if (epoxy_gl_version() < 33) {
    if (error) *error = "OpenGL 3.3 core is not available (" + info_.version + ")";
    return false;
  }
  // GLSL 3.30 covers everything vertex and pixel shader model 2.0 can express.
  info_.shaderModel2 = true;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &info_.maxTextureSize);

  shared_->beforeChange = [this](uint64_t serial) { beforeResourceChange(serial); };
  glGenVertexArrays(1, &vao_);
  glBindVertexArray(vao_);
  glGenBuffers(1, &streamVbo_);

  const uint32_t white = 0xFFFFFFFFu;
  glGenTextures(1, &whiteTexture_);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, whiteTexture_);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, &white);
  shared_->boundTexture = whiteTexture_;

  GLuint colour = 0, depth = 0;
  glGenRenderbuffers(1, &colour);
  glBindRenderbuffer(GL_RENDERBUFFER, colour);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width_, height_);
  // Depth buffers hold 24-bit depth and no stencil: nothing ever writes stencil (its default
  // operations keep it), and a buffer without it clears and tests without masking.
  glGenRenderbuffers(1, &depth);
  glBindRenderbuffer(GL_RENDERBUFFER, depth);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width_, height_);
  if (glGetError() != GL_NO_ERROR) {
    if (error) *error = "cannot create the back buffer";
    return false;
  }
  backBuffer_ = std::make_shared<GlSurface>(shared_, Surface::Kind::BackBuffer, width_, height_, colour, false);
  autoDepth_ = std::make_shared<GlSurface>(shared_, Surface::Kind::DepthStencil, width_, height_, depth, false);

  glGenFramebuffers(1, &fbo_);
  glGenFramebuffers(1, &readFbo_);
  renderTarget_ = backBuffer_;
  depthSurface_ = autoDepth_;
  state_ = DeviceState{};
  state_.viewport = {0, 0, width_, height_, 0.0f, 1.0f};
  if (!bindTargets()) {
    if (error) *error = "the back buffer framebuffer is incomplete";
    return false;
  }
  glFrontFace(GL_CCW);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  // The back buffer starts black, as a new swap chain does.
  glClearColor(0, 0, 0, 0);
  glClearDepth(1.0);
  glClearStencil(0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  shared_->evenDepthRb = 0;
  return glGetError() == GL_NO_ERROR;
}

// ---- Targets -----------------------------------------------------------------------------------

bool GlDevice::bindTargets() {
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbo_);
  const GLuint before[3] = {shared_->attachedColourRb, shared_->attachedColourTex, shared_->attachedDepthRb};
  auto* colour = static_cast<GlSurface*>(renderTarget_.get());
  if (colour->kind() == Surface::Kind::BackBuffer) {
    if (shared_->attachedColourRb != colour->renderbuffer()) {
      glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour->renderbuffer());
      shared_->attachedColourRb = colour->renderbuffer();
      shared_->attachedColourTex = ~0u;
    }
  } else {
    if (!colour->glTexture()->ensureStorage()) return targetsComplete_ = false;
    const GLuint tex = colour->glTexture()->glName();
    if (shared_->attachedColourTex != tex) {
      glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, tex, colour->level());
      shared_->attachedColourTex = tex;
      shared_->attachedColourRb = ~0u;
    }
  }
  auto* depth = static_cast<GlSurface*>(depthSurface_.get());
  if (depth && !depth->ensureStorage()) return targetsComplete_ = false;
  const GLuint depthRb = depth ? depth->renderbuffer() : 0;
  if (shared_->attachedDepthRb != depthRb) {
    glFramebufferRenderbuffer(GL_DRAW_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthRb);
    shared_->attachedDepthRb = depthRb;
  }
  if (before[0] != shared_->attachedColourRb || before[1] != shared_->attachedColourTex ||
      before[2] != shared_->attachedDepthRb || !targetsComplete_)
    targetsComplete_ = glCheckFramebufferStatus(GL_DRAW_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  return targetsComplete_;
}

int32_t GlDevice::setRenderTarget(const SurfacePtr& colour) {
  if (!colour) return result::InvalidCall;
  if (colour->kind() == Surface::Kind::TextureLevel) {
    auto* texture = static_cast<GlTexture*>(colour->texture().get());
    if (!texture->isRenderTarget()) return result::InvalidCall;
  } else if (colour->kind() != Surface::Kind::BackBuffer) {
    return result::InvalidCall;
  }
  renderTarget_ = colour;
  // Setting a render target resets the viewport to the whole target.
  state_.viewport = {0, 0, colour->width(), colour->height(), 0.0f, 1.0f};
  return result::Ok;
}

int32_t GlDevice::setDepthStencilSurface(const SurfacePtr& depth) {
  if (depth && depth->kind() != Surface::Kind::DepthStencil) return result::InvalidCall;
  depthSurface_ = depth;
  return result::Ok;
}

// ---- Loss and frame ------------------------------------------------------------------------------

void GlDevice::clearLiveRenderTargets() {
  // A lost device loses what its render targets held: they come back empty.
  GLuint scratch = 0;
  glGenFramebuffers(1, &scratch);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, scratch);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glClearColor(0, 0, 0, 0);
  auto it = renderTargets_.begin();
  while (it != renderTargets_.end()) {
    auto texture = it->lock();
    if (!texture) {
      it = renderTargets_.erase(it);
      continue;
    }
    // A target never used has nothing to lose.
    if (texture->hasStorage()) {
      glFramebufferTexture2D(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture->glName(), 0);
      glClear(GL_COLOR_BUFFER_BIT);
    }
    texture->touch();
    ++it;
  }
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDeleteFramebuffers(1, &scratch);
  applied_.colorMask = 0xFFFFFFFF;
}

int32_t GlDevice::reset() {
  if (coop_ == result::DeviceLost) return result::DeviceLost;
  if (resetFailures_ > 0) {
    --resetFailures_;
    return result::InvalidCall;
  }
  forgetFrames();
  clearLiveRenderTargets();
  state_ = DeviceState{};
  renderTarget_ = backBuffer_;
  depthSurface_ = autoDepth_;
  state_.viewport = {0, 0, width_, height_, 0.0f, 1.0f};
  bindTargets();
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glDepthMask(GL_TRUE);
  applied_.depthMask = 1;
  applied_.colorMask = 0xF;
  glClearColor(0, 0, 0, 0);
  glClearDepth(1.0);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
  shared_->evenDepthRb = 0;
  coop_ = result::Ok;
  return result::Ok;
}

int32_t GlDevice::clear(uint32_t flags, uint32_t colour, float z, uint32_t stencil) {
  if (coop_ != result::Ok) return result::Ok;
  if (recordsBackBuffer()) {
    RecordedCommand c;
    fillCommand(c, RecordedCommand::Kind::Clear);
    c.clearFlags = flags;
    c.clearColour = colour;
    c.clearZ = z;
    c.clearStencil = stencil;
    c.bounds = viewportRect(state_.viewport);
    c.usesDepth = depthSurface_ && (flags & (clearflag::ZBuffer | clearflag::Stencil));
    record(std::move(c));
    return result::Ok;
  }
  beforeDirectWork();
  const int32_t hr = clearNow(flags, colour, z, stencil);
  afterDirectWork();
  return hr;
}

int32_t GlDevice::clearNow(uint32_t flags, uint32_t colour, float z, uint32_t stencil) {
  if (!bindTargets()) return result::InvalidCall;
  // Clear fills the viewport and ignores the write masks.
  const Viewport& vp = state_.viewport;
  // A scissored clear is the slow kind: only a part of the target needs one.
  PixelRect area = viewportRect(vp);
  bool partial = vp.x != 0 || vp.y != 0 || vp.width != renderTarget_->width() || vp.height != renderTarget_->height();
  if (scissoring_) {
    area = area.intersected(scissor_);
    if (area.empty()) return result::Ok;
    partial = true;
  }
  if (partial) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(area.x0, area.y0, area.x1 - area.x0, area.y1 - area.y0);
  }
  GLbitfield mask = 0;
  if (flags & clearflag::Target) {
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    applied_.colorMask = 0xF;
    glClearColor(((colour >> 16) & 0xFF) / 255.0f, ((colour >> 8) & 0xFF) / 255.0f, (colour & 0xFF) / 255.0f,
                 ((colour >> 24) & 0xFF) / 255.0f);
    mask |= GL_COLOR_BUFFER_BIT;
  }
  if (depthSurface_ && (flags & clearflag::ZBuffer)) {
    const GLuint depthRb = static_cast<GlSurface*>(depthSurface_.get())->renderbuffer();
    const float depth = std::clamp(z, 0.0f, 1.0f);
    const bool alreadyEven = shared_->evenDepthRb == depthRb && evenDepthZ_ == depth &&
                             evenDepthArea_.intersected(area).area() == area.area();
    if (!alreadyEven) {
      glDepthMask(GL_TRUE);
      applied_.depthMask = 1;
      glClearDepth(depth);
      mask |= GL_DEPTH_BUFFER_BIT;
      shared_->evenDepthRb = depthRb;
      evenDepthArea_ = area;
      evenDepthZ_ = depth;
    }
  }
  if (depthSurface_ && (flags & clearflag::Stencil)) {
    glStencilMask(0xFF);
    glClearStencil(static_cast<GLint>(stencil & 0xFF));
    mask |= GL_STENCIL_BUFFER_BIT;
  }
  if (mask) glClear(mask);
  if (scissoring_)
    glScissor(scissor_.x0, scissor_.y0, scissor_.x1 - scissor_.x0, scissor_.y1 - scissor_.y0);
  else if (partial)
    glDisable(GL_SCISSOR_TEST);
  return result::Ok;
}

int32_t GlDevice::beginScene() { return result::Ok; }
int32_t GlDevice::endScene() { return result::Ok; }

int32_t GlDevice::present() {
  if (coop_ != result::Ok) {
    forgetFrames();
    return result::DeviceLost;
  }
  resolveFrame();
  endFrame();
  // Nothing was drawn since the last Present: what is shown is already this frame.
  if (context_->takeWindowDamaged()) backBufferChanged_ = presentAll_ = true;
  if (!backBufferChanged_ && !redrawEveryFrame_) {
    ++stats_.unchanged;
    return result::Ok;
  }
  backBufferChanged_ = false;
  ++stats_.shown;
  if (context_->hasWindow()) {
    int dw = 0, dh = 0;
    context_->drawableSize(dw, dh);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
    glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                              static_cast<GlSurface*>(backBuffer_.get())->renderbuffer());
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    // A drawable of another shape (full screen) shows the picture centred between black bars.
    const platform::ScreenRect box = platform::letterboxRect(width_, height_, dw, dh);
    if (box.width != dw || box.height != dh) {
      glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
      applied_.colorMask = 0xF;
      glClearColor(0, 0, 0, 1);
      glClear(GL_COLOR_BUFFER_BIT);
    }
    // The back buffer is stored top row first; the window's rows count from the bottom.
    const bool sameSize = dw == width_ && dh == height_;
    const PixelRect r = presentArea_.intersected({0, 0, width_, height_});
    // Only what changed since the last Present, where the platform can show a part: the window
    // keeps the rest.
    bool shown = false;
    if (!presentAll_ && sameSize && !r.empty()) {
      // On the software rasteriser a small change is cheapest read back and handed to the
      // window as it is: no copy into the window's back buffer, no second pass of the
      // rasteriser, and no wait on the window system (its shared-memory copy waits for the
      // server every time).
      if (info_.softwareRasteriser && r.area() <= kMaxPixelPresent && context_->canPresentPixels()) {
        presentPixels_.resize(size_t(r.area()));
        glReadPixels(r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, presentPixels_.data());
        shown = context_->presentPixels(r.x0, r.y0, r.x1 - r.x0, r.y1 - r.y0, presentPixels_.data());
      }
      if (!shown) {
        glBlitFramebuffer(r.x0, r.y0, r.x1, r.y1, r.x0, dh - r.y0, r.x1, dh - r.y1, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        shown = context_->presentRegion(r.x0, dh - r.y1, r.x1 - r.x0, r.y1 - r.y0);
      }
    }
    if (!shown) {
      const GLenum filter = (box.width == width_ && box.height == height_) ? GL_NEAREST : GL_LINEAR;
      glBlitFramebuffer(0, 0, width_, height_, box.x, dh - box.y, box.x + box.width, dh - box.y - box.height,
                        GL_COLOR_BUFFER_BIT, filter);
      context_->swapBuffers();
    }
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, fbo_);
  } else {
    glFlush();
  }
  presentAll_ = false;
  presentArea_ = {};
  return result::Ok;
}

void GlDevice::compileCommonPrograms() {
  // Sprites and screen quads modulate the texture by the vertex colour, with the texture
  // factor or the vertex alpha, alpha-tested or not.
  for (const bool preTransformed : {false, true})
    for (const uint32_t alphaArg2 : {ta::Diffuse, ta::TFactor})
      for (const uint32_t alphaFunc : {cmp::Greater, cmp::Always}) {
        ProgramKey key;
        key.preTransformed = preTransformed;
        key.colorOp = top::Modulate;
        key.colorArg1 = ta::Texture;
        key.colorArg2 = ta::Diffuse;
        key.alphaOp = top::Modulate;
        key.alphaArg1 = ta::Texture;
        key.alphaArg2 = alphaArg2;
        key.alphaFunc = alphaFunc;
        programs_->get(key, nullptr);
      }
  // The cache binds each new program: the draws' own choice is made again on the next draw.
  glUseProgram(currentProgram_ ? currentProgram_->id : 0);
}

// ---- State ---------------------------------------------------------------------------------------

int32_t GlDevice::setRenderState(RenderState rs, uint32_t v) {
  DeviceState& s = state_;
  switch (rs) {
    case RenderState::ZEnable: s.zEnable = v != 0; break;
    case RenderState::ZWriteEnable: s.zWriteEnable = v != 0; break;
    case RenderState::AlphaTestEnable: s.alphaTestEnable = v != 0; break;
    case RenderState::SrcBlend: s.srcBlend = v; break;
    case RenderState::DestBlend: s.destBlend = v; break;
    case RenderState::CullMode: s.cullMode = v; break;
    case RenderState::ZFunc: s.zFunc = v; break;
    case RenderState::AlphaRef: s.alphaRef = v & 0xFF; break;
    case RenderState::AlphaFunc: s.alphaFunc = v; break;
    case RenderState::AlphaBlendEnable: s.alphaBlendEnable = v != 0; break;
    case RenderState::FogEnable: s.fogEnable = v != 0; break;
    case RenderState::SpecularEnable: s.specularEnable = v != 0; break;
    case RenderState::StencilEnable: s.stencilEnable = v != 0; break;
    case RenderState::TextureFactor: s.textureFactor = v; break;
    case RenderState::Lighting: s.lighting = v != 0; break;
    case RenderState::Ambient: s.ambient = v; break;
    case RenderState::NormalizeNormals: s.normalizeNormals = v != 0; break;
    case RenderState::ColorWriteEnable: s.colorWriteEnable = v & 0xF; break;
    case RenderState::BlendOp: s.blendOp = v; break;
    case RenderState::SeparateAlphaBlendEnable: s.separateAlphaBlendEnable = v != 0; break;
    case RenderState::SrcBlendAlpha: s.srcBlendAlpha = v; break;
    case RenderState::DestBlendAlpha: s.destBlendAlpha = v; break;
    case RenderState::BlendOpAlpha: s.blendOpAlpha = v; break;
    default: return result::InvalidCall;
  }
  return result::Ok;
}

uint32_t GlDevice::getRenderState(RenderState rs) const {
  const DeviceState& s = state_;
  switch (rs) {
    case RenderState::ZEnable: return s.zEnable;
    case RenderState::ZWriteEnable: return s.zWriteEnable;
    case RenderState::AlphaTestEnable: return s.alphaTestEnable;
    case RenderState::SrcBlend: return s.srcBlend;
    case RenderState::DestBlend: return s.destBlend;
    case RenderState::CullMode: return s.cullMode;
    case RenderState::ZFunc: return s.zFunc;
    case RenderState::AlphaRef: return s.alphaRef;
    case RenderState::AlphaFunc: return s.alphaFunc;
    case RenderState::AlphaBlendEnable: return s.alphaBlendEnable;
    case RenderState::FogEnable: return s.fogEnable;
    case RenderState::SpecularEnable: return s.specularEnable;
    case RenderState::StencilEnable: return s.stencilEnable;
    case RenderState::TextureFactor: return s.textureFactor;
    case RenderState::Lighting: return s.lighting;
    case RenderState::Ambient: return s.ambient;
    case RenderState::NormalizeNormals: return s.normalizeNormals;
    case RenderState::ColorWriteEnable: return s.colorWriteEnable;
    case RenderState::BlendOp: return s.blendOp;
    case RenderState::SeparateAlphaBlendEnable: return s.separateAlphaBlendEnable;
    case RenderState::SrcBlendAlpha: return s.srcBlendAlpha;
    case RenderState::DestBlendAlpha: return s.destBlendAlpha;
    case RenderState::BlendOpAlpha: return s.blendOpAlpha;
  }
  return 0;
}

int32_t GlDevice::setTextureStageState(uint32_t stage, TextureStageState type, uint32_t v) {
  DeviceState& s = state_;
  if (stage == 1) {
    if (type == TextureStageState::ColorOp) s.stage1ColorOp = v;
    if (type == TextureStageState::AlphaOp) s.stage1AlphaOp = v;
    return result::Ok;
  }
  if (stage != 0) return result::Ok;
  switch (type) {
    case TextureStageState::ColorOp: s.colorOp = v; break;
    case TextureStageState::ColorArg1: s.colorArg1 = v; break;
    case TextureStageState::ColorArg2: s.colorArg2 = v; break;
    case TextureStageState::AlphaOp: s.alphaOp = v; break;
    case TextureStageState::AlphaArg1: s.alphaArg1 = v; break;
    case TextureStageState::AlphaArg2: s.alphaArg2 = v; break;
    case TextureStageState::TexCoordIndex: s.texCoordIndex = v; break;
    case TextureStageState::TextureTransformFlags: s.textureTransformFlags = v; break;
  }
  return result::Ok;
}

int32_t GlDevice::setSamplerState(uint32_t sampler, SamplerState type, uint32_t v) {
  if (sampler != 0) return result::Ok;
  DeviceState& s = state_;
  switch (type) {
    case SamplerState::AddressU: s.addressU = v; break;
    case SamplerState::AddressV: s.addressV = v; break;
    case SamplerState::MagFilter: s.magFilter = v; break;
    case SamplerState::MinFilter: s.minFilter = v; break;
    case SamplerState::MipFilter: s.mipFilter = v; break;
  }
  return result::Ok;
}

int32_t GlDevice::setTransform(TransformType type, const Matrix& m) {
  switch (type) {
    case TransformType::World: state_.world = m; break;
    case TransformType::View: state_.view = m; break;
    case TransformType::Projection: state_.projection = m; break;
    case TransformType::Texture0: state_.texture0 = m; break;
    default: return result::InvalidCall;
  }
  return result::Ok;
}

Matrix GlDevice::getTransform(TransformType type) const {
  switch (type) {
    case TransformType::World: return state_.world;
    case TransformType::View: return state_.view;
    case TransformType::Projection: return state_.projection;
    case TransformType::Texture0: return state_.texture0;
  }
  return Matrix{};
}

int32_t GlDevice::setTexture(uint32_t stage, const TexturePtr& texture) {
  if (stage == 0) state_.texture = texture;
  return result::Ok;
}

TexturePtr GlDevice::getTexture(uint32_t stage) const { return stage == 0 ? state_.texture : nullptr; }

int32_t GlDevice::setFVF(uint32_t fvf) {
  state_.fvf = fvf;
  return result::Ok;
}

int32_t GlDevice::setStreamSource(uint32_t stream, const VertexBufferPtr& vb, uint32_t offset, uint32_t stride) {
  if (stream != 0) return result::InvalidCall;
  state_.stream = vb;
  state_.streamOffset = offset;
  state_.streamStride = stride;
  return result::Ok;
}

int32_t GlDevice::setIndices(const IndexBufferPtr& ib) {
  state_.indices = ib;
  return result::Ok;
}

int32_t GlDevice::setViewport(const Viewport& vp) {
  const int32_t tw = renderTarget_->width(), th = renderTarget_->height();
  if (vp.x < 0 || vp.y < 0 || vp.width <= 0 || vp.height <= 0 || vp.x + vp.width > tw || vp.y + vp.height > th)
    return result::InvalidCall;
  state_.viewport = vp;
  return result::Ok;
}

void GlDevice::setState(const DeviceState& s) { state_ = s; }

// ---- Draws ---------------------------------------------------------------------------------------

void GlDevice::applySampler(GlTexture* texture, bool nearest) {
  const DeviceState& s = state_;
  const bool mipmapped = texture->levelCount() > 1;
  GLint minF = minFilterMode(s.minFilter, mipmapped ? s.mipFilter : texf::None);
  GLint magF = (s.magFilter == texf::Point || s.magFilter == texf::None) ? GL_NEAREST : GL_LINEAR;
  if (nearest) minF = magF = GL_NEAREST;
  const GLint wrapS = wrapMode(s.addressU), wrapT = wrapMode(s.addressV);
  if (texture->appliedMin != minF) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, texture->appliedMin = minF);
  if (texture->appliedMag != magF) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, texture->appliedMag = magF);
  if (texture->appliedWrapS != wrapS) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, texture->appliedWrapS = wrapS);
  if (texture->appliedWrapT != wrapT) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, texture->appliedWrapT = wrapT);
}

void GlDevice::applyVertexLayout(GLuint buffer, uint32_t fvf, uint32_t stride, uintptr_t offset) {
  if (shared_->layoutBuffer == buffer && applied_.fvf == fvf && applied_.stride == stride && applied_.offset == offset)
    return;
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  uintptr_t at = offset;
  const GLsizei s = static_cast<GLsizei>(stride);
  if (fvf & fvf::XyzRhw) {
    glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, s, reinterpret_cast<const void*>(at));
    at += 16;
  } else {
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, s, reinterpret_cast<const void*>(at));
    at += 12;
  }
  glEnableVertexAttribArray(0);
  if (fvf & fvf::Normal) at += 12;
  if (fvf & fvf::Diffuse) {
    // D3DCOLOR is 0xAARRGGBB: bytes B, G, R, A in memory.
    glVertexAttribPointer(1, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, s, reinterpret_cast<const void*>(at));
    glEnableVertexAttribArray(1);
    at += 4;
  } else {
    glDisableVertexAttribArray(1);
    glVertexAttrib4f(1, 1.0f, 1.0f, 1.0f, 1.0f);  // no diffuse colour: opaque white
  }
  if (fvf & fvf::Tex1) {
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, s, reinterpret_cast<const void*>(at));
    glEnableVertexAttribArray(2);
  } else {
    glDisableVertexAttribArray(2);
    glVertexAttrib2f(2, 0.0f, 0.0f);
  }
  shared_->layoutBuffer = buffer;
  applied_.fvf = fvf;
  applied_.stride = stride;
  applied_.offset = offset;
}

namespace {

// What the vertices of one draw tell about its sampling.
struct DrawFacts {
  bool exactTexels = false;      // every pixel centre samples a texel centre of level 0, 1:1
  float minDiffuseAlpha = 1.0f;  // the smallest vertex alpha (1 without diffuse colours)
};

bool nearInteger(double v) { return std::fabs(v - std::round(v)) < 1e-4; }

// The window position of each vertex is computed as the renderer does it; a texture mapped
// one texel per pixel with texel centres on pixel centres samples the same under any filter.
DrawFacts analyseVertices(const uint8_t* vertices, uint32_t stride, uint32_t count, uint32_t vfvf, bool preTransformed,
                          const Matrix& m, const Viewport& vp, const Matrix* texXf, int32_t texW, int32_t texH) {
  DrawFacts facts;
  if (!vertices || count == 0) return facts;
  uint32_t colourAt = (vfvf & fvf::XyzRhw) ? 16 : 12;
  if (vfvf & fvf::Normal) colourAt += 12;
  const uint32_t uvAt = colourAt + ((vfvf & fvf::Diffuse) ? 4 : 0);
  bool exact = (vfvf & fvf::Tex1) != 0 && texW > 0 && texH > 0;
  double ku0 = 0, kv0 = 0;
  float minA = 1.0f;
  for (uint32_t i = 0; i < count; ++i) {
    const uint8_t* v = vertices + size_t(i) * stride;
    float p[4];
    std::memcpy(p, v, sizeof p);
    if (vfvf & fvf::Diffuse) {
      uint32_t c;
      std::memcpy(&c, v + colourAt, 4);
      minA = std::min(minA, float(c >> 24) / 255.0f);
    }
    if (!exact) continue;
    double xw, yw;
    if (preTransformed) {
      if (p[3] != 1.0f) {
        exact = false;
        continue;
      }
      xw = double(p[0]) + 0.5;
      yw = double(p[1]) + 0.5;
    } else {
      const float cx = p[0] * m.m[0][0] + p[1] * m.m[1][0] + p[2] * m.m[2][0] + m.m[3][0];
      const float cy = p[0] * m.m[0][1] + p[1] * m.m[1][1] + p[2] * m.m[2][1] + m.m[3][1];
      const float cw = p[0] * m.m[0][3] + p[1] * m.m[1][3] + p[2] * m.m[2][3] + m.m[3][3];
      if (cw != 1.0f) {
        exact = false;
        continue;
      }
      xw = (double(cx) + 1.0) * vp.width / 2.0 + vp.x;
      yw = (double(cy) + 1.0) * vp.height / 2.0 + vp.y;
    }
    float uv[2];
    std::memcpy(uv, v + uvAt, sizeof uv);
    double u = uv[0], w = uv[1];
    if (texXf) {
      const Matrix& t = *texXf;
      u = double(uv[0]) * t.m[0][0] + double(uv[1]) * t.m[1][0] + t.m[2][0];
      w = double(uv[0]) * t.m[0][1] + double(uv[1]) * t.m[1][1] + t.m[2][1];
    }
    const double ku = u * texW - xw, kv = w * texH - yw;
    if (i == 0) {
      ku0 = ku;
      kv0 = kv;
      exact = nearInteger(ku) && nearInteger(kv);
    } else if (std::fabs(ku - ku0) > 1e-4 || std::fabs(kv - kv0) > 1e-4) {
      exact = false;
    }
  }
  facts.exactTexels = exact;
  facts.minDiffuseAlpha = minA;
  return facts;
}

// The smallest alpha stage 0 can give, or -1 when it cannot be told.
float minimumStageAlpha(const DeviceState& s, float textureMin, float diffuseMin) {
  auto arg = [&](uint32_t a) -> float {
    switch (a) {
      case ta::Texture: return textureMin;
      case ta::Diffuse:
      case ta::Current: return diffuseMin;
      case ta::TFactor: return float(s.textureFactor >> 24) / 255.0f;
      default: return -1.0f;  // modifiers
    }
  };
  const float a1 = arg(s.alphaArg1), a2 = arg(s.alphaArg2);
  switch (s.alphaOp) {
    case top::SelectArg1: return a1;
    case top::SelectArg2: return a2;
    case top::Modulate: return (a1 < 0 || a2 < 0) ? -1.0f : a1 * a2;
    case top::Disable: return diffuseMin;
    default: return -1.0f;
  }
}

}  // namespace

bool GlDevice::prepareDraw(bool preTransformed, const uint8_t* vertices, uint32_t stride, uint32_t count) {
  if (!bindTargets()) return false;
  const DeviceState& s = state_;
  auto* texture = static_cast<GlTexture*>(s.texture.get());
  const bool sampled = texture && texture->glName() && texture->ensureStorage();
  const Viewport& vp = s.viewport;
  const bool textureTransform = !preTransformed && s.textureTransformFlags != ttff::Disable;
  const Matrix m =
      preTransformed ? Matrix{} : s.world * s.view * s.projection * clipFix(float(vp.width), float(vp.height));
  const DrawFacts facts =
      analyseVertices(vertices, stride, count, s.fvf, preTransformed, m, vp, textureTransform ? &s.texture0 : nullptr,
                      sampled ? texture->width(0) : 0, sampled ? texture->height(0) : 0);
  // An alpha test that no pixel of this draw can fail is left out (the discard is costly).
  bool alphaTest = s.alphaTestEnable && s.alphaFunc != cmp::Always;
  if (alphaTest && vertices && s.alphaFunc == cmp::Greater) {
    const float textureMin = sampled ? float(texture->minAlpha()) / 255.0f : 1.0f;
    const float least = minimumStageAlpha(s, textureMin, facts.minDiffuseAlpha);
    if (least >= 0.0f && least * 255.0f >= float(s.alphaRef) + 0.5f + 1e-3f) alphaTest = false;
  }

  // Program variant for the stage-0 operations, the alpha test and the texture transform.
  ProgramKey key;
  key.preTransformed = preTransformed;
  key.textureTransform = !preTransformed && s.textureTransformFlags != ttff::Disable;
  key.colorOp = s.colorOp;
  key.colorArg1 = s.colorArg1;
  key.colorArg2 = s.colorArg2;
  key.alphaOp = s.alphaOp;
  key.alphaArg1 = s.alphaArg1;
  key.alphaArg2 = s.alphaArg2;
  key.alphaFunc = alphaTest ? s.alphaFunc : cmp::Always;
  Program* program = programs_->get(key, nullptr);
  if (!program) return false;
  if (program != currentProgram_) {
    glUseProgram(program->id);
    currentProgram_ = program;
  }

  if (std::memcmp(&applied_.viewport, &vp, sizeof vp) != 0) {
    glViewport(vp.x, vp.y, vp.width, vp.height);
    glDepthRange(vp.minZ, vp.maxZ);
    applied_.viewport = vp;
  }
  if (preTransformed) {
    const float v[4] = {float(vp.x), float(vp.y), float(vp.width), float(vp.height)};
    if (std::memcmp(program->viewport, v, sizeof v) != 0) {
      glUniform4fv(program->uViewport, 1, v);
      std::memcpy(program->viewport, v, sizeof v);
    }
  } else {
    // Row vectors: the row-major array read column-major by GL gives uMatrix * v == v * M.
    if (!program->matrixValid || std::memcmp(program->matrix, m.m, sizeof m.m) != 0) {
      glUniformMatrix4fv(program->uMatrix, 1, GL_FALSE, &m.m[0][0]);
      std::memcpy(program->matrix, m.m, sizeof m.m);
      program->matrixValid = true;
    }
    if (key.textureTransform) {
      const Matrix& t = s.texture0;
      const float r0[3] = {t.m[0][0], t.m[1][0], t.m[2][0]};
      const float r1[3] = {t.m[0][1], t.m[1][1], t.m[2][1]};
      if (std::memcmp(program->texRow0, r0, sizeof r0) != 0) {
        glUniform3fv(program->uTexRow0, 1, r0);
        std::memcpy(program->texRow0, r0, sizeof r0);
      }
      if (std::memcmp(program->texRow1, r1, sizeof r1) != 0) {
        glUniform3fv(program->uTexRow1, 1, r1);
        std::memcpy(program->texRow1, r1, sizeof r1);
      }
    }
  }
  if (program->uTFactor >= 0 && (!program->tfactorValid || program->tfactor != s.textureFactor)) {
    const uint32_t f = s.textureFactor;
    glUniform4f(program->uTFactor, ((f >> 16) & 0xFF) / 255.0f, ((f >> 8) & 0xFF) / 255.0f, (f & 0xFF) / 255.0f,
                ((f >> 24) & 0xFF) / 255.0f);
    program->tfactor = f;
    program->tfactorValid = true;
  }
  if (program->uAlphaRef >= 0 && program->alphaRef != float(s.alphaRef)) {
    glUniform1f(program->uAlphaRef, float(s.alphaRef));
    program->alphaRef = float(s.alphaRef);
  }

  // Texture: a texture the renderer cannot sample (none, or a system-memory one) reads as white,
  // so TEXTURE arguments fall back to the diffuse colour.
  const GLuint name = sampled ? texture->glName() : whiteTexture_;
  if (shared_->boundTexture != name) {
    glBindTexture(GL_TEXTURE_2D, name);
    shared_->boundTexture = name;
  }
  // One colour everywhere, or texel centres on pixel centres: nearest sampling gives the same.
  if (sampled) applySampler(texture, texture->uniform() || facts.exactTexels);

  // Blending.
  // A draw whose every pixel is opaque, under blend factors that then copy the source, is
  // drawn without blending: the same pixels without reading the target.
  int blendOn = s.alphaBlendEnable ? 1 : 0;
  if (blendOn && vertices && blendCopiesOpaqueSource(s)) {
    const float textureMin = sampled ? float(texture->minAlpha()) / 255.0f : 1.0f;
    if (minimumStageAlpha(s, textureMin, facts.minDiffuseAlpha) >= 1.0f) blendOn = 0;
  }
  if (applied_.blend != blendOn) {
    if (blendOn)
      glEnable(GL_BLEND);
    else
      glDisable(GL_BLEND);
    applied_.blend = blendOn;
  }
  if (blendOn) {
    const GLenum src = blendFactor(s.srcBlend), dst = blendFactor(s.destBlend);
    const GLenum srcA = s.separateAlphaBlendEnable ? blendFactor(s.srcBlendAlpha) : src;
    const GLenum dstA = s.separateAlphaBlendEnable ? blendFactor(s.destBlendAlpha) : dst;
    const GLenum eq = blendEquation(s.blendOp);
    const GLenum eqA = s.separateAlphaBlendEnable ? blendEquation(s.blendOpAlpha) : eq;
    if (src != applied_.src || dst != applied_.dst || srcA != applied_.srcA || dstA != applied_.dstA) {
      glBlendFuncSeparate(src, dst, srcA, dstA);
      applied_.src = src;
      applied_.dst = dst;
      applied_.srcA = srcA;
      applied_.dstA = dstA;
    }
    if (eq != applied_.eq || eqA != applied_.eqA) {
      glBlendEquationSeparate(eq, eqA);
      applied_.eq = eq;
      applied_.eqA = eqA;
    }
  }

  // Depth.
  const bool hasDepth = depthSurface_ != nullptr;
  const int depthTest = (s.zEnable && hasDepth) ? 1 : 0;
  if (applied_.depthTest != depthTest) {
    if (depthTest)
      glEnable(GL_DEPTH_TEST);
    else
      glDisable(GL_DEPTH_TEST);
    applied_.depthTest = depthTest;
  }
  if (depthTest) {
    const GLenum func = compareFunc(s.zFunc);
    if (applied_.depthFunc != func) {
      glDepthFunc(func);
      applied_.depthFunc = func;
    }
    const int mask = s.zWriteEnable && !depthWritesUnread_ ? 1 : 0;
    if (applied_.depthMask != mask) {
      glDepthMask(mask ? GL_TRUE : GL_FALSE);
      applied_.depthMask = mask;
    }
    // This draw may write depth: the bound buffer is no longer known to be even.
    if (mask && shared_->evenDepthRb == static_cast<GlSurface*>(depthSurface_.get())->renderbuffer())
      shared_->evenDepthRb = 0;
  }

  // Culling: D3D's front faces are clockwise on its y-down screen, which is counter-clockwise
  // in our top-row-first GL window space.
  const int cullOn = s.cullMode == cull::None ? 0 : 1;
  if (applied_.cull != cullOn) {
    if (cullOn)
      glEnable(GL_CULL_FACE);
    else
      glDisable(GL_CULL_FACE);
    applied_.cull = cullOn;
  }
  if (cullOn) {
    const GLenum face = s.cullMode == cull::CCW ? GL_BACK : GL_FRONT;
    if (applied_.cullFace != face) {
      glCullFace(face);
      applied_.cullFace = face;
    }
  }

  if (applied_.colorMask != s.colorWriteEnable) {
    const uint32_t m = s.colorWriteEnable;
    glColorMask(m & 1, (m >> 1) & 1, (m >> 2) & 1, (m >> 3) & 1);
    applied_.colorMask = m;
  }
  return true;
}

int32_t GlDevice::drawPrimitive(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) {
  if (coop_ != result::Ok) return result::Ok;
  auto* vb = static_cast<GlVertexBuffer*>(state_.stream.get());
  if (!vb || state_.streamStride == 0 || state_.fvf == 0) return result::InvalidCall;
  const uint32_t count = vertexCount(type, primitiveCount);
  const uint64_t end = uint64_t(state_.streamOffset) + (uint64_t(startVertex) + count) * state_.streamStride;
  if (count == 0 || end > vb->sizeBytes()) return result::InvalidCall;
  if (recordsBackBuffer()) {
    RecordedCommand c;
    fillCommand(c, RecordedCommand::Kind::Draw);
    c.vertexId = vb->storage().serial();
    c.vertexVersion = vb->storage().version();
    c.type = type;
    c.args[0] = startVertex;
    c.args[1] = primitiveCount;
    c.bounds = drawBounds(state_, clipMatrix(),
                          vb->cpuData() + state_.streamOffset + size_t(startVertex) * state_.streamStride,
                          state_.streamStride, count, nullptr, 0, 0);
    record(std::move(c));
    return result::Ok;
  }
  beforeDirectWork();
  const int32_t hr = drawNow(type, startVertex, primitiveCount);
  afterDirectWork();
  return hr;
}

int32_t GlDevice::drawNow(PrimitiveType type, uint32_t startVertex, uint32_t primitiveCount) {
  auto* vb = static_cast<GlVertexBuffer*>(state_.stream.get());
  const uint32_t count = vertexCount(type, primitiveCount);
  const uint8_t* data = vb->cpuData();
  if (!prepareDraw((state_.fvf & fvf::XyzRhw) != 0,
                   data ? data + state_.streamOffset + size_t(startVertex) * state_.streamStride : nullptr,
                   state_.streamStride, count))
    return result::InvalidCall;
  applyVertexLayout(vb->glName(), state_.fvf, state_.streamStride, state_.streamOffset);
  glDrawArrays(primitiveMode(type), static_cast<GLint>(startVertex), static_cast<GLsizei>(count));
  return result::Ok;
}

int32_t GlDevice::drawIndexedPrimitive(PrimitiveType type, int32_t baseVertex, uint32_t minIndex, uint32_t numVertices,
                                       uint32_t startIndex, uint32_t primitiveCount) {
  if (coop_ != result::Ok) return result::Ok;
  auto* vb = static_cast<GlVertexBuffer*>(state_.stream.get());
  auto* ib = static_cast<GlIndexBuffer*>(state_.indices.get());
  if (!vb || !ib || state_.streamStride == 0 || state_.fvf == 0) return result::InvalidCall;
  const uint32_t count = vertexCount(type, primitiveCount);
  if (count == 0 || (uint64_t(startIndex) + count) * 2 > ib->sizeBytes()) return result::InvalidCall;
  if (baseVertex < 0 || state_.streamOffset >= vb->sizeBytes() ||
      uint64_t(state_.streamOffset) + (uint64_t(baseVertex) + numVertices) * state_.streamStride > vb->sizeBytes())
    return result::InvalidCall;
  // Every index must name a vertex inside the buffer: the renderer does not check.
  const uint64_t verticesInBuffer = (vb->sizeBytes() - state_.streamOffset) / state_.streamStride;
  const uint16_t* idx = reinterpret_cast<const uint16_t*>(ib->cpuData()) + startIndex;
  for (uint32_t i = 0; i < count; ++i)
    if (uint64_t(baseVertex) + idx[i] >= verticesInBuffer) return result::InvalidCall;
  if (recordsBackBuffer()) {
    RecordedCommand c;
    fillCommand(c, RecordedCommand::Kind::DrawIndexed);
    c.vertexId = vb->storage().serial();
    c.vertexVersion = vb->storage().version();
    c.indexId = ib->storage().serial();
    c.indexVersion = ib->storage().version();
    c.type = type;
    c.args[0] = startIndex;
    c.args[1] = primitiveCount;
    c.args[2] = minIndex;
    c.args[3] = numVertices;
    c.baseVertex = baseVertex;
    c.bounds = drawBounds(state_, clipMatrix(), vb->cpuData() + state_.streamOffset, state_.streamStride,
                          uint32_t(std::min<uint64_t>(verticesInBuffer, UINT32_MAX)), idx, count, baseVertex);
    record(std::move(c));
    return result::Ok;
  }
  beforeDirectWork();
  const int32_t hr = drawIndexedNow(type, baseVertex, startIndex, primitiveCount);
  afterDirectWork();
  return hr;
}

int32_t GlDevice::drawIndexedNow(PrimitiveType type, int32_t baseVertex, uint32_t startIndex, uint32_t primitiveCount) {
  auto* vb = static_cast<GlVertexBuffer*>(state_.stream.get());
  auto* ib = static_cast<GlIndexBuffer*>(state_.indices.get());
  const uint32_t count = vertexCount(type, primitiveCount);
  if (!prepareDraw((state_.fvf & fvf::XyzRhw) != 0)) return result::InvalidCall;
  applyVertexLayout(vb->glName(), state_.fvf, state_.streamStride, state_.streamOffset);
  if (shared_->elementBuffer != ib->glName()) {
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, ib->glName());
    shared_->elementBuffer = ib->glName();
  }
  glDrawElementsBaseVertex(primitiveMode(type), static_cast<GLsizei>(count), GL_UNSIGNED_SHORT,
                           reinterpret_cast<const void*>(uintptr_t(startIndex) * 2), baseVertex);
  return result::Ok;
}

int32_t GlDevice::drawPrimitiveUP(PrimitiveType type, uint32_t primitiveCount, const void* vertices, uint32_t stride) {
  // DrawPrimitiveUP leaves stream 0 unset.
  state_.stream.reset();
  state_.streamOffset = 0;
  state_.streamStride = 0;
  if (coop_ != result::Ok) return result::Ok;
  const uint32_t count = vertexCount(type, primitiveCount);
  if (!vertices || stride == 0 || count == 0 || state_.fvf == 0) return result::InvalidCall;
  if (recordsBackBuffer()) {
    RecordedCommand c;
    fillCommand(c, RecordedCommand::Kind::DrawUP);
    c.type = type;
    c.args[0] = primitiveCount;
    c.args[1] = stride;
    const auto* bytes = static_cast<const uint8_t*>(vertices);
    c.vertices.assign(bytes, bytes + size_t(count) * stride);
    c.bounds = drawBounds(state_, clipMatrix(), bytes, stride, count, nullptr, 0, 0);
    record(std::move(c));
    return result::Ok;
  }
  beforeDirectWork();
  const int32_t hr = drawUPNow(type, primitiveCount, vertices, stride);
  afterDirectWork();
  return hr;
}

int32_t GlDevice::drawUPNow(PrimitiveType type, uint32_t primitiveCount, const void* vertices, uint32_t stride) {
  const uint32_t count = vertexCount(type, primitiveCount);
  if (!prepareDraw((state_.fvf & fvf::XyzRhw) != 0, static_cast<const uint8_t*>(vertices), stride, count))
    return result::InvalidCall;
  glBindBuffer(GL_ARRAY_BUFFER, streamVbo_);
  glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(count) * stride, vertices, GL_STREAM_DRAW);
  shared_->layoutBuffer = ~0u;  // the data changed under the same name
  applyVertexLayout(streamVbo_, state_.fvf, stride, 0);
  glDrawArrays(primitiveMode(type), 0, static_cast<GLsizei>(count));
  return result::Ok;
}

// ---- Resources -----------------------------------------------------------------------------------

int32_t GlDevice::createTexture(int32_t width, int32_t height, int32_t levels, uint32_t usage, Pool pool,
                                TexturePtr& out) {
  out.reset();
  const int32_t limit = info_.maxTextureSize;
  if (width <= 0 || height <= 0 || width > limit || height > limit || levels < 0) return result::InvalidCall;
  if ((usage & usage::RenderTarget) && pool != Pool::Default) return result::InvalidCall;
  int32_t full = 1;
  while ((width >> full) > 0 || (height >> full) > 0) ++full;
  if (usage & usage::RenderTarget) levels = 1;
  if (levels == 0 || levels > full) levels = full;
  auto texture = std::make_shared<GlTexture>(shared_, width, height, levels, usage, pool);
  if (glGetError() == GL_OUT_OF_MEMORY) return result::OutOfMemory;
  if (texture->isRenderTarget()) renderTargets_.push_back(texture);
  out = texture;
  return result::Ok;
}

int32_t GlDevice::createDepthStencilSurface(int32_t width, int32_t height, SurfacePtr& out) {
  out.reset();
  if (width <= 0 || height <= 0 || width > info_.maxTextureSize || height > info_.maxTextureSize)
    return result::InvalidCall;
  GLuint rb = 0;
  glGenRenderbuffers(1, &rb);
  if (!rb) return result::OutOfMemory;
  // The depth texels come when the surface is first attached: many are made for targets that
  // are never drawn into.
  out = std::make_shared<GlSurface>(shared_, Surface::Kind::DepthStencil, width, height, rb, true, false);
  return result::Ok;
}

int32_t GlDevice::createOffscreenPlainSurface(int32_t width, int32_t height, SurfacePtr& out) {
  out.reset();
  if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return result::InvalidCall;
  out = std::make_shared<GlSurface>(width, height);
  return result::Ok;
}

int32_t GlDevice::createVertexBuffer(uint32_t length, uint32_t /*usage*/, uint32_t fvf, Pool /*pool*/,
                                     VertexBufferPtr& out) {
  out.reset();
  if (length == 0 || length > (256u << 20)) return result::InvalidCall;
  out = std::make_shared<GlVertexBuffer>(shared_, length, fvf);
  return result::Ok;
}

int32_t GlDevice::createIndexBuffer(uint32_t length, uint32_t /*usage*/, Pool /*pool*/, IndexBufferPtr& out) {
  out.reset();
  if (length == 0 || length > (256u << 20)) return result::InvalidCall;
  out = std::make_shared<GlIndexBuffer>(shared_, length);
  return result::Ok;
}

// ---- Read-back -----------------------------------------------------------------------------------

int32_t GlDevice::readColour(const SurfacePtr& surface, std::vector<uint32_t>& out) {
  auto* s = static_cast<GlSurface*>(surface.get());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, readFbo_);
  if (s->kind() == Surface::Kind::BackBuffer) {
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, s->renderbuffer());
  } else {
    glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, 0);
    if (!s->glTexture()->ensureStorage()) return result::InvalidCall;
    glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, s->glTexture()->glName(),
                           s->level());
  }
  if (glCheckFramebufferStatus(GL_READ_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) return result::InvalidCall;
  out.resize(size_t(s->width()) * size_t(s->height()));
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glReadPixels(0, 0, s->width(), s->height(), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, out.data());
  // Detach, so a later deletion of the texture does not leave a stale attachment behind.
  glFramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
  glFramebufferRenderbuffer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, 0);
  return result::Ok;
}

int32_t GlDevice::readSurface(const SurfacePtr& surface, std::vector<uint32_t>& out) {
  if (!surface) return result::InvalidCall;
  resolveFrame();
  auto* s = static_cast<GlSurface*>(surface.get());
  switch (s->kind()) {
    case Surface::Kind::BackBuffer: return readColour(surface, out);
    case Surface::Kind::OffscreenPlain: out = s->plainPixels(); return result::Ok;
    case Surface::Kind::TextureLevel: {
      const auto* cpu = s->glTexture()->cpuLevel(s->level());
      if (cpu) {
        out = *cpu;
        return result::Ok;
      }
      return readColour(surface, out);
    }
    case Surface::Kind::DepthStencil: return result::InvalidCall;
  }
  return result::InvalidCall;
}

int32_t GlDevice::getRenderTargetData(const SurfacePtr& target, const SurfacePtr& plain) {
  if (!target || !plain || plain->kind() != Surface::Kind::OffscreenPlain) return result::InvalidCall;
  if (target->width() != plain->width() || target->height() != plain->height()) return result::InvalidCall;
  if (target->kind() != Surface::Kind::BackBuffer && target->kind() != Surface::Kind::TextureLevel)
    return result::InvalidCall;
  resolveFrame();
  std::vector<uint32_t> pixels;
  const int32_t hr = readColour(target, pixels);
  if (hr != result::Ok) return hr;
  static_cast<GlSurface*>(plain.get())->setPlainPixels(std::move(pixels));
  return result::Ok;
}

// ---- Creation ------------------------------------------------------------------------------------

}  // namespace gfx::gl

namespace gfx {

std::unique_ptr<Device> createDevice(const DeviceConfig& config, std::string* error) {
  if (config.backBufferWidth <= 0 || config.backBufferHeight <= 0) {
    if (error) *error = "bad back buffer size";
    return nullptr;
  }
  std::unique_ptr<gl::GlContext> context = config.kind == ContextKind::Desktop
                                               ? gl::createSdlContext(config.nativeWindow, config.forceSoftware, error)
                                               : gl::createEglSurfacelessContext(config.forceSoftware, error);
  if (!context) return nullptr;
  auto device = std::make_unique<gl::GlDevice>(std::move(context), config.backBufferWidth, config.backBufferHeight,
                                               config.redrawEveryFrame);
  if (!device->init(error)) return nullptr;
  return device;
}

}  // namespace gfx
