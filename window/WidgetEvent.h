// The event a widget starts when it is used: a "file?label" target in the layer's first variant,
// the function that starts it (the scene's event jump or event call) and the scene it belongs to.
#pragma once

#include <string>

namespace scene {
class C_BaseScene;
}

namespace window {

using EventHandler = void (*)(scene::C_BaseScene& owner, const std::string& file, const std::string& label);

// The scene's StartEventJump and StartEventCall as widget handlers.
void StartJumpEvent(scene::C_BaseScene& owner, const std::string& file, const std::string& label);
void StartCallEvent(scene::C_BaseScene& owner, const std::string& file, const std::string& label);

struct WidgetEvent {
  EventHandler handler = nullptr;
  scene::C_BaseScene* owner = nullptr;

  bool set() const { return handler != nullptr && owner != nullptr; }
  // Calls the handler with copies of the target's parts: the event may run script lines that
  // set the widget up again.
  void fire(const std::string& file, const std::string& label) const {
    if (set()) handler(*owner, file, label);
  }
};

}  // namespace window
