// The frame's render step with recovery from a lost device.
#include "app/RenderFrame.h"

#include "app/C_GameProg.h"
#include "engine/Engine.h"
#include "engine/RenderDevice.h"
#include "layer/PicturePrefetch.h"
#include "scene/C_BaseScene.h"

namespace app {

namespace {

scene::C_BaseScene* currentScene() {
  C_GameProg* prog = engine::context().gameProg;
  return prog ? prog->currentScene.get() : nullptr;
}

}  // namespace

void RenderFrame() {
  gfx::Device* d = engine::context().device;
  if (!d) return;
  bool done = false;
  if (d->testCooperativeLevel() == gfx::result::Ok) {
    scene::C_BaseScene* scene = currentScene();
    const int32_t hr = scene ? scene->render() : gfx::result::Ok;
    done = hr != gfx::result::DeviceLost;
  }
  if (done) ShowWindowWithFirstFrame(*d);
  // The device was not usable, or the frame's Present found it lost.
  if (!done && d->testCooperativeLevel() == gfx::result::DeviceNotReset) ResetDevice();
  // A simulated loss reports lost for one frame, then not-reset.
  bool& simulated = engine::context().render.lossSimulatedThisFrame;
  if (simulated) {
    simulated = false;
    d->simulateDeviceNotReset();
  }
}

void ShowWindowWithFirstFrame(gfx::Device& d) {
  engine::Engine& e = engine::context();
  if (e.windowShown || !e.platform) return;
  e.windowShown = true;
  // Pictures decoded ahead that the first frame did not take are dropped.
  layer::StopPicturePrefetch();
  e.platform->window().show();
  // A window just mapped holds nothing: the frame already drawn is presented once more into it.
  if (e.platform->kind() == platform::Kind::Desktop) d.present();
}

void ResetDevice() {
  gfx::Device* d = engine::context().device;
  if (!d) return;
  scene::C_BaseScene* scene = currentScene();
  engine::RenderObjects& r = engine::context().render;
  // Everything that holds device resources hears of the loss first.
  if (r.fontSlots[0]) r.fontSlots[0]->onLostDevice();
  if (r.debugSprite) r.debugSprite->onLostDevice();
  if (r.lambertEffect) r.lambertEffect->onLostDevice();
  if (r.shadowEffect) r.shadowEffect->onLostDevice();
  if (gfx::SpriteBatch* batch = engine::context().spriteBatch.get()) batch->onLostDevice();
  if (scene) scene->onDeviceLost();
  bool reset = false;
  for (int attempt = 0; attempt < 5 && !reset; ++attempt) reset = d->reset() == gfx::result::Ok;
  if (!reset) return;
  // Reset: the common state again, then the scene rebuilds what it holds.
  engine::SetCommonRenderState(false);
  if (scene) scene->onDeviceReset();
}

bool DeviceUsable() {
  gfx::Device* d = engine::context().device;
  return !d || d->testCooperativeLevel() == gfx::result::Ok;
}

}  // namespace app
