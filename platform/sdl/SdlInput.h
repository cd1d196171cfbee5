// SdlInput: keyboard polling by virtual-key code and SDL joystick 0.
#pragma once

#include <SDL.h>

#include "platform/Platform.h"

namespace platform {

class SdlInput final : public Input {
 public:
  SdlInput() = default;
  ~SdlInput() override;
  SdlInput(const SdlInput&) = delete;
  SdlInput& operator=(const SdlInput&) = delete;

  bool keyDown(int virtualKey) override;
  bool joystick(JoystickState& out) override;

 private:
  SDL_Joystick* joystick_ = nullptr;
  bool joystickUnavailable_ = false;  // the subsystem failed to start: never asked again
};

}  // namespace platform
