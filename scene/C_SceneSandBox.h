// The script scene: runs the event scripts and hosts every window, picture and character.
#pragma once

#include "scene/C_BaseScene.h"

namespace game3d { class C_Camera; }

namespace scene {

class C_SceneSandBox : public C_BaseScene {
 public:
  C_SceneSandBox() = default;
  ~C_SceneSandBox() override;
  void init() override;
  void release() override;
  int32_t update(intptr_t pad) override;
  int32_t render() override;

  game3d::C_Camera* camera = nullptr;  // used by the 3D parts only
};

}  // namespace scene
