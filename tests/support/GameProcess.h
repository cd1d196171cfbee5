// Whole-program tests: a minimal game folder, and running a command (kmtool) as its own process.
#pragma once

#include <string>

#include "support/TempDir.h"

namespace testsupport {

struct ProcessResult {
  int exitCode = -1;  // 128 + signal when the process was killed
  std::string out;    // stdout (with stderr when merged)
  std::string err;    // stderr, unless merged into out
};

// Runs a shell command, in dir when one is given.
ProcessResult RunCommand(const std::string& command, const std::string& dir = "", bool mergeStderr = false);

// A game folder that starts cleanly: globalData.lua, scriptSettings.lua, an eventProg.lua whose
// P(s) prints a line, the two effect files, white.bmp, and 0first.evt when a script is given
// (UTF-8, stored as code page 932).
class GameFolder {
 public:
  explicit GameFolder(const std::string& firstScriptUtf8 = "");
  std::string write(const std::string& name, const std::string& bytes) const { return dir_.write(name, bytes); }
  const std::string& path() const { return dir_.path(); }

 private:
  TempDir dir_;
};

}  // namespace testsupport
