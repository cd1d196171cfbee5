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

namespace {

// An SDL box over the parent window, if any; the answer as MessageBoxA gives it.
int showSdlMessageBox(std::string_view textCp932, std::string_view captionCp932, unsigned flags, SDL_Window* parent) {
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
  data.window = parent;
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

constexpr unsigned kQuestionFlags = mb::YesNo | mb::IconQuestion;

}  // namespace

DesktopPlatform::QuestionHelper::QuestionHelper() {
  // A request is the caption, a zero byte and the text; the answer one byte, Yes or No. The
  // helper ends when the game closes its side.
  auto helper = std::make_unique<HelperProcess>();
  const bool started = helper->start([](HelperProcess::Channel& channel) {
    std::string request;
    while (channel.receive(request)) {
      const size_t split = request.find('\0');
      if (split == std::string::npos) return;
      const std::string_view caption = std::string_view(request).substr(0, split);
      const std::string_view text = std::string_view(request).substr(split + 1);
      const int answer = showSdlMessageBox(text, caption, kQuestionFlags, nullptr);
      if (!channel.send(std::string(1, static_cast<char>(answer)))) return;
    }
  });
  if (started) process = std::move(helper);
}

int DesktopPlatform::showMessageBox(std::string_view textCp932, std::string_view captionCp932, unsigned flags) {
  return showSdlMessageBox(textCp932, captionCp932, flags, window_.exists() ? window_.sdlWindow() : nullptr);
}

bool DesktopPlatform::askStartupQuestion(StartupQuestion, std::string_view textCp932, std::string_view captionCp932) {
  if (questions_.process && questions_.questionsSent > 0) {
    std::string answer;
    if (questions_.process->receive(answer) && answer.size() == 1) {
      if (--questions_.questionsSent == 0) questions_.process.reset();
      return static_cast<uint8_t>(answer[0]) == mb::IdYes;
    }
    // The helper ended without an answer: this question and the next are asked here.
    questions_.process.reset();
  }
  return showMessageBox(textCp932, captionCp932, kQuestionFlags) == mb::IdYes;
}

void DesktopPlatform::beginStartupQuestions(std::string_view lowSpecTextCp932, std::string_view fullScreenTextCp932,
                                            std::string_view captionCp932) {
  // The helper shows both boxes one after the other while the game readies its window and its
  // render device; each answer waits in the socket until askStartupQuestion reads it.
  if (!questions_.process || questions_.questionsSent > 0) return;
  for (std::string_view text : {lowSpecTextCp932, fullScreenTextCp932}) {
    std::string request(captionCp932);
    request += '\0';
    request += text;
    if (!questions_.process->send(request)) {
      questions_.process.reset();
      questions_.questionsSent = 0;
      return;
    }
    ++questions_.questionsSent;
  }
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
