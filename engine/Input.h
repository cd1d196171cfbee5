// Input: the pad record and the mouse values built once per frame, and the mouse messages.
#pragma once

#include <cstdint>

#include "engine/Engine.h"

namespace engine {

// Window-procedure handling of the button and wheel messages; a wheel message's wParam is its
// signed turn (120 per notch, positive up).
void HandleMouseMessage(uint32_t message, uint32_t wParam = 0);

// Reads mouse, keyboard and joystick into a fresh pad record (all zero while inactive).
PadRecord PollInput();

// Clears the frame's mouse events at the end of every frame's update.
void ClearMouseEvents();

// GetAsyncKeyState: the key is down now (false while the window is not active).
bool KeyDown(int virtualKey);

// The diagonal scaling of the first stick (index 0 vertical, index 1 horizontal).
void ScaleDiagonal(PadRecord& pad);

}  // namespace engine
