// Start-up of the whole program through `kmtool play`: the single-instance guard and a clean run.
#include <gtest/gtest.h>

#include <string>

#include "platform/ByteReader.h"
#include "platform/System.h"
#include "support/GameProcess.h"
#include "support/TempDir.h"

namespace {

using RunResult = testsupport::ProcessResult;

// stdout and stderr together.
RunResult RunKmtool(const std::string& args) {
  return testsupport::RunCommand(std::string(KM_KMTOOL) + " " + args, "", true);
}

const char kMinimalGame[] =
    "g_Lua_ScreenWidth = 1024\ng_Lua_ScreenHeight = 768\ng_Lua_Aspect = 1.33\ng_Lua_FrameRate = 60\n"
    "g_Lua_UseSolid = 1\ng_Lua_EnableAlwaysMostTop = 0\ng_Lua_EnableWhenNotActive = 0\n";

TEST(StartUpTest, ASecondInstanceInTheSameGameFolderIsRefused) {
  testsupport::TempDir game;
  game.write("globalData.lua", kMinimalGame);
  // The test holds the lock a running game would hold.
  ASSERT_EQ(platform::acquireInstanceLock(platform::headlessLockPath(game.path())), platform::LockResult::Acquired);
  const RunResult r = RunKmtool("play --frames 3 --game " + game.path());
  EXPECT_EQ(r.exitCode, 1);  // ended by a start-up failure
  EXPECT_NE(r.out.find("[MessageBox] 二重起動 | Kestrelmooreはすでに起動しています"), std::string::npos) << r.out;
  // Refused before anything else was read.
  EXPECT_EQ(r.out.find("globalData"), std::string::npos) << r.out;
}

TEST(StartUpTest, AnotherGameFolderStartsAndStopsAfterItsFrames) {
  testsupport::TempDir held;
  testsupport::GameFolder game;
  ASSERT_EQ(platform::acquireInstanceLock(platform::headlessLockPath(held.path())), platform::LockResult::Acquired);
  const RunResult r = RunKmtool("play --frames 3 --game " + game.path());
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(r.out.find("二重起動"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("globalData.lua を開けませんでした"), std::string::npos) << r.out;
}

TEST(StartUpTest, BadOptionsExitWithTwo) {
  for (const char* args : {"play --frames", "play --bogus", "play --shot nonsense"}) {
    EXPECT_EQ(RunKmtool(args).exitCode, 2) << args;
  }
}

}  // namespace

namespace {

uint32_t le32(const std::vector<uint8_t>& b, size_t at) { return platform::readLe32(b.data() + at); }
uint32_t be32(const std::vector<uint8_t>& b, size_t at) { return platform::readBe32(b.data() + at); }

TEST(StartUpTest, PlayWritesTheScreenshotOfItsFrameAndTheWholeMix) {
  testsupport::GameFolder game("@[WaitClick]\n");
  testsupport::TempDir out;
  const std::string png = out.path() + "/frame.png";
  const std::string wav = out.path() + "/mix.wav";
  const RunResult r =
      RunKmtool("play --frames 60 --low-spec --shot 30:" + png + " --audio-out " + wav + " --game " + game.path());
  EXPECT_EQ(r.exitCode, 0) << r.out;

  const std::vector<uint8_t> image = testsupport::readAll(png);
  ASSERT_GT(image.size(), 24u) << r.out;
  EXPECT_EQ(std::string(image.begin() + 12, image.begin() + 16), "IHDR");
  EXPECT_EQ(be32(image, 16), 800u);  // low-spec back buffer
  EXPECT_EQ(be32(image, 20), 600u);

  const std::vector<uint8_t> mix = testsupport::readAll(wav);
  ASSERT_GT(mix.size(), 44u);
  EXPECT_EQ(std::string(mix.begin(), mix.begin() + 4), "RIFF");
  EXPECT_EQ(le32(mix, 24), 44100u);        // sample rate
  EXPECT_EQ(mix[22] | (mix[23] << 8), 2);  // stereo
  // 60 frames of 34 ms: about two seconds of 16-bit stereo.
  const double seconds = le32(mix, 40) / (44100.0 * 4);
  EXPECT_NEAR(seconds, 60 * 0.034, 0.1);
}

}  // namespace
