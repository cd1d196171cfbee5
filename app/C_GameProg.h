// The program object: creates and destroys the shared engine objects, runs one frame's update
// and draw, and switches scenes between frames.
#pragma once

#include <cstdint>
#include <memory>

#include "app/Services.h"
#include "engine/Engine.h"
#include "layer/C_BaseObject.h"
#include "platform/Platform.h"

namespace scene {
class C_BaseScene;
}

namespace app {

class C_GameProg : public layer::C_BaseObject {
 public:
  C_GameProg();
  // Ends the character target, the shared quad and the scene; the services then go by member
  // order (app/Services.h).
  ~C_GameProg() override;
  // Creates the shared engine objects and switches to the script scene.
  void init() override;
  // Nothing to free short of destruction.
  void release() override {}
  // The per-frame update.
  int32_t updateIdle() override;
  // The per-frame draw.
  void draw() override;

  // The scene switch: runs when nextSceneId is not -1.
  void switchScene();

  // ---- Fields ----
  // Declared first so that it is destroyed last, after the scene.
  Services services;
  bool initialized = false;
  int32_t currentSceneId = -1;
  int32_t nextSceneId = 1;
  platform::JoystickState joystick;
  uint32_t reserved[3] = {0, 0, 0};

  std::unique_ptr<scene::C_BaseScene> currentScene;
  // The pad record of the current frame (all zero while the window is inactive).
  engine::PadRecord pad;
};

}  // namespace app
