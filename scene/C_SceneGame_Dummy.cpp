// The 3D game scene's exit: button 6 (key C) newly pressed returns to the script scene.
#include "scene/C_SceneGame_Dummy.h"

#include "scene/SceneIds.h"

namespace scene {

int32_t C_SceneGame_Dummy::update(intptr_t padArg) {
  const app::PadRecord& pad = padOf(padArg);
  const bool pressed = pad.v[6] != 0 && lastPad.v[6] == 0;
  lastPad = pad;
  return pressed ? SCENE_SANDBOX : -1;
}

int32_t C_SceneGame_Dummy::render() { return 0; }

}  // namespace scene
