// Full screen at the desktop's resolution: the game's picture keeps its shape, centred, with
// black bars where the screen is wider or taller; the mouse maps back to game pixels.
#pragma once

namespace platform {

struct ScreenRect {
  int x = 0, y = 0;  // top-left corner, rows counted from the top
  int width = 0, height = 0;
};

// The largest rectangle of the game's aspect ratio that fits the output, centred. An empty
// game or output size gives the whole output.
ScreenRect letterboxRect(int gameWidth, int gameHeight, int outputWidth, int outputHeight);

// A point on the output (may lie outside the picture, or outside the output) in game pixels:
// the inverse of the scaling above, rounded down.
void outputToGame(const ScreenRect& picture, int gameWidth, int gameHeight, int outputX, int outputY, int& gameX,
                  int& gameY);

}  // namespace platform
