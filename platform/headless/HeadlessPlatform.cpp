// HeadlessPlatform: a window that is only a message queue, scripted input, a virtual clock.
#include "platform/headless/HeadlessPlatform.h"

#include <array>
#include <deque>

#include "platform/System.h"
#include "platform/posix/MonotonicClock.h"

namespace platform {

namespace {

class HeadlessWindow final : public Window {
 public:
  bool create(const WindowConfig&) override {
    exists_ = true;
    return true;
  }
  void show() override {}

  // The frame loop drains the queue, then runs a frame when this answers false. So the
  // first time the queue runs dry before frame n, the hook gets its chance to feed frame n;
  // the next dry peek starts the frame.
  bool peekMessage(Message& out) override {
    if (interruptRequested() && !interruptDelivered_) {
      interruptDelivered_ = true;
      exists_ = false;
      out = {msg::Destroy, 0};
      return true;
    }
    if (queue_.empty() && frameHook_) {
      uint32_t upcoming = framesStarted_ + 1;
      if (hookedFrame_ != upcoming) {
        hookedFrame_ = upcoming;
        frameHook_(upcoming);
      }
    }
    if (!queue_.empty()) {
      out = queue_.front();
      queue_.pop_front();
      return true;
    }
    ++framesStarted_;
    return false;
  }

  void destroyWindow() override {
    if (!exists_) return;
    exists_ = false;
    queue_.push_back({msg::Destroy, 0});
  }
  void postQuit(int exitCode) override { queue_.push_back({msg::Quit, static_cast<uint32_t>(exitCode)}); }
  bool isActive() override { return active_; }
  void setCursor(int resourceId) override { cursorResource_ = resourceId; }
  void cursorPos(int& x, int& y) override {
    x = mouseX_;
    y = mouseY_;
  }
  void setCapture(bool captured) override { captured_ = captured; }
  void* nativeHandle() override { return nullptr; }
  bool exists() const override { return exists_; }

  std::deque<Message> queue_;
  std::function<void(uint32_t)> frameHook_;
  uint32_t framesStarted_ = 0;
  uint32_t hookedFrame_ = 0;
  bool interruptDelivered_ = false;
  bool exists_ = false;
  bool active_ = true;
  int mouseX_ = 0, mouseY_ = 0;
  int cursorResource_ = -1;
  bool captured_ = false;
};

class HeadlessInput final : public Input {
 public:
  bool keyDown(int virtualKey) override {
    return virtualKey >= 0 && virtualKey < vk::Count && keys_[static_cast<size_t>(virtualKey)];
  }
  bool joystick(JoystickState& out) override {
    if (!joystickPresent_) return false;
    out = joystick_;
    return true;
  }

  std::array<bool, vk::Count> keys_{};
  bool joystickPresent_ = false;
  JoystickState joystick_;
};

// Virtual time: sleeping advances it at once, so runs are exact and fast. The real clock
// variant still honours advanceClock through an offset.
class HeadlessClock final : public Clock {
 public:
  explicit HeadlessClock(bool realtime) : realtime_(realtime) {}
  uint32_t nowMs() override { return realtime_ ? real_.nowMs() + offsetMs_ : virtualMs_; }
  void sleepMs(uint32_t ms) override {
    if (realtime_)
      real_.sleepMs(ms);
    else
      virtualMs_ += ms;
  }
  void advance(uint32_t ms) {
    if (realtime_)
      offsetMs_ += ms;
    else
      virtualMs_ += ms;
  }

 private:
  bool realtime_;
  MonotonicClock real_;
  uint32_t virtualMs_ = HeadlessPlatform::VirtualClockStartMs;
  uint32_t offsetMs_ = 0;
};

}  // namespace

struct HeadlessPlatform::Impl {
  explicit Impl(const HeadlessOptions& o) : options(o), clock(o.realtimeClock) {}
  HeadlessOptions options;
  HeadlessWindow window;
  HeadlessInput input;
  HeadlessClock clock;
  std::deque<int> answers;
};

HeadlessPlatform::HeadlessPlatform(const HeadlessOptions& options) : impl_(std::make_unique<Impl>(options)) {}

HeadlessPlatform::~HeadlessPlatform() {
  if (current() == this) setCurrent(nullptr);
}

Window& HeadlessPlatform::window() { return impl_->window; }
Input& HeadlessPlatform::input() { return impl_->input; }
Clock& HeadlessPlatform::clock() { return impl_->clock; }

int HeadlessPlatform::showMessageBox(std::string_view textCp932, std::string_view captionCp932, unsigned flags) {
  if (impl_->options.echoMessageBoxes) writeMessageBoxLine(textCp932, captionCp932);
  if (!isYesNo(flags)) return mb::IdOk;
  if (impl_->answers.empty()) return mb::IdNo;
  int answer = impl_->answers.front();
  impl_->answers.pop_front();
  return answer;
}

bool HeadlessPlatform::askStartupQuestion(StartupQuestion which, std::string_view, std::string_view) {
  return which == StartupQuestion::LowSpec ? impl_->options.lowSpecAnswer : impl_->options.fullScreenAnswer;
}

void HeadlessPlatform::setFrameHook(std::function<void(uint32_t frame)> hook) {
  impl_->window.frameHook_ = std::move(hook);
}

void HeadlessPlatform::postMessage(const Message& m) {
  // As GetAsyncKeyState reports the mouse buttons on the desktop, a button's key state follows
  // its messages (a script may wait for VK_LBUTTON with ScWaitKey).
  switch (m.id) {
    case msg::LButtonDown: setKey(vk::LButton, true); break;
    case msg::LButtonUp: setKey(vk::LButton, false); break;
    case msg::RButtonDown: setKey(vk::RButton, true); break;
    case msg::RButtonUp: setKey(vk::RButton, false); break;
    case msg::MButtonDown: setKey(vk::MButton, true); break;
    case msg::MButtonUp: setKey(vk::MButton, false); break;
    default: break;
  }
  impl_->window.queue_.push_back(m);
}

void HeadlessPlatform::setKey(int virtualKey, bool down) {
  if (virtualKey >= 0 && virtualKey < vk::Count) impl_->input.keys_[static_cast<size_t>(virtualKey)] = down;
}

void HeadlessPlatform::setMouse(int clientX, int clientY) {
  impl_->window.mouseX_ = clientX;
  impl_->window.mouseY_ = clientY;
}

void HeadlessPlatform::setActive(bool active) { impl_->window.active_ = active; }

void HeadlessPlatform::setJoystick(bool present, const JoystickState& state) {
  impl_->input.joystickPresent_ = present;
  impl_->input.joystick_ = state;
}

void HeadlessPlatform::queueAnswer(int id) { impl_->answers.push_back(id); }

void HeadlessPlatform::advanceClock(uint32_t ms) { impl_->clock.advance(ms); }

uint32_t HeadlessPlatform::framesStarted() const { return impl_->window.framesStarted_; }
int HeadlessPlatform::cursorResource() const { return impl_->window.cursorResource_; }
bool HeadlessPlatform::mouseCaptured() const { return impl_->window.captured_; }

}  // namespace platform
