// Windows virtual-key codes for SDL keys, both ways.
#include "platform/sdl/KeyMap.h"

namespace platform {

namespace {

struct KeyPair {
  int virtualKey;
  SDL_Scancode scancode;
};

// Keys other than letters and digits. Messages carry the first code listed for a scancode, so
// the generic Shift, Control and Alt codes come before the left/right ones (as WM_KEYDOWN
// reports them); polling a code answers for every scancode listed under it.
constexpr KeyPair kKeys[] = {
    {0x08, SDL_SCANCODE_BACKSPACE}, {0x09, SDL_SCANCODE_TAB},         {0x0D, SDL_SCANCODE_RETURN},
    {0x0D, SDL_SCANCODE_KP_ENTER},  {0x10, SDL_SCANCODE_LSHIFT},      {0x10, SDL_SCANCODE_RSHIFT},
    {0x11, SDL_SCANCODE_LCTRL},     {0x11, SDL_SCANCODE_RCTRL},       {0x12, SDL_SCANCODE_LALT},
    {0x12, SDL_SCANCODE_RALT},      {0x13, SDL_SCANCODE_PAUSE},       {0x14, SDL_SCANCODE_CAPSLOCK},
    {0x1B, SDL_SCANCODE_ESCAPE},    {0x20, SDL_SCANCODE_SPACE},       {0x21, SDL_SCANCODE_PAGEUP},
    {0x22, SDL_SCANCODE_PAGEDOWN},  {0x23, SDL_SCANCODE_END},         {0x24, SDL_SCANCODE_HOME},
    {0x25, SDL_SCANCODE_LEFT},      {0x26, SDL_SCANCODE_UP},          {0x27, SDL_SCANCODE_RIGHT},
    {0x28, SDL_SCANCODE_DOWN},      {0x2D, SDL_SCANCODE_INSERT},      {0x2E, SDL_SCANCODE_DELETE},
    {0x60, SDL_SCANCODE_KP_0},      {0x61, SDL_SCANCODE_KP_1},        {0x62, SDL_SCANCODE_KP_2},
    {0x63, SDL_SCANCODE_KP_3},      {0x64, SDL_SCANCODE_KP_4},        {0x65, SDL_SCANCODE_KP_5},
    {0x66, SDL_SCANCODE_KP_6},      {0x67, SDL_SCANCODE_KP_7},        {0x68, SDL_SCANCODE_KP_8},
    {0x69, SDL_SCANCODE_KP_9},      {0x6A, SDL_SCANCODE_KP_MULTIPLY}, {0x6B, SDL_SCANCODE_KP_PLUS},
    {0x6D, SDL_SCANCODE_KP_MINUS},  {0x6E, SDL_SCANCODE_KP_PERIOD},   {0x6F, SDL_SCANCODE_KP_DIVIDE},
    {0x70, SDL_SCANCODE_F1},        {0x71, SDL_SCANCODE_F2},          {0x72, SDL_SCANCODE_F3},
    {0x73, SDL_SCANCODE_F4},        {0x74, SDL_SCANCODE_F5},          {0x75, SDL_SCANCODE_F6},
    {0x76, SDL_SCANCODE_F7},        {0x77, SDL_SCANCODE_F8},          {0x78, SDL_SCANCODE_F9},
    {0x79, SDL_SCANCODE_F10},       {0x7A, SDL_SCANCODE_F11},         {0x7B, SDL_SCANCODE_F12},
    {0xA0, SDL_SCANCODE_LSHIFT},    {0xA1, SDL_SCANCODE_RSHIFT},      {0xA2, SDL_SCANCODE_LCTRL},
    {0xA3, SDL_SCANCODE_RCTRL},     {0xA4, SDL_SCANCODE_LALT},        {0xA5, SDL_SCANCODE_RALT},
};

bool isLetter(int vk) { return vk >= 'A' && vk <= 'Z'; }
bool isDigit(int vk) { return vk >= '0' && vk <= '9'; }

}  // namespace

int virtualKeyFromSdl(const SDL_Keysym& key) {
  if (key.sym >= SDLK_a && key.sym <= SDLK_z) return 'A' + (key.sym - SDLK_a);
  if (key.sym >= SDLK_0 && key.sym <= SDLK_9) return '0' + (key.sym - SDLK_0);
  for (const KeyPair& k : kKeys) {
    if (k.scancode == key.scancode) return k.virtualKey;
  }
  return 0;
}

bool virtualKeyDown(int virtualKey) {
  // Mouse buttons have virtual-key codes too: 1 left, 2 right, 4 middle, 5 and 6 extra.
  if (virtualKey == 1 || virtualKey == 2 || virtualKey == 4 || virtualKey == 5 || virtualKey == 6) {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    Uint32 buttons = SDL_GetGlobalMouseState(nullptr, nullptr);
    int button = virtualKey == 1   ? SDL_BUTTON_LEFT
                 : virtualKey == 2 ? SDL_BUTTON_RIGHT
                 : virtualKey == 4 ? SDL_BUTTON_MIDDLE
                 : virtualKey == 5 ? SDL_BUTTON_X1
                                   : SDL_BUTTON_X2;
    return (buttons & SDL_BUTTON(button)) != 0;
  }
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
  int count = 0;
  const Uint8* state = SDL_GetKeyboardState(&count);
  auto down = [&](SDL_Scancode s) { return s > SDL_SCANCODE_UNKNOWN && s < count && state[s] != 0; };
  if (isLetter(virtualKey)) return down(SDL_GetScancodeFromKey(SDLK_a + (virtualKey - 'A')));
  if (isDigit(virtualKey)) return down(SDL_GetScancodeFromKey(SDLK_0 + (virtualKey - '0')));
  for (const KeyPair& k : kKeys) {
    if (k.virtualKey == virtualKey && down(k.scancode)) return true;
  }
  return false;
}

}  // namespace platform
