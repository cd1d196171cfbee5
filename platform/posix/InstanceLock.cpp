// The single-instance lock: an exclusive flock on a lock file, held until the process ends.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/ChildProcesses.h"
#include "platform/System.h"

namespace platform {

namespace {

// The descriptor that holds the lock (-1 before it is taken).
int g_lockFd = -1;

std::string tempDirectory() {
  std::error_code ec;
  std::filesystem::path dir = std::filesystem::temp_directory_path(ec);
  return ec ? std::string("/tmp") : dir.string();
}

// FNV-1a: a stable name for a path, the same in every run.
uint64_t hashPath(std::string_view path) {
  uint64_t h = 14695981039346656037ull;
  for (char c : path) {
    h ^= static_cast<unsigned char>(c);
    h *= 1099511628211ull;
  }
  return h;
}

}  // namespace

LockResult acquireInstanceLock(const std::string& lockFilePath) {
  // O_NOFOLLOW: the lock file lives in a shared temp dir, where a planted link must not
  // make us open some other file.
  int fd = ::open(lockFilePath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (fd < 0) return LockResult::Failed;
  int rc;
  do { rc = ::flock(fd, LOCK_EX | LOCK_NB); } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    bool held = errno == EWOULDBLOCK;
    ::close(fd);
    return held ? LockResult::AlreadyHeld : LockResult::Failed;
  }
  // The descriptor stays open (and the lock held) until the process exits.
  g_lockFd = fd;
  return LockResult::Acquired;
}

void closeInstanceLockInForkedChild() {
  // The lock belongs to the open file, shared with the parent: closing the child's copy leaves
  // the parent holding it, and the child no longer keeps it after the parent is gone.
  if (g_lockFd >= 0) ::close(g_lockFd);
}

std::string desktopLockPath(std::string_view name) {
  std::string dir;
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  struct stat st;
  if (runtime && *runtime && ::stat(runtime, &st) == 0 && S_ISDIR(st.st_mode))
    dir = runtime;
  else
    dir = tempDirectory();
  return dir + "/" + std::string(name) + ".lock";
}

std::string headlessLockPath(const std::string& gameDir) {
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::weakly_canonical(std::filesystem::absolute(gameDir, ec), ec);
  if (ec) absolute = std::filesystem::absolute(gameDir, ec).lexically_normal();
  std::string key = absolute.string();
  // "/games/a/" and "/games/a" are the same directory.
  while (key.size() > 1 && key.back() == '/') key.pop_back();
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hashPath(key)));
  return tempDirectory() + "/kestrelmoore-" + hex + ".lock";
}

}  // namespace platform
