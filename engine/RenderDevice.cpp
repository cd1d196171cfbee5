// The render device: creation with its fall-back chain, the common state, the frame's render
// step with recovery from a lost device, the debug text and the screen fade overlay.
#include "engine/RenderDevice.h"

#include "app/C_GameProg.h"
#include "engine/DebugFont.h"
#include "engine/Engine.h"
#include "archive/ArchiveSet.h"
#include "layer/C_BaseCharaLayer.h"
#include "layer/C_Sprite.h"
#include "layer/C_SpriteFact.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "scene/C_BaseScene.h"

namespace engine {

namespace {

RenderObjects g_render;
std::function<void()> g_beforePresent;
bool g_lossSimulatedThisFrame = false;

scene::C_BaseScene* currentScene() {
  app::C_GameProg* prog = engine::context().gameProg;
  return prog ? prog->currentScene : nullptr;
}

// D3DXCreateEffect on the archived bytes (or the disk file): the loader's own message on failure.
std::unique_ptr<Effect> LoadEffect(const char* fileName) {
  auto effect = std::make_unique<Effect>();
  effect->fileName = fileName;
  if (!archive::LoadGameFile(fileName, effect->bytes) || effect->bytes.empty()) {
    platform::messageBox(CP932("シェーダーファイル読み込み失敗"), "", platform::mb::Ok);
    return nullptr;
  }
  return effect;
}

}  // namespace

RenderObjects& renderObjects() { return g_render; }

bool CreateRenderDevice() {
  Engine& e = engine::context();
  // 1-2. The device library and the display mode need no step of their own here.
  // 3.
  PresentParams& pp = g_render.presentParams;
  pp.backBufferWidth = e.screenWidth;
  pp.backBufferHeight = e.screenHeight;
  pp.windowed = e.windowed;
  // 4. An accelerated context first, then Mesa's software rasteriser as the reference device.
  gfx::DeviceConfig config;
  void* window = e.platform ? e.platform->window().nativeHandle() : nullptr;
  config.kind = (e.platform && e.platform->kind() == platform::Kind::Desktop && window) ? gfx::ContextKind::Desktop
                                                                                          : gfx::ContextKind::Headless;
  config.nativeWindow = window;
  config.backBufferWidth = pp.backBufferWidth;
  config.backBufferHeight = pp.backBufferHeight;
  std::unique_ptr<gfx::Device> device = gfx::createDevice(config);
  if (device) {
    g_render.deviceLevel = device->info().softwareRasteriser ? 0 : 3;
  } else {
    config.forceSoftware = true;
    device = gfx::createDevice(config);
    g_render.deviceLevel = 0;
  }
  if (!device) {
    platform::messageBox(CP932("DirectX3Dの初期化に失敗しました"), "ERROR", platform::mb::Ok | platform::mb::IconError);
    return false;
  }
  g_render.device = std::move(device);
  e.device = g_render.device.get();
  gfx::Device& d = *e.device;
  // 5.
  d.clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0xFF000000u, 1.0f, 0);
  if (d.info().shaderModel2) g_render.deviceLevel += 4;
  // 6. The back buffer's depth buffer is D24S8, so stencil is available.
  d.setRenderState(gfx::RenderState::CullMode, gfx::cull::CCW);
  d.setRenderState(gfx::RenderState::StencilEnable, 1);
  SetCommonRenderState(true);
  // 7.
  for (auto& slot : g_render.fontSlots) slot.reset();
  g_render.debugSprite = std::make_unique<gfx::SpriteBatch>(d);
  CreateDebugFont();
  // 8.
  if (g_render.deviceLevel & 4) {
    g_render.lambertEffect = LoadEffect("lambart.fx");
    if (!g_render.lambertEffect) {
      platform::messageBox(CP932("シェーダーファイル読み込み失敗"), "", platform::mb::Ok);
      return false;
    }
    g_render.shadowEffect = LoadEffect("ShadowMap.fx");
    if (!g_render.shadowEffect) {
      platform::messageBox(CP932("シェーダーファイル読み込み失敗"), "", platform::mb::Ok);
      return false;
    }
  }
  // 9.
  layer::createCharaRenderTarget();
  layer::C_BaseLayer::createQuadBuffer();
  // 10.
  d.present();
  return true;
}

void SetCommonRenderState(bool atCreation) {
  gfx::Device* d = engine::context().device;
  if (!d) return;
  d->setRenderState(gfx::RenderState::Lighting, 0);
  d->setRenderState(gfx::RenderState::Ambient, 0);
  d->setRenderState(gfx::RenderState::FogEnable, 0);
  d->setRenderState(gfx::RenderState::NormalizeNormals, 0);
  d->setRenderState(gfx::RenderState::AlphaBlendEnable, 1);
  d->setRenderState(gfx::RenderState::AlphaRef, 0);
  d->setRenderState(gfx::RenderState::AlphaTestEnable, 1);
  d->setRenderState(gfx::RenderState::AlphaFunc, gfx::cmp::Greater);
  if (atCreation) d->setRenderState(gfx::RenderState::ZEnable, 1);
  d->setSamplerState(0, gfx::SamplerState::MinFilter, gfx::texf::Linear);
  d->setSamplerState(0, gfx::SamplerState::MagFilter, gfx::texf::Linear);
  d->setSamplerState(0, gfx::SamplerState::AddressU, gfx::taddress::Clamp);
  d->setSamplerState(0, gfx::SamplerState::AddressV, gfx::taddress::Clamp);
}

int32_t CreateDebugFont() {
  gfx::Device* d = engine::context().device;
  if (!d) return -1;
  for (int32_t i = 0; i < 4; ++i) {
    if (g_render.fontSlots[i]) continue;
    // Height -24 (a 24-pixel em), bold, antialiased.
    g_render.fontSlots[i] = DebugFont::create(*d, -24, 700, 4, CP932("ＭＳ 明朝"));
    return g_render.fontSlots[i] ? i : -1;
  }
  return -1;
}

void RenderFrame() {
  gfx::Device* d = engine::context().device;
  if (!d) return;
  bool done = false;
  if (d->testCooperativeLevel() == gfx::result::Ok) {
    scene::C_BaseScene* scene = currentScene();
    const int32_t hr = scene ? scene->render() : gfx::result::Ok;
    done = hr != gfx::result::DeviceLost;
  }
  // The device was not usable, or the frame's Present found it lost.
  if (!done && d->testCooperativeLevel() == gfx::result::DeviceNotReset) ResetDevice();
  // A simulated loss reports lost for one frame, then not-reset.
  if (g_lossSimulatedThisFrame) {
    g_lossSimulatedThisFrame = false;
    d->simulateDeviceNotReset();
  }
}

void ResetDevice() {
  gfx::Device* d = engine::context().device;
  if (!d) return;
  scene::C_BaseScene* scene = currentScene();
  // 1.
  if (g_render.fontSlots[0]) g_render.fontSlots[0]->onLostDevice();
  if (g_render.debugSprite) g_render.debugSprite->onLostDevice();
  if (g_render.lambertEffect) g_render.lambertEffect->onLostDevice();
  if (g_render.shadowEffect) g_render.shadowEffect->onLostDevice();
  if (gfx::SpriteBatch* batch = layer::spriteBatch()) batch->onLostDevice();
  if (scene) scene->onDeviceLost();
  // 2.
  bool reset = false;
  for (int attempt = 0; attempt < 5 && !reset; ++attempt) reset = d->reset() == gfx::result::Ok;
  if (!reset) return;
  // 3.
  SetCommonRenderState(false);
  if (scene) scene->onDeviceReset();
}

bool DeviceUsable() {
  gfx::Device* d = engine::context().device;
  return !d || d->testCooperativeLevel() == gfx::result::Ok;
}

void DrawDebugText() {
  if (g_render.debugText.empty() || !g_render.fontSlots[0] || !g_render.debugSprite) return;
  const Engine& e = engine::context();
  gfx::SpriteBatch& batch = *g_render.debugSprite;
  batch.begin(gfx::spriteflag::AlphaBlend | gfx::spriteflag::SortTexture);
  const gfx::Rect rect{10, int32_t(float(e.screenHeight) * 0.7f), 780, e.screenHeight};
  g_render.fontSlots[0]->drawText(batch, g_render.debugText, rect, 0xFFFFFFFFu);
  batch.end();
}

void DrawScreenFade() {
  const Engine& e = engine::context();
  const ScreenFade& f = e.fade;
  // 1.
  if (!f.fadeVisible || !e.fadeOverlay) return;
  // 2.
  int32_t alpha = 255;
  if (f.fadeDirection != 0 && f.fadeDuration <= 0) {
    alpha = f.fadeDirection == -1 ? 0 : 255;
  } else if (f.fadeDirection == -1) {
    alpha = int32_t(float(f.fadeRemaining) / float(f.fadeDuration) * 255.0f);
  } else if (f.fadeDirection == 1) {
    alpha = int32_t(float(f.fadeDuration - f.fadeRemaining) / float(f.fadeDuration) * 255.0f);
  }
  alpha = alpha < 0 ? 0 : (alpha > 255 ? 255 : alpha);
  // 3.
  layer::PictureSlot& s = e.fadeOverlay->currentPicture();
  s.colour = uint32_t(alpha) << 24 | (f.fadeColour & 0x00FFFFFFu);
  const float width = s.width > 0 ? float(s.width) : 1.0f, height = s.height > 0 ? float(s.height) : 1.0f;
  s.scaleX = 1024.0f / width * e.screenScale;
  s.scaleY = 768.0f / height * e.screenScale;
  s.x = s.y = 0.0f;
  // 4.
  gfx::SpriteBatch* batch = layer::spriteBatch();
  if (!batch) return;
  batch->begin(gfx::spriteflag::AlphaBlend);
  e.fadeOverlay->drawBoth(0.0f);
  batch->end();
}

int32_t PresentFrame() {
  gfx::Device* d = engine::context().device;
  if (!d) return gfx::result::Ok;
  if (g_beforePresent) g_beforePresent();
  return d->present();
}

void ReleaseDebugObjects() {
  for (auto& slot : g_render.fontSlots) slot.reset();
  g_render.debugSprite.reset();
}

void ReleaseEffects() {
  g_render.shadowEffect.reset();
  g_render.lambertEffect.reset();
}

void DestroyRenderDevice() {
  Engine& e = engine::context();
  ReleaseDebugObjects();
  ReleaseEffects();
  e.device = nullptr;
  g_render.device.reset();
  g_render.deviceLevel = 0;
}

void SimulateDeviceLoss() {
  gfx::Device* d = engine::context().device;
  if (!d) return;
  d->simulateDeviceLost();
  g_lossSimulatedThisFrame = true;
}

void SetBeforePresentHook(std::function<void()> hook) { g_beforePresent = std::move(hook); }

bool ReadBackBuffer(std::vector<uint8_t>& rgba, int& width, int& height) {
  gfx::Device* d = engine::context().device;
  if (!d) return false;
  std::vector<uint32_t> argb;
  if (d->readSurface(d->getBackBuffer(), argb) != gfx::result::Ok) return false;
  width = d->backBufferWidth();
  height = d->backBufferHeight();
  rgba.resize(argb.size() * 4);
  for (size_t i = 0; i < argb.size(); ++i) {
    rgba[i * 4 + 0] = uint8_t(argb[i] >> 16);
    rgba[i * 4 + 1] = uint8_t(argb[i] >> 8);
    rgba[i * 4 + 2] = uint8_t(argb[i]);
    rgba[i * 4 + 3] = 0xFF;
  }
  return true;
}

}  // namespace engine
