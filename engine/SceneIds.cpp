// Scene names as scripts give them.
#include "engine/SceneIds.h"

namespace scene {

int32_t SceneIdFromName(std::string_view name) {
  if (name == "SCENE_SANDBOX") return SCENE_SANDBOX;
  if (name == "SCENE_TITLE") return SCENE_TITLE;
  if (name == "SCENE_GAME") return SCENE_GAME;
  return SCENE_NONE;
}

}  // namespace scene
