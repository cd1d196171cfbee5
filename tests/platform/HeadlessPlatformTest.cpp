// The headless platform: message order and the frame hook, the virtual clock, scripted input,
// message boxes and their answers.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <vector>

#include "ProcessHelpers.h"
#include "platform/Encoding.h"
#include "platform/System.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

using platform::HeadlessPlatform;
using platform::Message;
namespace msg = platform::msg;

// Runs the frame loop's message half the way the entry point does: drain, then one frame.
// Returns a trace of "frame N" and message ids; stops at Quit or after maxFrames frames.
std::vector<std::string> runLoop(HeadlessPlatform& p, uint32_t maxFrames) {
  std::vector<std::string> trace;
  uint32_t frames = 0;
  Message m;
  while (frames < maxFrames) {
    if (p.window().peekMessage(m)) {
      trace.push_back("msg " + std::to_string(m.id) + ":" + std::to_string(m.wParam));
      if (m.id == msg::Quit) break;
      if (m.id == msg::Destroy) p.window().postQuit(0);
      continue;
    }
    trace.push_back("frame " + std::to_string(++frames));
  }
  return trace;
}

TEST(HeadlessWindow, HookFeedsEachFrameOnceBeforeItRuns) {
  HeadlessPlatform p;
  ASSERT_TRUE(p.window().create({}));
  std::vector<uint32_t> hookCalls;
  p.setFrameHook([&](uint32_t frame) {
    hookCalls.push_back(frame);
    if (frame == 2) {
      p.postMessage({msg::LButtonDown, 0});
      p.postMessage({msg::KeyDown, platform::vk::Escape});
    }
    if (frame == 3) p.postMessage({msg::LButtonUp, 0});
    if (frame == 4) p.window().destroyWindow();
  });
  p.postMessage({msg::Paint, 0});  // already queued before the loop: handled before frame 1

  std::vector<std::string> trace = runLoop(p, 10);
  const std::vector<std::string> expected = {
      "msg 15:0", "frame 1", "msg 513:0", "msg 256:27", "frame 2", "msg 514:0", "frame 3", "msg 2:0", "msg 18:0",
  };
  EXPECT_EQ(trace, expected);
  EXPECT_EQ(hookCalls, (std::vector<uint32_t>{1, 2, 3, 4}));
  EXPECT_EQ(p.framesStarted(), 3u);
  EXPECT_FALSE(p.window().exists());
}

TEST(HeadlessWindow, DestroyOnlyOnceAndQuitCarriesTheExitCode) {
  HeadlessPlatform p;
  EXPECT_FALSE(p.window().exists());
  ASSERT_TRUE(p.window().create({}));
  EXPECT_TRUE(p.window().exists());
  p.window().destroyWindow();
  p.window().destroyWindow();  // already gone: no second Destroy
  p.window().postQuit(3);
  Message m;
  ASSERT_TRUE(p.window().peekMessage(m));
  EXPECT_EQ(m.id, msg::Destroy);
  ASSERT_TRUE(p.window().peekMessage(m));
  EXPECT_EQ(m.id, msg::Quit);
  EXPECT_EQ(m.wParam, 3u);
  EXPECT_FALSE(p.window().peekMessage(m));
}

TEST(HeadlessWindow, InterruptBecomesOneDestroy) {
  // Signals stay in the child: the flag would leak into every later test of this process.
  int status = platformtest::runInChild(
      [] {
        HeadlessPlatform p;
        p.window().create({});
        platform::installSignalHandlers();
        p.postMessage({msg::KeyDown, 'Z'});
        ::raise(SIGINT);
        Message m;
        if (!p.window().peekMessage(m) || m.id != msg::Destroy) return 10;
        if (p.window().exists()) return 11;
        if (!p.window().peekMessage(m) || m.id != msg::KeyDown) return 12;
        if (p.window().peekMessage(m)) return 13;  // the interrupt is delivered once
        return 0;
      },
      "/dev/null");
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST(HeadlessClock, VirtualSleepAdvancesWithoutWaiting) {
  HeadlessPlatform p;
  platform::Clock& clock = p.clock();
  EXPECT_EQ(clock.nowMs(), HeadlessPlatform::VirtualClockStartMs);
  EXPECT_EQ(clock.nowMs(), clock.nowMs());  // nothing moves by itself
  auto realStart = std::chrono::steady_clock::now();
  for (int i = 0; i < 1000; ++i) clock.sleepMs(17);  // 17 s of frames
  EXPECT_EQ(clock.nowMs(), HeadlessPlatform::VirtualClockStartMs + 17000);
  EXPECT_LT(std::chrono::steady_clock::now() - realStart, std::chrono::seconds(1));
  p.advanceClock(5);
  EXPECT_EQ(clock.nowMs(), HeadlessPlatform::VirtualClockStartMs + 17005);
}

TEST(HeadlessClock, VirtualClockWrapsLikeTimeGetTime) {
  HeadlessPlatform p;
  p.advanceClock(0xFFFFFFFFu - HeadlessPlatform::VirtualClockStartMs);
  EXPECT_EQ(p.clock().nowMs(), 0xFFFFFFFFu);
  uint32_t before = p.clock().nowMs();
  p.clock().sleepMs(17);
  EXPECT_EQ(p.clock().nowMs(), 16u);
  EXPECT_EQ(p.clock().nowMs() - before, 17u);  // unsigned differences still hold
}

TEST(HeadlessClock, RealtimeClockSleepsForReal) {
  platform::HeadlessOptions options;
  options.realtimeClock = true;
  HeadlessPlatform p(options);
  uint32_t start = p.clock().nowMs();
  p.clock().sleepMs(30);
  uint32_t slept = p.clock().nowMs() - start;
  EXPECT_GE(slept, 30u);
  p.advanceClock(1000);
  EXPECT_GE(p.clock().nowMs() - start, 1030u);
}

TEST(HeadlessInput, KeysMouseFocusAndJoystick) {
  HeadlessPlatform p;
  p.setKey(platform::vk::Control, true);
  p.setKey('Z', true);
  p.setKey('Z', false);
  p.setKey(-1, true);  // out of range: ignored
  p.setKey(256, true);
  EXPECT_TRUE(p.input().keyDown(platform::vk::Control));
  EXPECT_FALSE(p.input().keyDown('Z'));
  EXPECT_FALSE(p.input().keyDown(-1));
  EXPECT_FALSE(p.input().keyDown(256));
  EXPECT_FALSE(p.input().keyDown(100000));

  // The mouse buttons' key states follow their messages, as GetAsyncKeyState reports them.
  const struct {
    uint32_t down, up;
    int key;
  } buttons[] = {{platform::msg::LButtonDown, platform::msg::LButtonUp, platform::vk::LButton},
                 {platform::msg::RButtonDown, platform::msg::RButtonUp, platform::vk::RButton},
                 {platform::msg::MButtonDown, platform::msg::MButtonUp, platform::vk::MButton}};
  for (const auto& b : buttons) {
    p.postMessage({b.down, 0});
    EXPECT_TRUE(p.input().keyDown(b.key)) << b.key;
    p.postMessage({b.up, 0});
    EXPECT_FALSE(p.input().keyDown(b.key)) << b.key;
  }

  p.setMouse(1023, -5);
  int x = 0, y = 0;
  p.window().cursorPos(x, y);
  EXPECT_EQ(x, 1023);
  EXPECT_EQ(y, -5);

  EXPECT_TRUE(p.window().isActive());
  p.setActive(false);
  EXPECT_FALSE(p.window().isActive());

  platform::JoystickState joy;
  EXPECT_FALSE(p.input().joystick(joy));
  platform::JoystickState pushed;
  pushed.x = 0;
  pushed.buttons = 0b10001;
  p.setJoystick(true, pushed);
  ASSERT_TRUE(p.input().joystick(joy));
  EXPECT_EQ(joy.x, 0u);
  EXPECT_EQ(joy.y, 32767u);
  EXPECT_EQ(joy.buttons, 0b10001u);

  p.window().setCursor(104);
  p.window().setCapture(true);
  EXPECT_EQ(p.cursorResource(), 104);
  EXPECT_TRUE(p.mouseCaptured());
}

TEST(HeadlessMessageBox, EchoesOneLineAndAnswersFromTheQueue) {
  HeadlessPlatform p;
  platform::setCurrent(&p);
  platform::clearMessageBoxLog();
  p.queueAnswer(platform::mb::IdYes);

  platformtest::StderrCapture capture;
  int ok = platform::messageBox(CP932("Kestrelmooreはすでに起動しています"), CP932("二重起動"));
  int yes = platform::messageBox(CP932("終了しますか？"), CP932("確認"), platform::mb::YesNo);
  int no = platform::messageBox(CP932("もう一度？"), CP932("確認"), platform::mb::YesNo | platform::mb::IconQuestion);
  std::string err = capture.text();
  capture.restore();

  EXPECT_EQ(ok, platform::mb::IdOk);
  EXPECT_EQ(yes, platform::mb::IdYes);
  EXPECT_EQ(no, platform::mb::IdNo);  // no answer left
  EXPECT_EQ(err,
            "[MessageBox] 二重起動 | Kestrelmooreはすでに起動しています\n"
            "[MessageBox] 確認 | 終了しますか？\n"
            "[MessageBox] 確認 | もう一度？\n");
  ASSERT_EQ(platform::messageBoxLog().size(), 3u);
  EXPECT_EQ(platform::messageBoxLog()[1].textUtf8, "終了しますか？");
  EXPECT_EQ(platform::messageBoxLog()[2].flags, platform::mb::YesNo | platform::mb::IconQuestion);
  platform::setCurrent(nullptr);
}

TEST(HeadlessMessageBox, QueuedAnswersWaitForAYesNoBox) {
  platform::HeadlessOptions options;
  options.echoMessageBoxes = false;
  HeadlessPlatform p(options);
  p.queueAnswer(platform::mb::IdYes);
  platformtest::StderrCapture capture;
  EXPECT_EQ(p.showMessageBox("error", "ERROR", platform::mb::Ok | platform::mb::IconError), platform::mb::IdOk);
  EXPECT_EQ(p.showMessageBox("q", "c", platform::mb::YesNo), platform::mb::IdYes);
  EXPECT_EQ(capture.text(), "");  // echo off
}

TEST(HeadlessMessageBox, StartupQuestionsAnswerFromOptionsSilently) {
  platform::HeadlessOptions options;
  options.lowSpecAnswer = true;
  HeadlessPlatform p(options);
  platform::clearMessageBoxLog();
  platformtest::StderrCapture capture;
  EXPECT_TRUE(p.askStartupQuestion(platform::StartupQuestion::LowSpec, "low?", "Q"));
  EXPECT_FALSE(p.askStartupQuestion(platform::StartupQuestion::FullScreen, "full?", "Q"));
  EXPECT_EQ(capture.text(), "");
  EXPECT_TRUE(platform::messageBoxLog().empty());
}

TEST(HeadlessPlatform, UninstallsItselfWhenDestroyed) {
  {
    HeadlessPlatform p;
    platform::setCurrent(&p);
    EXPECT_EQ(platform::current(), &p);
  }
  EXPECT_EQ(platform::current(), nullptr);
}

}  // namespace
