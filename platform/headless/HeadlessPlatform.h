// The headless platform: no display, a virtual clock, input fed from a script, message boxes
// written to stderr. Tests, CI and `kmtool play` run the engine on it.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>

#include "platform/Platform.h"

namespace platform {

struct HeadlessOptions {
  bool realtimeClock = false;  // use the real monotonic clock instead of the virtual one
  bool lowSpecAnswer = false;  // answer to the first start-up question
  bool fullScreenAnswer = false;
  bool echoMessageBoxes = true;  // write "[MessageBox] CAPTION | TEXT" lines to stderr
};

class HeadlessPlatform final : public Platform {
 public:
  explicit HeadlessPlatform(const HeadlessOptions& options = {});
  ~HeadlessPlatform() override;
  HeadlessPlatform(const HeadlessPlatform&) = delete;
  HeadlessPlatform& operator=(const HeadlessPlatform&) = delete;

  Kind kind() const override { return Kind::Headless; }
  Window& window() override;
  Input& input() override;
  Clock& clock() override;
  int showMessageBox(std::string_view textCp932, std::string_view captionCp932, unsigned flags) override;
  bool askStartupQuestion(StartupQuestion which, std::string_view textCp932, std::string_view captionCp932) override;

  // ---- Scripted input ----
  // Called whenever the message queue runs dry before frame n (n counts from 1): the hook may
  // post messages and change key and mouse state for that frame. Called once per frame.
  void setFrameHook(std::function<void(uint32_t frame)> hook);
  // Button messages also set or clear the button's key state (VK_LBUTTON, VK_RBUTTON, VK_MBUTTON).
  void postMessage(const Message& m);
  void setKey(int virtualKey, bool down);
  void setMouse(int clientX, int clientY);
  void setActive(bool active);
  void setJoystick(bool present, const JoystickState& state = {});
  // Answers for later Yes/No boxes, in order (when none is queued: No).
  void queueAnswer(int id);
  // The virtual clock's current value (ms); advanced by sleepMs or by hand.
  void advanceClock(uint32_t ms);

  // ---- What the engine did (for tests and kmtool) ----
  // Frames the loop has started: times peekMessage found the queue dry.
  uint32_t framesStarted() const;
  // The cursor resource last set (-1 before any), and whether the mouse is captured.
  int cursorResource() const;
  bool mouseCaptured() const;

  // The virtual clock's value when the platform is created.
  static constexpr uint32_t VirtualClockStartMs = 1000;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
