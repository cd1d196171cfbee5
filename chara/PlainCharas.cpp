// Backgrounds and plain characters of the script scene.
#include "chara/PlainCharas.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "engine/Engine.h"
#include "layer/C_BaseCharaLayer.h"
#include "scene/C_BaseScene.h"

namespace chara {

namespace {
float screenScale() { return engine::context().screenScale; }

// ScReSizeBG's rule: a target size in pixels over the picture's own size.
void resize(layer::C_BaseCharaLayer& layer, float width, float height) {
  layer::PictureSlot& s = layer.currentPicture();
  if (s.width <= 0 || s.height <= 0) return;
  s.scaleX = width / float(s.width) * screenScale();
  s.scaleY = height / float(s.height) * screenScale();
}
}  // namespace

void SetBackground(scene::C_BaseScene& scene, const char* file, int32_t width, int32_t height, float x, float y,
                   float rotation, int32_t timeMs) {
  // The first background makes the layer; a new one puts the shown picture, opaque, under it.
  if (!scene.background) {
    scene.background = std::make_unique<layer::C_BaseCharaLayer>();
  } else {
    scene.background->swapSlots();
    layer::PictureSlot& shown = scene.background->otherPicture();
    shown.colour |= 0xFF000000u;
    scene.background->releasePicture(false);
  }
  layer::C_BaseCharaLayer& bg = *scene.background;
  // The new picture in the current slot.
  bg.setPicture(file, nullptr, false);
  // Size (default the whole screen), place and rotation, scaled to the screen.
  layer::PictureSlot& s = bg.currentPicture();
  const float w = width < 0 ? 1024.0f : float(width), h = height < 0 ? 768.0f : float(height);
  s.scaleX = s.width > 0 ? w / float(s.width) * screenScale() : 0.0f;
  s.scaleY = s.height > 0 ? h / float(s.height) * screenScale() : 0.0f;
  s.x = x * screenScale();
  s.y = y * screenScale();
  s.rotation = rotation;
  // The new picture fades in from transparent over timeMs.
  s.loaded = true;
  s.colour &= 0x00FFFFFFu;
  bg.startColourFade(0xFFFFFFFFu, timeMs, false);
}

void ReSizeBackground(scene::C_BaseScene& scene, float width, float height) {
  if (scene.background) resize(*scene.background, width, height);
}

layer::C_BaseCharaLayer* FindPlainChara(scene::C_BaseScene& scene, int32_t page) {
  if (page < 0 || size_t(page) >= scene.plainCharas.size()) return nullptr;
  return scene.plainCharas[size_t(page)].get();
}

layer::C_BaseCharaLayer* SetPlainChara(scene::C_BaseScene& scene, int32_t page, const char* file, float x, float y,
                                       int32_t timeMs) {
  // One new character even when the page lies further out. (A negative page names no
  // character: the call is ignored.)
  if (page < 0) return nullptr;
  layer::C_BaseCharaLayer* chara = nullptr;
  if (size_t(page) + 1 > scene.plainCharas.size()) {
    scene.plainCharas.push_back(std::make_unique<layer::C_BaseCharaLayer>());
    chara = scene.plainCharas.back().get();
  } else {
    chara = scene.plainCharas[size_t(page)].get();
  }
  // The old picture goes to the other slot; the new one fades in over timeMs.
  chara->swapSlots();
  chara->setPicture(file, nullptr, false);
  chara->currentPicture().colour &= 0x00FFFFFFu;
  chara->startAlphaFade(255, timeMs, false);
  // The place, scaled to the screen.
  chara->currentPicture().x = x * screenScale();
  chara->currentPicture().y = y * screenScale();
  return chara;
}

void DeletePlainChara(scene::C_BaseScene& scene, int32_t page, int32_t timeMs) {
  if (layer::C_BaseCharaLayer* c = FindPlainChara(scene, page)) c->startAlphaFade(0, timeMs, false);
}

void PutPlainChara(scene::C_BaseScene& scene, int32_t page, float x, float y) {
  if (layer::C_BaseCharaLayer* c = FindPlainChara(scene, page)) {
    c->currentPicture().x = x * screenScale();
    c->currentPicture().y = y * screenScale();
  }
}

void ReSizePlainChara(scene::C_BaseScene& scene, int32_t page, float width, float height) {
  if (layer::C_BaseCharaLayer* c = FindPlainChara(scene, page)) resize(*c, width, height);
}

void ReScalePlainChara(scene::C_BaseScene& scene, int32_t page, float scaleX, float scaleY) {
  if (layer::C_BaseCharaLayer* c = FindPlainChara(scene, page)) {
    c->currentPicture().scaleX = scaleX * screenScale();
    c->currentPicture().scaleY = scaleY * screenScale();
  }
}

void MovePlainCharaReset(scene::C_BaseScene& scene, int32_t page) {
  if (layer::C_BaseCharaLayer* c = FindPlainChara(scene, page)) c->resetKeyMove(false);
}

void MovePlainCharaAdd(scene::C_BaseScene& scene, int32_t page, bool relative, float x, float y, float scaleX,
                       float scaleY, int32_t durationMs) {
  if (layer::C_BaseCharaLayer* c = FindPlainChara(scene, page))
    c->addKey(relative ? 1 : 0, x, y, 0.0f, scaleX, scaleY, durationMs, false);
}

void MovePlainCharaSet(scene::C_BaseScene& scene, int32_t page) {
  if (layer::C_BaseCharaLayer* c = FindPlainChara(scene, page)) c->startKeyMove(false);
}

void MoveSplinePlainCharaReset(scene::C_BaseScene& scene, int32_t page) {
  if (layer::C_BaseCharaLayer* c = FindPlainChara(scene, page)) c->resetSplineMove(false);
}

void MoveSplinePlainCharaAdd(scene::C_BaseScene& scene, int32_t page, bool relative, float x, float y, float scaleX,
                             float scaleY) {
  if (layer::C_BaseCharaLayer* c = FindPlainChara(scene, page))
    c->addSplinePoint(relative ? 1 : 0, x, y, 0.0f, scaleX, scaleY, false);
}

void MoveSplinePlainCharaSet(scene::C_BaseScene& scene, int32_t page, int32_t timeMs) {
  if (layer::C_BaseCharaLayer* c = FindPlainChara(scene, page)) c->startSplineMove(timeMs, false);
}

void UseUVPlainChara(scene::C_BaseScene& scene, int32_t page, float offsetU, float offsetV, float scaleU,
                     float scaleV) {
  if (layer::C_BaseCharaLayer* c = FindPlainChara(scene, page)) {
    layer::PictureSlot& s = c->currentPicture();
    s.useUvRect = true;
    s.uvOffset[0] = offsetU;
    s.uvOffset[1] = offsetV;
    s.uvScale[0] = scaleU;
    s.uvScale[1] = scaleV;
  }
}

void NoUseUVPlainChara(scene::C_BaseScene& scene, int32_t page) {
  if (layer::C_BaseCharaLayer* c = FindPlainChara(scene, page)) c->currentPicture().useUvRect = false;
}

int32_t UpdateBackground(scene::C_BaseScene& scene) {
  return (scene.background && scene.background->update(nullptr) != 0) ? 1 : 0;
}

int32_t UpdatePlainCharas(scene::C_BaseScene& scene, bool& mouseTaken) {
  std::vector<std::unique_ptr<layer::C_BaseCharaLayer>>& list = scene.plainCharas;
  // Front-most first (the end of the list is drawn last, on top).
  if (!mouseTaken) {
    for (size_t i = list.size(); i-- > 0;) {
      if (list[i]->handleMouse() == 0) continue;
      mouseTaken = true;
      std::unique_ptr<layer::C_BaseCharaLayer> taken = std::move(list[i]);
      list.erase(list.begin() + std::ptrdiff_t(i));
      list.push_back(std::move(taken));
      break;
    }
  }
  int32_t animating = 0;
  for (const std::unique_ptr<layer::C_BaseCharaLayer>& c : list)
    if (c->update(nullptr) != 0) ++animating;
  return animating;
}

void FinishBackgroundAnimations(scene::C_BaseScene& scene) {
  if (scene.background) scene.background->finishAnimations();
}

void FinishPlainCharaAnimations(scene::C_BaseScene& scene) {
  for (const std::unique_ptr<layer::C_BaseCharaLayer>& c : scene.plainCharas) c->finishAnimations();
}

void DrawBackground(scene::C_BaseScene& scene) {
  if (scene.background) scene.background->drawBoth(0.5f);
}

void DrawPlainCharas(scene::C_BaseScene& scene) {
  for (const std::unique_ptr<layer::C_BaseCharaLayer>& c : scene.plainCharas) c->drawQuad();
}

void DestroyBackgroundAndPlainCharas(scene::C_BaseScene& scene) {
  scene.background.reset();
  scene.plainCharas.clear();
}

}  // namespace chara
