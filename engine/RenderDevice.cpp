// The render device: creation with its fall-back chain, the common state, the frame's render
// step with recovery from a lost device, the debug text and the screen fade overlay.
#include "engine/RenderDevice.h"

#include "archive/ArchiveSet.h"
#include "engine/DebugFont.h"
#include "engine/Engine.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"

namespace engine {

namespace {

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

// The device on the main window with its fall-back chain: an accelerated context first, then
// Mesa's software rasteriser as the reference device.
std::unique_ptr<gfx::Device> MakeDevice(gfx::DeviceConfig config, int32_t& deviceLevel) {
  std::unique_ptr<gfx::Device> device = gfx::createDevice(config);
  if (device) {
    deviceLevel = device->info().softwareRasteriser ? 0 : 3;
    return device;
  }
  config.forceSoftware = true;
  device = gfx::createDevice(config);
  deviceLevel = 0;
  return device;
}

gfx::DeviceConfig MainWindowConfig(int32_t width, int32_t height, bool redrawEveryFrame) {
  Engine& e = engine::context();
  gfx::DeviceConfig config;
  void* window = e.platform ? e.platform->window().nativeHandle() : nullptr;
  config.kind = (e.platform && e.platform->kind() == platform::Kind::Desktop && window) ? gfx::ContextKind::Desktop
                                                                                        : gfx::ContextKind::Headless;
  config.nativeWindow = window;
  config.backBufferWidth = width;
  config.backBufferHeight = height;
  config.redrawEveryFrame = redrawEveryFrame;
  return config;
}

bool SameDeviceConfig(const gfx::DeviceConfig& a, const gfx::DeviceConfig& b) {
  return a.kind == b.kind && a.nativeWindow == b.nativeWindow && a.backBufferWidth == b.backBufferWidth &&
         a.backBufferHeight == b.backBufferHeight && a.redrawEveryFrame == b.redrawEveryFrame &&
         a.forceSoftware == b.forceSoftware;
}

}  // namespace

RenderObjects& renderObjects() { return context().render; }

void PrepareRenderDevice(int32_t backBufferWidth, int32_t backBufferHeight) {
  RenderObjects& r = engine::context().render;
  if (r.device || r.prepared.device) return;
  const gfx::DeviceConfig config = MainWindowConfig(backBufferWidth, backBufferHeight, false);
  int32_t level = 0;
  std::unique_ptr<gfx::Device> device = MakeDevice(config, level);
  if (!device) return;
  device->clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0xFF000000u, 1.0f, 0);
  device->present();
  device->compileCommonPrograms();
  r.prepared.device = std::move(device);
  r.prepared.deviceLevel = level;
  r.prepared.config = config;
}

void DiscardPreparedRenderDevice() {
  RenderObjects::Prepared& prepared = engine::context().render.prepared;
  if (prepared.device && prepared.beforeDiscard) prepared.beforeDiscard();
  prepared = {};
}

bool CreateRenderDevice(const std::function<void()>& createLayerResources) {
  Engine& e = engine::context();
  RenderObjects& r = e.render;
  // The device library and the display mode need no set-up of their own here.
  // The presentation parameters: the back buffer at the screen size, windowed or not.
  PresentParams& pp = r.presentParams;
  pp.backBufferWidth = e.screenWidth;
  pp.backBufferHeight = e.screenHeight;
  pp.windowed = e.windowed;
  const gfx::DeviceConfig config = MainWindowConfig(pp.backBufferWidth, pp.backBufferHeight, pp.redrawEveryFrame);
  // The device readied while the questions were up, when they kept its back buffer; else a new
  // one (the one readied goes first: it holds a context on the same window).
  std::unique_ptr<gfx::Device> device;
  if (r.prepared.device && SameDeviceConfig(r.prepared.config, config)) {
    device = std::move(r.prepared.device);
    r.deviceLevel = r.prepared.deviceLevel;
  }
  DiscardPreparedRenderDevice();
  if (!device) device = MakeDevice(config, r.deviceLevel);
  if (!device) {
    platform::messageBox(CP932("DirectX3Dの初期化に失敗しました"), "ERROR", platform::mb::Ok | platform::mb::IconError);
    return false;
  }
  r.device = std::move(device);
  e.device = r.device.get();
  gfx::Device& d = *e.device;
  // A black first frame; a device with shader model 2 can take the 3D effects.
  d.clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0xFF000000u, 1.0f, 0);
  if (d.info().shaderModel2) r.deviceLevel += 4;
  // The back buffer's depth buffer is D24S8, so stencil is available.
  d.setRenderState(gfx::RenderState::CullMode, gfx::cull::CCW);
  d.setRenderState(gfx::RenderState::StencilEnable, 1);
  SetCommonRenderState(true);
  // The debug font and its sprite batch.
  for (auto& slot : r.fontSlots) slot.reset();
  r.debugSprite = std::make_unique<gfx::SpriteBatch>(d);
  CreateDebugFont();
  // The 3D effects, only where the device can run them; a missing file fails the start.
  if (r.deviceLevel & 4) {
    r.lambertEffect = LoadEffect("lambart.fx");
    if (!r.lambertEffect) {
      platform::messageBox(CP932("シェーダーファイル読み込み失敗"), "", platform::mb::Ok);
      return false;
    }
    r.shadowEffect = LoadEffect("ShadowMap.fx");
    if (!r.shadowEffect) {
      platform::messageBox(CP932("シェーダーファイル読み込み失敗"), "", platform::mb::Ok);
      return false;
    }
  }
  // The character render target and the layers' shared quad.
  if (createLayerResources) createLayerResources();
  // The black first frame is shown.
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
  RenderObjects& r = context().render;
  gfx::Device* d = engine::context().device;
  if (!d) return -1;
  for (int32_t i = 0; i < 4; ++i) {
    if (r.fontSlots[i]) continue;
    // Height -24 (a 24-pixel em), bold, antialiased.
    r.fontSlots[i] = DebugFont::create(*d, -24, 700, 4, CP932("ＭＳ 明朝"));
    return r.fontSlots[i] ? i : -1;
  }
  return -1;
}

void DrawDebugText() {
  RenderObjects& r = context().render;
  if (r.debugText.empty() || !r.fontSlots[0] || !r.debugSprite) return;
  const Engine& e = engine::context();
  gfx::SpriteBatch& batch = *r.debugSprite;
  batch.begin(gfx::spriteflag::AlphaBlend | gfx::spriteflag::SortTexture);
  const gfx::Rect rect{10, int32_t(float(e.screenHeight) * 0.7f), 780, e.screenHeight};
  r.fontSlots[0]->drawText(batch, r.debugText, rect, 0xFFFFFFFFu);
  batch.end();
}

int32_t PresentFrame() {
  gfx::Device* d = engine::context().device;
  if (!d) return gfx::result::Ok;
  if (context().render.beforePresent) context().render.beforePresent();
  return d->present();
}

void ReleaseDebugObjects() {
  RenderObjects& r = context().render;
  for (auto& slot : r.fontSlots) slot.reset();
  r.debugSprite.reset();
}

void ReleaseEffects() {
  RenderObjects& r = context().render;
  r.shadowEffect.reset();
  r.lambertEffect.reset();
}

void DestroyRenderDevice() {
  Engine& e = engine::context();
  RenderObjects& r = e.render;
  ReleaseDebugObjects();
  ReleaseEffects();
  e.device = nullptr;
  r.device.reset();
  r.deviceLevel = 0;
}

void SimulateDeviceLoss() {
  gfx::Device* d = engine::context().device;
  if (!d) return;
  d->simulateDeviceLost();
  context().render.lossSimulatedThisFrame = true;
}

void SetBeforePresentHook(std::function<void()> hook) { context().render.beforePresent = std::move(hook); }

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
