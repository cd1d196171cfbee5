// Processes that libraries fork on our behalf (a message box shown by a helper process) must not
// outlive the game, nor keep its single-instance lock.
#pragma once

#include <sys/types.h>

namespace platform {

// While one is alive, every process forked from this one (by any code, e.g. the windowing
// library's message box) drops its copy of the instance lock at once and is killed when this
// process ends; one whose parent is already gone exits straight away.
class ChildProcessGuard {
 public:
  ChildProcessGuard();
  ~ChildProcessGuard();
  ChildProcessGuard(const ChildProcessGuard&) = delete;
  ChildProcessGuard& operator=(const ChildProcessGuard&) = delete;

 private:
  pid_t previous_;
};

// In a forked child only: closes the child's copy of the instance lock's descriptor (the
// parent's lock stays held). Async-signal-safe.
void closeInstanceLockInForkedChild();

}  // namespace platform
