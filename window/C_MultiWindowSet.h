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

  // Empties the lists (the first list's members and the owned buttons are deleted) and lets go
  // of the bound windows, which would otherwise point at deleted members.
  void release() override;
  // Its own update, then every opened member's; a finished close hides the set.
  int32_t update(const engine::PadRecord* pad) override;
  // Swaps its own slots and those of every opened member.
  void swapSlots() override;
  // Takes its own and every member's animations to their end.
  void finishAnimations() override;
  // Nothing unless shown.
  void drawBoth(float depth) override;
  // The opened members of lists two to four are asked first, up to the first that
  // reports a release on it; in help mode that release closes the help.
  int32_t handleMouse() override;
  // Gives up its own and every member's text target when the device is lost.
  void releaseTextTarget() override;
  // Restores its own and every member's text target after a reset.
  void restoreTextTarget() override;
  // Also opens every member of the first list that has a picture, and binds it.
  void open(int32_t timeMs) override;

  // Every member of the four lists, in list order.
  template <typename Visit>
  void forEachMember(Visit visit) {
    for (auto& member : ownedMembers) visit(*member);
    for (auto& list : memberLists)
      for (C_WindowLayer* member : list) visit(*member);
  }

  // ---- Fields ----
  bool shown = false;
  std::vector<std::unique_ptr<C_WindowLayer>> ownedMembers;  // the first list
  std::array<std::vector<C_WindowLayer*>, 3> memberLists;    // lists two to four, not owned
  // The buttons put on list two (the help's "ＯＫ"), owned here so they end with the set.
  std::vector<std::unique_ptr<C_WindowLayer>> ownedButtons;
  bool helpMode = false;  // the set shows the help
};

}  // namespace window
