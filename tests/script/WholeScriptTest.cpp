// Whole scripts through `kmtool play` (the real frame loop on the headless platform) and the
// line table through `kmtool evt`.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/Scramble.h"
#include "platform/Encoding.h"
#include "support/GameProcess.h"
#include "support/TempDir.h"

namespace {

using RunResult = testsupport::ProcessResult;

RunResult RunKmtool(const std::string& dir, const std::string& args) {
  return testsupport::RunCommand(std::string(KM_KMTOOL) + " " + args, dir);
}

// A game folder whose 0first.evt is the given script (UTF-8, stored as code page 932).
class Game {
 public:
  explicit Game(const std::string& firstScript) : game_(firstScript) {}
  void write(const std::string& name, const std::string& text) { game_.write(name, text); }
  RunResult play(int frames, const std::string& input = "", const std::string& extra = "") {
    std::string args = "play --frames " + std::to_string(frames) + " " + extra;
    if (!input.empty()) {
      game_.write("input.txt", input);
      args += " --input input.txt";
    }
    return RunKmtool(game_.path(), args);
  }
  const std::string& path() const { return game_.path(); }

 private:
  testsupport::GameFolder game_;
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
