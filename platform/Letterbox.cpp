// The letterbox arithmetic, in 64-bit integers so no screen size can overflow it.
#include "platform/Letterbox.h"

#include <cstdint>

namespace platform {

namespace {

// Floor division (the cursor left of or above the picture gives negative game pixels).
int64_t floorDiv(int64_t a, int64_t b) {
  int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

int clampToInt(int64_t v) {
  if (v > INT32_MAX) return INT32_MAX;
  if (v < INT32_MIN) return INT32_MIN;
  return static_cast<int>(v);
}

}  // namespace

ScreenRect letterboxRect(int gameWidth, int gameHeight, int outputWidth, int outputHeight) {
  ScreenRect r{0, 0, outputWidth > 0 ? outputWidth : 0, outputHeight > 0 ? outputHeight : 0};
  if (gameWidth <= 0 || gameHeight <= 0 || r.width == 0 || r.height == 0) return r;
  const int64_t gw = gameWidth, gh = gameHeight, ow = r.width, oh = r.height;
  if (ow * gh > oh * gw) {
    // Wider than the game: bars left and right.
    r.width = static_cast<int>(oh * gw / gh);
    r.x = (outputWidth - r.width) / 2;
  } else if (ow * gh < oh * gw) {
    // Taller: bars above and below.
    r.height = static_cast<int>(ow * gh / gw);
    r.y = (outputHeight - r.height) / 2;
  }
  return r;
}

void outputToGame(const ScreenRect& picture, int gameWidth, int gameHeight, int outputX, int outputY, int& gameX,
                  int& gameY) {
  if (picture.width <= 0 || picture.height <= 0) {
    gameX = outputX;
    gameY = outputY;
    return;
  }
  gameX = clampToInt(floorDiv((int64_t(outputX) - picture.x) * gameWidth, picture.width));
  gameY = clampToInt(floorDiv((int64_t(outputY) - picture.y) * gameHeight, picture.height));
}

}  // namespace platform
