// The makers' commands as a game maker drives them: help, refusals, lint, new, reference, and
// kmtool play's exit statuses, relative paths and [warning] lines.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/Encoding.h"
#include "support/GameProcess.h"
#include "support/TempDir.h"
#include "support/TestArchive.h"

namespace {

using ToolRun = testsupport::ProcessResult;

ToolRun Kmtool(const std::string& arguments, const std::string& dir = "") {
  return testsupport::RunCommand(std::string(KM_KMTOOL) + " " + arguments, dir);
}

std::string Q(const std::string& path) { return "'" + path + "'"; }

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

size_t LineCount(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

TEST(KmtoolMaker, HelpAndBadOptionsNameWhatIsWrong) {
  struct Case {
    std::string arguments;
    int exitCode;
    std::string out, err;  // parts of stdout and stderr
  };
  const Case cases[] = {
      {"help play", 0, "usage: kmtool play", ""},
      {"help play", 0, "FRAME VERB ARGS", ""},  // the input format is in the help
      {"pack --help", 0, "usage: kmtool pack", ""},
      {"lint -h", 0, "usage: kmtool lint", ""},
      {"help", 0, "kmtool help [COMMAND]", ""},
      {"help frobnicate", 2, "", "unknown command 'frobnicate'"},
      {"play --frames abc", 2, "", "--frames: 'abc' is not a number"},
      {"play --shot 7", 2, "", "--shot: '7' is not FRAME:FILE.png"},
      {"play --frames", 2, "", "--frames needs a value"},
      {"play --bogus", 2, "", "unknown option '--bogus'"},
      {"pack x.pkg -C", 2, "", "-C needs a folder"},
      {"unpack x.pkg", 2, "", "-C DIR is missing"},
      {"evt", 2, "", "FILE is missing"},
  };
  for (const Case& c : cases) {
    const ToolRun run = Kmtool(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.err;
    EXPECT_TRUE(Has(run.out, c.out)) << c.arguments << "\n" << run.out;
    EXPECT_TRUE(Has(run.err, c.err)) << c.arguments << "\n" << run.err;
  }
}

TEST(KmtoolMaker, FilesThatAreNotArchivesOrScriptsAreRefusedInOneLine) {
  testsupport::TempDir work;
  work.write("notes.txt", std::string(3000, 'x') + "\n");
  work.write("picture.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
  std::string negative = archivetest::BuildArchive({{"a.txt", "a"}});
  archivetest::PutWord(negative, 4, static_cast<uint32_t>(-3));  // an impossible entry count
  work.write("negative.pkg", negative);
  const std::string d = Q(work.path());
  struct Case {
    std::string arguments;
    std::string says;
  };
  const Case cases[] = {
      {"list " + d + "/notes.txt", "not an archive"},
      {"unpack " + d + "/notes.txt -C " + d + "/out", "not an archive"},
      {"list " + d + "/negative.pkg", "declares -3 entries"},
      {"evt " + d + "/picture.png", "not an event script"},
      {"evt --utf8 " + d + "/picture.png", "not an event script"},
  };
  for (const Case& c : cases) {
    const ToolRun run = Kmtool(c.arguments);
    EXPECT_EQ(run.exitCode, 1) << c.arguments;
    EXPECT_EQ(run.out, "") << c.arguments;
    EXPECT_EQ(LineCount(run.err), 1u) << c.arguments << "\n" << run.err;
    EXPECT_TRUE(Has(run.err, c.says)) << c.arguments << "\n" << run.err;
  }
}

// An entry that cannot be written does not stop the others; each one not written is named.
TEST(KmtoolMaker, UnpackWritesEveryEntryItCanAndNamesTheRest) {
  testsupport::TempDir work;
  work.write("game.pkg", archivetest::BuildArchive({{"a.txt", "A"}, {"sub\\x.txt", "X"}, {"z.txt", "Z"}}));
  work.write("out/sub", "a file where the folder would go");
  const ToolRun run = Kmtool("unpack " + Q(work.path() + "/game.pkg") + " -C " + Q(work.path() + "/out"));
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(Has(run.err, "sub/x.txt: cannot write")) << run.err;
  EXPECT_EQ(testsupport::readAll(work.path() + "/out/a.txt"), std::vector<uint8_t>{'A'});
  EXPECT_EQ(testsupport::readAll(work.path() + "/out/z.txt"), std::vector<uint8_t>{'Z'});
}

TEST(KmtoolMaker, Utf8ScriptsRoundTripAndPackSkipsDotfilesAndBackups) {
  testsupport::TempDir work;
  const std::string script = "@[WaitClick]\n「こんにちは」\n";
  work.write("src/0first.evt", script);
  work.write("src/main.lua", "title = \"題名\"\n");
  work.write("src/.git/config", "x");
  work.write("src/.hidden", "x");
  work.write("src/0first.evt~", "x");
  const std::string pkg = Q(work.path() + "/g.pkg");
  const ToolRun pack = Kmtool("pack " + pkg + " -C " + Q(work.path() + "/src") + " --utf8-evt --scramble-evt -v");
  ASSERT_EQ(pack.exitCode, 0) << pack.err;
  for (const char* skipped : {"skipped .git/", "skipped .hidden", "skipped 0first.evt~"})
    EXPECT_TRUE(Has(pack.err, skipped)) << skipped << "\n" << pack.err;
  const ToolRun list = Kmtool("list " + pkg);
  EXPECT_EQ(LineCount(list.out), 2u) << list.out;

  ASSERT_EQ(Kmtool("unpack " + pkg + " -C " + Q(work.path() + "/back") + " --utf8-evt").exitCode, 0);
  const std::vector<uint8_t> back = testsupport::readAll(work.path() + "/back/0first.evt");
  EXPECT_EQ(std::string(back.begin(), back.end()), script);
  const std::vector<uint8_t> lua = testsupport::readAll(work.path() + "/back/main.lua");
  EXPECT_EQ(std::string(lua.begin(), lua.end()), "title = \"題名\"\n");

  const ToolRun evt = Kmtool("evt --utf8 " + Q(work.path() + "/src/0first.evt"));
  EXPECT_EQ(evt.exitCode, 0) << evt.err;
  EXPECT_TRUE(Has(evt.out, "0\t@[WaitClick]\n1\t")) << evt.out;
  EXPECT_TRUE(Has(evt.out, "こんにちは")) << evt.out;
}

// Paths are relative to the current directory; a screenshot never reached and a game that
// does not start fail the run.
TEST(KmtoolMaker, PlayExitStatusesAndRelativePaths) {
  testsupport::GameFolder game("@[WaitClick]\n");
  testsupport::TempDir cwd, empty;
  cwd.write("input.txt", "2 mouse 5 5\n");
  ToolRun run = Kmtool("play --game " + Q(game.path()) + " --frames 4 --input input.txt --shot 2:shot.png", cwd.path());
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_GT(testsupport::readAll(cwd.path() + "/shot.png").size(), 8u);
  EXPECT_FALSE(std::filesystem::exists(game.path() + "/shot.png"));

  run = Kmtool("play --game " + Q(game.path()) + " --frames 4 --shot 9:late.png", cwd.path());
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(Has(run.err, "late.png not written")) << run.err;

  run = Kmtool("play --frames 4", empty.path());  // no effect files: start-up stops
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(Has(run.err, "the game failed to start")) << run.err;
}

TEST(KmtoolMaker, PlayWarnsAboutWhatTheEngineOtherwisePassesOverSilently) {
  testsupport::GameFolder game(
      "@[SimpleBGG file=\"x.png\"]\n"
      "@[Wait fille=\"1\"]\n"
      "@[Jump label=\"nowhere\"]\n"
      "ScSetTempFlag(\"a\", nil .. 1)\n"
      "@[SimpleBG file=\"missing.png\"]\n"
      "@[Jump file=\"gone.evt\"]\n");
  const ToolRun run = Kmtool("play --frames 3", game.path());
  EXPECT_EQ(run.exitCode, 0) << run.err;
  const char* expected[] = {
      "[warning] 0first.evt:1: unknown tag SimpleBGG",
      "[warning] 0first.evt:2: unknown attribute fille of tag Wait",
      "[warning] 0first.evt:3: label not found: nowhere",
      "[warning] 0first.evt:4: Lua error: ",
      "attempt to concatenate a nil value",
      "[warning] 0first.evt:5: picture cannot be loaded: missing.png",
      "event script not found: gone.evt",
  };
  for (const char* line : expected) EXPECT_TRUE(Has(run.err, line)) << line << "\n" << run.err;
  // Message boxes stay as they are, and --quiet silences only the warnings.
  EXPECT_TRUE(Has(run.err, "[MessageBox] ")) << run.err;
  const ToolRun quiet = Kmtool("play --frames 3 --quiet", game.path());
  EXPECT_FALSE(Has(quiet.err, "[warning]")) << quiet.err;
  EXPECT_TRUE(Has(quiet.err, "[MessageBox] ")) << quiet.err;
}

// A lint fixture seeded with one mistake of each kind; each is reported on its line.
TEST(KmtoolMaker, LintFindsOneMistakeOfEachKind) {
  testsupport::TempDir game;
  game.write("globalData.lua",
             "g_Lua_ScreenWidth = 1024\ng_Lua_ScreenHeight = 768\ng_Lua_Aspect = 1.33\n"
             "g_Lua_FrameRate = 60\ng_Lua_EnableAlwaysMostTop = 0\ng_Lua_EnableWhenNotActive = 1\n");
  game.write(
      "scriptSettings.lua",
      "g_Scr_IsSkipMode = false\ng_Scr_IsSkipWaitTime = false\ng_Scr_IsAutoMode = false\n"
      "g_Scr_AutoModeTime_FAST = 1000\ng_Scr_AutoModeTime_MID = 2000\ng_Scr_AutoModeTime_SLOW = 3000\n"
      "g_Scr_IsAutoModeTimeType = 1\ng_Scr_SoundBufFirst = 10\ng_Scr_SoundBufEnd = 20\ng_CharaDiffPos = { 0, 0 }\n");
  game.write("eventProg.lua", "function P(s) print(s) end\n");
  for (const char* name :
       {"lambart.fx", "ShadowMap.fx", "bg.png", "cur0.png", "cur1.png", "cur10.png", "cur11.png", "cur12.png"})
    game.write(name, "x");
  game.write("0first.evt",
             "; one mistake per line\n"
             "@[SimpleBGG file=\"bg.png\"]\n"
             "@[SimpleBG fille=\"bg.png\"]\n"
             "@[Wait time=\"abc\"]\n"
             "@[Jump label=\"nowhere\"]\n"
             "@[Call file=\"other.evt\"]\n"
             "@[SimpleBG file=\"missing.png\"]\n"
             "@[PlaySE file=\"missing.ogg\"]\n"
             "ScSetTempFlag(\"a\",\n"
             "ScFrobnicate(1)\n"
             "; " +
                 std::string(260, 'a') +
                 "\n"
                 "「絵文字😀」\n"
                 "P(\"fine\")\n");
  game.write("noeol.evt", "P(1)\nP(2)");
  game.write("broken.lua", "function (\n");
  game.write("big.evt", std::string(205000, '\n'));
  const ToolRun run = Kmtool("lint " + Q(game.path()));
  EXPECT_EQ(run.exitCode, 1);
  const char* expected[] = {
      "0first.evt:2: error: unknown tag 'SimpleBGG'",
      "0first.evt:3: error: tag 'SimpleBG' has no attribute 'fille'",
      "0first.evt:4: error: attribute 'time' of tag 'Wait': 'abc' is not an integer",
      "0first.evt:5: error: label 'nowhere' is not in 0first.evt",
      "0first.evt:6: error: script 'other.evt' is not in the game",
      "0first.evt:7: error: picture 'missing.png' is not in the game",
      "0first.evt:8: error: sound 'missing.ogg' is not in the game",
      "0first.evt:9: error: Lua line does not compile: ",
      "0first.evt:10: error: unknown function 'ScFrobnicate'",
      "0first.evt:11: error: the line is 262 bytes",
      "0first.evt:12: error: text that code page 932 cannot hold",
      "noeol.evt: error: the last line has no line feed",
      "broken.lua: error: does not compile: ",
      "big.evt: error: the script is 205000 bytes",
      "white.bmp: error: required file is missing",
      "globalData.lua: error: the key g_Lua_UseSolid is missing",
  };
  for (const char* line : expected) EXPECT_TRUE(Has(run.out, line)) << line << "\n" << run.out;
  EXPECT_FALSE(Has(run.out, ":13:")) << run.out;  // the sound line
  EXPECT_EQ(LineCount(run.out), std::size(expected)) << run.out;
}

// kmtool new writes a game that lints clean and plays, from its UTF-8 sources and packed,
// without a single message box or warning.
TEST(KmtoolMaker, NewGamePlaysWithoutAMessageBox) {
  testsupport::TempDir work;
  ASSERT_EQ(Kmtool("new " + Q(work.path() + "/mygame")).exitCode, 0);
  EXPECT_EQ(Kmtool("new " + Q(work.path() + "/mygame")).exitCode, 1);  // not over an existing game
  const ToolRun lint = Kmtool("lint mygame", work.path());
  EXPECT_EQ(lint.exitCode, 0) << lint.out << lint.err;
  EXPECT_EQ(lint.out, "");

  work.write("clicks.txt", "100 click\n150 click\n200 click\n");
  const std::string play = "play --frames 240 --input clicks.txt --shot 90:page.png";
  const ToolRun fromSources = Kmtool(play + " --utf8-evt --game mygame", work.path());
  EXPECT_EQ(fromSources.exitCode, 0) << fromSources.err;
  EXPECT_EQ(fromSources.err, "");

  ASSERT_EQ(Kmtool("pack packed/game.pkg -C mygame --utf8-evt", work.path()).exitCode, 0);
  const ToolRun fromArchive = Kmtool(play + " --game packed", work.path());
  EXPECT_EQ(fromArchive.exitCode, 0) << fromArchive.err;
  EXPECT_EQ(fromArchive.err, "");
}

// The committed reference is what the engine's tables say today.
TEST(KmtoolMaker, TheCommittedReferenceMatchesTheTables) {
  const ToolRun run = Kmtool("reference");
  ASSERT_EQ(run.exitCode, 0);
  const std::vector<uint8_t> committed = testsupport::readAll(std::string(KM_SOURCE_DIR) + "/docs/reference.md");
  EXPECT_EQ(run.out, std::string(committed.begin(), committed.end()))
      << "regenerate it: build/kmtool reference > docs/reference.md";
}

}  // namespace
