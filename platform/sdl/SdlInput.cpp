// SdlInput: keyboard polling by virtual-key code and SDL joystick 0 in joyGetPosEx ranges.
#include "platform/sdl/SdlInput.h"

#include "platform/sdl/KeyMap.h"
#include "platform/sdl/SdlLibrary.h"

namespace platform {

namespace {

// SDL axes run -32768..32767 with 0 at rest; joyGetPosEx reports 0..65535 with 32767 at rest.
uint32_t axisPosition(SDL_Joystick* joy, int axis) {
  if (axis >= SDL_JoystickNumAxes(joy)) return 32767;
  int v = SDL_JoystickGetAxis(joy, axis);
  if (v < 0) return static_cast<uint32_t>((v + 32768) * 32767 / 32768);
  return static_cast<uint32_t>(32767 + v * 32768 / 32767);
}

}  // namespace

SdlInput::~SdlInput() {
  if (joystick_) SDL_JoystickClose(joystick_);
}

bool SdlInput::keyDown(int virtualKey) { return virtualKeyDown(virtualKey); }

bool SdlInput::joystick(JoystickState& out) {
  if (joystickUnavailable_) return false;
  if (!SdlLibrary::init(SDL_INIT_JOYSTICK)) {
    joystickUnavailable_ = true;
    return false;
  }
  if (joystick_ && !SDL_JoystickGetAttached(joystick_)) {
    SDL_JoystickClose(joystick_);
    joystick_ = nullptr;
  }
  if (!joystick_) {
    if (SDL_NumJoysticks() < 1) return false;
    joystick_ = SDL_JoystickOpen(0);
    if (!joystick_) return false;
  }
  SDL_JoystickUpdate();
  out.x = axisPosition(joystick_, 0);
  out.y = axisPosition(joystick_, 1);
  out.z = axisPosition(joystick_, 2);
  out.buttons = 0;
  int buttons = SDL_JoystickNumButtons(joystick_);
  for (int i = 0; i < buttons && i < 32; ++i) {
    if (SDL_JoystickGetButton(joystick_, i)) out.buttons |= 1u << i;
  }
  return true;
}

}  // namespace platform
