// C_BaseLayer: construction, pictures (shared, composed, superseded kinds) and the two draws.
#include "layer/C_BaseLayer.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "engine/Engine.h"
#include "layer/C_Sprite.h"
#include "layer/C_SpriteFact.h"
#include "layer/CopyName.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "platform/System.h"

namespace layer {

namespace {

struct QuadVertex {
  float x, y, z;
  uint32_t colour;
  float u, v;
};
constexpr uint32_t kQuadFvf = gfx::fvf::Xyz | gfx::fvf::Diffuse | gfx::fvf::Tex1;

int channel(uint32_t p, int shift) { return int((p >> shift) & 0xFF); }

}  // namespace

bool DifferenceFitsBase(int32_t baseWidth, int32_t baseHeight, int32_t x, int32_t y, int32_t diffWidth,
                        int32_t diffHeight) {
  return !(int64_t(baseWidth) < int64_t(x) + diffWidth || int64_t(baseHeight) < int64_t(y) + diffHeight || x < 0 ||
           y < 0);
}

uint32_t ComposePixel(uint32_t base, uint32_t diff) {
  const int a = channel(diff, 24);
  const uint32_t alpha = uint32_t(std::min(255, a + channel(base, 24)));
  uint32_t out = alpha << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const int b = channel(base, shift), d = channel(diff, shift);
    out |= uint32_t((b + ((a * (d - b)) >> 8)) & 0xFF) << shift;
  }
  return out;
}

bool BlendDifferencePixel(uint32_t saved, uint32_t diff, float t, uint32_t& out) {
  const int a = int(float(channel(diff, 24)) * t);
  if (a == 0 && channel(saved, 24) == 0) return false;
  out = uint32_t(std::min(255, channel(saved, 24) + a)) << 24;
  for (int shift = 0; shift < 24; shift += 8) {
    const int s = channel(saved, shift), d = channel(diff, shift);
    out |= uint32_t((s + (((d - s) * a) >> 8)) & 0xFF) << shift;
  }
  return true;
}

C_BaseLayer::C_BaseLayer() : id(engine::context().nextLayerId++) {
  slots[0] = std::make_unique<PictureSlot>();
  slots[1] = std::make_unique<PictureSlot>();
  if (const C_TextureFact* f = engine::context().textureFact) slots[0]->info = slots[1]->info = f->defaultInfo;
}

C_BaseLayer::~C_BaseLayer() {
  for (int i = 0; i < 2; ++i) {
    PictureSlot& s = *slots[i];
    releaseDifference(s);
    const int32_t saved = currentSlot;
    currentSlot = i;
    releasePicture(false);
    currentSlot = saved;
    s.auxTexture.reset();
  }
}

void C_BaseLayer::resetIdCounterForTests() { engine::context().nextLayerId = 1; }

void C_BaseLayer::swapSlots() { std::swap(slots[0], slots[1]); }

bool C_BaseLayer::isOtherSlotShown() {
  const PictureSlot& o = otherPicture();
  return o.loaded && o.alpha() != 0;
}

const char* C_BaseLayer::getPictureName() { return currentPicture().name; }

// ---- Pictures ------------------------------------------------------------------------------------

void C_BaseLayer::loadClickMap(PictureSlot& s, const char* /*file*/) {
  // A new picture starts without regions; solid characters read their picture's click map
  // (chara/ClickMap) when they load a mesh, the only pictures whose regions are ever asked.
  s.clickMap.reset();
}

void C_BaseLayer::releasePicture(bool other) {
  PictureSlot& s = slot(other);
  s.textureRef.reset();
  // The slot must not keep drawing a texture it gave back.
  s.texture.reset();
  s.blankDepth.reset();
  s.name[0] = '\0';
}

void C_BaseLayer::setPicture(const char* file, const int32_t* rect, bool other) {
  PictureSlot& s = slot(other);
  C_TextureFact* factory = engine::context().textureFact;
  if (file && file[0] != '\0') {
    // A picture still held by the slot is given back, or its reference would never be.
    TextureRef previous = std::move(s.textureRef);
    copyName(s.name, file);
    s.presetIndex = -1;
    s.textureRef = factory ? factory->acquire(s.name) : TextureRef();
    TextureEntry* entry = s.textureRef.entry();
    s.texture = entry ? entry->texture : nullptr;
    s.auxTexture.reset();
    s.blankDepth.reset();
    previous.reset();
  }
  s.info = factory ? factory->getPictureInfo(file) : PictureInfo{};
  if (rect) {
    for (int i = 0; i < 4; ++i) s.sourceRect[i] = rect[i];
    s.textureRect[0] = int32_t(float(rect[0]) / s.info.ratioX);
    s.textureRect[1] = int32_t(float(rect[1]) / s.info.ratioY);
    s.textureRect[2] = int32_t(float(rect[2]) / s.info.ratioX);
    s.textureRect[3] = int32_t(float(rect[3]) / s.info.ratioY);
  } else {
    s.sourceRect[0] = s.sourceRect[1] = 0;
    s.sourceRect[2] = s.info.imageWidth;
    s.sourceRect[3] = s.info.imageHeight;
    s.textureRect[0] = s.textureRect[1] = 0;
    s.textureRect[2] = s.info.textureWidth;
    s.textureRect[3] = s.info.textureHeight;
  }
  s.width = int16_t(s.info.imageWidth);
  s.height = int16_t(s.info.imageHeight);
  loadClickMap(s, file);
  s.loaded = true;
  // Without a file the slot keeps its texture, and with it the way that texture is given back:
  // a texture of its own marked shared would be released by name, a reference it never took.
  if (file && file[0] != '\0') s.sharedTexture = true;
}

void C_BaseLayer::changePicture(const char* file, int32_t durationMs) {
  swapSlots();
  setPicture(file, nullptr, false);
  slots[0]->colour &= 0x00FFFFFFu;
  startAlphaFade(255, durationMs, currentSlot != 0);
}

void C_BaseLayer::setPresetPicture(int32_t index, bool other) {
  platform::messageBox(CP932("この関数は呼ばれたくない"), CP932("警告"), platform::mb::Ok);
  setPicture(PresetPictureName(index), nullptr, other);
  slot(other).presetIndex = index;
}

void C_BaseLayer::createBlankPicture(int32_t width, int32_t height, bool other) {
  platform::messageBox(CP932("この関数は呼ばれたくない"), CP932("警告"), platform::mb::Ok);
  gfx::Device* device = engine::context().device;
  if (!device) return;
  PictureSlot& s = slot(other);
  releasePicture(other);
  gfx::TexturePtr texture;
  if (device->createTexture(width, height, 1, gfx::usage::RenderTarget, gfx::Pool::Default, texture) !=
      gfx::result::Ok) {
    platform::messageBox(CP932("テクスチャの作成に失敗しました"), "", platform::mb::Ok);
    return;
  }
  gfx::SurfacePtr depth;
  if (device->createDepthStencilSurface(texture->width(0), texture->height(0), depth) != gfx::result::Ok) {
    platform::messageBox(CP932("テクスチャ用のZバッファ作成に失敗しました"), "", platform::mb::Ok);
    return;
  }
  s.texture = texture;
  s.blankDepth = depth;
  s.info.imageWidth = s.info.textureWidth = uint16_t(texture->width(0));
  s.info.imageHeight = s.info.textureHeight = uint16_t(texture->height(0));
  s.info.ratioX = s.info.ratioY = 1.0f;
  s.sourceRect[0] = s.sourceRect[1] = s.textureRect[0] = s.textureRect[1] = 0;
  s.sourceRect[2] = s.textureRect[2] = s.info.imageWidth;
  s.sourceRect[3] = s.textureRect[3] = s.info.imageHeight;
  s.width = int16_t(s.info.imageWidth);
  s.height = int16_t(s.info.imageHeight);
  s.presetIndex = -1;
  s.loaded = true;
  s.sharedTexture = false;
}

void C_BaseLayer::setPictureComposite(const char* baseFile, const char* diffFile, int32_t x, int32_t y, bool other) {
  gfx::Device* device = engine::context().device;
  // Both sizes, and the difference must lie inside the base.
  gfx::ImageInfo baseInfo, diffInfo;
  getImageInfo(baseFile, baseInfo);
  getImageInfo(diffFile, diffInfo);
  if (!DifferenceFitsBase(int32_t(baseInfo.width), int32_t(baseInfo.height), x, y, int32_t(diffInfo.width),
                          int32_t(diffInfo.height))) {
    platform::messageBox(CP932("差分は、ベース画像からはみ出て指定はできません"), CP932("テクスチャエラー"),
                         platform::mb::Ok);
    return;
  }
  // Both pictures at their own size in processor memory.
  gfx::TexturePtr base, diff;
  if (loadTexture(baseFile, int32_t(baseInfo.width), int32_t(baseInfo.height), gfx::Pool::SystemMem, base) !=
      gfx::result::Ok) {
    platform::warningOutput(std::string("picture cannot be loaded: ") + (baseFile ? baseFile : ""));
    platform::messageBox(baseFile ? baseFile : "", CP932("テクスチャ読み込みエラー"), platform::mb::Ok);
    return;
  }
  if (loadTexture(diffFile, int32_t(diffInfo.width), int32_t(diffInfo.height), gfx::Pool::SystemMem, diff) !=
      gfx::result::Ok) {
    platform::warningOutput(std::string("picture cannot be loaded: ") + (diffFile ? diffFile : ""));
    platform::messageBox(diffFile ? diffFile : "", CP932("テクスチャ読み込みエラー"), platform::mb::Ok);
    return;
  }
  if (!device) return;
  // Compose the difference into the base, pixel by pixel.
  gfx::LockedRect bl, dl;
  if (base->lockRect(0, bl) != gfx::result::Ok) return;
  if (diff->lockRect(0, dl) != gfx::result::Ok) {
    base->unlockRect(0);
    return;
  }
  for (uint32_t j = 0; j < diffInfo.height; ++j) {
    uint32_t* b = reinterpret_cast<uint32_t*>(bl.bits + size_t(uint32_t(y) + j) * size_t(bl.pitch)) + x;
    const uint32_t* d = reinterpret_cast<const uint32_t*>(dl.bits + size_t(j) * size_t(dl.pitch));
    for (uint32_t i = 0; i < diffInfo.width; ++i) b[i] = ComposePixel(b[i], d[i]);
  }
  diff->unlockRect(0);
  // A managed texture of the base size owned by the slot.
  gfx::TexturePtr composed;
  if (device->createTexture(int32_t(baseInfo.width), int32_t(baseInfo.height), 1, 0, gfx::Pool::Managed, composed) !=
      gfx::result::Ok) {
    base->unlockRect(0);
    return;
  }
  gfx::LockedRect cl;
  if (composed->lockRect(0, cl) == gfx::result::Ok) {
    for (uint32_t j = 0; j < baseInfo.height; ++j)
      std::memcpy(cl.bits + size_t(j) * size_t(cl.pitch), bl.bits + size_t(j) * size_t(bl.pitch),
                  size_t(baseInfo.width) * 4);
    composed->unlockRect(0);
  }
  base->unlockRect(0);

  releasePicture(other);
  PictureSlot& s = slot(other);
  copyName(s.name, baseFile);
  s.presetIndex = -1;
  s.texture = composed;
  s.info.imageWidth = uint16_t(baseInfo.width);
  s.info.imageHeight = uint16_t(baseInfo.height);
  s.info.textureWidth = uint16_t(composed->width(0));
  s.info.textureHeight = uint16_t(composed->height(0));
  s.info.ratioX = float(s.info.imageWidth) / float(s.info.textureWidth);
  s.info.ratioY = float(s.info.imageHeight) / float(s.info.textureHeight);
  s.sourceRect[0] = s.sourceRect[1] = s.textureRect[0] = s.textureRect[1] = 0;
  s.sourceRect[2] = s.info.imageWidth;
  s.sourceRect[3] = s.info.imageHeight;
  s.textureRect[2] = s.info.textureWidth;
  s.textureRect[3] = s.info.textureHeight;
  s.width = int16_t(s.info.imageWidth);
  s.height = int16_t(s.info.imageHeight);
  s.auxTexture.reset();
  // The click map follows the base picture's name.
  loadClickMap(s, baseFile);
  s.loaded = true;
  s.sharedTexture = false;
}

// ---- Draws -----------------------------------------------------------------------------------------

void C_BaseLayer::drawSlotSprite(PictureSlot& s, uint32_t colour, bool forDrawBoth, float depth) {
  gfx::SpriteBatch* batch = spriteBatch();
  if (!batch || !s.texture) return;
  const engine::Engine& e = engine::context();
  const float shift = forDrawBoth ? 0.0f : -0.5f;
  const gfx::Matrix world =
      gfx::Matrix::rotationZ(s.rotation) *
      gfx::Matrix::scaling(s.info.ratioX * s.scaleX, s.info.ratioY * s.scaleY, 1.0f) *
      gfx::Matrix::translation(float(e.screenWidth >> 1) + s.x + shift, float(e.screenHeight >> 1) + s.y + shift,
                               forDrawBoth ? depth : 0.5f);
  const gfx::Vec3 centre = forDrawBoth ? gfx::Vec3{float(s.info.textureWidth / 2), float(s.info.textureHeight / 2), 0}
                                       : gfx::Vec3{float(s.info.imageWidth / 2), float(s.info.imageHeight / 2), 0};
  const gfx::Rect src{s.textureRect[0], s.textureRect[1], s.textureRect[2], s.textureRect[3]};
  batch->setTransform(world);
  batch->draw(s.texture, &src, &centre, nullptr, colour);
}

void C_BaseLayer::draw() {
  PictureSlot& s = currentPicture();
  drawSlotSprite(s, s.colour, false, 0.5f);
}

void C_BaseLayer::createQuadBuffer() {
  if (engine::context().quadBuffer) return;
  gfx::Device* device = engine::context().device;
  if (!device) return;
  if (device->createVertexBuffer(4 * sizeof(QuadVertex), gfx::usage::WriteOnly, kQuadFvf, gfx::Pool::Managed,
                                 engine::context().quadBuffer) != gfx::result::Ok)
    return;
  void* data = nullptr;
  if (engine::context().quadBuffer->lock(0, 0, &data) != gfx::result::Ok) {
    platform::messageBox(CP932("C_BaseLayer頂点バッファのロックに失敗"), "ERROR", platform::mb::Ok);
    return;
  }
  const QuadVertex v[4] = {{-0.5f, -0.5f, 0.1f, 0xFFFFFFFFu, 0.0f, 0.0f},
                           {-0.5f, 0.5f, 0.1f, 0xFFFFFFFFu, 0.0f, 1.0f},
                           {0.5f, -0.5f, 0.1f, 0xFFFFFFFFu, 1.0f, 0.0f},
                           {0.5f, 0.5f, 0.1f, 0xFFFFFFFFu, 1.0f, 1.0f}};
  std::memcpy(data, v, sizeof v);
  if (engine::context().quadBuffer->unlock() != gfx::result::Ok)
    platform::messageBox(CP932("C_BaseLayer頂点バッファのアンロックに失敗"), "ERROR", platform::mb::Ok);
}

void C_BaseLayer::releaseQuadBuffer() { engine::context().quadBuffer.reset(); }

const gfx::VertexBufferPtr& C_BaseLayer::quadBuffer() { return engine::context().quadBuffer; }

void C_BaseLayer::setSlotBlendStates(gfx::Device& device, bool otherSlot) {
  device.setRenderState(gfx::RenderState::SrcBlend, otherSlot ? gfx::blend::One : gfx::blend::SrcAlpha);
  device.setRenderState(gfx::RenderState::DestBlend, gfx::blend::InvSrcAlpha);
  device.setRenderState(gfx::RenderState::SrcBlendAlpha, gfx::blend::One);
  device.setRenderState(gfx::RenderState::DestBlendAlpha, otherSlot ? gfx::blend::InvSrcAlpha : gfx::blend::One);
}

void C_BaseLayer::drawQuad() {
  gfx::Device* device = engine::context().device;
  if (!device || !visible) return;
  device->setRenderState(gfx::RenderState::SeparateAlphaBlendEnable, 1);
  for (int pass = 0; pass < 2; ++pass) {
    const bool otherSlot = pass == 0;
    PictureSlot& s = slot(otherSlot);
    if (!s.loaded || s.alpha() == 0) continue;
    // The old picture goes under as it is, the current one blends by its alpha.
    setSlotBlendStates(*device, otherSlot);
    // Each slot is drawn on a fresh depth buffer, its alpha scaled by the slot's colour.
    device->clear(gfx::clearflag::ZBuffer, 0, 1.0f, 0);
    device->setRenderState(gfx::RenderState::TextureFactor, s.colour);
    device->setTextureStageState(0, gfx::TextureStageState::AlphaOp, gfx::top::Modulate);
    device->setTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::ta::Texture);
    device->setTextureStageState(0, gfx::TextureStageState::AlphaArg2, gfx::ta::TFactor);
    // A slot without a texture still leaves its stage empty, so nothing stale is drawn.
    if (!s.texture || !engine::context().quadBuffer) {
      device->setTexture(0, nullptr);
      continue;
    }
    device->setTransform(gfx::TransformType::World,
                         gfx::Matrix::rotationZ(s.rotation) *
                             gfx::Matrix::scaling(float(s.width) * s.scaleX, float(s.height) * s.scaleY, 1.0f) *
                             gfx::Matrix::translation(s.x - 0.5f, s.y - 0.5f, 0.0f));
    device->setTransform(gfx::TransformType::Projection, CentredProjection());
    device->setTexture(0, s.texture);
    device->setStreamSource(0, engine::context().quadBuffer, 0, sizeof(QuadVertex));
    device->setFVF(kQuadFvf);
    if (s.useUvRect) {
      // A 2D texture transform keeps its translation in the third row.
      gfx::Matrix t = gfx::Matrix::scaling(s.uvScale[0], s.uvScale[1], 1.0f);
      t.m[2][0] = s.uvOffset[0];
      t.m[2][1] = s.uvOffset[1];
      device->setTransform(gfx::TransformType::Texture0, t);
      device->setTextureStageState(0, gfx::TextureStageState::TextureTransformFlags, gfx::ttff::Count2);
    }
    device->drawPrimitive(gfx::PrimitiveType::TriangleStrip, 0, 2);
    if (s.useUvRect) device->setTextureStageState(0, gfx::TextureStageState::TextureTransformFlags, gfx::ttff::Disable);
  }
  // The stage's alpha is put back to texture x diffuse for the sprite draws that follow.
  device->setTextureStageState(0, gfx::TextureStageState::AlphaOp, gfx::top::Modulate);
  device->setTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::ta::Texture);
  device->setTextureStageState(0, gfx::TextureStageState::AlphaArg2, gfx::ta::Diffuse);
  device->setRenderState(gfx::RenderState::SeparateAlphaBlendEnable, 0);
}

}  // namespace layer
