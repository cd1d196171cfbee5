// Creates the scene object for a scene id.
#include "scene/SceneFactory.h"

#include "scene/C_SceneGame_Dummy.h"
#include "scene/C_SceneSandBox.h"
#include "scene/C_SceneTitle.h"
#include "engine/SceneIds.h"

namespace scene {

C_BaseScene* CreateScene(int32_t id) {
  switch (id) {
    case SCENE_SANDBOX: return new C_SceneSandBox();
    case SCENE_TITLE: return new C_SceneTitle();
    case SCENE_GAME: return new C_SceneGame_Dummy();
    default: return nullptr;
  }
}

}  // namespace scene
