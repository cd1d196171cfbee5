// SdlWindow: the desktop window (SDL2, OpenGL-capable) and its event pump.
#pragma once

#include <SDL.h>

#include <deque>

#include "platform/Platform.h"

namespace platform {

class SdlWindow final : public Window {
 public:
  SdlWindow() = default;
  ~SdlWindow() override;
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  bool create(const WindowConfig& config) override;
  bool prepare(const WindowConfig& likely) override;
  void show() override;
  bool peekMessage(Message& out) override;
  void destroyWindow() override;
  void postQuit(int exitCode) override;
  bool isActive() override;
  void setCursor(int resourceId) override;
  void cursorPos(int& x, int& y) override;
  void setCapture(bool captured) override;
  void* nativeHandle() override { return window_; }
  bool exists() const override { return exists_; }

  SDL_Window* sdlWindow() const { return window_; }

 private:
  bool translate(const SDL_Event& event, Message& out);
  // The hidden window with its icon and cursors.
  bool makeWindow(const WindowConfig& config);

  SDL_Window* window_ = nullptr;
  SDL_Cursor* arrowCursor_ = nullptr;
  SDL_Cursor* pointerCursor_ = nullptr;
  std::deque<Message> posted_;  // messages we post ourselves: Destroy, Quit
  bool exists_ = false;
  bool interruptDelivered_ = false;
  int cursorResource_ = -1;
  int gameWidth_ = 0, gameHeight_ = 0;  // the client size the game asked for
  WindowConfig madeWith_;               // the settings the window has now
};

}  // namespace platform
