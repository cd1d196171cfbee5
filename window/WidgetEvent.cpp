// The scene's event entry points as widget handlers.
#include "window/WidgetEvent.h"

#include "scene/C_BaseScene.h"

namespace window {

void StartJumpEvent(scene::C_BaseScene& owner, const std::string& file, const std::string& label) {
  owner.StartEventJump(file.c_str(), label.c_str());
}

void StartCallEvent(scene::C_BaseScene& owner, const std::string& file, const std::string& label) {
  owner.StartEventCall(file.c_str(), label.c_str());
}

}  // namespace window
