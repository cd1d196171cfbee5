// The platform contract: the one window, its messages, input, the clock and message boxes.
// Engine code talks only to these interfaces; the desktop (SDL2) and headless backends fill them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Window messages keep their Windows numbers: the input code derives event bits from them
// (bit = message - LButtonDown).
namespace msg {
constexpr uint32_t Create = 0x0001;
constexpr uint32_t Destroy = 0x0002;
constexpr uint32_t Paint = 0x000F;
constexpr uint32_t Close = 0x0010;
constexpr uint32_t Quit = 0x0012;
constexpr uint32_t KeyDown = 0x0100;
constexpr uint32_t KeyUp = 0x0101;
constexpr uint32_t SysKeyDown = 0x0104;
constexpr uint32_t LButtonDown = 0x0201;
constexpr uint32_t LButtonUp = 0x0202;
constexpr uint32_t RButtonDown = 0x0204;
constexpr uint32_t RButtonUp = 0x0205;
constexpr uint32_t MButtonDown = 0x0207;
constexpr uint32_t MButtonUp = 0x0208;
constexpr uint32_t MouseWheel = 0x020A;
}  // namespace msg

// Virtual-key codes (Windows numbering: scripts name keys by these numbers).
namespace vk {
// The mouse buttons have key codes too: their state follows the button messages.
constexpr int LButton = 0x01;
constexpr int RButton = 0x02;
constexpr int MButton = 0x04;
constexpr int Control = 0x11;
constexpr int Escape = 0x1B;
constexpr int Space = 0x20;
constexpr int Left = 0x25;
constexpr int Up = 0x26;
constexpr int Right = 0x27;
constexpr int Down = 0x28;
constexpr int Numpad2 = 0x62;
constexpr int Numpad4 = 0x64;
constexpr int Numpad6 = 0x66;
constexpr int Numpad8 = 0x68;
// Letters are their upper-case ASCII codes ('Z', 'X', 'C', 'Q', 'W').
constexpr int Count = 256;
}  // namespace vk

struct Message {
  uint32_t id = 0;
  uint32_t wParam = 0;  // the virtual key for KeyDown / KeyUp / SysKeyDown; exit code for Quit; the
                        // signed turn for MouseWheel (120 per notch, positive up)
};

struct WindowConfig {
  int clientWidth = 1024;
  int clientHeight = 768;
  bool fullScreen = false;
  bool alwaysOnTop = false;
};

// The one application window and its message queue.
class Window {
 public:
  virtual ~Window() = default;
  // Creates the window (title "Kestrelmoore", fixed client size, not resizable). False on failure.
  virtual bool create(const WindowConfig& config) = 0;
  // Makes the window ahead of create(), hidden, with the settings the game will most likely ask
  // for, so the render device can be readied on it while the start-up questions are up. create()
  // then takes this window over, changed to what it is given. False where a window is only made
  // by create() (headless), or when it could not be made (create() then tries again and reports).
  virtual bool prepare(const WindowConfig& /*likely*/) { return false; }
  virtual void show() = 0;
  // Takes the next pending message off the queue (PeekMessage with PM_REMOVE).
  virtual bool peekMessage(Message& out) = 0;
  // Destroys the window: a Destroy message follows, whose handler posts Quit.
  virtual void destroyWindow() = 0;
  virtual void postQuit(int exitCode) = 0;
  // True while the window has the focus (GetActiveWindow() == mainWindow).
  virtual bool isActive() = 0;
  // Shows cursor resource 103 or 104 inside the window; 0 hides the pointer.
  virtual void setCursor(int resourceId) = 0;
  // Cursor position in client pixels (may lie outside the client area).
  virtual void cursorPos(int& x, int& y) = 0;
  // Mouse capture while the left button is held.
  virtual void setCapture(bool captured) = 0;
  // The backend's own window object (SDL_Window* on the desktop, nullptr headless).
  virtual void* nativeHandle() = 0;
  virtual bool exists() const = 0;
};

struct JoystickState {
  uint32_t x = 32767, y = 32767, z = 32767;  // 0..65535, 32767 at rest
  uint32_t buttons = 0;                      // bit n-1 = button n
};

// Polled input: key state by virtual-key code, joystick 0.
class Input {
 public:
  virtual ~Input() = default;
  // GetAsyncKeyState's high bit: the key is down now.
  virtual bool keyDown(int virtualKey) = 0;
  // joyGetPosEx on joystick 0; false when no joystick answers.
  virtual bool joystick(JoystickState& out) = 0;
};

// timeGetTime / Sleep. The headless clock is virtual: sleep advances it without waiting.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual uint32_t nowMs() = 0;
  virtual void sleepMs(uint32_t ms) = 0;
};

// Message box flags and results (Windows values).
namespace mb {
constexpr unsigned Ok = 0x0;
constexpr unsigned YesNo = 0x4;
constexpr unsigned IconError = 0x10;
constexpr unsigned IconQuestion = 0x20;
constexpr unsigned IconWarning = 0x30;
constexpr unsigned TypeMask = 0xF;  // the button set among the flags
constexpr int IdOk = 1;
constexpr int IdYes = 6;
constexpr int IdNo = 7;
}  // namespace mb

enum class Kind { Desktop, Headless };

// The two start-up questions (low-spec mode, full-screen mode).
enum class StartupQuestion { LowSpec, FullScreen };

class Platform {
 public:
  virtual ~Platform() = default;
  virtual Kind kind() const = 0;
  virtual Window& window() = 0;
  virtual Input& input() = 0;
  virtual Clock& clock() = 0;
  // Shows a modal box; text and caption are code page 932. Returns mb::IdOk / IdYes / IdNo.
  virtual int showMessageBox(std::string_view textCp932, std::string_view captionCp932, unsigned flags) = 0;
  // Asks one start-up question: a Yes/No box on the desktop; headless runs answer from their
  // options without printing a box line. True for Yes.
  virtual bool askStartupQuestion(StartupQuestion which, std::string_view textCp932, std::string_view captionCp932) = 0;
  // Starts asking both start-up questions, one after the other, where the platform can do so
  // while the game goes on getting ready (the desktop asks them from a helper process); the two
  // askStartupQuestion calls then wait for the player's answers, in the same order. Elsewhere
  // nothing happens here and askStartupQuestion asks as usual.
  virtual void beginStartupQuestions(std::string_view /*lowSpecTextCp932*/, std::string_view /*fullScreenTextCp932*/,
                                     std::string_view /*captionCp932*/) {}
};

// The platform the process runs on. Until one is installed, message boxes go to stderr
// (answered OK / No) so that engine pieces can run in unit tests without a platform.
Platform* current();
void setCurrent(Platform* platform);

std::unique_ptr<Platform> createDesktopPlatform();

// MessageBoxA: routed to the current platform and recorded in the log below.
int messageBox(std::string_view textCp932, std::string_view captionCp932, unsigned flags = mb::Ok);

struct MessageBoxRecord {
  std::string captionCp932, textCp932;  // as the engine passed them
  std::string captionUtf8, textUtf8;    // converted at this edge
  unsigned flags = 0;
};
// The boxes shown in this process, in order (tests read it): the newest kMessageBoxLogLimit,
// so that a script failing every frame cannot grow it without end. Boxes are recorded here by
// messageBox(); a platform's showMessageBox called directly is not recorded. The log is copied
// under its lock, so any thread may read it while others show boxes.
constexpr size_t kMessageBoxLogLimit = 1000;
std::vector<MessageBoxRecord> messageBoxLog();
void clearMessageBoxLog();

// A box asked for by a worker thread, which must never show one itself (a modal box belongs to
// the thread that runs the window): queued from any thread, and shown by the main thread with
// messageBox() at the start of its next frame, answered OK.
void postMessageBox(std::string_view textCp932, std::string_view captionCp932, unsigned flags = mb::Ok);
// Shows the posted boxes in the order they were posted (main thread only).
void showPostedMessageBoxes();

// True when the flags ask for Yes and No buttons.
bool isYesNo(unsigned flags);
// The one-line form of a box: "[MessageBox] CAPTION | TEXT" in UTF-8, every line feed written
// as the two characters "\n" (no line end). Headless runs and boxes without a platform (or
// without a display) write it to stderr.
std::string messageBoxLine(std::string_view textCp932, std::string_view captionCp932);
// Writes messageBoxLine and a line feed to stderr in one write.
void writeMessageBoxLine(std::string_view textCp932, std::string_view captionCp932);

}  // namespace platform
