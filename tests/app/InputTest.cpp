// The pad record and mouse values built from the headless platform's keys, mouse and joystick.
#include <gtest/gtest.h>

#include "engine/Engine.h"
#include "engine/Input.h"
#include "platform/headless/HeadlessPlatform.h"

namespace {

class InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::resetEngine();
    engine::context().platform = &platform_;
    engine::context().screenWidth = 1024;
    engine::context().screenHeight = 768;
    platform_.setActive(true);
  }
  void TearDown() override { engine::resetEngine(); }

  engine::PadRecord pollWith(std::initializer_list<int> keys) {
    for (int k : keys) platform_.setKey(k, true);
    engine::PadRecord pad = engine::PollInput();
    for (int k : keys) platform_.setKey(k, false);
    return pad;
  }

  platform::HeadlessPlatform platform_{platform::HeadlessOptions{.echoMessageBoxes = false}};
};

namespace vk = platform::vk;

TEST_F(InputTest, ArrowKeysGiveAxesAndTwoArrowsAreScaledToTheDiagonal) {
  struct Case {
    std::initializer_list<int> keys;
    int32_t vertical, horizontal;
  };
  const Case cases[] = {
      {{vk::Up}, -32767, 0},
      {{vk::Down}, 32767, 0},
      {{vk::Left}, 0, -32767},
      {{vk::Right}, 0, 32767},
      {{vk::Up, vk::Down}, -32767, 0},  // the first key of a pair wins
      {{vk::Right, vk::Up}, -23169, 23169},
      {{vk::Left, vk::Down}, 23169, -23169},
      {{vk::Left, vk::Up}, -23169, -23169},
  };
  for (const Case& c : cases) {
    const engine::PadRecord pad = pollWith(c.keys);
    EXPECT_EQ(pad.v[0], c.vertical);
    EXPECT_EQ(pad.v[1], c.horizontal);
  }
}

TEST_F(InputTest, LetterKeysAndNumpadFillTheirSlots) {
  const engine::PadRecord pad = pollWith({'Z', 'X', 'C', 'Q', 'W', vk::Numpad8, vk::Numpad6});
  EXPECT_EQ(pad.v[2], -32767);
  EXPECT_EQ(pad.v[3], 32767);
  for (int i = 4; i <= 8; ++i) EXPECT_EQ(pad.v[i], 1) << i;
  EXPECT_EQ(pad.v[9], 0);
}

TEST_F(InputTest, JoystickOutsideTheDeadZoneReplacesKeysAndButtonFourIsUnused) {
  platform::JoystickState joy;
  joy.y = 0;                                 // full up
  joy.x = 40000;                             // inside the dead zone: keyboard value stands
  joy.z = 65535;                             // full down on the second axis
  joy.buttons = (1u << 3) | (1u << 4) | 1u;  // buttons 4, 5 and 1
  platform_.setJoystick(true, joy);
  const engine::PadRecord pad = pollWith({vk::Right});
  // (x 32767, y -32767) is a diagonal.
  EXPECT_EQ(pad.v[0], -23169);
  EXPECT_EQ(pad.v[1], 23169);
  EXPECT_EQ(pad.v[2], 65535 - 32767);
  EXPECT_EQ(pad.v[4], 1);  // button 1
  EXPECT_EQ(pad.v[5], 0);
  EXPECT_EQ(pad.v[7], 1);  // button 5
  EXPECT_EQ(pad.v[8], 0);
}

TEST_F(InputTest, CursorIsRelativeToTheCentreAndClampedToTheWindow) {
  struct Case {
    int x, y, cx, cy;
  };
  const Case cases[] = {{0, 0, -512, -384}, {1023, 767, 511, 383}, {5000, -20, 511, -384}, {512, 384, 0, 0}};
  for (const Case& c : cases) {
    platform_.setMouse(c.x, c.y);
    engine::PollInput();
    EXPECT_EQ(engine::context().mouse.cursorX, c.cx);
    EXPECT_EQ(engine::context().mouse.cursorY, c.cy);
  }
  EXPECT_EQ(engine::context().mouse.previousCursorX, 511);
}

TEST_F(InputTest, InactiveWindowGivesAZeroPadAndFreezesTheCursor) {
  platform_.setMouse(100, 100);
  engine::PollInput();
  const int32_t x = engine::context().mouse.cursorX;
  platform_.setActive(false);
  platform_.setMouse(900, 700);
  const engine::PadRecord pad = pollWith({vk::Up, 'Z'});
  for (int32_t v : pad.v) EXPECT_EQ(v, 0);
  EXPECT_EQ(engine::context().mouse.cursorX, x);
  EXPECT_FALSE(engine::KeyDown(vk::Control));
}

TEST_F(InputTest, ButtonMessagesSetEventBitsAndLeftHeldSurvivesTheClear) {
  namespace msg = platform::msg;
  engine::HandleMouseMessage(msg::LButtonDown);
  engine::HandleMouseMessage(msg::RButtonUp);
  engine::HandleMouseMessage(msg::MouseWheel);
  EXPECT_EQ(engine::context().mouse.mouseEvents,
            engine::mouse::LeftDown | engine::mouse::RightUp | engine::mouse::Wheel);
  EXPECT_TRUE(engine::context().mouse.leftHeld);
  engine::ClearMouseEvents();
  EXPECT_EQ(engine::context().mouse.mouseEvents, 0u);
  EXPECT_TRUE(engine::context().mouse.leftHeld);
  engine::HandleMouseMessage(msg::LButtonUp);
  EXPECT_FALSE(engine::context().mouse.leftHeld);
}

}  // namespace
