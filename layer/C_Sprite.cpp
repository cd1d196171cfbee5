// C_Sprite, the preset pictures and the character render target.
#include "layer/C_Sprite.h"

#include <cstring>
#include <memory>

#include "engine/Engine.h"
#include "layer/C_SpriteFact.h"
#include "layer/C_TextureFact.h"
#include "layer/CopyName.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"

namespace layer {

namespace {

const char* const kPresetPictures[PresetPictureCount] = {
    "obj\\img\\tipCcircle.png",  "obj\\img\\tipTriangle.png", "obj\\img\\tipSquare.png",
    "obj\\img\\tipViewArea.png", "obj\\img\\target1.png",     "obj\\img\\weaponLine.bmp",
};

}  // namespace

const char* PresetPictureName(int32_t index) {
  return (index >= 0 && index < PresetPictureCount) ? kPresetPictures[index] : "";
}

gfx::Matrix CentredProjection() {
  const engine::Engine& e = engine::context();
  const float w = float(e.screenWidth), h = float(e.screenHeight);
  return gfx::Matrix::orthoOffCenterLH(-w / 2, w / 2, h / 2, -h / 2, -10.0f, 10.0f);
}

C_Sprite::~C_Sprite() = default;

void C_Sprite::setSpritePicture(const char* file) {
  C_TextureFact* factory = engine::context().textureFact;
  textureRef_.reset();
  copyName(name, file);
  presetIndex = -1;
  texture.reset();
  depthSurface.reset();
  if (factory) {
    textureRef_ = factory->acquire(name);
    if (TextureEntry* entry = textureRef_.entry()) texture = entry->texture;
  }
  width = texture ? texture->width(0) : 0;
  height = texture ? texture->height(0) : 0;
  sourceRect[0] = sourceRect[1] = 0;
  sourceRect[2] = width;
  sourceRect[3] = height;
}

void C_Sprite::setSpritePreset() {
  setSpritePicture(PresetPictureName(0));
  presetIndex = 0;
}

void C_Sprite::drawSprite(bool insideBatch, float depth) {
  gfx::SpriteBatch* batch = spriteBatch();
  if (!batch || !texture) return;
  const engine::Engine& e = engine::context();
  const gfx::Matrix world =
      gfx::Matrix::scaling(scaleX, scaleY, 1.0f) * gfx::Matrix::rotationZ(rotation) *
      gfx::Matrix::translation(float((e.screenWidth >> 1)) + x, float((e.screenHeight >> 1)) + y, depth);
  if (!insideBatch) batch->begin(gfx::spriteflag::AlphaBlend);
  batch->setTransform(world);
  const gfx::Rect src{sourceRect[0], sourceRect[1], sourceRect[2], sourceRect[3]};
  const gfx::Vec3 centre{float(width / 2), float(height / 2), 0.0f};
  batch->draw(texture, &src, &centre, nullptr, colour);
  if (!insideBatch) batch->end();
}

// ---- Character render target ---------------------------------------------------------------------

void createCharaRenderTarget() {
  if (engine::context().charaTarget) {
    platform::messageBox(CP932("キャラ用レンダリングターゲットがNULLじゃない状態で生成関数が呼ばれた"), "WORNING",
                         platform::mb::Ok);
    return;
  }
  engine::Engine& e = engine::context();
  gfx::Device* device = e.device;
  e.charaTarget = engine::makeOwned<C_Sprite>();
  C_Sprite* sprite = e.charaTarget.get();
  if (!device) return;
  if (device->createTexture(e.screenWidth, e.screenHeight, 1, gfx::usage::RenderTarget, gfx::Pool::Default,
                            sprite->texture) != gfx::result::Ok) {
    platform::messageBox(CP932("テクスチャの作成に失敗しました"), "", platform::mb::Ok);
    return;
  }
  if (device->createDepthStencilSurface(sprite->texture->width(0), sprite->texture->height(0), sprite->depthSurface) !=
      gfx::result::Ok) {
    platform::messageBox(CP932("テクスチャ用のZバッファ作成に失敗しました"), "", platform::mb::Ok);
    return;
  }
  sprite->width = sprite->texture->width(0);
  sprite->height = sprite->texture->height(0);
  sprite->sourceRect[2] = sprite->width;
  sprite->sourceRect[3] = sprite->height;
  e.charaTargetReady = true;
}

void destroyCharaRenderTarget() {
  engine::Engine& e = engine::context();
  if (e.charaTarget) {
    e.charaTarget->texture.reset();
    e.charaTarget->depthSurface.reset();
    e.charaTarget.reset();
  }
  e.charaTargetReady = false;
  e.savedTarget.reset();
  e.savedDepth.reset();
}

C_Sprite* charaRenderTarget() { return engine::context().charaTarget.get(); }
bool charaRenderTargetReady() { return engine::context().charaTargetReady; }

void beginCharaRender(bool fullOrtho, bool keepTarget) {
  engine::Engine& e = engine::context();
  gfx::Device* device = e.device;
  if (!device) return;
  C_Sprite* target = e.charaTarget.get();
  if (!keepTarget && target && target->texture && target->depthSurface) {
    e.savedTarget = device->getRenderTarget();
    e.savedDepth = device->getDepthStencilSurface();
    device->setRenderTarget(target->texture->surfaceLevel(0));
    device->setDepthStencilSurface(target->depthSurface);
    device->clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer | gfx::clearflag::Stencil, 0x00000000u, 1.0f, 0);
  }
  device->setTransform(gfx::TransformType::View, gfx::Matrix::lookAtLH({0, 0, -10}, {0, 0, 0}, {0, 1, 0}));
  if (fullOrtho)
    device->setTransform(gfx::TransformType::Projection,
                         gfx::Matrix::orthoLH(float(e.screenWidth), float(e.screenHeight), 1.0f, 30.0f));
  else
    device->setTransform(gfx::TransformType::Projection, CentredProjection());
  device->setRenderState(gfx::RenderState::SrcBlend, gfx::blend::SrcAlpha);
  device->setRenderState(gfx::RenderState::DestBlend, gfx::blend::InvSrcAlpha);
}

void endCharaRender(uint32_t colour) {
  engine::Engine& e = engine::context();
  gfx::Device* device = e.device;
  if (!device) return;
  C_Sprite* target = e.charaTarget.get();
  if (e.savedTarget) device->setRenderTarget(e.savedTarget);
  if (e.savedTarget || e.savedDepth) device->setDepthStencilSurface(e.savedDepth);
  e.savedTarget.reset();
  e.savedDepth.reset();
  if (!target) return;
  target->colour = colour;
  target->drawSprite(false, 0.5f);
}

}  // namespace layer
