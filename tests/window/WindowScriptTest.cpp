// Windows as scripts reach them: the Sc functions and window tags, flag values in texts, the
// history record, and the windows' part of the script scene's frame (hiding, skipping, clicks,
// device loss).
#include <gtest/gtest.h>

#include <string>

#include "WindowWorld.h"
#include "engine/FlagInsertion.h"
#include "engine/FlagStore.h"
#include "engine/HistoryRecord.h"
#include "layer/C_Sprite.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "window/SceneWindows.h"
#include "window/WindowOperations.h"

namespace {

using windowtest::WindowWorld;

std::string sjis(const char* utf8) { return platform::utf8ToCp932(utf8); }
std::string utf8(const std::string& cp932) { return platform::cp932ToUtf8(cp932); }

// A message window 0 that types at once and a script that waits.
const char* const kWaitingScript = "@[WaitClick]\n";
const char* const kMessageWindowSetUp =
    "ScSetWindow(\"MES\", 0, \"frame.png\", 500, 160, 0, 200, 0)\n"
    "ScSetTextAreaWindow(\"MES\", 0, 20, 20, 480, 140)\n"
    "ScSetFontWindow(\"MES\", 0, 0, 20, \"ＭＳ ゴシック\", 400)\n"
    "ScSetFontSpeedWindow(\"MES\", 0, 0)\n"
    "ScOpenWindow(\"MES\", 0, 0)\n";

TEST(WindowFunctions, SetWindowReusesAPageOrAppendsOneNewWindow) {
  WindowWorld world;
  world.write("0first.evt", kWaitingScript);
  world.start();
  scene::C_BaseScene& scene = world.scene();
  auto set = [&](const char* type, int page) {
    return world.runLua(std::string("ScSetWindow(\"") + type + "\", " + std::to_string(page) +
                        ", \"frame.png\", 100, 50, 0, 0, 0)");
  };
  EXPECT_EQ(set("MES", 5), "");
  ASSERT_EQ(scene.mesWindows.size(), 1u) << "a page beyond the list makes exactly one window";
  window::C_WindowLayer* first = scene.mesWindows[0].get();
  EXPECT_EQ(first->owner, &scene);
  set("MES", 1);
  ASSERT_EQ(scene.mesWindows.size(), 2u);
  first->children.push_back(scene.mesWindows[1].get());
  set("MES", 0);
  EXPECT_EQ(scene.mesWindows.size(), 2u);
  EXPECT_EQ(scene.mesWindows[0].get(), first) << "page 0 is set up again";
  EXPECT_TRUE(first->children.empty()) << "a window set up again has no bound windows";
  set("MES", 5);
  EXPECT_EQ(scene.mesWindows.size(), 3u) << "page 5 with two windows makes the third";
  set("PLN", 0);
  EXPECT_EQ(scene.plnWindows.size(), 1u);
  EXPECT_EQ(scene.plnWindows[0]->kind, window::kind::Plain);
  for (const char* ignored : {"mes", "FOO", ""}) set(ignored, 0);
  set("MES", -1);
  EXPECT_EQ(scene.mesWindows.size(), 3u);
  EXPECT_EQ(scene.plnWindows.size(), 1u);
  EXPECT_TRUE(world.boxes().empty());
}

TEST(WindowFunctions, WrongArgumentsRaiseLuaErrors) {
  WindowWorld world;
  world.write("0first.evt", kWaitingScript);
  world.start();
  const char* calls[] = {
      "ScSetWindow(\"MES\", \"page\", \"frame.png\", 100, 50, 0, 0, 0)",
      "ScSetTextAreaWindow(\"MES\", 0, 1, 2, 3, {})",
      "ScSetFontWindow(\"MES\", 0, 0, 20, nil, 400)",
      "ScSetFontMargin(\"MES\", 0, 1)",
      "ScSetFontSpeedWindow(\"MES\", 0, \"fast\")",
      "ScOpenWindow(\"MES\", 0, {})",
      "ScCloseWindow()",
      "ScShowWindow(\"MES\", 0, nil)",
      "ScSetTextWindow(\"MES\", 0, {})",
      "ScBindWindow(\"MES\", 0, 1, \"x\")",
      "ScResetBindWindow(\"MES\", 0, nil, 0)",
      "ScWindowActive({}, 0)",
      "ScWindowNotActive(\"MES\", {})",
  };
  for (const char* call : calls) EXPECT_NE(world.runLua(call).find("bad argument"), std::string::npos) << call;
  // The functions that act on a window that does not exist do nothing and return 0.
  EXPECT_EQ(world.runLua("assert(ScOpenWindow(\"MES\", 3, 100) == 0)"), "");
}

TEST(WindowFunctions, TextsGetFlagValuesInFullWidthAndAreCutToTheirBuffer) {
  WindowWorld world;
  world.write("0first.evt", kWaitingScript);
  world.start();
  ASSERT_EQ(world.runLua(kMessageWindowSetUp), "");
  window::C_WindowLayer& w = *world.scene().mesWindows[0];
  ASSERT_EQ(world.runLua("ScSetSystemFlag(\"S_count\", 12) ScSetTextWindow(\"MES\", 0, \"あ<%dS_count>い\")"), "");
  EXPECT_EQ(utf8(w.text), "あ１２い");
  ASSERT_EQ(world.runLua("ScSetTextWindow(\"MES\", 0, string.rep(\"あ\", 1500))"), "");
  EXPECT_EQ(w.text.size(), 1998u) << "1999 bytes fit, never half a character";
  ASSERT_EQ(world.runLua("ScSetTextWindow(\"MES\", 0, string.rep(\"x\", 5000))"), "");
  EXPECT_EQ(w.text.size(), 1999u);
}

TEST(FlagInsertion, SequencesAreReplacedUntilNoneRemains) {
  script::FlagStore flags;
  flags.setNumber("S_n", 12);
  flags.setNumber("E_half", 3.5);
  flags.setString("T_s", "3.9abc");
  flags.setString("T_name", sjis("ﾐｵ"));
  flags.setString("T_stray", "\x81<");
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"<%dS_n>", "１２"},
      {"<%sS_n>", "１２．００００００"},
      {"<%dE_half>枚", "３枚"},
      {"<%dT_s>", "３"},
      {"<%sT_name>さん", "ミオさん"},
      {"[<%dNoSuchFlag>]", "[]"},
      {"<%dS_n>と<%dS_n>", "１２と１２"},
      {"<%dS_n", "<%dS_n"},
      {"開かない<%", "開かない<%"},
      {"<%>", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(utf8(script::InsertFlagValues(sjis(c.text), flags, 1999)), c.expected) << c.text;
  EXPECT_EQ(utf8(script::InsertFlagValues(sjis("あいう"), flags, 5)), "あい") << "cut before half a character";
  // A value with a stray lead byte leaves a "<" that meets the text after it; the passes still end.
  const std::string stray = script::InsertFlagValues("<%sT_stray>%sT_stray>%sT_stray>", flags, 1999);
  EXPECT_LT(stray.size(), 40u);
}

TEST(HistoryRecord, PagesGatherTheirTextsAndTheOldestGoesAtTheHundredAndFirst) {
  script::HistoryRecord history;
  history.record("", "", 0);
  EXPECT_FALSE(history.recording) << "nothing to record";
  history.record(sjis("ミオ"), "", 1);  // the name window
  EXPECT_TRUE(history.historyTexts.empty()) << "a text for another window waits for the message";
  history.record(sjis("こんにちは<n>"), "v01.ogg", 0);
  ASSERT_EQ(history.historyTexts.size(), 1u);
  EXPECT_EQ(utf8(history.historyTexts[0]), "ミオ<n>こんにちは<n><n>");
  EXPECT_EQ(history.historyVoices[0], "v01.ogg");
  EXPECT_TRUE(history.pageAccumulator.empty());
  history.record("", "v02.ogg", 0);
  EXPECT_EQ(history.historyTexts.back(), "<n>") << "a voice alone is a page too";
  for (int page = 3; page <= 101; ++page) history.record("page " + std::to_string(page), "", 0);
  ASSERT_EQ(history.historyTexts.size(), 100u);
  EXPECT_EQ(history.historyVoices.size(), 100u);
  EXPECT_EQ(history.historyTexts.front(), "<n>") << "the oldest entry went";
  EXPECT_EQ(history.historyTexts.back(), "page 101<n>");
}

TEST(WindowFunctions, MessageTextsSpeakTheirVoiceAndGoToTheHistory) {
  WindowWorld world;
  world.write("0first.evt", kWaitingScript);
  world.start();
  ASSERT_EQ(world.runLua(kMessageWindowSetUp), "");
  ASSERT_EQ(world.runLua("ScSetWindow(\"PLN\", 0, \"frame.png\", 100, 50, 0, 0, 0)"), "");
  ASSERT_EQ(world.runLua("ScSetTextWindow(\"MES\", 0, \"<voice buf='11' file='mio01.ogg'><n>行こう<n>\")"), "");
  EXPECT_EQ(utf8(world.scene().mesWindows[0]->text), "行こう<n>");
  ASSERT_EQ(world.runLua("ScSetTextWindow(\"PLN\", 0, \"<voice buf='11' file='x.ogg'><n>札\")"), "");
  EXPECT_EQ(utf8(world.scene().plnWindows[0]->text), "<voice buf='11' file='x.ogg'><n>札")
      << "only message windows speak";
  const script::HistoryRecord& history = world.events().history;
  ASSERT_EQ(history.historyTexts.size(), 1u);
  EXPECT_EQ(utf8(history.historyTexts[0]), "行こう<n><n>");
  EXPECT_EQ(history.historyVoices[0], "mio01.ogg");
}

TEST(WindowTags, TheTagsReachTheirWindows) {
  WindowWorld world;
  world.write("0first.evt",
              "@[SetWindow page=\"0\" file=\"frame.png\" width=\"800\" height=\"150\" left=\"100\" top=\"580\"]\n"
              "@[SetWindow page=\"1\" file=\"frame.png\" width=\"200\" height=\"40\" pos_x=\"-300\" pos_y=\"130\"]\n"
              "@[SetWindow type=\"PLN\" file=\"frame.png\" width=\"64\" height=\"64\" draggable=\"TRUE\"]\n"
              "@[SetTextArea page=\"0\" left=\"20\" top=\"20\" right=\"780\" bottom=\"130\"]\n"
              "@[SetTextArea page=\"1\" left=\"10\" top=\"5\" right=\"190\" bottom=\"35\"]\n"
              "@[SetFont page=\"0\"]\n"
              "@[SetFont page=\"1\" size=\"18\" bold=\"700\"]\n"
              "@[SetFontMargin page=\"0\" marginW=\"4\" marginH=\"6\"]\n"
              "@[SetFontSpeed page=\"1\" speed=\"0\"]\n"
              "@[BindWindow page=\"1\" parent_type=\"MES\" parent_page=\"0\"]\n"
              "@[OpenWindow page=\"0\" time=\"0\"]\n"
              "@[DrawWindow type=\"MES\" page=\"1\"]\n"
              "@[SetActiveTextColor color=\"FFFFE08A\"]\n"
              "@[DrawWindow type=\"MES\" page=\"0\"]\n"
              "ScSetTempFlag(\"T_NameWinNo\", 1)\n"
              "@[DrawName name=\"ミオ\"]\n"
              "@[WaitClick]\n");
  world.start();
  scene::C_BaseScene& scene = world.scene();
  ASSERT_EQ(scene.mesWindows.size(), 2u);
  window::C_WindowLayer& message = *scene.mesWindows[0];
  window::C_WindowLayer& name = *scene.mesWindows[1];
  EXPECT_FLOAT_EQ(message.currentPicture().x, 100.0f + 400.0f - 512.0f) << "left and top give the corner";
  EXPECT_FLOAT_EQ(message.currentPicture().y, 580.0f + 75.0f - 384.0f);
  EXPECT_FLOAT_EQ(name.currentPicture().x, -300.0f);
  EXPECT_FALSE(scene.plnWindows[0]->draggable) << "only \"true\" makes a window draggable";
  const window::FontInfo font = message.getFont();
  EXPECT_EQ(font.size, 20);
  EXPECT_EQ(font.weight, 400);
  EXPECT_EQ(utf8(font.faceName), "ＭＳ ゴシック");
  EXPECT_EQ(name.getFont().weight, 700);
  EXPECT_EQ(message.marginX, 4);
  EXPECT_EQ(message.marginY, 6);
  EXPECT_FLOAT_EQ(name.speed, 0.0f);
  EXPECT_EQ(name.currentPicture().alpha(), 255) << "the bound name window opened with its parent";
  EXPECT_TRUE(message.clickCursorShown);
  EXPECT_FALSE(name.clickCursorShown);
  EXPECT_EQ(name.textColour, 0xFFFFE08Au);
  EXPECT_EQ(utf8(name.text), "ミオ") << "DrawName goes to the window T_NameWinNo names";
  EXPECT_EQ(utf8(world.events().history.pageAccumulator), "ミオ<n>");
}

// The name window's page is the number view of the temporary flag T_NameWinNo, truncated; a
// number that is no page names no window.
TEST(WindowTags, DrawNameFindsItsWindowThroughTheFlagsNumberView) {
  WindowWorld world;
  world.write("0first.evt", kWaitingScript);
  world.start();
  ASSERT_EQ(world.runLua("for page = 0, 1 do ScSetWindow(\"MES\", page, \"frame.png\", 100, 50, 0, 0, 0) end"), "");
  scene::C_BaseScene& scene = world.scene();
  struct Case {
    const char* flagValue;  // a Lua expression
    int32_t page;           // the window that gets the name, -1 for none
  };
  const Case cases[] = {{"1", 1},     {"1.75", 1}, {"\"1\"", 1}, {"0", 0},   {"-0.5", 0},
                        {"1e10", -1}, {"-1", -1},  {"-3e9", -1}, {"0/0", -1}};
  for (const Case& c : cases) {
    for (const auto& w : scene.mesWindows) w->setText("", false);
    ASSERT_EQ(world.runLua(std::string("ScSetTempFlag(\"T_NameWinNo\", ") + c.flagValue + ")"), "") << c.flagValue;
    world.events().ExecuteTagLine(sjis("@[DrawName name=\"ミオ\"]"));
    for (int32_t page = 0; page < 2; ++page)
      EXPECT_EQ(utf8(scene.mesWindows[size_t(page)]->text), page == c.page ? "ミオ" : "") << c.flagValue << " " << page;
  }
}

TEST(WindowTags, ShowWindowAndCloseWindowReachTheBoundWindowsToo) {
  WindowWorld world;
  world.write("0first.evt",
              "@[SetWindow type=\"PLN\" page=\"0\" file=\"frame.png\" width=\"100\" height=\"100\"]\n"
              "@[SetWindow type=\"PLN\" page=\"1\" file=\"frame.png\" width=\"50\" height=\"50\"]\n"
              "@[BindWindow type=\"PLN\" page=\"1\" parent_type=\"PLN\" parent_page=\"0\"]\n"
              "@[OpenWindow type=\"PLN\" time=\"0\"]\n"
              "@[ShowWindow type=\"PLN\" visible=\"false\"]\n"
              "@[WaitClick]\n");
  world.start();
  scene::C_BaseScene& scene = world.scene();
  for (const auto& w : scene.plnWindows) EXPECT_FALSE(w->visible);
  world.runLua("ScResetBindWindow(\"PLN\", 1, \"PLN\", 0) ScCloseWindow(\"PLN\", 0, 0)");
  world.frame();
  EXPECT_EQ(scene.plnWindows[0]->currentPicture().alpha(), 0);
  EXPECT_EQ(scene.plnWindows[1]->currentPicture().alpha(), 255) << "no longer bound";
}

// The script scene: three pages, each typed at once and waiting for a click.
const char* const kThreePages =
    "@[SetWindow file=\"frame.png\" width=\"600\" height=\"160\" pos_y=\"250\"]\n"
    "@[SetTextArea left=\"20\" top=\"20\" right=\"580\" bottom=\"140\"]\n"
    "@[SetFont size=\"20\"]\n"
    "@[SetFontSpeed speed=\"0\"]\n"
    "@[SetWindow type=\"PLN\" file=\"frame.png\" width=\"64\" height=\"64\"]\n"
    "@[OpenWindow time=\"0\"]\n"
    "@[OpenWindow type=\"PLN\" time=\"0\"]\n"
    "@[DrawWindow]\n"
    "いちページめ\n"
    "@[PageBreak]\n"
    "にページめ\n"
    "@[PageBreak]\n"
    "さんページめ\n"
    "@[PageBreak]\n";

TEST(SceneWindows, SpaceHidesTheWindowsAndAClickThenDoesNotAdvance) {
  WindowWorld world;
  world.write("0first.evt", kThreePages);
  world.start();
  world.frames(3);
  scene::C_BaseScene& scene = world.scene();
  window::C_WindowLayer& message = *scene.mesWindows[0];
  ASSERT_EQ(utf8(message.text), "いちページめ<n>");
  ASSERT_EQ(scene.state, scene::state::Still);

  world.setKey(platform::vk::Space, true);
  world.frame();
  EXPECT_FALSE(scene.windowsShown);
  EXPECT_FALSE(message.visible);
  EXPECT_FALSE(scene.plnWindows[0]->visible);
  world.frame();
  EXPECT_FALSE(scene.windowsShown) << "once per press";
  world.frame(17, engine::mouse::LeftDown);
  world.frames(2);
  EXPECT_EQ(utf8(message.text), "いちページめ<n>") << "a click does not advance while the windows are hidden";
  world.setKey(platform::vk::Space, false);
  world.frame();
  world.setKey(platform::vk::Space, true);
  world.frame();
  EXPECT_TRUE(scene.windowsShown);
  EXPECT_TRUE(message.visible);
  world.setKey(platform::vk::Space, false);
  world.frame();

  // The right button shows hidden windows again.
  world.setKey(platform::vk::Space, true);
  world.frame();
  world.setKey(platform::vk::Space, false);
  ASSERT_FALSE(scene.windowsShown);
  world.frame(17, engine::mouse::RightDown);
  EXPECT_TRUE(scene.windowsShown);

  world.frame(17, engine::mouse::LeftDown);
  world.frames(2);
  EXPECT_EQ(utf8(message.text), "にページめ<n>");
}

TEST(SceneWindows, WithNothingLeftToHideTheWindowsCountAsShown) {
  WindowWorld world;
  world.write("0first.evt", kThreePages);
  world.start();
  world.frames(3);
  scene::C_BaseScene& scene = world.scene();
  world.setKey(platform::vk::Space, true);
  world.frame();
  world.setKey(platform::vk::Space, false);
  ASSERT_FALSE(scene.windowsShown);
  world.runLua("ScCloseWindow(\"MES\", 0, 0) ScCloseWindow(\"PLN\", 0, 0)");
  world.frame();
  EXPECT_TRUE(scene.windowsShown);
}

TEST(SceneWindows, SkipShowsTheRestOfThePageThenAdvances) {
  WindowWorld world;
  world.write("0first.evt",
              "@[SetWindow file=\"frame.png\" width=\"600\" height=\"160\" pos_y=\"250\"]\n"
              "@[SetTextArea left=\"20\" top=\"20\" right=\"580\" bottom=\"140\"]\n"
              "@[SetFont size=\"20\"]\n"
              "@[SetFontSpeed speed=\"1\"]\n"
              "@[OpenWindow time=\"0\"]\n"
              "ゆっくり打たれるページ\n"
              "@[PageBreak]\n"
              "つぎのページ\n"
              "@[PageBreak]\n");
  world.start();
  world.frames(3);
  scene::C_BaseScene& scene = world.scene();
  window::C_WindowLayer& message = *scene.mesWindows[0];
  ASSERT_TRUE(message.isTyping());
  ASSERT_EQ(scene.state, scene::state::Busy);
  EXPECT_FALSE(window::AnyMessageWindowAtEndOfText(scene));
  world.setKey(platform::vk::Control, true);
  world.frame();
  EXPECT_FALSE(message.isTyping()) << "the rest of the page shows at once";
  EXPECT_TRUE(window::AnyMessageWindowAtEndOfText(scene));
  EXPECT_EQ(utf8(message.text), "ゆっくり打たれるページ<n>");
  world.frame();
  world.frame();
  EXPECT_EQ(utf8(message.text), "つぎのページ<n>") << "the next skipping frame advances";
}

TEST(SceneWindows, ADeviceLossLeavesTheTextTargetsEmpty) {
  WindowWorld world;
  world.write("0first.evt", kThreePages);
  world.start();
  world.frames(3);
  scene::C_SceneSandBox& scene = world.scene();
  window::C_WindowLayer& message = *scene.mesWindows[0];
  auto inked = [&] {
    for (uint32_t t : WindowWorld::textTargetTexels(message))
      if (t != 0) return true;
    return false;
  };
  ASSERT_TRUE(inked());
  scene.onDeviceLost();
  EXPECT_EQ(message.textTarget, nullptr);
  scene.onDeviceReset();
  ASSERT_NE(message.textTarget, nullptr);
  EXPECT_FALSE(inked()) << "the page typed so far is not drawn again";
  EXPECT_EQ(scene.plnWindows[0]->textTarget, nullptr) << "a window without a text area gets none";
  EXPECT_TRUE(world.boxes().empty());
}

}  // namespace
