// A helper process forked while a box is up (the windowing library shows some boxes from one):
// it must not keep the instance lock and must die with the game.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "ProcessHelpers.h"
#include "platform/ChildProcesses.h"
#include "platform/System.h"
#include "support/TempDir.h"

namespace {

using platform::LockResult;

int lockFromAnotherProcess(const std::string& path) {
  const int status = platformtest::runInChild([&] { return static_cast<int>(platform::acquireInstanceLock(path)); });
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool holdsFile(pid_t pid, const std::string& path) {
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
    if (std::filesystem::read_symlink(entry.path(), ec) == path) return true;
  }
  return false;
}

// Waits (at most about ten seconds) for an adopted process to end; kills it if it does not.
int reap(pid_t pid) {
  int status = 0;
  for (int i = 0; i < 1000; ++i) {
    if (::waitpid(pid, &status, WNOHANG) == pid) return status;
    ::usleep(10 * 1000);
  }
  ::kill(pid, SIGKILL);
  ::waitpid(pid, &status, 0);
  return -1;
}

// Whether pred comes true within about five seconds (a forked child runs its fork handlers
// on its own schedule, after the parent has already been told its id).
template <typename Pred>
bool eventually(Pred pred) {
  for (int i = 0; i < 500; ++i) {
    if (pred()) return true;
    ::usleep(10 * 1000);
  }
  return pred();
}

struct GuardCase {
  const char* name;
  bool guarded;
};

TEST(ChildProcessGuard, HelperForkedUnderTheGuardDropsTheLockAndDiesWithTheGame) {
  // The orphaned helper comes to this process, so it can be waited for.
  ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
  const GuardCase cases[] = {{"guarded", true}, {"forked after the guard ended", false}};
  for (const GuardCase& c : cases) {
    SCOPED_TRACE(c.name);
    testsupport::TempDir dir;
    const std::string lockPath = std::filesystem::canonical(dir.path()).string() + "/game.lock";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    std::fflush(nullptr);
    const pid_t game = ::fork();
    if (game == 0) {
      ::close(ready[0]);
      if (platform::acquireInstanceLock(lockPath) != LockResult::Acquired) ::_exit(2);
      pid_t helper = -1;
      {
        platform::ChildProcessGuard guard;
        if (c.guarded) helper = ::fork();
      }
      if (!c.guarded) helper = ::fork();
      if (helper == 0) {
        for (;;) ::pause();  // a box nobody answers
      }
      if (::write(ready[1], &helper, sizeof helper) != sizeof helper) ::_exit(3);
      for (;;) ::pause();
    }
    ::close(ready[1]);
    pid_t helper = -1;
    ASSERT_EQ(::read(ready[0], &helper, sizeof helper), static_cast<ssize_t>(sizeof helper));
    ::close(ready[0]);
    ASSERT_GT(helper, 0);

    EXPECT_EQ(lockFromAnotherProcess(lockPath), static_cast<int>(LockResult::AlreadyHeld));
    EXPECT_EQ(holdsFile(game, lockPath), true);
    if (c.guarded)
      EXPECT_TRUE(eventually([&] { return !holdsFile(helper, lockPath); }));
    else
      EXPECT_TRUE(holdsFile(helper, lockPath));

    ::kill(game, SIGKILL);
    int status = 0;
    ::waitpid(game, &status, 0);
    if (c.guarded) {
      // Gone with the game, and the next start gets the lock.
      status = reap(helper);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
      EXPECT_EQ(lockFromAnotherProcess(lockPath), static_cast<int>(LockResult::Acquired));
    } else {
      // Without the guard nothing changes for other children.
      EXPECT_EQ(::kill(helper, 0), 0);
      ::kill(helper, SIGKILL);
      reap(helper);
    }
  }
}

// The start-up questions' helper: answers come back in order, whatever their size, and neither
// a helper that ends early nor one still busy can hold up or bring down the game.
TEST(HelperProcess, AnswersEachRequestInOrder) {
  platform::HelperProcess helper;
  ASSERT_TRUE(helper.start([](platform::HelperProcess::Channel& channel) {
    std::string request;
    while (channel.receive(request)) channel.send(std::to_string(request.size()) + ":" + request.substr(0, 3));
  }));
  const std::string big(300000, 'x');  // more than a pipe holds at once
  ASSERT_TRUE(helper.send("yes"));
  ASSERT_TRUE(helper.send(big));
  ASSERT_TRUE(helper.send(""));
  std::string answer;
  ASSERT_TRUE(helper.receive(answer));
  EXPECT_EQ(answer, "3:yes");
  ASSERT_TRUE(helper.receive(answer));
  EXPECT_EQ(answer, "300000:xxx");
  ASSERT_TRUE(helper.receive(answer));
  EXPECT_EQ(answer, "0:");
  EXPECT_FALSE(helper.send(std::string((1u << 20) + 1, 'y'))) << "over the longest message";
}

TEST(HelperProcess, AHelperThatEndsEarlyFailsOnlyItsRequests) {
  platform::HelperProcess helper;
  ASSERT_TRUE(helper.start([](platform::HelperProcess::Channel& channel) {
    std::string request;
    if (channel.receive(request)) channel.send("only one");
  }));
  ASSERT_TRUE(helper.send("first"));
  std::string answer;
  ASSERT_TRUE(helper.receive(answer));
  EXPECT_EQ(answer, "only one");
  EXPECT_FALSE(helper.receive(answer)) << "the helper has ended";
  // Writing to a helper that is gone fails instead of raising SIGPIPE in the game.
  bool sent = true;
  for (int i = 0; i < 3 && sent; ++i) sent = helper.send("anyone there?");
  EXPECT_FALSE(sent);
}

TEST(HelperProcess, TheGameEndsAHelperStillAtWork) {
  pid_t pid = -1;
  {
    platform::HelperProcess helper;
    ASSERT_TRUE(helper.start([](platform::HelperProcess::Channel& channel) {
      channel.send(std::to_string(::getpid()));
      for (;;) ::pause();  // a box nobody answers
    }));
    std::string answer;
    ASSERT_TRUE(helper.receive(answer));
    pid = std::stoi(answer);
    EXPECT_EQ(::kill(pid, 0), 0);
  }
  // Ended and reaped: the process is gone, not a zombie.
  EXPECT_NE(::kill(pid, 0), 0);
}

}  // namespace
