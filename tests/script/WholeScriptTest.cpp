// Whole scripts through `kmtool play` (the real frame loop on the headless platform) and the
// line table through `kmtool evt`.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "archive/Scramble.h"
#include "platform/Encoding.h"
#include "support/TempDir.h"

namespace {

struct RunResult {
  int exitCode = -1;
  std::string out;  // stdout
  std::string err;  // stderr
};

RunResult RunKmtool(const std::string& dir, const std::string& args) {
  testsupport::TempDir scratch;
  const std::string errFile = scratch.path() + "/stderr.txt";
  const std::string command = "cd '" + dir + "' && " + KM_KMTOOL + " " + args + " 2>'" + errFile + "'";
  RunResult r;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.out.append(buffer.data(), n);
  const int status = pclose(pipe);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  const std::vector<uint8_t> err = testsupport::readAll(errFile);
  r.err.assign(err.begin(), err.end());
  return r;
}

// A 1 x 1 white 24-bit BMP for the fade overlay.
std::string WhiteBmp() {
  const unsigned char bytes[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1,
                                 0, 24, 0, 0, 0, 0, 0, 4, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                 255, 255, 255, 0};
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

// A game folder whose 0first.evt is the given script (UTF-8, stored as code page 932).
class Game {
 public:
  explicit Game(const std::string& firstScript) {
    dir_.write("globalData.lua",
               "g_Lua_ScreenWidth = 1024\ng_Lua_ScreenHeight = 768\ng_Lua_Aspect = 1.33\ng_Lua_FrameRate = 60\n"
               "g_Lua_UseSolid = 1\ng_Lua_EnableAlwaysMostTop = 0\ng_Lua_EnableWhenNotActive = 1\n");
    dir_.write("scriptSettings.lua",
               "g_Scr_IsSkipMode = false\ng_Scr_IsSkipWaitTime = false\ng_Scr_IsAutoMode = false\n"
               "g_Scr_AutoModeTime_FAST = 1000\ng_Scr_AutoModeTime_MID = 2000\ng_Scr_AutoModeTime_SLOW = 3000\n"
               "g_Scr_IsAutoModeTimeType = 1\ng_Scr_SoundBufFirst = 10\ng_Scr_SoundBufEnd = 20\n"
               "g_CharaDiffPos = { 0, 0 }\n");
    dir_.write("eventProg.lua", "function P(s) print(s) io.stdout:flush() end\n");
    dir_.write("lambart.fx", "effect\n");
    dir_.write("ShadowMap.fx", "effect\n");
    dir_.write("white.bmp", WhiteBmp());
    if (!firstScript.empty()) dir_.write("0first.evt", platform::utf8ToCp932(firstScript));
  }
  void write(const std::string& name, const std::string& text) { dir_.write(name, text); }
  RunResult play(int frames, const std::string& input = "", const std::string& extra = "") {
    std::string args = "play --frames " + std::to_string(frames) + " " + extra;
    if (!input.empty()) {
      dir_.write("input.txt", input);
      args += " --input input.txt";
    }
    return RunKmtool(dir_.path(), args);
  }
  const std::string& path() const { return dir_.path(); }

 private:
  testsupport::TempDir dir_;
};

TEST(WholeScript, AClickRunsTheLinesAfterTheWaitInItsFrame) {
  Game game("P('before')\n@[WaitClick]\nP('after')\n");
  EXPECT_EQ(game.play(2, "3 click\n").out, "before\n");
  EXPECT_EQ(game.play(3, "3 click\n").out, "before\nafter\n");
}

TEST(WholeScript, HeldControlAdvancesOneStepPerFrame) {
  Game game("P('0')\n@[WaitClick]\nP('1')\n@[PageBreak]\nP('2')\nScWaitClick()\nP('3')\n");
  EXPECT_EQ(game.play(2, "1 key ctrl down\n").out, "0\n1\n2\n");
  EXPECT_EQ(game.play(3, "1 key ctrl down\n").out, "0\n1\n2\n3\n");
}

TEST(WholeScript, TimedWaitCountsTheFramesElapsedTime) {
  // The first frame's update sees 0 ms, every later one 17 ms: 30 x 17 = 510 ms by frame 31.
  Game game("P('a')\nScWait(500)\nP('b')\n");
  EXPECT_EQ(game.play(30).out, "a\n");
  EXPECT_EQ(game.play(31).out, "a\nb\n");
}

TEST(WholeScript, ExitGameEndsTheRunAfterTheFrame) {
  Game game("P('a')\n@[ExitGame]\nP('same frame')\n@[WaitClick]\nP('never')\n");
  const RunResult r = game.play(100000);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "a\nsame frame\n");
}

TEST(WholeScript, FailuresAreReportedAndTheScriptGoesOn) {
  Game game("P('a')\nScEventJump('missing.evt', '')\n");
  const RunResult r = game.play(2, "", "--debug-output");
  EXPECT_EQ(r.out, "a\n");
  EXPECT_NE(r.err.find("[debug] event script not found: missing.evt"), std::string::npos) << r.err;

  Game broken("P('a')\nerror('boom')\nP('b')\n");
  const RunResult b = broken.play(2, "", "--debug-output");
  EXPECT_EQ(b.out, "a\nb\n");
  EXPECT_NE(b.err.find("[MessageBox] ERROR | コマンド：error('boom')\\nファイル：0first.evt"), std::string::npos)
      << b.err;
  EXPECT_NE(b.err.find("boom"), std::string::npos);
}

TEST(EvtTool, PrintsTheLineTableAsTheEngineReadsIt) {
  testsupport::TempDir dir;
  dir.write("a.evt", platform::utf8ToCp932("/ dropped\n@[Wait time = 1000 ]\n本文\n二行目\n*lbl_end\n"));
  const RunResult r = RunKmtool(dir.path(), "evt a.evt");
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "0\t@[Wait time = 1000 ]\n1\t@*!text!*@本文<n>二行目<n>\")\n2\t\n3\t*lbl_end\n");

  const RunResult missing = RunKmtool(dir.path(), "evt none.evt");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_NE(missing.err.find("none.evt"), std::string::npos);
  EXPECT_EQ(RunKmtool(dir.path(), "evt").exitCode, 2);
}

TEST(EvtTool, UndoesTheSecondLayerWithTheKeyOfTheGivenName) {
  testsupport::TempDir dir;
  std::string text = "ScWait(1)\nP('x')\nP('y')\n";
  ASSERT_TRUE(archive::IsPlainEventScript(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  archive::ApplyEventScriptLayer("story.evt", reinterpret_cast<uint8_t*>(text.data()), text.size());
  ASSERT_FALSE(archive::IsPlainEventScript(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  dir.write("copy.evt", text);
  const RunResult r = RunKmtool(dir.path(), "evt copy.evt --name story.evt");
  EXPECT_EQ(r.out, "0\tScWait(1)\n1\tP('x')\n2\tP('y')\n");
  EXPECT_NE(RunKmtool(dir.path(), "evt copy.evt").out, r.out);
}

TEST(EvtTool, ReadsTheArchiveBeforeTheDisk) {
  testsupport::TempDir dir, packed;
  packed.write("s.evt", "A()\n");
  ASSERT_EQ(RunKmtool(dir.path(), "pack data.pkg -C '" + packed.path() + "'").exitCode, 0);
  dir.write("s.evt", "FromDisk()\n");
  EXPECT_EQ(RunKmtool(dir.path(), "evt s.evt").out, "0\tA()\n");
}

}  // namespace
