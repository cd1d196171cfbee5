// SdlWindow: the desktop window and the translation of SDL events into window messages.
#include "platform/sdl/SdlWindow.h"

#include "platform/Letterbox.h"
#include "platform/System.h"
#include "platform/sdl/BuiltinImages.h"
#include "platform/sdl/KeyMap.h"
#include "platform/sdl/SdlLibrary.h"

namespace platform {

namespace {
constexpr int kArrowCursorId = 103;
constexpr int kPointerCursorId = 104;
}  // namespace

SdlWindow::~SdlWindow() {
  if (arrowCursor_) SDL_FreeCursor(arrowCursor_);
  if (pointerCursor_) SDL_FreeCursor(pointerCursor_);
  if (window_) SDL_DestroyWindow(window_);
}

bool SdlWindow::makeWindow(const WindowConfig& config) {
  if (!SdlLibrary::init(SDL_INIT_VIDEO | SDL_INIT_EVENTS)) return false;
  // The render device makes an OpenGL 3.3 core context on this window; the pixel format is
  // chosen with the window, so the attributes come first.
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  // The device draws into buffers of its own and copies the finished picture to the window:
  // the window's buffers need no depth or stencil (with a software rasteriser they would cost
  // memory the size of the screen).
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);

  // Hidden until the engine shows it (SDL would map it at once).
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  // Full screen keeps the desktop's resolution (no mode change); the picture is letterboxed.
  if (config.fullScreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
  if (config.alwaysOnTop) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
  // Placed by the system, not centred; fixed size (SDL windows are not resizable by default).
  window_ = SDL_CreateWindow("Kestrelmoore", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, config.clientWidth,
                             config.clientHeight, flags);
  if (!window_) {
    debugOutput(std::string("SDL_CreateWindow: ") + SDL_GetError() + "\n");
    return false;
  }
  if (SDL_Surface* icon = createWindowIcon()) {
    SDL_SetWindowIcon(window_, icon);
    SDL_FreeSurface(icon);
  }
  arrowCursor_ = createArrowCursor();
  pointerCursor_ = createPointerCursor();
  if (arrowCursor_) SDL_SetCursor(arrowCursor_);
  // Keys arrive as key events only; no input-method window pops up over the game.
  SDL_StopTextInput();
  madeWith_ = config;
  return true;
}

bool SdlWindow::prepare(const WindowConfig& likely) {
  if (window_) return false;
  return makeWindow(likely);
}

bool SdlWindow::create(const WindowConfig& config) {
  if (exists_) return false;
  if (!window_) {
    if (!makeWindow(config)) return false;
  } else {
    // The window made ahead is changed to what the questions chose; it is still hidden.
    // The size first: SDL keeps a full-screen window's size for when it leaves full screen.
    // Centred again, as SDL places a new window of that size.
    if (config.clientWidth != madeWith_.clientWidth || config.clientHeight != madeWith_.clientHeight) {
      SDL_SetWindowSize(window_, config.clientWidth, config.clientHeight);
      SDL_SetWindowPosition(window_, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    }
    if (config.fullScreen != madeWith_.fullScreen)
      SDL_SetWindowFullscreen(window_, config.fullScreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
    if (config.alwaysOnTop != madeWith_.alwaysOnTop)
      SDL_SetWindowAlwaysOnTop(window_, config.alwaysOnTop ? SDL_TRUE : SDL_FALSE);
    madeWith_ = config;
  }
  gameWidth_ = config.clientWidth;
  gameHeight_ = config.clientHeight;
  exists_ = true;
  return true;
}

void SdlWindow::show() {
  if (!window_) return;
  SDL_ShowWindow(window_);
  SDL_RaiseWindow(window_);
}

bool SdlWindow::translate(const SDL_Event& e, Message& out) {
  switch (e.type) {
    case SDL_QUIT: out = {msg::Close, 0}; return true;
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_CLOSE) {
        out = {msg::Close, 0};
        return true;
      }
      return false;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      int vk = virtualKeyFromSdl(e.key.keysym);
      if (vk == 0) return false;
      uint32_t id = msg::KeyUp;
      if (e.type == SDL_KEYDOWN) {
        // Alt combinations, Alt itself and F10 are system keys (the menu keys).
        bool system = (e.key.keysym.mod & KMOD_ALT) != 0 || vk == 0x12 || vk == 0x79;
        id = system ? msg::SysKeyDown : msg::KeyDown;
      }
      out = {id, static_cast<uint32_t>(vk)};
      return true;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: {
      bool down = e.type == SDL_MOUSEBUTTONDOWN;
      switch (e.button.button) {
        case SDL_BUTTON_LEFT: out = {down ? msg::LButtonDown : msg::LButtonUp, 0}; return true;
        case SDL_BUTTON_RIGHT: out = {down ? msg::RButtonDown : msg::RButtonUp, 0}; return true;
        case SDL_BUTTON_MIDDLE: out = {down ? msg::MButtonDown : msg::MButtonUp, 0}; return true;
        default: return false;
      }
    }
    case SDL_MOUSEWHEEL: {
      // 120 per notch, positive away from the player, as the engine counts turns.
      int32_t notches = e.wheel.y;
      if (e.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
      const int32_t delta = notches > 1000000 ? 120000000 : (notches < -1000000 ? -120000000 : notches * 120);
      out = {msg::MouseWheel, static_cast<uint32_t>(delta)};
      return true;
    }
    default: return false;
  }
}

bool SdlWindow::peekMessage(Message& out) {
  if (interruptRequested() && !interruptDelivered_) {
    interruptDelivered_ = true;
    if (exists_) {
      exists_ = false;
      if (window_) SDL_HideWindow(window_);
    }
    out = {msg::Destroy, 0};
    return true;
  }
  if (!posted_.empty()) {
    out = posted_.front();
    posted_.pop_front();
    return true;
  }
  if (!window_) return false;
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    // A destroyed window gets no more messages.
    if (exists_ && translate(e, out)) return true;
  }
  return false;
}

void SdlWindow::destroyWindow() {
  if (!exists_) return;
  // The render device's context still lives on the window until the engine shuts it down,
  // so the window is only hidden here and destroyed with the platform.
  exists_ = false;
  if (window_) SDL_HideWindow(window_);
  posted_.push_back({msg::Destroy, 0});
}

void SdlWindow::postQuit(int exitCode) { posted_.push_back({msg::Quit, static_cast<uint32_t>(exitCode)}); }

bool SdlWindow::isActive() {
  // SDL follows the focus events; its flag is the focus as last reported.
  return exists_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_INPUT_FOCUS) != 0;
}

void SdlWindow::setCursor(int resourceId) {
  // The frame loop sets the cursor every frame: only a change costs anything.
  if (!window_ || resourceId == cursorResource_) return;
  cursorResource_ = resourceId;
  SDL_Cursor* cursor = resourceId == kArrowCursorId     ? arrowCursor_
                       : resourceId == kPointerCursorId ? pointerCursor_
                                                        : nullptr;
  // 0, or a cursor that does not exist, hides the pointer inside the window.
  if (!cursor) {
    SDL_ShowCursor(SDL_DISABLE);
    return;
  }
  SDL_SetCursor(cursor);
  SDL_ShowCursor(SDL_ENABLE);
}

void SdlWindow::cursorPos(int& x, int& y) {
  x = y = 0;
  if (!window_) return;
  // Screen position less the client area's origin: outside the window the values run past
  // the client size, as GetCursorPos + ScreenToClient give them.
  int gx = 0, gy = 0, wx = 0, wy = 0;
  SDL_GetGlobalMouseState(&gx, &gy);
  SDL_GetWindowPosition(window_, &wx, &wy);
  x = gx - wx;
  y = gy - wy;
  // A window larger than the game (full screen) shows the picture letterboxed: back to game
  // pixels.
  int ww = 0, wh = 0;
  SDL_GetWindowSize(window_, &ww, &wh);
  if (ww != gameWidth_ || wh != gameHeight_) {
    const ScreenRect picture = letterboxRect(gameWidth_, gameHeight_, ww, wh);
    outputToGame(picture, gameWidth_, gameHeight_, x, y, x, y);
  }
}

void SdlWindow::setCapture(bool captured) {
  if (window_) SDL_CaptureMouse(captured ? SDL_TRUE : SDL_FALSE);
}

}  // namespace platform
