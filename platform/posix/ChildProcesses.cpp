// Children forked while a guard is alive: lock dropped, parent-death signal set.
#include "platform/ChildProcesses.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>
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

}  // namespace platform
