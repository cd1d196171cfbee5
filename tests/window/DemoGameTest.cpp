// The demo game played headless from start to end with Control held: no message box, and it
// ends by itself. A click every 25 frames at one point of the screen presses the settings
// panel's start button and then picks the second choice, which both cover.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/GameProcess.h"
#include "support/TempDir.h"

namespace {

TEST(DemoGame, PlaysToItsEndWithoutAMessageBox) {
  const std::string game = std::string(KM_BINARY_DIR) + "/demo-game";
  if (!std::filesystem::exists(game + "/demo.pkg")) GTEST_SKIP() << "the demo game is not built (target demo_game)";
  testsupport::TempDir scratch;
  std::string clicks = "1 key ctrl down\n1 mouse 512 445\n";
  for (int frame = 30; frame < 900; frame += 25) clicks += std::to_string(frame) + " click\n";
  const std::string input = scratch.write("skip.txt", clicks);
  const std::string running = scratch.path() + "/running.png", after = scratch.path() + "/after.png";
  // The whole story takes about 550 frames with Control held (its timed waits and whole-screen
  // fades are not skipped).
  const std::string command = std::string(KM_KMTOOL) + " play --game '" + game + "' --frames 900 --input '" + input +
                              "' --shot 150:'" + running + "' --shot 850:'" + after + "'";
  const testsupport::ProcessResult run = testsupport::RunCommand(command, "", true);
  const std::string& output = run.out;
  const int status = run.exitCode;
  // The shot of frame 850 is never taken, which kmtool reports with exit status 1.
  EXPECT_EQ(status, 1) << output;
  EXPECT_NE(output.find("after.png not written: the run ended before frame 850"), std::string::npos) << output;
  EXPECT_EQ(output.find("[MessageBox]"), std::string::npos) << output;
  EXPECT_EQ(output.find("[warning]"), std::string::npos) << output;
  EXPECT_TRUE(std::filesystem::exists(running)) << "the game was still playing at frame 150";
  EXPECT_FALSE(std::filesystem::exists(after)) << "the game ended by itself";
}

}  // namespace
