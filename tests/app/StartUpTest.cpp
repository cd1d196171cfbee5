// Start-up of the whole program through `kmtool play`: the single-instance guard and a clean run.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <string>

#include "platform/System.h"
#include "support/TempDir.h"

namespace {

struct RunResult {
  int exitCode = -1;
  std::string output;  // stdout and stderr together
};

RunResult RunKmtool(const std::string& args) {
  RunResult r;
  const std::string command = std::string(KM_KMTOOL) + " " + args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  std::array<char, 4096> buffer;
  size_t n;
  while ((n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) r.output.append(buffer.data(), n);
  const int status = pclose(pipe);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return r;
}

const char kMinimalGame[] =
    "g_Lua_ScreenWidth = 1024\ng_Lua_ScreenHeight = 768\ng_Lua_Aspect = 1.33\ng_Lua_FrameRate = 60\n"
    "g_Lua_UseSolid = 1\ng_Lua_EnableAlwaysMostTop = 0\ng_Lua_EnableWhenNotActive = 0\n";

TEST(StartUpTest, ASecondInstanceInTheSameGameFolderIsRefused) {
  testsupport::TempDir game;
  game.write("globalData.lua", kMinimalGame);
  // The test holds the lock a running game would hold.
  ASSERT_EQ(platform::acquireInstanceLock(platform::headlessLockPath(game.path())),
            platform::LockResult::Acquired);
  const RunResult r = RunKmtool("play --frames 3 --game " + game.path());
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_NE(r.output.find("[MessageBox] 二重起動 | Kestrelmooreはすでに起動しています"), std::string::npos)
      << r.output;
  // Refused before anything else was read.
  EXPECT_EQ(r.output.find("globalData"), std::string::npos) << r.output;
}

TEST(StartUpTest, AnotherGameFolderStartsAndStopsAfterItsFrames) {
  testsupport::TempDir held, game;
  ASSERT_EQ(platform::acquireInstanceLock(platform::headlessLockPath(held.path())),
            platform::LockResult::Acquired);
  game.write("globalData.lua", kMinimalGame);
  const RunResult r = RunKmtool("play --frames 3 --game " + game.path());
  EXPECT_EQ(r.exitCode, 0) << r.output;
  EXPECT_EQ(r.output.find("二重起動"), std::string::npos) << r.output;
  EXPECT_EQ(r.output.find("globalData.lua を開けませんでした"), std::string::npos) << r.output;
}

TEST(StartUpTest, BadOptionsExitWithTwo) {
  for (const char* args : {"play --frames", "play --bogus", "play --shot nonsense"}) {
    EXPECT_EQ(RunKmtool(args).exitCode, 2) << args;
  }
}

}  // namespace
