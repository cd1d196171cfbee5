// The single-instance lock: one holder per lock file, across processes; lock file names.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "ProcessHelpers.h"
#include "platform/System.h"
#include "support/TempDir.h"

namespace {

using platform::LockResult;
using testsupport::TempDir;

int code(LockResult r) { return static_cast<int>(r); }

TEST(InstanceLock, OneHolderPerLockFile) {
  TempDir dir;
  const std::string first = dir.path() + "/first.lock";
  const std::string second = dir.path() + "/second.lock";
  ASSERT_EQ(platform::acquireInstanceLock(first), LockResult::Acquired);

  // Another process: the same file is held, a different one is free.
  int status = platformtest::runInChild([&] { return code(platform::acquireInstanceLock(first)); });
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), code(LockResult::AlreadyHeld));
  status = platformtest::runInChild([&] { return code(platform::acquireInstanceLock(second)); });
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), code(LockResult::Acquired));

  // A second acquisition inside the holder is refused too, like a second CreateMutex.
  EXPECT_EQ(platform::acquireInstanceLock(first), LockResult::AlreadyHeld);
  // The child that held "second" has exited, which let the lock go.
  EXPECT_EQ(platform::acquireInstanceLock(second), LockResult::Acquired);
}

TEST(InstanceLock, FailsWhenTheLockFileCannotBeMade) {
  TempDir dir;
  EXPECT_EQ(platform::acquireInstanceLock(dir.path() + "/no/such/dir.lock"), LockResult::Failed);
  // A link planted in place of the lock file is not followed.
  std::filesystem::create_symlink(dir.path() + "/target", dir.path() + "/link.lock");
  EXPECT_EQ(platform::acquireInstanceLock(dir.path() + "/link.lock"), LockResult::Failed);
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "/target"));
}

TEST(InstanceLock, HeadlessLockNamesFollowTheGameDirectory) {
  TempDir dir;
  const std::string a = dir.mkdir("a");
  const std::string b = dir.mkdir("b");
  const std::string tmp = std::filesystem::temp_directory_path().string();

  std::string lockA = platform::headlessLockPath(a);
  EXPECT_EQ(lockA.rfind(tmp, 0), 0u) << lockA;
  EXPECT_NE(lockA, platform::headlessLockPath(b));
  // Spellings of the same directory share a lock.
  EXPECT_EQ(lockA, platform::headlessLockPath(a + "/"));
  EXPECT_EQ(lockA, platform::headlessLockPath(b + "/../a"));
  testsupport::ScopedChdir chdir(dir.path());
  EXPECT_EQ(lockA, platform::headlessLockPath("a"));
  EXPECT_EQ(platform::headlessLockPath("."), platform::headlessLockPath(dir.path()));
}

TEST(InstanceLock, DesktopLockLivesInTheRuntimeDirectory) {
  TempDir dir;
  const char* old = std::getenv("XDG_RUNTIME_DIR");
  std::string saved = old ? old : "";
  ::setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
  EXPECT_EQ(platform::desktopLockPath("Kestrelmoore"), dir.path() + "/Kestrelmoore.lock");
  ::setenv("XDG_RUNTIME_DIR", (dir.path() + "/gone").c_str(), 1);
  EXPECT_EQ(platform::desktopLockPath("Kestrelmoore"),
            std::filesystem::temp_directory_path().string() + "/Kestrelmoore.lock");
  if (old)
    ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
  else
    ::unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
