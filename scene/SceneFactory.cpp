// Creates the scene object for a scene id.
#include "scene/SceneFactory.h"

#include "engine/SceneIds.h"
#include "scene/C_SceneGame_Dummy.h"
#include "scene/C_SceneSandBox.h"
#include "scene/C_SceneTitle.h"

namespace scene {

std::unique_ptr<C_BaseScene> CreateScene(int32_t id) {
  switch (id) {
    case SCENE_SANDBOX: return std::make_unique<C_SceneSandBox>();
    case SCENE_TITLE: return std::make_unique<C_SceneTitle>();
    case SCENE_GAME: return std::make_unique<C_SceneGame_Dummy>();
    default: return nullptr;
  }
}

}  // namespace scene
