// A window that carries four lists of member windows and forwards its operations to them.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "window/C_WindowLayer.h"

namespace window {

class C_MultiWindowSet : public C_WindowLayer {
 public:
  C_MultiWindowSet() = default;
  ~C_MultiWindowSet() override;

  // slot 2: empties the lists (the first list's members are deleted).
  void release() override;
  // slot 3: its own update, then every opened member's; a finished close hides the set.
  int32_t update(const engine::PadRecord* pad) override;
  // slot 7
  void swapSlots() override;
  // slot 20
  void finishAnimations() override;
  // slot 27: nothing unless shown.
  void drawBoth(float depth) override;
  // slot 29: the opened members of lists two to four are asked first, up to the first that
  // reports a release on it.
  int32_t handleMouse() override;
  // slot 37
  void releaseTextTarget() override;
  // slot 38
  void restoreTextTarget() override;
  // slot 47: also opens every member of the first list that has a picture, and binds it.
  void open(int32_t timeMs) override;

  // Every member of the four lists, in list order.
  template <typename Visit>
  void forEachMember(Visit visit) {
    for (auto& member : ownedMembers) visit(*member);
    for (auto& list : memberLists)
      for (C_WindowLayer* member : list) visit(*member);
  }

  // ---- Fields, in order ----
  bool shown = false;
  std::vector<std::unique_ptr<C_WindowLayer>> ownedMembers;  // the first list
  std::array<std::vector<C_WindowLayer*>, 3> memberLists;    // lists two to four, not owned
};

}  // namespace window
