// The whole-screen fade: starting a fade and stepping it once per frame.
#pragma once

#include <cstdint>

namespace engine {

// ScFadeIn / ScFadeOut and the AllFadeIn / AllFadeOut tags: direction -1 fades in from the
// colour, 1 fades out to it.
void StartScreenFade(int32_t direction, int32_t durationMs, uint32_t colourRgb);

// Once per frame after the scene's update, with frameDeltaMs.
void StepScreenFade();

// True while a fade runs (it keeps the script scene busy).
bool ScreenFadeRunning();

}  // namespace engine
