// The scene base class: construction, the snapshot hook and the event entry points.
#include "scene/C_BaseScene.h"

#include <cstdio>

#include "platform/Encoding.h"
#include "platform/System.h"

namespace scene {

C_BaseScene::C_BaseScene() {
  eventSystem = app::engine().eventMain;
  // A button already held when a scene starts must not count as a new press.
  for (int i = 4; i < 10; ++i) lastPad.v[i] = 1;
}

C_BaseScene::~C_BaseScene() = default;

void C_BaseScene::onDeviceLost() {}

void C_BaseScene::takeSnapshot() {
  char text[128];
  std::snprintf(text, sizeof text, CP932("<状態を一旦保存>:(%d)\n").c_str(), resumePoint());
  platform::debugOutput(text);
}

int32_t C_BaseScene::resumePoint() const { return 0; }

void C_BaseScene::startSelectionEvent(int32_t /*choice*/) {}

void C_BaseScene::StartEventJump(const char* /*file*/, const char* /*label*/) {}

int32_t C_BaseScene::StartEventCall(const char* /*file*/, const char* /*label*/) { return 0; }

int32_t C_BaseScene::StartEventTouchCall(const char* /*file*/, const char* /*label*/) { return 1; }

}  // namespace scene
