// The paced frame loop on the virtual clock: sleeps, late frames without a draw, frame timers.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "app/FrameLoop.h"
#include "engine/Engine.h"
#include "layer/C_BaseObject.h"
#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

// A program object whose update can stall the clock, recording which frames drew.
class FakeProgram : public layer::C_BaseObject {
 public:
  explicit FakeProgram(platform::HeadlessPlatform& p) : platform_(p) {}
  int32_t updateIdle() override {
    ++updates;
    if (updates == stallAtUpdate) platform_.advanceClock(stallMs);
    return 0;
  }
  void draw() override { drawnAt.push_back(updates); }

  platform::HeadlessPlatform& platform_;
  int updates = 0;
  int stallAtUpdate = -1;
  uint32_t stallMs = 0;
  std::vector<int> drawnAt;
};

class FrameLoopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::resetEngine();
    engine::context().platform = &platform_;
    engine::context().frameInterval = 17;
    engine::context().lastFrameTime = platform_.clock().nowMs();
    platform_.window().create({});
  }
  void TearDown() override { engine::resetEngine(); }
  platform::HeadlessPlatform platform_{platform::HeadlessOptions{.echoMessageBoxes = false}};
};

TEST_F(FrameLoopTest, OnTimeFramesSleepTheRestOfThePeriodAndDrawOnce) {
  FakeProgram program(platform_);
  const uint32_t start = platform_.clock().nowMs();
  for (int i = 0; i < 10; ++i) app::RunOneFrame(program);
  EXPECT_EQ(program.drawnAt.size(), 10u);
  EXPECT_EQ(platform_.clock().nowMs() - start, 170u);
  EXPECT_EQ(engine::context().frameDeltaMs, 17);
  EXPECT_FLOAT_EQ(engine::context().frameStep, 1.0f);
  EXPECT_EQ(engine::context().totalMs, 170);
  EXPECT_EQ(engine::context().frameCounter, 10u);
}

// A worker thread never shows a box itself: the frame after it posted one shows it, once.
TEST_F(FrameLoopTest, BoxesPostedByWorkerThreadsAreShownAtTheNextFrame) {
  platform::clearMessageBoxLog();
  FakeProgram program(platform_);
  std::thread([] { platform::postMessageBox("posted by a worker", "ERROR"); }).join();
  EXPECT_TRUE(platform::messageBoxLog().empty());
  app::RunOneFrame(program);
  ASSERT_EQ(platform::messageBoxLog().size(), 1u);
  EXPECT_EQ(platform::messageBoxLog()[0].textUtf8, "posted by a worker");
  app::RunOneFrame(program);
  EXPECT_EQ(platform::messageBoxLog().size(), 1u);
  platform::clearMessageBoxLog();
}

TEST_F(FrameLoopTest, AHundredMillisecondStallSkipsAboutFiveDrawsThenResumes) {
  FakeProgram program(platform_);
  program.stallAtUpdate = 3;
  program.stallMs = 100;
  float maxStep = 0;
  for (int i = 0; i < 20; ++i) {
    app::RunOneFrame(program);
    maxStep = std::max(maxStep, engine::context().frameStep);
  }
  // Frames 1-2 draw; the stalled frame and the catch-up frames do not; then every frame draws.
  int skipped = 20 - static_cast<int>(program.drawnAt.size());
  EXPECT_GE(skipped, 5);
  EXPECT_LE(skipped, 6);
  EXPECT_EQ(program.drawnAt.front(), 1);
  for (size_t i = 1; i < program.drawnAt.size(); ++i) {
    if (program.drawnAt[i] > 3) {
      // After the catch-up every later frame draws.
      EXPECT_EQ(program.drawnAt.back() - program.drawnAt[i], static_cast<int>(program.drawnAt.size() - 1 - i));
      break;
    }
  }
  EXPECT_LE(maxStep, 5.0f);
  EXPECT_FLOAT_EQ(maxStep, 5.0f);  // the stalled frame lasted more than 85 ms
}

TEST_F(FrameLoopTest, FrameTimersCapTheStepAtFive) {
  app::UpdateFrameTimers(34);
  EXPECT_FLOAT_EQ(engine::context().frameStep, 2.0f);
  app::UpdateFrameTimers(86);
  EXPECT_FLOAT_EQ(engine::context().frameStep, 5.0f);
  app::UpdateFrameTimers(1000);
  EXPECT_FLOAT_EQ(engine::context().frameStep, 5.0f);
  EXPECT_EQ(engine::context().totalMs, 34 + 86 + 1000);
}

TEST_F(FrameLoopTest, LoopRunsUntilQuitAndDestroyPostsQuit) {
  FakeProgram program(platform_);
  int frames = 0;
  platform_.setFrameHook([&](uint32_t frame) {
    frames = static_cast<int>(frame);
    if (frame == 4) platform_.window().destroyWindow();
  });
  EXPECT_EQ(app::RunFrameLoop(program), 0);
  EXPECT_EQ(program.updates, 3);
  EXPECT_EQ(frames, 4);
}

TEST_F(FrameLoopTest, EscapeAndCloseNeverEndTheLoopWithoutConfirmation) {
  FakeProgram program(platform_);
  platform_.setFrameHook([&](uint32_t frame) {
    if (frame == 1) platform_.postMessage({platform::msg::Close, 0});
    if (frame == 2) platform_.postMessage({platform::msg::KeyDown, platform::vk::Escape});
    if (frame == 3) platform_.postMessage({platform::msg::SysKeyDown, 0x73});
    if (frame == 6) platform_.postMessage({platform::msg::Quit, 0});
  });
  app::RunFrameLoop(program);
  EXPECT_EQ(program.updates, 5);
}

}  // namespace
