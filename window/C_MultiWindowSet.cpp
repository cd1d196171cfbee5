// C_MultiWindowSet: the window set's forwarding to its members.
#include "window/C_MultiWindowSet.h"

#include <algorithm>

namespace window {

C_MultiWindowSet::~C_MultiWindowSet() = default;

void C_MultiWindowSet::release() {
  children.clear();
  for (auto& list : memberLists) list.clear();
  ownedMembers.clear();
  ownedButtons.clear();
}

int32_t C_MultiWindowSet::update(const engine::PadRecord* pad) {
  const bool wasFading = currentPicture().fadeActive;
  const int32_t busy = C_WindowLayer::update(pad);
  forEachMember([pad](C_WindowLayer& member) {
    if (member.opened) member.update(pad);
  });
  if (wasFading && !currentPicture().fadeActive && currentPicture().alpha() == 0) shown = false;
  return busy;
}

void C_MultiWindowSet::swapSlots() {
  C_WindowLayer::swapSlots();
  forEachMember([](C_WindowLayer& member) {
    if (member.opened) member.swapSlots();
  });
}

void C_MultiWindowSet::finishAnimations() {
  C_WindowLayer::finishAnimations();
  forEachMember([](C_WindowLayer& member) { member.finishAnimations(); });
}

void C_MultiWindowSet::drawBoth(float /*depth*/) {
  if (!shown) return;
  runRenderer();
  draw();
  for (auto& member : ownedMembers) {
    if (!member->opened || !member->visible) continue;
    member->runRenderer();
    member->draw();
  }
  for (auto& list : memberLists)
    for (C_WindowLayer* member : list) {
      if (!member->opened || !member->visible) continue;
      member->runRenderer();
      member->draw();
    }
}

int32_t C_MultiWindowSet::handleMouse() {
  for (auto& list : memberLists)
    for (C_WindowLayer* member : list) {
      if (!member->opened) continue;
      if (member->handleMouse() != 2) continue;
      // The help's "ＯＫ": the set and every bound window fade out over 100 ms.
      if (helpMode) {
        helpMode = false;
        close(100);
        const std::vector<C_WindowLayer*> bound = children;
        for (C_WindowLayer* child : bound) child->close(100);
      }
      return 2;
    }
  return C_WindowLayer::handleMouse();
}

void C_MultiWindowSet::releaseTextTarget() {
  C_WindowLayer::releaseTextTarget();
  forEachMember([](C_WindowLayer& member) { member.releaseTextTarget(); });
}

void C_MultiWindowSet::restoreTextTarget() {
  C_WindowLayer::restoreTextTarget();
  forEachMember([](C_WindowLayer& member) { member.restoreTextTarget(); });
}

void C_MultiWindowSet::open(int32_t timeMs) {
  shown = true;
  C_WindowLayer::open(timeMs);
  for (auto& member : ownedMembers) {
    if (!member->currentPicture().loaded) continue;
    member->open(timeMs);
    if (std::find(children.begin(), children.end(), member.get()) == children.end()) children.push_back(member.get());
  }
}

}  // namespace window
