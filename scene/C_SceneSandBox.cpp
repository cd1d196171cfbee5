// The script scene: settings, the first script, the frame update and render.
#include "scene/C_SceneSandBox.h"

#include "app/Config.h"
#include "app/Input.h"
#include "platform/Platform.h"

namespace scene {

C_SceneSandBox::~C_SceneSandBox() = default;

void C_SceneSandBox::init() {
  app::ReadScriptSettings(*this);
}

void C_SceneSandBox::release() {}

int32_t C_SceneSandBox::update(intptr_t padArg) {
  const app::PadRecord& pad = padOf(padArg);
  // 1. Control held means skip.
  skip = app::KeyDown(platform::vk::Control);
  // 5. Remember the pad for edge detection.
  lastPad = pad;
  // 6. A pending scene-change request.
  if (nextScene == -1) return -1;
  const int32_t next = nextScene;
  nextScene = -1;
  return next;
}

int32_t C_SceneSandBox::render() { return 0; }

}  // namespace scene
