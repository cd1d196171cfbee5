// The window procedure and the paced frame loop: messages first, then one frame.
#include "app/FrameLoop.h"

#include "engine/Engine.h"
#include "engine/Input.h"
#include "layer/C_BaseObject.h"
#include "script/Dialogs.h"

namespace app {

namespace {
platform::Platform& plat() { return *engine::context().platform; }
}  // namespace

void OpenExitConfirmation() {
  // The current scene's dialog asks; its "ＹＥＳ" ends the program.
  engine::Engine& e = engine::context();
  if (e.eventMain && e.currentScene) script::OpenExitConfirm(*e.eventMain, *e.currentScene);
}

void WindowProc(const platform::Message& message) {
  namespace msg = platform::msg;
  const bool programExists = engine::context().gameProg != nullptr;
  switch (message.id) {
    case msg::Destroy: plat().window().postQuit(0); break;
    case msg::Close:
      // The window is never closed here.
      if (programExists) OpenExitConfirmation();
      break;
    case msg::KeyDown:
      if (message.wParam == static_cast<uint32_t>(platform::vk::Escape) && programExists) OpenExitConfirmation();
      break;
    case msg::LButtonDown:
    case msg::LButtonUp:
    case msg::RButtonDown:
    case msg::RButtonUp:
    case msg::MButtonDown:
    case msg::MButtonUp:
    case msg::MouseWheel: engine::HandleMouseMessage(message.id, message.wParam); break;
    default:
      // Create, Paint, KeyUp and SysKeyDown (Alt+F4, F10) are swallowed.
      break;
  }
}

void UpdateFrameTimers(int32_t deltaMs) {
  engine::Engine& e = engine::context();
  const float d = static_cast<float>(static_cast<uint32_t>(deltaMs));
  e.totalMs += deltaMs;
  e.frameDeltaMs = deltaMs;
  e.frameStep = d / 17.0f;
  if (e.frameStep > 5.0f) e.frameStep = 5.0f;
}

void RunOneFrame(layer::C_BaseObject& program) {
  engine::Engine& e = engine::context();
  platform::Clock& clock = plat().clock();
  ++e.frameCounter;
  // Boxes that worker threads asked for since the last frame.
  platform::showPostedMessageBoxes();
  plat().window().setCursor(e.cursorId);
  program.updateIdle();
  e.frameNow = clock.nowMs();
  const uint32_t elapsed = e.frameNow - e.lastFrameTime;
  if (elapsed < static_cast<uint32_t>(e.frameInterval)) {
    clock.sleepMs(static_cast<uint32_t>(e.frameInterval) - elapsed);
    const uint32_t t = clock.nowMs();
    const int32_t delta = static_cast<int32_t>(t - e.lastFrameTime);
    e.frameDeltaMs = delta;
    e.lastFrameTime = t;
    program.draw();
    UpdateFrameTimers(delta);
  } else {
    // Late: no draw; the period advances by exactly one interval so the loop catches up.
    const uint32_t t = clock.nowMs();
    const int32_t delta = static_cast<int32_t>(t - e.lastFrameTime);
    e.frameDeltaMs = delta;
    e.lastFrameTime = t - elapsed + static_cast<uint32_t>(e.frameInterval);
    UpdateFrameTimers(delta);
  }
}

int RunFrameLoop(layer::C_BaseObject& program) {
  platform::Window& window = plat().window();
  for (;;) {
    platform::Message message;
    if (window.peekMessage(message)) {
      if (message.id == platform::msg::Quit) return static_cast<int>(message.wParam);
      WindowProc(message);
      continue;
    }
    RunOneFrame(program);
  }
}

}  // namespace app
