// The title scene: a background with ten star pictures the mouse can pick up.
#include "scene/C_SceneTitle.h"

#include <algorithm>
#include <cstdlib>

#include "engine/RenderDevice.h"
#include "engine/SceneIds.h"
#include "gfx/Device.h"
#include "layer/C_BaseCharaLayer.h"
#include "layer/C_SpriteFact.h"
#include "layer/ScreenFadeOverlay.h"
#include "window/SceneDialogs.h"

namespace scene {

namespace {
// The pseudo-random generator's value 0 .. 32767 as a fraction 0 .. 1.
float nextFraction() { return float(std::rand() % 32768) / 32767.0f; }
}  // namespace

C_SceneTitle::C_SceneTitle() = default;

C_SceneTitle::~C_SceneTitle() {
  stars.clear();
  for (std::unique_ptr<layer::C_BaseCharaLayer>& star : starLayers) star.reset();
  titleBackground.reset();
}

void C_SceneTitle::init() {
  const engine::Engine& e = engine::context();
  titleBackground = std::make_unique<layer::C_BaseCharaLayer>();
  titleBackground->setPicture("obj\\back01.jpg", nullptr, false);
  layer::PictureSlot& bg = titleBackground->currentPicture();
  // Fills the screen: the screen size already is the scaled layout, so screenScale is not
  // applied a second time (which would leave a low-spec screen's edges black).
  if (bg.width > 0 && bg.height > 0) {
    bg.scaleX = float(e.screenWidth) / float(bg.width);
    bg.scaleY = float(e.screenHeight) / float(bg.height);
  }
  bg.x = bg.y = 0.0f;
  bg.rotation = 0.0f;
  for (std::unique_ptr<layer::C_BaseCharaLayer>& owned : starLayers) {
    owned = std::make_unique<layer::C_BaseCharaLayer>();
    layer::C_BaseCharaLayer* star = owned.get();
    star->setPicture("obj\\fx_star1.jpg", nullptr, false);
    // Stars can be picked up and dragged.
    star->mouseEnabled = true;
    star->draggable = true;
    layer::PictureSlot& s = star->currentPicture();
    s.x = (nextFraction() - 0.5f) * 700.0f * e.screenScale;
    s.y = (nextFraction() - 0.5f) * 550.0f * e.screenScale;
    s.rotation = nextFraction() * 3.14f;
    s.scaleX = s.scaleY = (nextFraction() + 0.5f) * 1.5f * 0.1f * e.screenScale;
    stars.push_back(star);
  }
}

int32_t C_SceneTitle::update(const engine::PadRecord* padArg) {
  const engine::PadRecord& pad = *padArg;
  // The exit confirmation (Escape, the close box) comes first and keeps the mouse while shown.
  bool mouseTaken = false;
  window::UpdateDialog(*this, mouseTaken);
  // Stars in list order are asked for the mouse until one takes it; it comes to the front.
  for (size_t i = 0; i < stars.size() && !mouseTaken; ++i) {
    if (stars[i]->handleMouse() == 0) continue;
    layer::C_BaseCharaLayer* taken = stars[i];
    stars.erase(stars.begin() + std::ptrdiff_t(i));
    stars.push_back(taken);
    break;
  }
  for (layer::C_BaseCharaLayer* star : stars) star->update(nullptr);
  int32_t result = -1;
  // Buttons 4-6 (Z, X, C) pressed now and not in the previous frame start the 3D scene.
  for (int i = 4; i <= 6; ++i) {
    if (pad.v[i] != 0 && lastPad.v[i] == 0) result = SCENE_GAME;
  }
  lastPad = pad;
  return result;
}

int32_t C_SceneTitle::render() {
  gfx::Device* device = engine::context().device;
  gfx::SpriteBatch* batch = layer::spriteBatch();
  if (!device || !batch) return 0;
  device->clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0xFF000000u, 1.0f, 0);
  device->beginScene();
  batch->begin(gfx::spriteflag::AlphaBlend);
  if (titleBackground) titleBackground->drawBoth(0.5f);
  for (layer::C_BaseCharaLayer* star : stars) star->drawBoth(0.5f);
  window::DrawDialog(*this);
  batch->end();
  engine::DrawDebugText();
  layer::DrawScreenFade();
  device->endScene();
  return engine::PresentFrame();
}

}  // namespace scene
