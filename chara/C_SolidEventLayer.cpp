// C_SolidEventLayer: the event picture's layers, their mouse rule and the two-pass draw.
#include "chara/C_SolidEventLayer.h"

#include "archive/ArchiveSet.h"
#include "chara/C_SolidCharaLayer.h"
#include "engine/Engine.h"
#include "gfx/Device.h"
#include "layer/C_Sprite.h"
#include "platform/System.h"

namespace chara {

std::string EventLayerName(const std::string& file, const char* suffix) {
  const size_t dot = file.rfind('.');
  if (dot == std::string::npos) return {};
  std::string name = file.substr(0, dot) + suffix + file.substr(dot);
  if (archive::FindInArchive(name) || platform::fileExists(archive::ResolveLoosePath(name))) return name;
  return {};
}

void C_SolidEventLayer::AttachCharacters(C_SolidCharaLayer* const* array, size_t count) {
  layers.clear();
  layerDragState.clear();
  for (size_t i = 0; i < count; ++i) {
    layers.push_back(array[i]);
    layerDragState.push_back({0, 0, 0});
  }
}

void C_SolidEventLayer::SetEvent(const char* file, int32_t timeMs) {
  const std::string base = file ? file : "";
  const std::string names[kLayerCount] = {base, EventLayerName(base, "_l1"), EventLayerName(base, "_l2")};
  for (size_t k = 0; k < kLayerCount && k < layers.size(); ++k) {
    C_SolidCharaLayer& c = *layers[k];
    if (!names[k].empty()) {
      c.LoadSolidMesh(names[k].c_str(), nullptr, 0, 0, timeMs);
      // The picture follows a grab more strongly than a character does.
      c.currentMesh().strongPull = true;
      layerEnabled[k] = true;
    } else {
      c.startAlphaFade(0, timeMs, false);
      c.currentMesh().releasePending = true;
      layerEnabled[k] = false;
    }
  }
  for (auto& record : layerDragState) record = {0, 0, 0};
  active = true;
}

void C_SolidEventLayer::PutEvent(float x, float y, float z) {
  const float scale = engine::context().screenScale;
  for (C_SolidCharaLayer* c : layers) {
    layer::PictureSlot& s = c->currentPicture();
    s.x = x * scale;
    s.y = y * scale;
    s.depth = z * scale;
  }
}

void C_SolidEventLayer::ScaleEvent(float scaleX, float scaleY) {
  const float scale = engine::context().screenScale;
  for (C_SolidCharaLayer* c : layers) {
    c->currentPicture().scaleX = scaleX * scale;
    c->currentPicture().scaleY = scaleY * scale;
  }
}

void C_SolidEventLayer::DeleteEvent(int32_t timeMs) {
  for (C_SolidCharaLayer* c : layers) {
    c->startAlphaFade(0, timeMs, false);
    c->currentMesh().releasePending = true;
  }
}

void C_SolidEventLayer::ShakeEvent(float powerH, float powerV, float powerZ, float decay, int32_t rangeTimeMs) {
  for (C_SolidCharaLayer* c : layers) Shake(c->currentMesh(), powerH, powerV, powerZ, decay, rangeTimeMs);
}

void C_SolidEventLayer::ShakeLayer(size_t k, float powerH, float powerV, float powerZ, float decay,
                                   int32_t rangeTimeMs) {
  if (k < kLayerCount && k < layers.size()) Shake(layers[k]->currentMesh(), powerH, powerV, powerZ, decay, rangeTimeMs);
}

void C_SolidEventLayer::AutoShakeEvent(float periodMs, float power, float angleRadians) {
  for (C_SolidCharaLayer* c : layers) StartAutoShake(c->currentMesh(), periodMs, power, angleRadians);
}

void C_SolidEventLayer::AutoShakeLayer(size_t k, float periodMs, float power, float angleRadians) {
  if (k < kLayerCount && k < layers.size()) StartAutoShake(layers[k]->currentMesh(), periodMs, power, angleRadians);
}

void C_SolidEventLayer::ResetAutoShakeEvent() {
  for (C_SolidCharaLayer* c : layers) StopAutoShake(c->currentMesh());
}

int32_t C_SolidEventLayer::UpdateWithMouse(bool& mouseTaken, bool mouseBlocked) {
  if (mouseTaken || mouseBlocked) {
    for (size_t k = 0; k < layers.size(); ++k)
      if (enabled(k)) layers[k]->cancelDrag();
  } else {
    // The first layer that takes a press makes every other layer follow it.
    int32_t result = 0;
    size_t taker = layers.size();
    for (size_t k = 0; k < layers.size(); ++k) {
      const int32_t r = layers[k]->handleMouse(false);
      result |= r;
      if (r & (1 | 8)) {
        taker = k;
        break;
      }
    }
    if (taker < layers.size())
      for (size_t k = 0; k < layers.size(); ++k)
        if (k != taker) result |= layers[k]->handleMouse(true);
    if (result != 0) mouseTaken = true;
  }
  return update(nullptr);
}

int32_t C_SolidEventLayer::update(const engine::PadRecord* pad) {
  int32_t busy = 0;
  for (size_t k = 0; k < layers.size(); ++k)
    if (enabled(k)) busy += layers[k]->update(pad);
  return busy;
}

void C_SolidEventLayer::drawImage(bool other, uint32_t colour) {
  gfx::Device* device = engine::context().device;
  // Into the cleared off-screen picture with the solid pass's camera.
  layer::beginCharaRender(true, false);
  device->setTransform(gfx::TransformType::View, SolidViewMatrix());
  device->setTransform(gfx::TransformType::Projection, SolidProjectionMatrix());
  // The meshes carry their texture alpha only; the whole image fades when it is shown.
  device->setRenderState(gfx::RenderState::TextureFactor, 0xFF000000u);
  device->setTextureStageState(0, gfx::TextureStageState::AlphaOp, gfx::top::Modulate);
  device->setTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::ta::Texture);
  device->setTextureStageState(0, gfx::TextureStageState::AlphaArg2, gfx::ta::TFactor);
  device->setRenderState(gfx::RenderState::SeparateAlphaBlendEnable, 1);
  for (size_t k = 0; k < layers.size(); ++k) {
    if (!enabled(k)) continue;
    device->clear(gfx::clearflag::ZBuffer, 0, 1.0f, 0);
    layers[k]->drawSlotMesh(other, gfx::blend::SrcAlpha, gfx::blend::One);
  }
  device->setRenderState(gfx::RenderState::SeparateAlphaBlendEnable, 0);
  layer::endCharaRender(colour);
}

void C_SolidEventLayer::draw() {
  gfx::Device* device = engine::context().device;
  if (!device || !active || layers.empty()) return;
  bool oldShown = false;
  for (size_t k = 0; k < layers.size(); ++k)
    if (enabled(k) && layers[k]->isOtherSlotShown()) oldShown = true;
  if (oldShown) drawImage(true, 0xFFFFFFFFu);
  drawImage(false, layers[0]->currentPicture().colour);
}

}  // namespace chara
