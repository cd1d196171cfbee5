// The whole-screen fade's state steps; drawing the overlay belongs to the render device.
#include "engine/ScreenFade.h"

#include "engine/Engine.h"

namespace engine {

void StartScreenFade(int32_t direction, int32_t durationMs, uint32_t colourRgb) {
  ScreenFade& f = engine::context().fade;
  f.fadeColour = colourRgb & 0xFFFFFFu;
  f.fadeDuration = durationMs;
  f.fadeRemaining = durationMs;
  f.fadeVisible = true;
  f.fadeStarted = false;
  f.fadeDirection = direction;
}

void StepScreenFade() {
  ScreenFade& f = engine::context().fade;
  if (f.fadeDirection == 0) return;
  if (!f.fadeStarted) {
    f.fadeRemaining = f.fadeDuration;
    f.fadeStarted = true;
  }
  f.fadeRemaining -= engine::context().frameDeltaMs;
  if (f.fadeRemaining > 0) return;
  // After a fade-out the overlay stays opaque until the next fade-in.
  if (f.fadeDirection == -1) f.fadeVisible = false;
  f.fadeDirection = 0;
}

bool ScreenFadeRunning() { return engine::context().fade.fadeDirection != 0; }

}  // namespace engine
