// The solid characters of the script scene.
#include "chara/SolidCharas.h"

#include <algorithm>

#include "chara/C_SolidCharaLayer.h"
#include "chara/C_SolidEventLayer.h"
#include "engine/Engine.h"
#include "gfx/Device.h"
#include "scene/C_BaseScene.h"

namespace chara {

namespace {
float screenScale() { return engine::context().screenScale; }

// Every solid character in index order.
template <typename F>
void ForEach(scene::C_BaseScene& scene, F f) {
  for (auto& c : scene.solidCharas) f(*c);
}
}  // namespace

void InitSceneSolidChara(scene::C_BaseScene& scene, int32_t count) {
  scene.solidEvent.reset();
  scene.solidOrder.clear();
  scene.solidCharas.clear();
  scene.solidCharaArray = true;
  for (int32_t i = 0; i < count; ++i) {
    auto c = std::make_unique<C_SolidCharaLayer>();
    c->charaIndex = i;
    c->owner = &scene;
    scene.solidOrder.push_back(c.get());
    scene.solidCharas.push_back(std::move(c));
  }
  // The event picture's layers are the same characters.
  scene.solidEvent = std::make_unique<C_SolidEventLayer>();
  scene.solidEvent->AttachCharacters(scene.solidOrder.data(), scene.solidOrder.size());
}

C_SolidEventLayer* FindSolidEvent(scene::C_BaseScene& scene) {
  return scene.solidCharaArray ? scene.solidEvent.get() : nullptr;
}

C_SolidCharaLayer* FindSolidChara(scene::C_BaseScene& scene, int32_t index) {
  if (!scene.solidCharaArray || index < 0 || size_t(index) >= scene.solidCharas.size()) return nullptr;
  return scene.solidCharas[size_t(index)].get();
}

void SetSolidChara(scene::C_BaseScene& scene, int32_t index, const char* file, float x, float y, float z,
                   int32_t timeMs, bool withDiff, const char* diff, int32_t diffX, int32_t diffY) {
  C_SolidCharaLayer* c = FindSolidChara(scene, index);
  if (!c) return;
  // A character scene replaces the event picture.
  if (scene.solidEvent) scene.solidEvent->active = false;
  c->LoadSolidMesh(file, withDiff ? diff : nullptr, diffX, diffY, timeMs);
  layer::PictureSlot& s = c->currentPicture();
  s.x = x * screenScale();
  s.y = y * screenScale();
  s.depth = z * screenScale();
  if (!withDiff) {
    // A touch on region 1 calls the macro script's click label.
    c->variants.assign(1, "eventMacro.evt?*lbl_clickclick");
    c->owner = &scene;
    c->touchStart = TouchStart::Call;
  }
  c->currentMesh().strongPull = false;
}

void DeleteSolidChara(scene::C_BaseScene& scene, int32_t index, int32_t timeMs) {
  if (C_SolidCharaLayer* c = FindSolidChara(scene, index)) {
    c->startAlphaFade(0, timeMs, false);
    c->currentMesh().releasePending = true;
  }
}

void ChangeSolidChara(scene::C_BaseScene& scene, int32_t index, const char* file, const char* diff, int32_t diffX,
                      int32_t diffY) {
  C_SolidCharaLayer* c = FindSolidChara(scene, index);
  if (!c) return;
  if (c->currentPicture().name[0] != '\0') c->releasePicture(false);
  // The new mesh takes the shown one's place, scale and turn: the slot it loads into last
  // held a picture from two loads ago (or none), whose placement is stale.
  struct Placement {
    float x, y, depth, scaleX, scaleY, rotation, rotationX, rotationY;
  };
  const layer::PictureSlot& shown = c->currentPicture();
  const Placement before{shown.x,      shown.y,        shown.depth,     shown.scaleX,
                         shown.scaleY, shown.rotation, shown.rotationX, shown.rotationY};
  c->LoadSolidMesh(file, diff, diffX, diffY, 0);
  layer::PictureSlot& s = c->currentPicture();
  s.x = before.x, s.y = before.y, s.depth = before.depth, s.scaleX = before.scaleX, s.scaleY = before.scaleY;
  s.rotation = before.rotation, s.rotationX = before.rotationX, s.rotationY = before.rotationY;
}

void PutSolidChara(scene::C_BaseScene& scene, int32_t index, float x, float y, float z) {
  if (C_SolidCharaLayer* c = FindSolidChara(scene, index)) {
    layer::PictureSlot& s = c->currentPicture();
    s.x = x * screenScale();
    s.y = y * screenScale();
    s.depth = z * screenScale();
  }
}

void ReSizeSolidChara(scene::C_BaseScene& scene, int32_t index, float width, float height) {
  if (C_SolidCharaLayer* c = FindSolidChara(scene, index)) {
    layer::PictureSlot& s = c->currentPicture();
    if (s.width <= 0 || s.height <= 0) return;
    s.scaleX = width / float(s.width) * screenScale();
    s.scaleY = height / float(s.height) * screenScale();
  }
}

void ReScaleSolidChara(scene::C_BaseScene& scene, int32_t index, float scaleX, float scaleY) {
  if (C_SolidCharaLayer* c = FindSolidChara(scene, index)) {
    c->currentPicture().scaleX = scaleX * screenScale();
    c->currentPicture().scaleY = scaleY * screenScale();
  }
}

void MoveSolidCharaReset(scene::C_BaseScene& scene, int32_t index) {
  if (C_SolidCharaLayer* c = FindSolidChara(scene, index)) c->resetKeyMove(false);
}

void MoveSolidCharaAdd(scene::C_BaseScene& scene, int32_t index, bool relative, float x, float y, float z, float scaleX,
                       float scaleY, int32_t durationMs) {
  if (C_SolidCharaLayer* c = FindSolidChara(scene, index))
    c->addKey(relative ? 1 : 0, x, y, z, scaleX, scaleY, durationMs, false);
}

void MoveSolidCharaSet(scene::C_BaseScene& scene, int32_t index) {
  if (C_SolidCharaLayer* c = FindSolidChara(scene, index)) c->startKeyMove(false);
}

void MoveSplineSolidCharaReset(scene::C_BaseScene& scene, int32_t index) {
  if (C_SolidCharaLayer* c = FindSolidChara(scene, index)) c->resetSplineMove(false);
}

void MoveSplineSolidCharaAdd(scene::C_BaseScene& scene, int32_t index, bool relative, float x, float y, float scaleX,
                             float scaleY) {
  if (C_SolidCharaLayer* c = FindSolidChara(scene, index))
    c->addSplinePoint(relative ? 1 : 0, x, y, 0.0f, scaleX, scaleY, false);
}

void MoveSplineSolidCharaSet(scene::C_BaseScene& scene, int32_t index, int32_t timeMs) {
  if (C_SolidCharaLayer* c = FindSolidChara(scene, index)) c->startSplineMove(timeMs, false);
}

void ShakeSolidChara(scene::C_BaseScene& scene, int32_t index, float powerH, float powerV, float powerZ, float decay,
                     int32_t rangeTimeMs) {
  if (C_SolidCharaLayer* c = FindSolidChara(scene, index))
    Shake(c->currentMesh(), powerH, powerV, powerZ, decay, rangeTimeMs);
}

void SetAutoShake(scene::C_BaseScene& scene, int32_t index, float periodMs, float power, float angleRadians) {
  if (C_SolidCharaLayer* c = FindSolidChara(scene, index))
    StartAutoShake(c->currentMesh(), periodMs, power, angleRadians);
}

void ResetAutoShake(scene::C_BaseScene& scene, int32_t index) {
  if (C_SolidCharaLayer* c = FindSolidChara(scene, index)) StopAutoShake(c->currentMesh());
}

void SetMouseOperate(scene::C_BaseScene& scene, bool on) {
  ForEach(scene, [on](C_SolidCharaLayer& c) { c.mouseOperate = on; });
}

void SetSolidClickable(scene::C_BaseScene& scene, bool on) {
  ForEach(scene, [on](C_SolidCharaLayer& c) { c.clickMapEnabled = on; });
}

int32_t UpdateSolidCharas(scene::C_BaseScene& scene, bool& mouseTaken, bool mouseBlocked) {
  // An active event picture takes the characters' place.
  if (scene.solidEvent && scene.solidEvent->active) return scene.solidEvent->UpdateWithMouse(mouseTaken, mouseBlocked);
  std::vector<C_SolidCharaLayer*>& order = scene.solidOrder;
  C_SolidCharaLayer* taker = nullptr;
  int32_t animating = 0;
  // Front-most (the end of the list, drawn last) first; each is offered the mouse before its
  // update.
  for (size_t i = order.size(); i-- > 0;) {
    C_SolidCharaLayer& c = *order[i];
    if (!c.hasAnyMesh()) continue;
    const layer::PictureSlot& s = c.currentPicture();
    if (s.loaded && s.alpha() != 0 && c.visible && !mouseTaken && !mouseBlocked) {
      if (c.handleMouse(false) != 0) {
        mouseTaken = true;
        taker = &c;
      }
    } else {
      c.cancelDrag();
    }
    if (c.update(nullptr) != 0) ++animating;
  }
  if (taker) {
    order.erase(std::find(order.begin(), order.end(), taker));
    order.push_back(taker);
  }
  return animating;
}

void FinishSolidCharaAnimations(scene::C_BaseScene& scene) {
  ForEach(scene, [](C_SolidCharaLayer& c) { c.finishAnimations(); });
}

void DrawSolidCharas(scene::C_BaseScene& scene) {
  gfx::Device* device = engine::context().device;
  if (!device || scene.solidCharas.empty()) return;
  if (scene.solidEvent && scene.solidEvent->active) {
    scene.solidEvent->draw();
    return;
  }
  for (C_SolidCharaLayer* c : scene.solidOrder) {
    device->setTransform(gfx::TransformType::View, SolidViewMatrix());
    device->setTransform(gfx::TransformType::Projection, SolidProjectionMatrix());
    // The vertex colour carries the picture's fade: texture alpha times diffuse alpha.
    device->setTextureStageState(0, gfx::TextureStageState::AlphaOp, gfx::top::Modulate);
    device->setTextureStageState(0, gfx::TextureStageState::AlphaArg1, gfx::ta::Texture);
    device->setTextureStageState(0, gfx::TextureStageState::AlphaArg2, gfx::ta::Diffuse);
    device->setRenderState(gfx::RenderState::SeparateAlphaBlendEnable, 1);
    c->drawBoth(0.0f);
    device->setRenderState(gfx::RenderState::SeparateAlphaBlendEnable, 0);
  }
}

void ReleaseSolidCharaBuffers(scene::C_BaseScene& scene) {
  ForEach(scene, [](C_SolidCharaLayer& c) { c.releaseDeviceBuffers(); });
}

void RecreateSolidCharaBuffers(scene::C_BaseScene& scene) {
  ForEach(scene, [](C_SolidCharaLayer& c) { c.recreateDeviceBuffers(); });
}

}  // namespace chara
