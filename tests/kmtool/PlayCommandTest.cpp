// kmtool play driven as a tester would: input files, and the exit code when an option fails.
#include <gtest/gtest.h>

#include <string>

#include "platform/Encoding.h"
#include "support/GameProcess.h"
#include "support/TempDir.h"

namespace {

using PlayRun = testsupport::ProcessResult;

// A game folder whose first script prints "before", waits for a click and prints "after".
class ClickGame {
 public:
  explicit ClickGame(const std::string& firstScript = "P('before')\n@[WaitClick]\nP('after')\n") : game_(firstScript) {}

  PlayRun play(int frames, const std::string& input, const std::string& extra = "") {
    std::string args = "play --frames " + std::to_string(frames) + " " + extra;
    if (!input.empty()) args += " --input '" + game_.write("input.txt", input) + "'";
    return testsupport::RunCommand(std::string(KM_KMTOOL) + " " + args, game_.path());
  }

  const std::string& path() const { return game_.path(); }

 private:
  testsupport::GameFolder game_;
};

struct InputCase {
  const char* label;
  const char* input;
  int frames;
  const char* out;
};

TEST(KmtoolPlay, InputEventsApplyInTheirFrames) {
  const InputCase cases[] = {
      {"a click in its frame", "3 click\n", 3, "before\nafter\n"},
      {"not before its frame", "3 click\n", 2, "before\n"},
      {"a button press alone", "2 ldown\n", 2, "before\nafter\n"},
      {"comments and blank lines", "# a tester's note\n\n   \n2 click\n", 2, "before\nafter\n"},
      // A line for an earlier frame after a later one still applies in its own frame.
      {"lines out of frame order", "9 mouse 10 10\n4 click\n", 5, "before\nafter\n"},
      {"a key by its decimal code", "1 key 17 down\n", 2, "before\nafter\n"},
      {"a key by its name", "1 key ctrl down\n", 2, "before\nafter\n"},
      {"released before the frame runs", "1 key ctrl down\n1 key ctrl up\n", 4, "before\n"},
  };
  ClickGame game;
  for (const InputCase& c : cases) {
    const PlayRun run = game.play(c.frames, c.input);
    EXPECT_EQ(run.exitCode, 0) << c.label << "\n" << run.err;
    EXPECT_EQ(run.out, c.out) << c.label << "\n" << run.err;
  }
}

// A script may wait for the left button's key code (VK_LBUTTON, 1): the button's key state
// follows the button events, as it does on the desktop.
TEST(KmtoolPlay, ButtonEventsMoveTheButtonsKeyState) {
  ClickGame game("P('before')\nScWaitKey(1)\nP('after')\n");
  EXPECT_EQ(game.play(4, "3 ldown\n").out, "before\nafter\n");
  EXPECT_EQ(game.play(4, "3 rdown\n").out, "before\n");
  // A click's button is up again in the next frame, which the wait sees only if it runs then.
  EXPECT_EQ(game.play(4, "3 click\n").out, "before\nafter\n");
  EXPECT_EQ(game.play(4, "2 ldown\n2 lup\n").out, "before\n");
}

TEST(KmtoolPlay, BadInputFilesExitWithTwoAndUnwritableOutputsWithOne) {
  ClickGame game;
  const char* badInputs[] = {
      "0 click\n",           // frames count from 1
      "3 jump\n",            // unknown verb
      "3 mouse 1\n",         // missing Y
      "3 key nokey down\n",  // unknown key name
      "3 key ctrl pressed\n",
      "3 active 2\n",
      "3 click now\n",  // click takes no arguments
      "x click\n",
  };
  for (const char* input : badInputs) {
    const PlayRun run = game.play(3, input);
    EXPECT_EQ(run.exitCode, 2) << input;
    EXPECT_NE(run.err.find("kmtool play: input line"), std::string::npos) << input << run.err;
    EXPECT_EQ(run.out, "") << input;  // refused before the game starts
  }
  EXPECT_EQ(game.play(3, "", "--input '" + game.path() + "/missing.txt'").exitCode, 2);

  // A named output file that cannot be written is reported and fails the run (exit status 1).
  const std::string nowhere = game.path() + "/no/such/folder";
  for (const std::string& option : {"--audio-out '" + nowhere + "/mix.wav'", "--shot 2:'" + nowhere + "/f.png'"}) {
    const PlayRun run = game.play(3, "", option);
    EXPECT_EQ(run.exitCode, 1) << option << "\n" << run.err;
    EXPECT_NE(run.err.find("kmtool play: cannot write"), std::string::npos) << option << "\n" << run.err;
  }
}

// A script that never waits still lets the run end: by its frame count, and by SIGTERM (sent
// by timeout(1) after a second to a run whose frame count would take far longer).
TEST(KmtoolPlay, AnEndlessLoopWithoutAWaitStillEnds) {
  ClickGame game("*top\n@[Jump label=\"*top\"]\n");
  const std::string kmtool = std::string("timeout -s KILL 60 ") + KM_KMTOOL;
  const PlayRun byFrames = testsupport::RunCommand(kmtool + " play --frames 5", game.path());
  EXPECT_EQ(byFrames.exitCode, 0) << byFrames.err;
  const PlayRun byTerm = testsupport::RunCommand(
      "timeout -s KILL 60 timeout -s TERM 1 " + std::string(KM_KMTOOL) + " play --frames 100000000", game.path());
  // timeout(1) reports 124 when it had to send its signal and the program then ended by itself.
  EXPECT_EQ(byTerm.exitCode, 124) << byTerm.err;
  EXPECT_NE(byTerm.err.find("15"), std::string::npos) << byTerm.err;
}

}  // namespace
