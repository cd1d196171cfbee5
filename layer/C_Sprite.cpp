// C_Sprite, the preset pictures and the character render target.
#include "layer/C_Sprite.h"

#include <cstring>

#include "engine/Engine.h"
#include "layer/C_SpriteFact.h"
#include "layer/C_TextureFact.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"

namespace layer {

namespace {

const char* const kPresetPictures[PresetPictureCount] = {
    "obj\\img\\tipCcircle.png",  "obj\\img\\tipTriangle.png", "obj\\img\\tipSquare.png",
    "obj\\img\\tipViewArea.png", "obj\\img\\target1.png",     "obj\\img\\weaponLine.bmp",
};

C_Sprite* g_charaTarget = nullptr;
bool g_charaTargetReady = false;
gfx::SurfacePtr g_savedTarget, g_savedDepth;

void copyName(char (&dst)[128], const char* src) {
  std::strncpy(dst, src ? src : "", sizeof dst - 1);
  dst[sizeof dst - 1] = '\0';
}

}  // namespace

const char* PresetPictureName(int32_t index) {
  return (index >= 0 && index < PresetPictureCount) ? kPresetPictures[index] : "";
}

gfx::Matrix CentredProjection() {
  const engine::Engine& e = engine::context();
  const float w = float(e.screenWidth), h = float(e.screenHeight);
  return gfx::Matrix::orthoOffCenterLH(-w / 2, w / 2, h / 2, -h / 2, -10.0f, 10.0f);
}

C_Sprite::~C_Sprite() {
  if (holdsFactoryTexture_ && engine::context().textureFact) engine::context().textureFact->releaseTexture(name);
}

void C_Sprite::setSpritePicture(const char* file) {
  C_TextureFact* factory = engine::context().textureFact;
  if (holdsFactoryTexture_ && factory) factory->releaseTexture(name);
  holdsFactoryTexture_ = false;
  copyName(name, file);
  presetIndex = -1;
  texture.reset();
  depthSurface.reset();
  if (factory) {
    if (TextureEntry* entry = factory->acquireTexture(name)) {
      texture = entry->texture;
      holdsFactoryTexture_ = true;
    }
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
  const gfx::Matrix world = gfx::Matrix::scaling(scaleX, scaleY, 1.0f) * gfx::Matrix::rotationZ(rotation) *
                            gfx::Matrix::translation(float((e.screenWidth >> 1)) + x,
                                                     float((e.screenHeight >> 1)) + y, depth);
  if (!insideBatch) batch->begin(gfx::spriteflag::AlphaBlend);
  batch->setTransform(world);
  const gfx::Rect src{sourceRect[0], sourceRect[1], sourceRect[2], sourceRect[3]};
  const gfx::Vec3 centre{float(width / 2), float(height / 2), 0.0f};
  batch->draw(texture, &src, &centre, nullptr, colour);
  if (!insideBatch) batch->end();
}

// ---- Character render target ---------------------------------------------------------------------

void createCharaRenderTarget() {
  if (g_charaTarget) {
    platform::messageBox(CP932("キャラ用レンダリングターゲットがNULLじゃない状態で生成関数が呼ばれた"), "WORNING",
                         platform::mb::Ok);
    return;
  }
  gfx::Device* device = engine::context().device;
  auto* sprite = new C_Sprite();
  g_charaTarget = sprite;
  if (!device) return;
  const engine::Engine& e = engine::context();
  if (device->createTexture(e.screenWidth, e.screenHeight, 1, gfx::usage::RenderTarget, gfx::Pool::Default,
                            sprite->texture) != gfx::result::Ok) {
    platform::messageBox(CP932("テクスチャの作成に失敗しました"), "", platform::mb::Ok);
    return;
  }
  if (device->createDepthStencilSurface(sprite->texture->width(0), sprite->texture->height(0),
                                        sprite->depthSurface) != gfx::result::Ok) {
    platform::messageBox(CP932("テクスチャ用のZバッファ作成に失敗しました"), "", platform::mb::Ok);
    return;
  }
  sprite->width = sprite->texture->width(0);
  sprite->height = sprite->texture->height(0);
  sprite->sourceRect[2] = sprite->width;
  sprite->sourceRect[3] = sprite->height;
  g_charaTargetReady = true;
}

void destroyCharaRenderTarget() {
  if (g_charaTarget) {
    g_charaTarget->texture.reset();
    g_charaTarget->depthSurface.reset();
    delete g_charaTarget;
    g_charaTarget = nullptr;
  }
  g_charaTargetReady = false;
  g_savedTarget.reset();
  g_savedDepth.reset();
}

C_Sprite* charaRenderTarget() { return g_charaTarget; }
bool charaRenderTargetReady() { return g_charaTargetReady; }

void beginCharaRender(bool fullOrtho, bool keepTarget) {
  gfx::Device* device = engine::context().device;
  if (!device) return;
  const engine::Engine& e = engine::context();
  if (!keepTarget && g_charaTarget && g_charaTarget->texture && g_charaTarget->depthSurface) {
    g_savedTarget = device->getRenderTarget();
    g_savedDepth = device->getDepthStencilSurface();
    device->setRenderTarget(g_charaTarget->texture->surfaceLevel(0));
    device->setDepthStencilSurface(g_charaTarget->depthSurface);
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
  gfx::Device* device = engine::context().device;
  if (!device) return;
  if (g_savedTarget) device->setRenderTarget(g_savedTarget);
  if (g_savedTarget || g_savedDepth) device->setDepthStencilSurface(g_savedDepth);
  g_savedTarget.reset();
  g_savedDepth.reset();
  if (!g_charaTarget) return;
  g_charaTarget->colour = colour;
  g_charaTarget->drawSprite(false, 0.5f);
}

}  // namespace layer
