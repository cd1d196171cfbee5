// The window icon and the two cursors, drawn from character maps so no image files ship.
#include "platform/sdl/BuiltinImages.h"

#include <cstdint>
#include <cstring>

namespace platform {

namespace {

// 'X' outline, 'o' fill, anything else transparent.
constexpr const char* kArrow[] = {
    "X           ", "XX          ", "XoX         ", "XooX        ", "XoooX       ", "XooooX      ", "XoooooX     ",
    "XooooooX    ", "XoooooooX   ", "XooooooooX  ", "XoooooooooX ", "XooooooXXXXX", "XoooXooX    ", "XooXXooX    ",
    "XoX  XooX   ", "XX   XooX   ", "X     XooX  ", "      XooX  ", "       XX   ",
};

constexpr const char* kHand[] = {
    "     XX         ", "    XooX        ", "    XooX        ", "    XooX        ", "    XooX        ",
    "    XooXXX      ", "    XooXooXXX   ", "    XooXooXooXX ", " XX XooXooXooXoX", "XooXXooooooooXoX",
    "XoooXooooooooooX", " XooXooooooooooX", "  XoooooooooooX ", "  XoooooooooooX ", "   XooooooooooX ",
    "   XoooooooooX  ", "    XooooooooX  ", "    XooooooooX  ", "    XXXXXXXXXX  ",
};

// A 5 x 7 "K" for the icon.
constexpr const char* kLetterK[] = {
    "X   X", "X  X ", "X X  ", "XX   ", "X X  ", "X  X ", "X   X",
};

SDL_Surface* newSurface(int w, int h) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
  if (s) std::memset(s->pixels, 0, static_cast<size_t>(s->pitch) * static_cast<size_t>(h));
  return s;
}

void putPixel(SDL_Surface* s, int x, int y, uint32_t argb) {
  if (x < 0 || y < 0 || x >= s->w || y >= s->h) return;
  auto* row = reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->pixels) + y * s->pitch);
  row[x] = argb;
}

template <size_t Rows>
SDL_Cursor* cursorFromMap(const char* const (&map)[Rows], int hotX, int hotY) {
  constexpr int kSide = 32;
  SDL_Surface* s = newSurface(kSide, kSide);
  if (!s) return nullptr;
  for (size_t y = 0; y < Rows; ++y) {
    for (size_t x = 0; map[y][x] != '\0'; ++x) {
      char c = map[y][x];
      if (c == 'X')
        putPixel(s, static_cast<int>(x), static_cast<int>(y), 0xFF000000u);
      else if (c == 'o')
        putPixel(s, static_cast<int>(x), static_cast<int>(y), 0xFFFFFFFFu);
    }
  }
  SDL_Cursor* cursor = SDL_CreateColorCursor(s, hotX, hotY);
  SDL_FreeSurface(s);
  return cursor;
}

}  // namespace

SDL_Surface* createWindowIcon() {
  constexpr int kSide = 32;
  SDL_Surface* s = newSurface(kSide, kSide);
  if (!s) return nullptr;
  // A deep blue disc with a lighter rim, the letter K in its middle at three times its size.
  for (int y = 0; y < kSide; ++y) {
    for (int x = 0; x < kSide; ++x) {
      int dx = 2 * x + 1 - kSide, dy = 2 * y + 1 - kSide;
      int d2 = dx * dx + dy * dy;
      if (d2 <= 30 * 30) putPixel(s, x, y, d2 >= 26 * 26 ? 0xFF6FA8DCu : 0xFF1F3A68u);
    }
  }
  for (int gy = 0; gy < 7; ++gy) {
    for (int gx = 0; gx < 5; ++gx) {
      if (kLetterK[gy][gx] != 'X') continue;
      for (int py = 0; py < 3; ++py) {
        for (int px = 0; px < 3; ++px) putPixel(s, 9 + gx * 3 + px, 5 + gy * 3 + py, 0xFFFFFFFFu);
      }
    }
  }
  return s;
}

SDL_Cursor* createArrowCursor() { return cursorFromMap(kArrow, 0, 0); }

SDL_Cursor* createPointerCursor() { return cursorFromMap(kHand, 5, 0); }

}  // namespace platform
