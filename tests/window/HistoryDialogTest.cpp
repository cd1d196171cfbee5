// The history window, the exit confirmation and the help inside one test process: what opening
// them lays out, what they refuse, and how the scene's history mode scrolls and closes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "WindowWorld.h"
#include "engine/Engine.h"
#include "platform/Encoding.h"
#include "script/Dialogs.h"
#include "support/Pictures.h"
#include "window/C_DialogSet.h"
#include "window/C_HistoryWindowLayer.h"
#include "window/C_MultiWindowSet.h"

namespace {

using windowtest::WindowWorld;

std::string utf8(const std::string& cp932) { return platform::cp932ToUtf8(cp932); }

// A message window, the history window, then `pages` pages recorded without waiting (every
// third one voiced) and a click wait.
std::string HistoryScript(int pages) {
  return "@[SetWindow type=\"MES\" page=\"0\" file=\"frame.png\" width=\"600\" height=\"100\" pos_x=\"0\" "
         "pos_y=\"250\"]\n"
         "@[SetTextArea type=\"MES\" page=\"0\" left=\"10\" top=\"10\" right=\"590\" bottom=\"90\"]\n"
         "@[SetFontSpeed type=\"MES\" page=\"0\" speed=\"0\"]\n"
         "@[SetWindow type=\"HIST\" page=\"0\" file=\"win_h.png\" width=\"1000\" height=\"750\" pos_x=\"0\" "
         "pos_y=\"0\"]\n"
         "for i = 1, " +
         std::to_string(pages) +
         " do ScSetTextWindow('MES', 0, (i % 3 == 1 and \"<voice buf='10' file='v\" .. i .. \".wav'><n>\" or '') .. "
         "'page' .. i) end\n"
         "@[WaitClick]\n@[Stop]\n";
}

window::C_HistoryWindowLayer& History(WindowWorld& world) { return *world.scene().history; }

// The dialogs' and voice buttons' picture.
void ButtonPicture(WindowWorld& world) { world.picture("winBtn00.png", testsupport::solidImage(100, 30, 0xFF808080u)); }

TEST(HistoryWindow, OpensOnTheNewestEntryOnlyWhileTheSceneWaits) {
  WindowWorld world;
  ButtonPicture(world);
  world.write("0first.evt", HistoryScript(3));
  world.start();
  ASSERT_TRUE(world.scene().history);
  window::C_HistoryWindowLayer* made = world.scene().history.get();
  // A second set-up changes nothing.
  ASSERT_EQ(world.runLua("ScSetWindow('HIST', 0, 'frame.png', 10, 10, 0, 0, 0)"), "");
  EXPECT_EQ(world.scene().history.get(), made);
  // Busy: the page types.
  world.frame();
  ASSERT_EQ(world.scene().state, scene::state::Busy);
  ASSERT_EQ(world.runLua("assert(ScOpenHistory() == 0)"), "");
  EXPECT_FALSE(History(world).historyOpen) << "not while the scene is busy";
  world.frames(2);
  ASSERT_EQ(world.scene().state, scene::state::Still);
  ASSERT_EQ(world.runLua("ScOpenHistory()"), "");
  window::C_HistoryWindowLayer& h = History(world);
  ASSERT_TRUE(h.historyOpen);
  EXPECT_EQ(world.scene().state, scene::state::HistoryOpen);
  EXPECT_EQ(h.savedState, scene::state::Still);
  EXPECT_EQ(h.scrollTop, 2);
  EXPECT_EQ(utf8(h.rows[0]->text), "page3<n>") << "the newest entry on the top row";
  for (int k = 1; k < 5; ++k) EXPECT_EQ(h.rows[size_t(k)]->text, "") << "row " << k;
  EXPECT_NEAR(h.scrollBar->thumbHeight, 736.0f / 3.0f, 0.01f);
  EXPECT_EQ(h.scrollBar->getValue(), 2);
  EXPECT_EQ(h.scrollBar->maxValue, 2);
  // Only page 1 has a voice, and it is not on screen.
  for (int k = 0; k < 5; ++k) EXPECT_FALSE(h.voiceButtons[size_t(k)]->visible) << "button " << k;
  // Twice: nothing changes; the close restores the waiting state, a second close does nothing.
  h.scrollTop = 1;
  ASSERT_EQ(world.runLua("ScOpenHistory()"), "");
  EXPECT_EQ(h.scrollTop, 1);
  ASSERT_EQ(world.runLua("ScCloseHistory() ScCloseHistory()"), "");
  EXPECT_FALSE(h.historyOpen);
  EXPECT_EQ(world.scene().state, scene::state::Still);
  EXPECT_TRUE(world.boxes().empty());
}

TEST(HistoryWindow, TheThumbHasAMinimumAndTheWheelScrollBarAndRightButtonDriveIt) {
  WindowWorld world;
  ButtonPicture(world);
  world.write("0first.evt", HistoryScript(40));
  world.start();
  world.frames(3);
  ASSERT_EQ(world.runLua("ScOpenHistory()"), "");
  window::C_HistoryWindowLayer& h = History(world);
  ASSERT_TRUE(h.historyOpen);
  EXPECT_EQ(h.scrollBar->thumbHeight, 32.0f) << "736 / 40 is raised to 32";
  EXPECT_EQ(h.scrollTop, 39);
  world.frames(15);
  struct Step {
    int32_t wheel;
    int32_t top;
    const char* row0;
    bool voiceOnRow0;
  };
  // Up shows older entries; the ends hold.
  const Step steps[] = {{120, 38, "page39<n>", false},
                        {120, 37, "page38<n>", false},
                        {-120, 38, "page39<n>", false},
                        {-120, 39, "page40<n>", true},
                        {-120, 39, "page40<n>", true}};
  for (const Step& s : steps) {
    engine::context().mouse.wheelDelta = s.wheel;
    world.frame();
    engine::context().mouse.wheelDelta = 0;
    EXPECT_EQ(h.scrollTop, s.top) << s.wheel;
    EXPECT_EQ(utf8(h.rows[0]->text), s.row0) << s.wheel;
    EXPECT_EQ(h.voiceButtons[0]->visible, s.voiceOnRow0) << s.wheel;
    EXPECT_EQ(h.scrollBar->getValue(), s.top);
  }
  // A click anywhere is the history's: the script keeps waiting.
  world.frame(17, engine::mouse::LeftDown);
  world.frame(17, engine::mouse::LeftUp);
  EXPECT_TRUE(world.events().waitClick);
  EXPECT_EQ(world.scene().state, scene::state::HistoryOpen);
  // The scroll bar's value moves the rows too.
  h.scrollBar->setValue(0);
  world.frame();
  EXPECT_EQ(h.scrollTop, 0);
  EXPECT_EQ(utf8(h.rows[4]->text), "page5<n>");
  EXPECT_TRUE(h.voiceButtons[0]->visible) << "page 1 has its voice";
  EXPECT_TRUE(h.voiceButtons[3]->visible) << "page 4 has its voice";
  EXPECT_FALSE(h.voiceButtons[1]->visible);
  // The right button closes it like ScCloseHistory.
  world.frame(17, engine::mouse::RightDown);
  EXPECT_FALSE(h.historyOpen);
  world.frames(20);
  EXPECT_EQ(world.scene().state, scene::state::Still) << "after the close fade";
  world.frame(17, engine::mouse::LeftDown);
  EXPECT_FALSE(world.events().waitClick) << "the next click advances";
}

TEST(HistoryWindow, NothingOpensWithoutAWindowOrSceneAndTheDeviceLossKeepsItsParts) {
  WindowWorld world;
  ButtonPicture(world);
  world.write("0first.evt", "ScSetTextWindow('MES', 0, 'a')\n@[WaitClick]\n@[Stop]\n");
  world.start();
  world.frames(2);
  ASSERT_EQ(world.runLua("ScOpenHistory() ScCloseHistory()"), "") << "no history window: nothing";
  EXPECT_EQ(world.scene().state, scene::state::Still);
  ASSERT_EQ(world.runLua("ScSetWindow('HIST', 0, 'missing.png', 1000, 750, 0, 0, 0)"), "");
  window::C_HistoryWindowLayer& h = History(world);
  h.releaseTextTarget();
  EXPECT_FALSE(h.rows[0]->textTarget);
  h.restoreTextTarget();
  EXPECT_TRUE(h.rows[0]->textTarget);
  ASSERT_EQ(world.runLua("ScOpenHistory()"), "");
  EXPECT_TRUE(h.historyOpen) << "a missing frame picture leaves the rows";
  EXPECT_EQ(world.boxes(), (std::vector<std::string>{"テクスチャ読み込みエラー | missing.png"}));
}

TEST(ExitConfirm, LaysOutOnceAndGivesTheTextBackToMessageWindowZero) {
  WindowWorld world;
  ButtonPicture(world);
  world.write("0first.evt", "@[DrawWindow type=\"MES\" page=\"1\"]\n@[WaitClick]\n@[Stop]\n");
  world.start();
  window::C_DialogSet& dialog = *world.scene().dialog;
  EXPECT_FALSE(dialog.shown);
  EXPECT_EQ(world.events().textWindowPage, 1);
  script::OpenExitConfirm(world.events(), world.scene());
  EXPECT_TRUE(dialog.pending);
  EXPECT_TRUE(dialog.shown);
  EXPECT_EQ(utf8(dialog.text), "終了しますか？");
  EXPECT_EQ(utf8(dialog.buttons[0]->text), "ＹＥＳ");
  EXPECT_EQ(utf8(dialog.buttons[1]->text), "ＮＯ");
  for (auto& button : dialog.buttons) EXPECT_TRUE(button->eventSuppressed);
  EXPECT_EQ(dialog.children.size(), 2u);
  EXPECT_EQ(world.events().textWindowType, "MES");
  EXPECT_EQ(world.events().textWindowPage, 0);
  // Pending: a second opening (Escape again, the close box, the tag) lays nothing out again.
  dialog.text = "unchanged";
  script::OpenExitConfirm(world.events(), world.scene());
  world.frames(4);
  EXPECT_EQ(dialog.text, "unchanged");
  EXPECT_EQ(dialog.children.size(), 2u);
  EXPECT_TRUE(world.scene().dialogShown);
  // A click beside the buttons is taken: the script does not advance.
  world.frame(17, engine::mouse::LeftDown);
  EXPECT_TRUE(world.events().waitClick);
  // Closed by a script without an answer: the next Escape asks again.
  ASSERT_EQ(world.runLua("ScCloseWindow('DIALOG', 0, 0)"), "");
  world.frames(2);
  EXPECT_FALSE(dialog.shown);
  EXPECT_FALSE(dialog.pending);
  script::OpenExitConfirm(world.events(), world.scene());
  EXPECT_TRUE(dialog.shown);
  EXPECT_EQ(utf8(dialog.text), "終了しますか？");
  EXPECT_TRUE(world.boxes().empty());
}

TEST(HelpDialog, BuildsOnceClosesWithOkAndBuildsAnewAfterwards) {
  WindowWorld world;
  ButtonPicture(world);
  world.write("0first.evt", "@[DispHelp]\n@[DispHelp]\n@[WaitClick]\n@[Stop]\n");
  world.start();
  window::C_MultiWindowSet& set = *world.scene().windowSet;
  ASSERT_TRUE(set.shown);
  EXPECT_TRUE(set.helpMode);
  ASSERT_EQ(set.ownedMembers.size(), 2u) << "the second DispHelp lays nothing out";
  ASSERT_EQ(set.memberLists[0].size(), 1u);
  EXPECT_EQ(utf8(set.ownedMembers[1]->text), "体験版ヘルプ\n");
  EXPECT_EQ(set.ownedMembers[0]->marginY, set.marginY) << "the two columns' lines stay side by side";
  EXPECT_EQ(utf8(set.memberLists[0][0]->text), "ＯＫ");
  EXPECT_EQ(set.children.size(), 3u);
  world.frames(10);
  EXPECT_TRUE(world.scene().dialogShown);
  // The OK button's release closes the set and its windows over 100 ms.
  engine::context().mouse.cursorX = 0;
  engine::context().mouse.cursorY = 200;
  world.frame(17, engine::mouse::LeftDown);
  world.frame(17, engine::mouse::LeftUp);
  EXPECT_FALSE(set.helpMode);
  EXPECT_TRUE(world.events().waitClick) << "the clicks were the help's";
  world.frames(10);
  EXPECT_FALSE(set.shown);
  EXPECT_FALSE(world.scene().dialogShown);
  // Built anew: the old members are gone and none is bound twice.
  world.events().ExecuteTagLine("@[DispHelp]");
  EXPECT_TRUE(set.shown);
  EXPECT_EQ(set.children.size(), 3u);
  world.frames(3);
  EXPECT_TRUE(world.boxes().empty());
}

}  // namespace
