// The layout attributes of the solid character and event picture tags: a size in pixels or a
// scale over the picture, and a centre or a top-left corner in the 1024 x 768 layout.
#pragma once

#include <cstdint>
#include <string>

#include "chara/PlainCharas.h"
#include "script/TagLine.h"

namespace script {

class C_EventMain;

struct StandLayout {
  int32_t page = 0;
  std::string file, diff;
  int32_t time = 0;
  bool relative = false;
  float left = chara::NotGiven, top = chara::NotGiven;
  float posX = chara::NotGiven, posY = chara::NotGiven;
  float scaleW = 1.0f, scaleH = 1.0f;
  bool scaleWGiven = false, scaleHGiven = false;
  float width = 0.0f, height = 0.0f;
  // Shakes.
  float powerH = 0.0f, powerV = 9.0f, decay = 0.95f;
  int32_t rangeTime = 1000;
  float power = 0.0f, angleDegrees = 90.0f;
  int32_t roundTime = 1000;
};

struct Placement {
  float scaleX, scaleY, x, y;
};

// `left`, `top`, `width`, `height` are integers for SimpleStandChara and reals for the moves.
StandLayout ReadStandLayout(const C_EventMain& events, const TagTokens& tokens, bool integerCorners);
// Scales and centre for a picture of the given size (NotGiven where no position was given).
Placement Place(const StandLayout& l, float imageWidth, float imageHeight);
// v, or otherwise when v is NotGiven.
float Given(float v, float otherwise);

}  // namespace script
