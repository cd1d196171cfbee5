// Creates the scene object for a scene id.
#pragma once

#include <cstdint>
#include <memory>

namespace scene {

class C_BaseScene;

// 0 -> C_SceneSandBox, 1 -> C_SceneTitle, 2 -> C_SceneGame_Dummy; nullptr for other ids.
std::unique_ptr<C_BaseScene> CreateScene(int32_t id);

}  // namespace scene
