// Processes that libraries fork on our behalf (a message box shown by a helper process) must not
// outlive the game, nor keep its single-instance lock.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

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

// A helper process forked while this process still has a single thread (no lock of another
// thread can be held in its copy), which serves requests through a socket: the game goes on with
// its own work and reads each answer when it needs it. Messages are byte strings.
class HelperProcess {
 public:
  // The helper's side: requests in, answers out.
  class Channel {
   public:
    explicit Channel(int link) : link_(link) {}
    // The next request, waiting for it; false once the game has closed its end (or is gone).
    bool receive(std::string& message);
    bool send(std::string_view message);

   private:
    int link_;
  };

  HelperProcess() = default;
  // Closes the pipes, then ends and reaps the helper.
  ~HelperProcess();
  HelperProcess(const HelperProcess&) = delete;
  HelperProcess& operator=(const HelperProcess&) = delete;

  // Forks the helper under a ChildProcessGuard; it runs serve(channel) and ends without running
  // the game's exit handlers. False when no helper could be started.
  bool start(const std::function<void(Channel& channel)>& serve);
  bool running() const { return pid_ > 0; }
  bool send(std::string_view message);
  // The helper's next answer, waiting for it; false once the helper has ended without one.
  bool receive(std::string& message);

 private:
  pid_t pid_ = -1;
  int link_ = -1;  // a socket pair: a helper that is gone fails a send instead of signalling
};

// In a forked child only: closes the child's copy of the instance lock's descriptor (the
// parent's lock stays held). Async-signal-safe.
void closeInstanceLockInForkedChild();

}  // namespace platform
