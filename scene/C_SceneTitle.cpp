// The title scene: its frame update (pictures come with the layer classes).
#include "scene/C_SceneTitle.h"

#include "scene/SceneIds.h"

namespace scene {

C_SceneTitle::~C_SceneTitle() = default;

void C_SceneTitle::init() {}

int32_t C_SceneTitle::update(intptr_t padArg) {
  const app::PadRecord& pad = padOf(padArg);
  int32_t result = -1;
  // Buttons 4-6 (Z, X, C) pressed now and not in the previous frame start the 3D scene.
  for (int i = 4; i <= 6; ++i) {
    if (pad.v[i] != 0 && lastPad.v[i] == 0) result = SCENE_GAME;
  }
  lastPad = pad;
  return result;
}

int32_t C_SceneTitle::render() { return 0; }

}  // namespace scene
