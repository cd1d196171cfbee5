// The selection windows and widgets in the script scene's frame.
#include "window/SceneWidgets.h"

#include <memory>
#include <vector>

#include "scene/C_BaseScene.h"
#include "window/C_ButtonLayer.h"
#include "window/C_WindowLayer.h"

namespace window {

namespace {

// By index: an event started by a window runs script lines, which may append windows to the list.
int32_t askAndUpdate(const std::vector<std::unique_ptr<C_WindowLayer>>& list, bool& mouseTaken) {
  int32_t animating = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    C_WindowLayer* w = list[i].get();
    if (!mouseTaken && w->handleMouse() != 0) mouseTaken = true;
    if (w->update(nullptr) != 0) ++animating;
  }
  return animating;
}

}  // namespace

int32_t UpdateSelectionWindows(scene::C_BaseScene& scene, bool& mouseTaken) {
  return askAndUpdate(scene.selWindows, mouseTaken);
}

int32_t UpdateButtons(scene::C_BaseScene& scene, bool& mouseTaken) {
  const bool asked = scene.state == scene::state::NoScript || scene.state == scene::state::Still;
  const std::vector<std::unique_ptr<C_WindowLayer>>& list = scene.btnWindows;
  int32_t animating = 0;
  for (size_t i = 0; i < list.size(); ++i) {
    auto* button = dynamic_cast<C_ButtonLayer*>(list[i].get());
    if (!button) continue;
    if (!asked) {
      // A disabled button stays disabled whatever the scene state.
      if (button->state != widget::Disabled) button->state = widget::Normal;
    } else if (!mouseTaken && button->handleMouse() != 0) {
      mouseTaken = true;
    }
    if (button->update(nullptr) != 0) ++animating;
  }
  return animating;
}

int32_t UpdateCheckButtons(scene::C_BaseScene& scene, bool& mouseTaken) {
  return askAndUpdate(scene.checkWindows, mouseTaken);
}

int32_t UpdateSliders(scene::C_BaseScene& scene, bool& mouseTaken) {
  return askAndUpdate(scene.slideWindows, mouseTaken);
}

}  // namespace window
