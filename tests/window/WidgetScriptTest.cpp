// The selection and widget Sc functions and tags: their effects, flags, messages and captions, and
// what bad arguments do.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WindowWorld.h"
#include "engine/Engine.h"
#include "platform/Encoding.h"
#include "window/C_ButtonLayer.h"
#include "window/C_CheckButtonLayer.h"
#include "window/C_SelWindowLayer.h"
#include "window/C_SlideLayer.h"

namespace {

using windowtest::WindowWorld;

std::string utf8(const std::string& cp932) { return platform::cp932ToUtf8(cp932); }

const char* const kSelectionSetUp =
    "ScSetWindow(\"SEL\", 0, \"frame.png\", 500, 160, 0, 0, 0)\n"
    "ScSetTextAreaWindow(\"SEL\", 0, 20, 20, 480, 140)\n"
    "ScSetFontWindow(\"SEL\", 0, 0, 20, \"ＭＳ ゴシック\", 400)\n";

TEST(SelectionFunctions, ChoicesAreGatheredCommittedAndCleared) {
  WindowWorld world;
  world.write("0first.evt", "@[WaitClick]\n");
  world.start();
  ASSERT_EQ(world.runLua(kSelectionSetUp), "");
  auto& sel = dynamic_cast<window::C_SelWindowLayer&>(*world.scene().selWindows[0]);
  EXPECT_EQ(sel.kind, window::kind::Select);
  EXPECT_EQ(sel.container, &world.scene());
  ASSERT_EQ(world.runLua("ScAddSelect(0, \"北へ\", \"a.evt\", \"lbl_n\")\n"
                         "ScAddSelect(7, \"南へ\", \"\", \"lbl_s\")\n"
                         "assert(ScCommitSelect(0) == 0)"),
            "");
  EXPECT_EQ(utf8(sel.text), "北へ\n南へ");
  EXPECT_EQ(sel.choiceCount, 2);
  EXPECT_EQ(sel.variants, (std::vector<std::string>{"a.evt?lbl_n", "?lbl_s"}));
  EXPECT_TRUE(world.events().pendingChoices.targets.empty()) << "the targets go with the commit";
  EXPECT_EQ(world.events().pendingChoices.texts.size(), 2u) << "the texts stay until ScClearSelect";
  ASSERT_EQ(world.runLua("ScSelectActive(0)"), "");
  EXPECT_TRUE(sel.active);
  ASSERT_EQ(world.runLua("ScWindowNotActive(\"SEL\", 0)"), "");
  EXPECT_FALSE(sel.active);
  ASSERT_EQ(world.runLua("ScClearSelect(0)"), "");
  EXPECT_EQ(sel.choiceCount, 0);
  EXPECT_TRUE(sel.variants.empty());
  EXPECT_TRUE(world.events().pendingChoices.texts.empty());
  // Nothing pending: the commit keeps what the window shows.
  sel.setText("keep", true);
  ASSERT_EQ(world.runLua("ScCommitSelect(0)"), "");
  EXPECT_EQ(sel.text, "keep");
  // Hundreds of choices: at most 1024 wait, and the overfull window says so once.
  ASSERT_EQ(world.runLua("for i = 1, 3000 do ScAddSelect(0, 'row' .. i, 'f.evt', 'l' .. i) end ScCommitSelect(0)"), "");
  EXPECT_EQ(sel.choiceCount, 1024);
  EXPECT_EQ(world.boxes(), (std::vector<std::string>{"ERROR | 選択肢の数が、選択肢描画領域をオーバー"}));
}

TEST(SelectionFunctions, MissingWindowsAndTargetsGiveTheirMessages) {
  WindowWorld world;
  world.write("0first.evt", "@[WaitClick]\n");
  world.start();
  const char* const missingCommit = "Luaスクリプトで、存在しない選択肢ウィンドウをコミットしようとした";
  const char* const missingActive = "Luaスクリプトで、存在しない選択肢ウィンドウをアクティブにしようとした";
  const char* const missingButton = "Luaスクリプトで、存在しないボタンにイベントを設定しようとした";
  struct Case {
    const char* call;  // a Lua line, or a tag line when it starts with "@["
    std::string box;   // "" for none
  };
  const Case cases[] = {
      {"ScAddSelect(0, 'a', 'f.evt', 'l') ScCommitSelect(0)", std::string("ERROR:ScCommitSelect | ") + missingCommit},
      {"ScSelectActive(0)", std::string("ERROR:ScSelectActive | ") + missingActive},
      {"ScWindowActive('SEL', 0)", std::string("ERROR:ScSelectActive | ") + missingActive},
      {"ScSelectNotActive(0)", std::string("ERROR:ScSelectNotActive | ") + missingCommit},
      {"@[WindowNotActive type=\"SEL\"]", std::string("ERROR:ScSelectNotActive | ") + missingCommit},
      {"@[CommitSelect page=\"4\"]", std::string("ERROR:ScCommitSelect | ") + missingCommit},
      {"ScSetButtonEvent('BTN', 0, 'f.evt', 'l', 0)", std::string("ERROR:ScSetButtonEvent | ") + missingButton},
      {"ScSetButtonEvent('BTN', -1, 'f.evt', 'l', 0)", std::string("ERROR:ScSetButtonEvent | ") + missingButton},
      {"ScSetButtonEvent('D_BTN', 2, 'f.evt', 'l', 0)", std::string("ERROR:ScSetButtonEvent | ") + missingButton},
      {"ScSetButtonEvent('D_BTN', 1, 'f.evt', 'l', 0)", ""},
      {"ScSetButtonEvent('CHECK', 0, 'f.evt', 'l', 0)",
       "ERROR:ScSetButtonEvent | Luaスクリプトで、存在しないチェックボタンにイベントを設定しようとした"},
      {"ScSetButtonEvent('SLIDE', 0, 'f.evt', 'l', 0)",
       "ERROR:ScSetButtonEvent | イベントを設定しようとした対象の記載ミス"},
      {"@[SetButtonEvent type=\"btn\" page=\"0\"]",
       "ERROR:ScSetButtonEvent | イベントを設定しようとした対象の記載ミス"},
      {"@[SetButtonEvent page=\"0\"]", std::string("ERROR:ScSetButtonEvent | ") + missingButton},
      // No message of their own: nothing happens.
      {"ScSetWindow('FOO', 0, 'frame.png', 10, 10, 0, 0, 0) ScSetCheckButtonChecked(3, 'true')", ""},
      {"ScGetCheckButtonChecked(0, 'T_c') assert(ScGetFlagStr('T_c') == '')", ""},
      {"ScSetSlideData(-1, 100, 20, 0, 0, 0, 10, 20, 0, 10, 5) ScSetSlideValue(-2, 3)", ""},
  };
  for (const Case& c : cases) {
    platform::clearMessageBoxLog();
    const std::string call = c.call;
    if (call.starts_with("@[")) {
      world.events().ExecuteTagLine(platform::utf8ToCp932(call));
    } else {
      EXPECT_EQ(world.runLua(call), "") << call;
    }
    const std::vector<std::string> expected =
        c.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.box};
    EXPECT_EQ(world.boxes(), expected) << call;
  }
  EXPECT_TRUE(world.scene().slideWindows.empty()) << "a negative page makes no slider";
}

TEST(WidgetFunctions, ButtonEventsSlidersAndChecksReachTheirWidgets) {
  WindowWorld world;
  world.write("0first.evt", "@[WaitClick]\n");
  world.start();
  scene::C_BaseScene& scene = world.scene();
  ASSERT_EQ(world.runLua("ScSetWindow('BTN', 0, 'frame.png', 100, 40, 0, 0, 0)\n"
                         "ScSetWindow('CHECK', 0, 'frame.png', 40, 40, 0, 100, 0)\n"
                         "assert(ScSetButtonEvent('BTN', 0, 'menu.evt', 'lbl_go', 1) == 0)\n"
                         "ScSetButtonEvent('CHECK', 0, '', 'lbl_toggle', 0)\n"
                         "ScSetCheckButtonChecked(0, 'TRUE')\n"
                         "ScGetCheckButtonChecked(0, 'E_check')\n"
                         "assert(ScSetSlideData(0, 200, 20, 0, -100, 0, 10, 20, 0, 10, 15) == nil)\n"
                         "ScSetSlideColor(0, '0xFF102030', '255', '0x10', 'junk')\n"
                         "ScGetSlideValue(0, 'vol')\n"
                         "ScSetSlideValue(0, -3)\n"
                         "ScGetSlideValue(0, 'S_low')\n"),
            "");
  auto& button = dynamic_cast<window::C_ButtonLayer&>(*scene.btnWindows[0]);
  EXPECT_EQ(button.variants, std::vector<std::string>{"menu.evt?lbl_go"});
  EXPECT_EQ(button.event.handler, &window::StartJumpEvent) << "ScSetButtonEvent always jumps";
  EXPECT_EQ(button.event.owner, &scene);
  EXPECT_EQ(button.kind, window::kind::Button);
  EXPECT_EQ(button.currentPicture().alpha(), 0) << "invisible until opened";
  auto& check = dynamic_cast<window::C_CheckButtonLayer&>(*scene.checkWindows[0]);
  EXPECT_EQ(check.variants, std::vector<std::string>{"?lbl_toggle"});
  EXPECT_TRUE(check.checked);
  EXPECT_EQ(world.events().flags.stringView("E_check"), "true");
  ASSERT_EQ(scene.slideWindows.size(), 1u);
  auto& slider = dynamic_cast<window::C_SlideLayer&>(*scene.slideWindows[0]);
  EXPECT_EQ(slider.baseNorm, 0xFF102030u);
  EXPECT_EQ(slider.baseAct, 255u);
  EXPECT_EQ(slider.switchNorm, 0x10u);
  EXPECT_EQ(slider.switchAct, 0u);
  EXPECT_EQ(world.events().flags.numberView("T_vol"), 0.0) << "a name without prefix is a temporary flag";
  EXPECT_EQ(world.events().flags.numberView("vol"), 10.0) << "init 15 of 0..10 starts at the end";
  EXPECT_EQ(world.events().flags.numberView("S_low"), 0.0);
  EXPECT_EQ(slider.getValue(), 0);

  // The tag forms: a call, checks by exact words, the slider's corner and defaults.
  world.events().ExecuteTagLine("@[SetButtonEvent page=\"0\" file=\"m.evt\" label=\"l\" call=\"True\"]");
  EXPECT_EQ(button.event.handler, &window::StartCallEvent);
  world.events().ExecuteTagLine("@[SetCheckButtonChecked page=\"0\" value=\"tRUE\"]");
  EXPECT_FALSE(check.checked);
  world.events().ExecuteTagLine("@[GetCheckButtonChecked page=\"0\" valiant=\"E_check\"]");
  EXPECT_EQ(world.events().flags.stringView("E_check"), "false");
  world.events().ExecuteTagLine("@[SetSlideData page=\"1\" left=\"412\" top=\"100\" switch=\"20,30\" max=\"40\"]");
  ASSERT_EQ(scene.slideWindows.size(), 2u);
  auto& tagged = dynamic_cast<window::C_SlideLayer&>(*scene.slideWindows[1]);
  EXPECT_EQ(tagged.currentPicture().x, -50.0f) << "412 + 100 / 2 - 512";
  EXPECT_EQ(tagged.currentPicture().y, -268.0f) << "100 + 32 / 2 - 384";
  EXPECT_EQ(tagged.thumbWidth, 20.0f);
  EXPECT_EQ(tagged.thumbHeight, 30.0f);
  EXPECT_EQ(tagged.getValue(), 40) << "init 50 clamped into 0..40";
  world.events().ExecuteTagLine("@[SetSlideValue page=\"1\" value=\"12\"]");
  world.events().ExecuteTagLine("@[GetSlideValue page=\"1\" valiant=\"E_v\"]");
  EXPECT_EQ(world.events().flags.numberView("E_v"), 12.0);
  world.events().ExecuteTagLine("@[SetSlideColor page=\"1\" switchAct=\"FF00FF00\"]");
  EXPECT_EQ(tagged.switchAct, 0xFF00FF00u);
  EXPECT_EQ(tagged.baseNorm, window::C_SlideLayer().baseNorm) << "a colour not given is kept";
  world.events().ExecuteTagLine("@[WindowNotActive page=\"0\"]");
  EXPECT_EQ(button.state, window::widget::Disabled);
  world.events().ExecuteTagLine("@[WindowActive type=\"CHECK\"]");
  EXPECT_EQ(check.state, window::widget::Normal);
  EXPECT_TRUE(world.boxes().empty());
}

TEST(WidgetFunctions, WrongArgumentsRaiseLuaErrors) {
  WindowWorld world;
  world.write("0first.evt", "@[WaitClick]\n");
  world.start();
  const char* calls[] = {
      "ScClearSelect('x')",
      "ScAddSelect(0, 'a', {}, 'l')",
      "ScCommitSelect()",
      "ScSelectActive(nil)",
      "ScSelectNotActive({})",
      "ScSetButtonEvent('BTN', 0, 'f', 'l', 'call')",
      "ScSetSlideData(0, 100, 20, 0, 0, 0, 10, 20, 0, 10)",
      "ScSetSlideColor(0, 1, 2, 3, {})",
      "ScGetSlideValue(0, nil)",
      "ScSetSlideValue(0, 'high')",
      "ScSetCheckButtonChecked(0, {})",
      "ScGetCheckButtonChecked('x', 'T_c')",
  };
  for (const char* call : calls) EXPECT_NE(world.runLua(call).find("bad argument"), std::string::npos) << call;
  EXPECT_TRUE(world.scene().slideWindows.empty());
}

}  // namespace

namespace {

// One frame with the mouse at (x, y) from the screen centre and the left button's edges.
void MouseFrame(WindowWorld& world, int32_t x, int32_t y, uint32_t events, bool held) {
  engine::MouseState& m = engine::context().mouse;
  m.cursorX = x;
  m.cursorY = y;
  m.leftHeld = held;
  world.frame(17, events);
}

void Click(WindowWorld& world, int32_t x, int32_t y) {
  MouseFrame(world, x, y, engine::mouse::LeftDown, true);
  MouseFrame(world, x, y, engine::mouse::LeftUp, false);
}

TEST(WidgetScene, HiddenWidgetsIgnoreTheMouseAndCaptionsSurviveADeviceLoss) {
  WindowWorld world;
  world.write("0first.evt",
              "ScSetWindow('BTN', 0, 'frame.png', 100, 40, 0, 0, 0)\n"
              "ScSetButtonEvent('BTN', 0, '0first.evt', 'lbl_hit', 0)\n"
              "ScSetWindow('CHECK', 0, 'frame.png', 40, 40, 0, 100, 0)\n"
              "ScSetTextAreaWindow('CHECK', 0, 0, 0, 40, 40)\n"
              "@[Stop]\n"
              "*lbl_hit\nScSetTempFlag('T_hits', ScGetTempFlagNum('T_hits') + 1)\n@[Stop]\n");
  world.start();
  world.frames(2);
  scene::C_BaseScene& scene = world.scene();
  auto& check = dynamic_cast<window::C_CheckButtonLayer&>(*scene.checkWindows[0]);
  // Set up but not opened: invisible, so neither takes a click.
  Click(world, 0, 0);
  Click(world, 0, 100);
  EXPECT_EQ(world.events().flags.numberView("T_hits"), 0.0);
  EXPECT_FALSE(check.checked);
  ASSERT_EQ(world.runLua("ScOpenWindow('BTN', 0, 0) ScOpenWindow('CHECK', 0, 0)"), "");
  Click(world, 0, 0);
  Click(world, 0, 100);
  EXPECT_EQ(world.events().flags.numberView("T_hits"), 1.0);
  EXPECT_TRUE(check.checked);
  ASSERT_EQ(world.runLua("ScShowWindow('BTN', 0, 0)"), "");
  Click(world, 0, 0);
  EXPECT_EQ(world.events().flags.numberView("T_hits"), 1.0) << "a hidden button";

  ASSERT_TRUE(check.textTarget);
  scene.onDeviceLost();
  EXPECT_FALSE(check.textTarget) << "the caption's render target is given back";
  scene.onDeviceReset();
  EXPECT_TRUE(check.textTarget);
  world.frames(2);
  EXPECT_TRUE(world.boxes().empty());
}

}  // namespace
