// The 3D game scene's exit: button 6 (key C) newly pressed returns to the script scene.
#include "scene/C_SceneGame_Dummy.h"

#include "engine/Engine.h"
#include "engine/RenderDevice.h"
#include "engine/SceneIds.h"
#include "gfx/Device.h"
#include "layer/C_SpriteFact.h"
#include "layer/ScreenFadeOverlay.h"
#include "window/SceneDialogs.h"

namespace scene {

int32_t C_SceneGame_Dummy::update(const engine::PadRecord* padArg) {
  const engine::PadRecord& pad = *padArg;
  // The exit confirmation (Escape, the close box) is drawn and answered here too.
  bool mouseTaken = false;
  window::UpdateDialog(*this, mouseTaken);
  const bool pressed = pad.v[6] != 0 && lastPad.v[6] == 0;
  lastPad = pad;
  return pressed ? SCENE_SANDBOX : -1;
}

// The 3D content is not part of this engine: the scene shows a cleared frame with the debug line
// and the screen fade, so nothing stale stays on screen while it runs.
int32_t C_SceneGame_Dummy::render() {
  gfx::Device* device = engine::context().device;
  if (!device) return 0;
  device->clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0xFF000000u, 1.0f, 0);
  device->beginScene();
  gfx::SpriteBatch* batch = layer::spriteBatch();
  if (batch && window::DialogsShown(*this)) {
    batch->begin(gfx::spriteflag::AlphaBlend);
    window::DrawDialog(*this);
    batch->end();
  }
  engine::DrawDebugText();
  layer::DrawScreenFade();
  device->endScene();
  return engine::PresentFrame();
}

}  // namespace scene
