// The title scene: a background with ten star pictures the mouse can pick up.
#pragma once

#include <memory>
#include <vector>

#include "scene/C_BaseScene.h"

namespace scene {

class C_SceneTitle : public C_BaseScene {
 public:
  C_SceneTitle();
  ~C_SceneTitle() override;
  void init() override;
  int32_t update(const engine::PadRecord* pad) override;
  int32_t render() override;

  std::unique_ptr<layer::C_BaseCharaLayer> titleBackground;
  std::unique_ptr<layer::C_BaseCharaLayer> starLayers[10];
  std::vector<layer::C_BaseCharaLayer*> stars;  // drawing order, front-most last
};

}  // namespace scene
