// Minimal game folders and child processes for whole-program tests.
#include "support/GameProcess.h"

#include <cstdio>
#include <vector>

#include <sys/wait.h>

#include "platform/Encoding.h"

namespace testsupport {

ProcessResult RunCommand(const std::string& command, const std::string& dir, bool mergeStderr) {
  TempDir scratch;
  const std::string errFile = scratch.path() + "/stderr.txt";
  std::string line = dir.empty() ? command : "cd '" + dir + "' && " + command;
  line += mergeStderr ? " 2>&1" : " 2>'" + errFile + "'";
  ProcessResult r;
  FILE* pipe = popen(line.c_str(), "r");
  if (!pipe) return r;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
  const int status = pclose(pipe);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  if (!mergeStderr) {
    const std::vector<uint8_t> err = readAll(errFile);
    r.err.assign(err.begin(), err.end());
  }
  return r;
}

namespace {

// A 1 x 1 white 24-bit BMP for the fade overlay.
std::string WhiteBmp() {
  const unsigned char bytes[] = {'B', 'M', 58, 0, 0, 0, 0, 0, 0,  0, 54, 0, 0, 0, 40,  0,   0,   0, 1, 0,
                                 0,   0,   1,  0, 0, 0, 1, 0, 24, 0, 0,  0, 0, 0, 4,   0,   0,   0, 0, 0,
                                 0,   0,   0,  0, 0, 0, 0, 0, 0,  0, 0,  0, 0, 0, 255, 255, 255, 0};
  return std::string(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

}  // namespace

GameFolder::GameFolder(const std::string& firstScriptUtf8) {
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
  if (!firstScriptUtf8.empty()) dir_.write("0first.evt", platform::utf8ToCp932(firstScriptUtf8));
}

}  // namespace testsupport
