// C_DialogSet: the dialog window with its two buttons, forwarded to as one.
#include "window/C_DialogSet.h"

#include <algorithm>

namespace window {

C_DialogSet::C_DialogSet() {
  kind = kind::Dialog;
  for (auto& button : buttons) {
    button = std::make_unique<C_ButtonLayer>();
    button->kind = kind::Button;
  }
}

C_DialogSet::~C_DialogSet() = default;

bool C_DialogSet::showing() {
  const layer::PictureSlot& s = currentPicture();
  return s.loaded && s.alpha() != 0 && visible;
}

int32_t C_DialogSet::update(const engine::PadRecord* pad) {
  const bool wasFading = currentPicture().fadeActive;
  int32_t busy = C_WindowLayer::update(pad);
  for (auto& button : buttons)
    if (button->opened) busy |= button->update(pad);
  // A finished close: the dialog no longer takes the mouse, and a question closed without its
  // answer (a script's CloseWindow) no longer blocks the next one.
  if (wasFading && !currentPicture().fadeActive && currentPicture().alpha() == 0) {
    shown = false;
    pending = false;
  }
  return busy;
}

void C_DialogSet::swapSlots() {
  C_WindowLayer::swapSlots();
  for (auto& button : buttons)
    if (button->opened) button->swapSlots();
}

void C_DialogSet::finishAnimations() {
  C_WindowLayer::finishAnimations();
  for (auto& button : buttons) button->finishAnimations();
}

void C_DialogSet::drawBoth(float /*depth*/) {
  if (!shown) return;
  runRenderer();
  draw();
  for (auto& button : buttons) {
    if (!button->opened || !WidgetShown(*button)) continue;
    button->runRenderer();
    button->draw();
  }
}

void C_DialogSet::releaseTextTarget() {
  C_WindowLayer::releaseTextTarget();
  for (auto& button : buttons) button->releaseTextTarget();
}

void C_DialogSet::restoreTextTarget() {
  C_WindowLayer::restoreTextTarget();
  for (auto& button : buttons) button->restoreTextTarget();
}

void C_DialogSet::setWindow(int32_t kindCode, int32_t width, int32_t height, float x, float y, bool isDraggable,
                            bool reuse) {
  pending = false;
  for (auto& button : buttons) {
    button->opened = false;
    button->visible = false;
    button->currentPicture().colour &= 0x00FFFFFFu;
  }
  C_WindowLayer::setWindow(kindCode, width, height, x, y, isDraggable, reuse);
  children.clear();
}

void C_DialogSet::open(int32_t timeMs) {
  for (auto& button : buttons) {
    if (!button->opened) continue;
    if (std::find(children.begin(), children.end(), button.get()) == children.end()) children.push_back(button.get());
    button->open(timeMs);
  }
  shown = true;
  C_WindowLayer::open(timeMs);
}

int32_t C_DialogSet::dialogMouse() {
  result = answer::None;
  if (!shown) return 0;
  int32_t reported = 0;
  for (size_t i = 0; i < buttons.size(); ++i) {
    C_ButtonLayer& button = *buttons[i];
    if (!button.opened) continue;
    const int32_t value = button.handleMouse();
    if (value != 0) reported = value;
    if (value & 2) {
      result = int32_t(i);
      break;
    }
  }
  if (reported != 0) return reported;
  // A click beside the buttons is taken too.
  handleMouse();
  return 1;
}

}  // namespace window
