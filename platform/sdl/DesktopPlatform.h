// DesktopPlatform: the SDL2 window, keyboard, mouse and joystick, the real clock, SDL boxes.
#pragma once

#include <memory>

#include "platform/ChildProcesses.h"
#include "platform/GraphicsPreload.h"
#include "platform/Platform.h"
#include "platform/posix/MonotonicClock.h"
#include "platform/sdl/SdlInput.h"
#include "platform/sdl/SdlWindow.h"

namespace platform {

class DesktopPlatform final : public Platform {
 public:
  DesktopPlatform() = default;
  ~DesktopPlatform() override;
  DesktopPlatform(const DesktopPlatform&) = delete;
  DesktopPlatform& operator=(const DesktopPlatform&) = delete;

  Kind kind() const override { return Kind::Desktop; }
  Window& window() override { return window_; }
  Input& input() override { return input_; }
  Clock& clock() override { return clock_; }
  int showMessageBox(std::string_view textCp932, std::string_view captionCp932, unsigned flags) override;
  bool askStartupQuestion(StartupQuestion which, std::string_view textCp932, std::string_view captionCp932) override;
  void beginStartupQuestions(std::string_view lowSpecTextCp932, std::string_view fullScreenTextCp932,
                             std::string_view captionCp932) override;

 private:
  // The first member is destroyed last: SDL shuts down after the window and the joystick.
  struct SdlShutdown {
    ~SdlShutdown();
  };
  SdlShutdown sdlShutdown_;
  // The helper process that shows the start-up questions, forked before any other member
  // starts a thread; dropped once both answers are in.
  struct QuestionHelper {
    QuestionHelper();
    std::unique_ptr<HelperProcess> process;
    int questionsSent = 0;
  };
  QuestionHelper questions_;
  // Started with the platform, so the OpenGL files load while the start-up questions are up.
  GraphicsPreload graphicsPreload_{graphicsFilesToPreload()};
  SdlWindow window_;
  SdlInput input_;
  MonotonicClock clock_;
};

}  // namespace platform
