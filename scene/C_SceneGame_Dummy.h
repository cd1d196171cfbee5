// The 3D game scene: its entry, an empty frame, and its exit back to the script scene.
#pragma once

#include "scene/C_BaseScene.h"

namespace scene {

class C_SceneGame_Dummy : public C_BaseScene {
 public:
  int32_t update(const engine::PadRecord* pad) override;
  int32_t render() override;
};

}  // namespace scene
