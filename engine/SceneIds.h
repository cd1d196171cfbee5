// Scene ids and their names as scripts give them.
#pragma once

#include <cstdint>
#include <string_view>

namespace scene {

constexpr int32_t SCENE_NONE = -1;
constexpr int32_t SCENE_SANDBOX = 0;
constexpr int32_t SCENE_TITLE = 1;
constexpr int32_t SCENE_GAME = 2;

// "SCENE_SANDBOX" -> 0 and so on; "SCENE_NONE" and any unknown name give -1.
int32_t SceneIdFromName(std::string_view name);

}  // namespace scene
