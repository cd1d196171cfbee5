// Children forked while a guard is alive: lock dropped, parent-death signal set; helper processes
// that answer through a pipe.
#include "platform/ChildProcesses.h"

#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <atomic>
#include <mutex>

namespace platform {

namespace {

// The guarding process's id, 0 when no guard is alive.
std::atomic<pid_t> g_guardingParent{0};
std::once_flag g_registered;

// Runs in the child right after fork(): only async-signal-safe calls.
void afterForkInChild() {
  const pid_t parent = g_guardingParent.load(std::memory_order_relaxed);
  if (parent == 0) return;
  // The child's own children are its business.
  g_guardingParent.store(0, std::memory_order_relaxed);
  // The death signal first: once the lock is seen dropped, the child is sure to die with the
  // game.
#ifdef __linux__
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
#endif
  // The parent died before the signal was set up: nobody is waiting for this child.
  if (::getppid() != parent) ::_exit(1);
  closeInstanceLockInForkedChild();
}

}  // namespace

ChildProcessGuard::ChildProcessGuard() {
  std::call_once(g_registered, [] { ::pthread_atfork(nullptr, nullptr, afterForkInChild); });
  previous_ = g_guardingParent.exchange(::getpid());
}

ChildProcessGuard::~ChildProcessGuard() { g_guardingParent.store(previous_); }

namespace {

bool writeAll(int fd, const void* data, size_t size) {
  const auto* p = static_cast<const uint8_t*>(data);
  while (size > 0) {
    // No SIGPIPE when the other side is gone: the write fails instead.
    const ssize_t n = ::send(fd, p, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool readAll(int fd, void* data, size_t size) {
  auto* p = static_cast<uint8_t*>(data);
  while (size > 0) {
    const ssize_t n = ::read(fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// A message is its length (4 bytes, this machine's order) and its bytes.
constexpr uint32_t kLongestMessage = 1u << 20;

bool sendMessage(int fd, std::string_view message) {
  if (fd < 0 || message.size() > kLongestMessage) return false;
  const auto size = static_cast<uint32_t>(message.size());
  return writeAll(fd, &size, sizeof size) && writeAll(fd, message.data(), message.size());
}

bool receiveMessage(int fd, std::string& message) {
  uint32_t size = 0;
  if (fd < 0 || !readAll(fd, &size, sizeof size) || size > kLongestMessage) return false;
  message.resize(size);
  return readAll(fd, message.data(), size);
}

}  // namespace

bool HelperProcess::Channel::receive(std::string& message) { return receiveMessage(link_, message); }
bool HelperProcess::Channel::send(std::string_view message) { return sendMessage(link_, message); }

bool HelperProcess::start(const std::function<void(Channel& channel)>& serve) {
  if (pid_ > 0) return false;
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return false;
  pid_t pid;
  {
    ChildProcessGuard guard;
    pid = ::fork();
  }
  if (pid == 0) {
    ::close(ends[0]);
    Channel channel(ends[1]);
    serve(channel);
    ::_exit(0);
  }
  ::close(ends[1]);
  if (pid < 0) {
    ::close(ends[0]);
    return false;
  }
  pid_ = pid;
  link_ = ends[0];
  return true;
}

bool HelperProcess::send(std::string_view message) { return sendMessage(link_, message); }
bool HelperProcess::receive(std::string& message) { return receiveMessage(link_, message); }

HelperProcess::~HelperProcess() {
  if (link_ >= 0) ::close(link_);
  if (pid_ <= 0) return;
  // The game has what it needed: a helper still at work (a box nobody answered) goes now.
  ::kill(pid_, SIGKILL);
  while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {}
}

}  // namespace platform
