// Signal handlers: the "シグナル補足" line, the default action for crashes, interrupts as a
// quit request. Each case runs in a child so handlers never touch the test process.
#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "ProcessHelpers.h"
#include "platform/System.h"
#include "support/TempDir.h"

namespace {

std::string readText(const std::string& path) {
  std::vector<uint8_t> bytes = testsupport::readAll(path);
  return std::string(bytes.begin(), bytes.end());
}

std::string lineFor(int sig) { return "[MessageBox] シグナル発生 | シグナル補足:" + std::to_string(sig) + "\n"; }

TEST(Signals, CrashesWriteTheLineThenTakeTheDefaultAction) {
  testsupport::TempDir dir;
  for (int sig : {SIGABRT, SIGSEGV, SIGFPE, SIGILL, SIGBUS}) {
    std::string err = dir.path() + "/err" + std::to_string(sig);
    int status = platformtest::runInChild(
        [sig] {
          platform::installSignalHandlers();
          ::raise(sig);
          return 0;  // not reached: the default action ends the child
        },
        err);
    ASSERT_TRUE(WIFSIGNALED(status)) << sig;
    EXPECT_EQ(WTERMSIG(status), sig);
    EXPECT_EQ(readText(err), lineFor(sig));
  }
}

TEST(Signals, AbortStillEndsTheProcess) {
  testsupport::TempDir dir;
  std::string err = dir.path() + "/err";
  int status = platformtest::runInChild(
      [] {
        platform::installSignalHandlers();
        std::abort();
        return 0;
      },
      err);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGABRT);
  EXPECT_EQ(readText(err), lineFor(SIGABRT));
}

TEST(Signals, InterruptsRequestAQuitAndASecondOneEndsTheProcess) {
  testsupport::TempDir dir;
  for (int sig : {SIGINT, SIGTERM}) {
    std::string err = dir.path() + "/err" + std::to_string(sig);
    int status = platformtest::runInChild(
        [sig] {
          platform::installSignalHandlers();
          if (platform::interruptRequested()) return 10;
          ::raise(sig);
          if (!platform::interruptRequested()) return 11;
          ::raise(sig);
          return 12;  // not reached
        },
        err);
    ASSERT_TRUE(WIFSIGNALED(status)) << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), sig);
    EXPECT_EQ(readText(err), lineFor(sig) + lineFor(sig));
  }
}

}  // namespace
