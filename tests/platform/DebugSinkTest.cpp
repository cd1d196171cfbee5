// The debug sink: silent until a sink is installed, then every text as given.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ProcessHelpers.h"
#include "platform/System.h"

namespace {

TEST(DebugSink, SilentUntilASinkIsInstalled) {
  platformtest::StderrCapture capture;
  platform::setDebugSink(nullptr);
  platform::debugOutput("lost\n");
  std::vector<std::string> seen;
  platform::setDebugSink([&](std::string_view text) { seen.emplace_back(text); });
  platform::debugOutput("\x83\x47\x83\x89\x81\x5B\n");  // code page 932, passed through unchanged
  platform::debugOutput("");
  platform::setDebugSink(nullptr);
  platform::debugOutput("lost again\n");
  EXPECT_EQ(capture.text(), "");
  EXPECT_EQ(seen, (std::vector<std::string>{"\x83\x47\x83\x89\x81\x5B\n", ""}));
}

}  // namespace
