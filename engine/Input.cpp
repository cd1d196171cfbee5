// Input: mouse messages, key and joystick polling, the pad record.
#include "engine/Input.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/Platform.h"

namespace engine {

namespace {

constexpr double kPi = 3.14159265358979323846;

platform::Platform& plat() { return *engine::context().platform; }

}  // namespace

void HandleMouseMessage(uint32_t message, uint32_t wParam) {
  Engine& e = engine::context();
  if (message == platform::msg::MouseWheel) {
    e.mouse.mouseEvents |= mouse::Wheel;
    // Turns add up within a frame; the sum stays within 32 bits.
    const int64_t sum = int64_t(e.mouse.wheelDelta) + int32_t(wParam);
    e.mouse.wheelDelta = int32_t(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
    return;
  }
  e.mouse.mouseEvents |= 1u << (message - platform::msg::LButtonDown);
  if (message == platform::msg::LButtonDown) {
    e.mouse.leftHeld = true;
    plat().window().setCapture(true);
  } else if (message == platform::msg::LButtonUp) {
    e.mouse.leftHeld = false;
    plat().window().setCapture(false);
  }
}

bool KeyDown(int virtualKey) {
  if (!engine::context().platform || !plat().window().isActive()) return false;
  return plat().input().keyDown(virtualKey);
}

void ScaleDiagonal(PadRecord& pad) {
  const int32_t y = pad.v[0];
  const int32_t x = pad.v[1];
  if (x == 0 && y == 0) return;
  double a;
  if (x == 0) {
    a = y > 0 ? kPi / 2 : 3 * kPi / 2;
  } else if (y == 0) {
    a = x < 0 ? kPi : 0.0;
  } else {
    a = std::atan2(static_cast<double>(y), static_cast<double>(x));
  }
  pad.v[1] = static_cast<int32_t>(std::cos(a) * std::abs(x));
  pad.v[0] = static_cast<int32_t>(std::sin(a) * std::abs(y));
}

PadRecord PollInput() {
  Engine& e = engine::context();
  PadRecord pad;
  platform::Window& window = plat().window();
  if (!window.isActive()) return pad;

  // Client coordinates on both platforms; full-screen positions already are.
  int x = 0, y = 0;
  window.cursorPos(x, y);
  if (x < 0) x = 0;
  if (x > e.screenWidth - 1) x = e.screenWidth - 1;
  if (y < 0) y = 0;
  if (y > e.screenHeight - 1) y = e.screenHeight - 1;
  e.mouse.previousCursorX = e.mouse.cursorX;
  e.mouse.previousCursorY = e.mouse.cursorY;
  e.mouse.cursorX = x - e.screenWidth / 2;
  e.mouse.cursorY = y - e.screenHeight / 2;

  platform::Input& in = plat().input();
  namespace vk = platform::vk;
  // The first key of each pair wins when both are held.
  if (in.keyDown(vk::Up))
    pad.v[0] = -32767;
  else if (in.keyDown(vk::Down))
    pad.v[0] = 32767;
  if (in.keyDown(vk::Left))
    pad.v[1] = -32767;
  else if (in.keyDown(vk::Right))
    pad.v[1] = 32767;
  if (in.keyDown(vk::Numpad8))
    pad.v[2] = -32767;
  else if (in.keyDown(vk::Numpad2))
    pad.v[2] = 32767;
  if (in.keyDown(vk::Numpad4))
    pad.v[3] = -32767;
  else if (in.keyDown(vk::Numpad6))
    pad.v[3] = 32767;
  pad.v[4] = in.keyDown('Z') ? 1 : 0;
  pad.v[5] = in.keyDown('X') ? 1 : 0;
  pad.v[6] = in.keyDown('C') ? 1 : 0;
  pad.v[7] = in.keyDown('Q') ? 1 : 0;
  pad.v[8] = in.keyDown('W') ? 1 : 0;

  platform::JoystickState joy;
  if (in.joystick(joy)) {
    // Outside the dead zone 16383..49151 the stick replaces the keyboard value.
    const uint32_t raw[3] = {joy.y, joy.x, joy.z};
    for (int i = 0; i < 3; ++i) {
      if (raw[i] < 0x3FFF || raw[i] > 0xBFFF) pad.v[i] = static_cast<int32_t>(raw[i]) - 32767;
    }
    // Buttons 1, 2, 3, 5 and 6 (button 4 is not used).
    const int buttons[5] = {1, 2, 3, 5, 6};
    for (int i = 0; i < 5; ++i) {
      if (joy.buttons & (1u << (buttons[i] - 1))) pad.v[4 + i] = 1;
    }
  }

  ScaleDiagonal(pad);
  return pad;
}

void ClearMouseEvents() {
  engine::context().mouse.mouseEvents = 0;
  engine::context().mouse.wheelDelta = 0;
}

}  // namespace engine
