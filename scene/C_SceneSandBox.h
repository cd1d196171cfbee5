// The script scene: runs the event scripts and hosts every window, picture and character.
#pragma once

#include "scene/C_BaseScene.h"

namespace game3d {
class C_Camera;
}

namespace scene {

// What the members' update tells the script step that follows it.
struct MemberFrame {
  // Members whose update reports that they still animate; the script step adds a running fade.
  int32_t animatingCount = 0;
  // A member took this frame's mouse input for itself.
  bool mouseTaken = false;
};

class C_SceneSandBox : public C_BaseScene {
 public:
  C_SceneSandBox() = default;
  ~C_SceneSandBox() override;
  void init() override;
  void release() override;
  int32_t update(const engine::PadRecord* pad) override;
  int32_t render() override;
  void onDeviceLost() override;
  void onDeviceReset() override;

  game3d::C_Camera* camera = nullptr;  // used by the 3D parts only

 private:
  // Mouse dispatch front-first and the update of every member.
  MemberFrame updateMembers();
  // Busy count, scene state, click, skip and auto mode, the event system's frame.
  void scriptStep(const MemberFrame& members);
};

}  // namespace scene
