// The event runtime in a script scene: lines per frame, waits and what ends them, click, skip
// and auto mode, jumps, calls and returns, loops, failing lines, scene changes and UI entry
// points.
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "ScriptWorld.h"
#include "engine/Engine.h"
#include "engine/SceneIds.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "script/ScriptStepHooks.h"

namespace {

using scripttest::ScriptWorld;
namespace state = scene::state;

TEST(EventRuntime, LinesRunUntilAWaitAndAClickRunsTheRest) {
  ScriptWorld world;
  std::string script;
  for (int i = 0; i < 10; ++i) script += "Mark('" + std::to_string(i) + "')\n";
  script += "@[WaitClick]\nMark('after')\n";
  world.write("0first.evt", script);
  world.start();
  EXPECT_EQ(world.marksOfFrame(0), "0 1 2 3 4 5 6 7 8 9");
  EXPECT_EQ(world.scene().state, state::Still);
  world.frames(3);
  EXPECT_EQ(world.markTexts(), "0 1 2 3 4 5 6 7 8 9");
  world.click();
  EXPECT_EQ(world.marksOfFrame(4), "after");
  EXPECT_FALSE(world.events().running);
  EXPECT_EQ(world.scene().state, state::NoScript);
  EXPECT_EQ(world.events().lineIndex, -1);
}

// A line's waits only stop the runner: every yield of the line is resumed at once, so the line
// completes in its frame and the next Lua line runs on its own (a line left suspended would
// swallow it). A line that never stops yielding is reported and the lines after it still run.
TEST(EventRuntime, ALineThatWaitsSeveralTimesCompletesInItsFrame) {
  const struct {
    const char* script;
    const char* marksAtStart;
    const char* marksAfterClick;
    size_t boxes;
  } cases[] = {
      {"ScWait(10) ScWaitClick() Mark('rest')\nMark('next')\n", "rest", "rest next", 0},
      {"for i = 1, 3 do ScWaitClick() Mark(i) end\nMark('next')\n", "1 2 3", "1 2 3 next", 0},
      {"while true do ScWaitClick() end\nMark('next')\n", "", "next", 1},
  };
  for (const auto& c : cases) {
    ScriptWorld world;
    world.write("0first.evt", c.script);
    world.start();
    EXPECT_EQ(world.markTexts(), c.marksAtStart) << c.script;
    EXPECT_TRUE(world.events().waitClick) << c.script;
    world.frame();
    world.click();
    EXPECT_EQ(world.markTexts(), c.marksAfterClick) << c.script;
    ASSERT_EQ(world.boxes().size(), c.boxes) << c.script;
    if (c.boxes) {
      EXPECT_EQ(world.boxes()[0], "ERROR | コマンド：while true do ScWaitClick() end\nファイル：0first.evt");
    }
  }
}

TEST(EventRuntime, TimedWaitCountsFrameTime) {
  for (const char* wait : {"ScWait(500)", "@[Wait time=\"500\" cancel=\"true\"]"}) {
    ScriptWorld world;
    world.write("0first.evt", std::string("Mark('a')\n") + wait + "\nMark('b')\n");
    world.start();
    world.frames(29);
    EXPECT_EQ(world.markTexts(), "a") << wait;  // 29 x 17 = 493 ms
    world.frame();
    EXPECT_EQ(world.marksOfFrame(30), "b") << wait;  // 510 ms: the line runs as the wait ends
  }
}

TEST(EventRuntime, ClickOnlyAdvancesAStillScreen) {
  ScriptWorld world;
  // A fade keeps the scene busy: clicks then neither advance nor stop anything.
  world.write("0first.evt", "ScFadeIn(0, 100)\n@[WaitClick]\nMark('advanced')\n");
  world.start();
  EXPECT_EQ(world.scene().state, state::Still);
  world.click();  // the fade makes the scene busy again first
  EXPECT_EQ(world.scene().state, state::Busy);
  EXPECT_EQ(world.markTexts(), "");
  world.frames(6);  // 6 x 17 = 102 ms: the fade is over
  world.frame();
  EXPECT_EQ(world.scene().state, state::Still);
  world.click();
  EXPECT_EQ(world.markTexts(), "advanced");
}

TEST(EventRuntime, SkipAdvancesOneStepPerFrame) {
  ScriptWorld world;
  world.write("0first.evt", "Mark('1')\n@[PageBreak]\nMark('2')\nScWaitClick()\nMark('3')\n@[WaitClick]\nMark('4')\n");
  world.start();
  world.setKey(platform::vk::Control, true);
  world.frame();
  EXPECT_EQ(world.marksOfFrame(1), "2");
  world.frame();
  EXPECT_EQ(world.marksOfFrame(2), "3");
  world.frame();
  EXPECT_EQ(world.marksOfFrame(3), "4");
}

TEST(EventRuntime, HiddenWindowsIgnoreClicksButNotSkip) {
  ScriptWorld world;
  world.write("0first.evt", "@[WaitClick]\nMark('a')\n@[WaitClick]\nMark('b')\n");
  world.start();
  world.scene().windowsShown = false;
  world.click();
  EXPECT_EQ(world.markTexts(), "");
  world.setKey(platform::vk::Control, true);
  world.frame();
  EXPECT_EQ(world.markTexts(), "a");
}

TEST(EventRuntime, ClickCancelsATimedWaitOnlyWhenConfigured) {
  // WaitChara lets the following lines run on a still screen, so the timed wait after it
  // coexists with state 3, where a click may cancel it.
  for (bool skipWaitTime : {false, true}) {
    ScriptWorld world;
    world.settings(skipWaitTime, false, 1000);
    world.write("0first.evt", "@[WaitChara]\nScWait(10000)\nMark('done')\n");
    world.start();
    world.frame();
    EXPECT_EQ(world.scene().state, state::Still);
    EXPECT_EQ(world.events().waitTime, 10000);
    world.click();
    EXPECT_EQ(world.markTexts(), skipWaitTime ? "done" : "") << skipWaitTime;
  }
}

// Auto mode: the timer starts when a message window has reached the end of its text and no
// voice plays, then advances after the configured time.
bool g_endOfText = false;
bool g_voice = false;

TEST(EventRuntime, AutoModeWaitsForTextEndAndVoice) {
  ScriptWorld world;
  world.settings(false, true, 100);
  world.write("0first.evt", "@[WaitClick]\nMark('advanced')\n");
  world.start();
  script::ScriptStepHooks& hooks = script::scriptStepHooks();
  hooks.messageWindowAtEndOfText = [](const scene::C_BaseScene&) { return g_endOfText; };
  hooks.voicePlaying = [] { return g_voice; };
  g_endOfText = false;
  g_voice = true;
  world.frames(10);
  EXPECT_EQ(world.scene().autoTimer, -1);  // no window at its end yet
  g_endOfText = true;
  world.frames(10);
  EXPECT_EQ(world.scene().autoTimer, -1);  // the voice still plays
  g_voice = false;
  world.frame();
  EXPECT_EQ(world.scene().autoTimer, 100);
  world.frames(5);  // 85 ms
  EXPECT_EQ(world.markTexts(), "");
  world.frame();  // 102 ms
  EXPECT_EQ(world.marksOfFrame(world.frameNumber()), "advanced");
}

TEST(EventRuntime, WaitCharaEndsWhenTheScreenIsStill) {
  ScriptWorld world;
  world.write("0first.evt", "@[AllFadeOut time=\"50\" color=\"FF000000\"]\n@[WaitChara]\nMark('still')\n");
  world.start();
  EXPECT_EQ(engine::context().fade.fadeDirection, 1);
  EXPECT_EQ(engine::context().fade.fadeColour, 0u);
  world.frames(3);  // the fade steps after each update: 51 ms by the end of frame 3
  EXPECT_EQ(world.markTexts(), "");
  world.frame();
  EXPECT_EQ(world.marksOfFrame(4), "still");
  EXPECT_TRUE(engine::context().fade.fadeVisible);  // a finished fade-out keeps covering
}

// Fade times at the ends of the 32-bit range (2^31 arrives as -2^31) end the fade, as any time
// not above 0 does, instead of wrapping around to a fade of 24 days.
TEST(EventRuntime, FadesOfExtremeTimesEnd) {
  const char* scripts[] = {
      "ScFadeIn(0, 2^31)\n@[WaitChara]\nMark('still')\n",
      "ScFadeIn(0, -2147483648)\n@[WaitChara]\nMark('still')\n",
      "@[AllFadeIn time=\"-2147483648\"]\n@[WaitChara]\nMark('still')\n",
      "@[AllFadeOut time=\"-99999999999\"]\n@[WaitChara]\nMark('still')\n",
  };
  for (const char* script : scripts) {
    ScriptWorld world;
    world.write("0first.evt", script);
    world.start();
    world.frames(3);
    EXPECT_EQ(engine::context().fade.fadeDirection, 0) << script;
    EXPECT_EQ(world.markTexts(), "still") << script;
  }
}

TEST(EventRuntime, WaitKeyRunsTheRestFromTheNextFrame) {
  ScriptWorld world;
  world.write("0first.evt", "ScWaitKey(90)\nMark('key')\n");
  world.start();
  world.frames(2);
  world.setKey('Z', true);
  world.frame();
  EXPECT_EQ(world.markTexts(), "");
  world.frame();
  EXPECT_EQ(world.marksOfFrame(4), "key");
}

TEST(EventRuntime, Loops) {
  const struct {
    const char* script;
    const char* marks;
    size_t boxes;
  } cases[] = {
      {"@[Loop count=\"3\"]\nMark('a')\nMark('b')\n@[EndLoop]\nMark('end')\n", "a b a b a b end", 0},
      {"@[Loop count=\"0\"]\nMark('once')\n@[EndLoop]\n", "once", 0},
      {"@[Loop]\nMark('default')\n@[EndLoop]\n", "default", 0},
      {"ScLoop(2)\nScLoop(2)\nMark('x')\nScEndLoop()\nScEndLoop()\n", "x x x x", 0},
      {"@[EndLoop]\nMark('no loop')\n", "no loop", 0},
      {"@[Loop count=\"1\"]\n@[Loop count=\"1\"]\n@[Loop count=\"1\"]\n@[Loop count=\"1\"]\n"
       "@[Loop count=\"2\"]\nMark('in')\n@[EndLoop]\n@[EndLoop]\n",
       "in", 1},
      {"ScLoop(-2147483648)\nMark('min')\nScEndLoop()\n", "min", 0},
  };
  for (const auto& c : cases) {
    ScriptWorld world;
    world.write("0first.evt", c.script);
    world.start();
    EXPECT_EQ(world.markTexts(), c.marks) << c.script;
    ASSERT_EQ(world.boxes().size(), c.boxes) << c.script;
    if (c.boxes) { EXPECT_EQ(world.boxes()[0], "ERROR | ループのネストが制限数を超えています"); }
  }
}

TEST(EventRuntime, JumpsInsideAndAcrossFiles) {
  const struct {
    const char* first;
    const char* other;
    const char* marks;
  } cases[] = {
      {"ScEventJump('', 'lbl_b')\nMark('skipped')\n*lbl_b\nMark('b')\n", "", "b"},
      {"@[Jump label=\"*lbl_b\"]\nMark('skipped')\n*lbl_b\nMark('b')\n", "", "b"},
      {"@[Jump label=\"lbl_none\"]\nMark('next')\n", "", "next"},
      {"ScEventJump('other.evt', 'lbl_x')\nMark('never')\n", "Mark('top')\n*lbl_x\nMark('x')\n", "x"},
      {"@[Jump file=\"other.evt\"]\nMark('never')\n", "Mark('top')\n", "top"},
      {"ScEventJump('other.evt', 'lbl_none')\n", "Mark('from 0')\n", "from 0"},
      // A jump without a label looks for a bare "*" line (what an unnamed function line becomes);
      // the comparisons do not jump for an empty label.
      {"@[Jump]\nMark('skipped')\nf = function() end\nMark('bare')\n", "", "bare"},
      {"ScEventJump('', '')\nMark('no bare label')\n", "", "no bare label"},
      {"ScCompJump(1, '==', 1, '', 'x')\nMark('next')\nfunction\nMark('bare')\n", "", "next bare"},
  };
  for (const auto& c : cases) {
    ScriptWorld world;
    world.write("0first.evt", c.first);
    world.write("other.evt", c.other);
    world.start();
    EXPECT_EQ(world.markTexts(), c.marks) << c.first;
  }
}

TEST(EventRuntime, AJumpFromALineContinuesAfterTheNewScriptsWait) {
  ScriptWorld world;
  // The old line goes on after the jump (the collector runs meanwhile) but its script does not.
  world.write("0first.evt", "ScEventJump('b.evt', '') Mark('old line goes on')\nMark('old script')\n");
  world.write("b.evt",
              "collectgarbage('collect')\nMark('b0')\n@[WaitClick]\nMark('b1')\ncollectgarbage('collect')\n"
              "@[WaitClick]\nMark('b2')\n");
  world.start();
  EXPECT_EQ(world.markTexts(), "b0 old line goes on");
  world.click();
  EXPECT_EQ(world.marksOfFrame(1), "b1");
  world.click();
  EXPECT_EQ(world.marksOfFrame(2), "b2");
  EXPECT_EQ(world.events().currentScriptFile, "b.evt");
}

TEST(EventRuntime, CallsAndReturns) {
  ScriptWorld world;
  world.write("0first.evt",
              "Mark('a')\nScEventCall('sub.evt', 'lbl_s')\nMark('back')\n@[Call label=\"lbl_local\"]\n"
              "Mark('end')\nScEnd()\n*lbl_local\nMark('local')\n@[Return]\n");
  world.write("sub.evt", "Mark('never')\n*lbl_s\nMark('s')\n@[WaitClick]\nScReturn()\nMark('never')\n");
  world.start();
  EXPECT_EQ(world.markTexts(), "a s");
  EXPECT_EQ(world.events().callDepth(), 1);
  world.click();
  EXPECT_EQ(world.marksOfFrame(1), "back local end");
  EXPECT_EQ(world.events().callDepth(), 0);
}

TEST(EventRuntime, ALuaScriptReturnsToTheLineAfterTheCall) {
  ScriptWorld world;
  world.write("0first.evt", "Mark('a')\nScEventCall('sub.lua', 'Sub')\nMark('back')\n@[WaitClick]\nMark('end')\n");
  world.write("sub.lua", "function Sub()\n Mark('sub')\n ScWaitClick()\n ScReturn()\nend\n");
  world.start();
  EXPECT_EQ(world.markTexts(), "a sub");
  world.frame();
  world.click();
  EXPECT_EQ(world.markTexts(), "a sub back");
  EXPECT_EQ(world.events().callDepth(), 0);
  world.frames(3);
  world.click();
  EXPECT_EQ(world.markTexts(), "a sub back end");

  // After its Return the Lua script's jumps land on their label, as a line's do.
  ScriptWorld jumping;
  jumping.write("0first.evt", "ScEventCall('sub.lua', 'Sub')\nMark('back')\n*lbl_x\nMark('x')\n");
  jumping.write("sub.lua", "function Sub()\n ScReturn()\n ScEventJump('', 'lbl_x')\nend\n");
  jumping.start();
  jumping.frame();
  EXPECT_EQ(jumping.markTexts(), "x");
}

TEST(EventRuntime, ReturnWithAnEmptyCallStackDoesNothing) {
  ScriptWorld world;
  world.write("0first.evt", "@[Return]\nScReturn()\nMark('still here')\n");
  world.start();
  EXPECT_EQ(world.markTexts(), "still here");
}

TEST(EventRuntime, UiCallWhileWaitingReturnsToTheWaitingLine) {
  ScriptWorld world;
  world.write("0first.evt", "Mark('a')\n@[WaitClick]\nMark('b')\n");
  world.write("menu.evt", "*lbl_menu\nMark('menu')\n@[Return]\n");
  world.start();
  world.frame();
  ASSERT_EQ(world.scene().state, state::Still);
  EXPECT_EQ(world.scene().StartEventCall("menu.evt", "lbl_menu"), 0);
  // The waiting line ran again and waits again.
  EXPECT_EQ(world.markTexts(), "a menu");
  EXPECT_TRUE(world.events().waitClick);
  world.click();
  EXPECT_EQ(world.marksOfFrame(2), "b");
}

TEST(EventRuntime, UiEntryPointsRespectStateAndTouchLock) {
  ScriptWorld world;
  world.write("0first.evt", "@[WaitClick]\nMark('main')\n");
  world.write("touch.evt", "*lbl_t\nMark('touch')\n@[WaitClick]\n@[Return]\n");
  world.start();
  world.frame();
  // Busy: a jump is refused.
  world.scene().setState(state::Busy);
  world.scene().StartEventJump("touch.evt", "lbl_t");
  EXPECT_EQ(world.markTexts(), "");
  world.scene().setState(state::Still);

  EXPECT_EQ(world.scene().StartEventTouchCall("touch.evt", "lbl_t"), 0);
  EXPECT_EQ(world.markTexts(), "touch");
  EXPECT_TRUE(world.scene().eventLock);
  EXPECT_EQ(world.events().clickEventLevel, 1);
  // While the touch call runs, other touches and jumps are refused.
  EXPECT_EQ(world.scene().StartEventTouchCall("touch.evt", "lbl_t"), 1);
  world.scene().StartEventJump("touch.evt", "lbl_t");
  EXPECT_EQ(world.markTexts(), "touch");
  world.frame();
  world.click();  // the touch script returns: the lock is released, the main script waits again
  EXPECT_FALSE(world.scene().eventLock);
  EXPECT_EQ(world.events().clickEventLevel, -1);
  world.click();
  EXPECT_EQ(world.markTexts(), "touch main");
}

// A touch call also ends when its script ends or jumps to another script, and the characters'
// reaction mode follows the lock.
TEST(EventRuntime, TouchLockEndsWithTheTouchScriptOrAJumpAway) {
  struct Case {
    const char* label;
    const char* touch;
    const char* marks;
  };
  const Case cases[] = {
      {"the touch script ends", "*lbl_t\nMark('touch')\n@[WaitClick]\nScEnd()\n", "touch"},
      {"the touch script jumps away", "*lbl_t\nMark('touch')\n@[WaitClick]\n@[Jump file=\"other.evt\" label=\"\"]\n",
       "touch other"},
  };
  for (const Case& c : cases) {
    ScriptWorld world;
    world.write("0first.evt", "@[WaitClick]\nMark('main')\n");
    world.write("touch.evt", c.touch);
    world.write("other.evt", "Mark('other')\n@[WaitClick]\n");
    world.start();
    world.frame();
    world.scene().setState(state::Still);
    EXPECT_EQ(world.scene().StartEventTouchCall("touch.evt", "lbl_t"), 0) << c.label;
    EXPECT_TRUE(world.scene().reactionMode) << c.label;
    world.frame();
    world.click();
    EXPECT_FALSE(world.scene().eventLock) << c.label;
    EXPECT_FALSE(world.scene().reactionMode) << c.label;
    EXPECT_EQ(world.events().clickEventLevel, -1) << c.label;
    EXPECT_EQ(world.markTexts(), c.marks) << c.label;
  }
}

TEST(EventRuntime, LayerEventStartsOnlyWhenNoScriptRuns) {
  ScriptWorld world;
  world.write("0first.evt", "Mark('first')\n");
  world.write("layer.evt", "*lbl_l\nMark('layer')\n");
  world.start();
  world.events().StartLayerEvent("layer.evt?lbl_l", &world.scene());
  EXPECT_EQ(world.markTexts(), "first");                              // its lines run from the next frame update
  world.events().StartLayerEvent("layer.evt?lbl_l", &world.scene());  // already running: ignored
  world.frame();
  EXPECT_EQ(world.markTexts(), "first layer");
}

TEST(EventRuntime, FailingLuaLinesAreReportedAndLaterLinesRun) {
  ScriptWorld world;
  world.write("0first.evt",
              "Mark('a')\nx = = 1\nMark('b')\nerror('boom')\nMark('c')\n  / indented\nScEnd() \n"
              "Mark('d')\nScWait('x')\nMark('e')\n");
  world.start();
  EXPECT_EQ(world.markTexts(), "a b c d e");
  const auto boxes = world.boxes();
  ASSERT_EQ(boxes.size(), 5u);
  EXPECT_EQ(boxes[0], "ERROR | コマンド：x = = 1\nファイル：0first.evt");
  EXPECT_EQ(boxes[1], "ERROR | コマンド：error('boom')\nファイル：0first.evt");
  EXPECT_EQ(boxes[2], "ERROR | コマンド：/ indented\nファイル：0first.evt");
  EXPECT_EQ(boxes[3], "ERROR | コマンド：ScEnd() \nファイル：0first.evt");
  EXPECT_EQ(boxes[4], "ERROR | コマンド：ScWait('x')\nファイル：0first.evt");
  std::string debug;
  for (const std::string& line : world.debugLines()) debug += line + "|";
  EXPECT_NE(debug.find("boom"), std::string::npos) << debug;
  EXPECT_NE(debug.find("bad argument"), std::string::npos) << debug;
}

TEST(EventRuntime, ScriptEndsAndMissingFiles) {
  const struct {
    const char* script;
    const char* marks;
  } cases[] = {
      {"Mark('a')\nScEnd()\nMark('b')\n", "a"},
      {"Mark('a')\n@[Stop]\nMark('b')\n", "a"},
      {"*lbl\n!note\n\n@[UnknownTag x=1]\nMark('a')\n", "a"},
  };
  for (const auto& c : cases) {
    ScriptWorld world;
    world.write("0first.evt", c.script);
    world.start();
    EXPECT_EQ(world.markTexts(), c.marks) << c.script;
    EXPECT_EQ(world.scene().state, state::NoScript);
  }
  ScriptWorld world;  // no 0first.evt at all
  world.start();
  EXPECT_FALSE(world.events().running);
  EXPECT_EQ(world.scene().state, state::NoScript);
  bool said = false;
  for (const std::string& line : world.debugLines()) said |= line.find("0first.evt") != std::string::npos;
  EXPECT_TRUE(said);
}

TEST(EventRuntime, TextLinesCallScSetTextWindowOnTheCurrentWindow) {
  ScriptWorld world;
  world.write("eventProg.lua", "function ScSetTextWindow(t, p, s) Mark(t .. ' ' .. p .. ' ' .. s) end\n");
  world.write("0first.evt", "こんにちは\n@[WaitClick]\n次\n");
  world.start();
  world.events().SetTextWindow("DIALOG_LONG_NAME", 2);  // the type keeps 7 bytes
  world.click();
  EXPECT_EQ(world.markTexts(), "MES 0 こんにちは<n> DIALOG_ 2 次<n>");
}

TEST(EventRuntime, LuaStringsKeepCharactersWhoseSecondByteIsABackslash) {
  // 表, ソ, 能, 予, 十 and 申 end in the byte 0x5C; in a Lua string it would escape the byte
  // after it. Text lines and quoted strings of Lua lines keep them; an ASCII escape stays one.
  ScriptWorld world;
  world.write("eventProg.lua", "function ScSetTextWindow(t, p, s) Mark(s) end\n");
  world.write("0first.evt", "表示ソ能1\n<voice buf='1' file='a.ogg'>\n予定\\n\nMark('十' .. \"申\")\n");
  world.start();
  EXPECT_EQ(world.markTexts(), "表示ソ能1<n> <voice buf='1' file='a.ogg'><n>予定\n<n> 十申");
  EXPECT_TRUE(world.boxes().empty());
}

TEST(EventRuntime, SceneChangeRequestTakesEffectAfterTheFrame) {
  ScriptWorld world;
  world.write("0first.evt",
              "@[WaitClick]\nScSetNextScene('SCENE_TITLE')\nMark('still runs')\n"
              "@[WaitClick]\nScSetNextScene('NOPE')\n");
  world.start();
  world.click();
  EXPECT_EQ(world.markTexts(), "still runs");
  EXPECT_EQ(world.lastUpdateResult(), scene::SCENE_TITLE);
  world.frame();
  EXPECT_EQ(world.lastUpdateResult(), -1);
  world.click();
  EXPECT_EQ(world.lastUpdateResult(), -1);
  ASSERT_EQ(world.boxes().size(), 1u);
  EXPECT_EQ(world.boxes()[0], "ERROR:ScSetNextScene | Luaスクリプトで、無効なシーン名を指定");
}

TEST(EventRuntime, LuaScriptsRunAsCoroutines) {
  ScriptWorld world;
  world.write("0first.evt", "ScEventJump('story.lua', 'Main')\n");
  world.write("story.lua",
              "function Main()\n Mark('one')\n ScWait(30)\n Mark('two')\n ScWaitClick()\n Mark('three')\nend\n");
  world.start();
  EXPECT_EQ(world.markTexts(), "one");
  EXPECT_TRUE(world.events().luaRunning);
  world.frames(2);
  EXPECT_EQ(world.markTexts(), "one two");
  world.frame();
  world.click();
  EXPECT_EQ(world.markTexts(), "one two three");
  EXPECT_FALSE(world.events().luaRunning);
  EXPECT_EQ(world.scene().state, state::NoScript);
}

TEST(EventRuntime, LuaScriptErrorStopsTheScriptAfterItsMessage) {
  ScriptWorld world;
  world.write("0first.evt", "ScEventJump('bad.lua', 'Main')\n");
  world.write("bad.lua", "function Main()\n Mark('before')\n error('broken')\nend\n");
  world.start();
  EXPECT_EQ(world.markTexts(), "before");
  EXPECT_FALSE(world.events().luaRunning);
  ASSERT_EQ(world.boxes().size(), 1u);
  EXPECT_NE(world.boxes()[0].find("ERROR | "), std::string::npos);
  EXPECT_NE(world.boxes()[0].find("broken"), std::string::npos);
  world.frames(3);
  EXPECT_EQ(world.boxes().size(), 1u);
}

TEST(EventRuntime, EndlessJumpChainsNeitherCrashNorHang) {
  ScriptWorld world;
  world.write("0first.evt", "Mark('a')\nScEventJump('0first.evt', '')\n");
  world.start();
  const size_t afterInit = world.marks().size();
  EXPECT_GT(afterInit, 1u);
  world.frames(3);
  EXPECT_GT(world.marks().size(), afterInit);
}

TEST(EventRuntime, FilesRunAtAScriptsStartThatJumpNeitherCrashNorHang) {
  // eventProg.lua runs for every script started, and a Lua script's file when it starts: a jump
  // made there starts a script inside the start of another.
  const struct {
    const char* file;
    const char* text;
    const char* first;
  } cases[] = {
      {"eventProg.lua", "ScEventJump('a.evt', '')\n", "Mark('first')\n"},
      {"eventProg.lua", "ScEventCall('a.evt', '')\n", "Mark('first')\n"},
      {"loop.lua", "ScEventJump('loop.lua', 'Main')\nfunction Main() Mark('main') end\n",
       "ScEventJump('loop.lua', 'Main')\n"},
      {"eventProg.lua", "ScReturn()\n", "Mark('first')\nScEventCall('', 'lbl_sub')\nScEnd()\n*lbl_sub\nScReturn()\n"},
  };
  for (const auto& c : cases) {
    ScriptWorld world;
    world.write(c.file, c.text);
    world.write("a.evt", "Mark('a')\n@[WaitClick]\n");
    world.write("0first.evt", c.first);
    world.start();
    world.frames(2);
    EXPECT_NE(world.markTexts(), "") << c.file << ": " << c.text;
  }
}

double LuaNumber(lua_State* L, const char* name) {
  lua_getglobal(L, name);
  const double n = lua_tonumber(L, -1);
  lua_pop(L, 1);
  return n;
}

// A script that never waits hands the frame back after a bounded number of lines and goes on
// at the next frame from where it stopped, with a warning line.
TEST(EventRuntime, ALoopWithoutAWaitGoesOnAtTheNextFrame) {
  ScriptWorld world;
  world.write("0first.evt", "*top\nn = (n or 0) + 1\n@[Jump label=\"*top\"]\n");
  world.start();
  const double atStart = LuaNumber(world.L(), "n");
  // Three lines a round: the label, the count and the jump.
  EXPECT_EQ(atStart, script::kMaxLinesPerFrame / 3);
  EXPECT_TRUE(world.events().running);
  world.frames(2);
  // Three frames of lines: every third of them a count.
  EXPECT_EQ(LuaNumber(world.L(), "n"), script::kMaxLinesPerFrame);
  ASSERT_FALSE(world.debugLines().empty());
  EXPECT_NE(world.debugLines().back().find("[warning] 0first.evt"), std::string::npos) << world.debugLines().back();
}

int RaiseInterrupt(lua_State*) {
  platform::installSignalHandlers();
  std::raise(SIGTERM);
  return 0;
}

// An interrupt during such a loop stops the runner at once, so the frame loop can quit.
TEST(EventRuntime, AnInterruptStopsALoopWithoutAWait) {
  ScriptWorld world;
  lua_register(world.L(), "RaiseInterrupt", RaiseInterrupt);
  world.write("0first.evt", "*top\nn = (n or 0) + 1\nif n == 10 then RaiseInterrupt() end\n@[Jump label=\"*top\"]\n");
  world.start();
  EXPECT_EQ(LuaNumber(world.L(), "n"), 10);
  EXPECT_TRUE(world.events().running);
}

// Lua code that never returns is ended by an interrupt too, in a line and in a Lua script,
// without an error box: the program is quitting. (One case per test: an interrupt lasts for
// the process.)
void ExpectInterruptEnds(const char* file, const char* text, const char* first) {
  ScriptWorld world;
  lua_register(world.L(), "RaiseInterrupt", RaiseInterrupt);
  world.write(file, text);
  if (*first) world.write("0first.evt", first);
  world.start();
  world.frame();
  EXPECT_GE(LuaNumber(world.L(), "n"), 10) << file;
  EXPECT_TRUE(world.boxes().empty()) << file << ": " << world.boxes().front();
  EXPECT_EQ(world.markTexts(), "") << file;
}

TEST(EventRuntime, AnInterruptEndsALuaLineThatNeverReturns) {
  ExpectInterruptEnds("0first.evt",
                      "while true do n = (n or 0) + 1 if n == 10 then RaiseInterrupt() end end\nMark('after')\n", "");
}

TEST(EventRuntime, AnInterruptEndsALuaScriptThatNeverReturns) {
  ExpectInterruptEnds("loop.lua",
                      "function Main() while true do n = (n or 0) + 1 if n == 10 then RaiseInterrupt() end end end\n",
                      "ScEventJump('loop.lua', 'Main')\nMark('after')\n");
}

TEST(EventRuntime, MapJumpSkipsOneFrame) {
  ScriptWorld world;
  world.write("0first.evt", "ScMapJump(3, 1.5, 2, 3, 0)\nMark('same frame')\n@[Wait time=\"0\"]\nMark('later')\n");
  world.start();
  EXPECT_EQ(world.markTexts(), "same frame");
  EXPECT_TRUE(world.events().mapJump.pending);
  EXPECT_EQ(world.events().mapJump.map, 3);
  EXPECT_EQ(world.events().mapJump.x, 1.5);
  world.frame();
  EXPECT_EQ(world.markTexts(), "same frame");
  world.frame();
  EXPECT_EQ(world.markTexts(), "same frame later");
}

}  // namespace

TEST(EventRuntime, TheScriptSceneShowsTheNormalPointerFromItsFirstUpdate) {
  ScriptWorld world;
  world.write("0first.evt", "@[WaitClick]\n");
  engine::context().cursorId = 0;  // hidden until a scene chooses a pointer
  world.start();
  EXPECT_EQ(engine::context().cursorId, 0);
  world.frame();
  EXPECT_EQ(engine::context().cursorId, 103);
}
