// DesktopPlatform: SDL message boxes (UTF-8 at this edge) and the lifetime of SDL itself.
#include "platform/sdl/DesktopPlatform.h"

#include <string>

#include "platform/ChildProcesses.h"
#include "platform/DesktopDisplay.h"
#include "platform/Encoding.h"
#include "platform/sdl/SdlLibrary.h"

namespace platform {

DesktopPlatform::SdlShutdown::~SdlShutdown() { SdlLibrary::quit(); }

DesktopPlatform::~DesktopPlatform() {
  if (current() == this) setCurrent(nullptr);
}

int DesktopPlatform::showMessageBox(std::string_view textCp932, std::string_view captionCp932, unsigned flags) {
  std::string text = cp932ToUtf8(textCp932);
  std::string caption = cp932ToUtf8(captionCp932);
  bool yesNo = isYesNo(flags);

  SDL_MessageBoxButtonData buttons[2];
  int buttonCount = 0;
  if (yesNo) {
    buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, mb::IdYes, "はい"};
    buttons[1] = {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, mb::IdNo, "いいえ"};
    buttonCount = 2;
  } else {
    buttons[0] = {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, mb::IdOk, "OK"};
    buttonCount = 1;
  }
  Uint32 icon = SDL_MESSAGEBOX_INFORMATION;
  unsigned iconBits = flags & 0xF0;
  if (iconBits == mb::IconError)
    icon = SDL_MESSAGEBOX_ERROR;
  else if (iconBits == mb::IconWarning)
    icon = SDL_MESSAGEBOX_WARNING;

  SDL_MessageBoxData data{};
  data.flags = icon;
  data.window = window_.exists() ? window_.sdlWindow() : nullptr;
  data.title = caption.c_str();
  data.message = text.c_str();
  data.numbuttons = buttonCount;
  data.buttons = buttons;

  int hit = -1;
  // SDL may show the box from a forked helper process: it dies with the game and does not
  // hold the instance lock.
  ChildProcessGuard guard;
  if (SDL_ShowMessageBox(&data, &hit) != 0) {
    // No display to show it on: the box still reaches the player's terminal.
    writeMessageBoxLine(textCp932, captionCp932);
    hit = -1;
  }
  if (hit == -1) return yesNo ? mb::IdNo : mb::IdOk;  // dismissed without a choice
  return hit;
}

bool DesktopPlatform::askStartupQuestion(StartupQuestion, std::string_view textCp932, std::string_view captionCp932) {
  return showMessageBox(textCp932, captionCp932, mb::YesNo | mb::IconQuestion) == mb::IdYes;
}

bool desktopDisplayAvailable(std::string& why) {
  if (!SdlLibrary::init(SDL_INIT_VIDEO)) {
    why = SDL_GetError();
    return false;
  }
  // SDL's stand-in drivers open no window anyone could see.
  const char* driver = SDL_GetCurrentVideoDriver();
  const std::string name = driver ? driver : "";
  if (name.empty() || name == "dummy" || name == "offscreen" || SDL_GetNumVideoDisplays() < 1) {
    why = "no display (video driver \"" + name + "\")";
    return false;
  }
  return true;
}

std::unique_ptr<Platform> createDesktopPlatform() { return std::make_unique<DesktopPlatform>(); }

}  // namespace platform
