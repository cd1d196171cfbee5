// Signal handlers: the "シグナル補足" line for crashes and interrupts, then the default action
// for crashes and an orderly quit for interrupts.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

#include "platform/System.h"

namespace platform {

namespace {

volatile sig_atomic_t g_interrupt = 0;

// The headless message-box line of the "シグナル発生" box, written as raw UTF-8 bytes:
// nothing in a signal handler may convert or allocate.
constexpr char kLinePrefix[] = "[MessageBox] シグナル発生 | シグナル補足:";

void writeAll(const char* p, size_t n) {
  while (n > 0) {
    ssize_t w = ::write(STDERR_FILENO, p, n);
    if (w <= 0) return;
    p += w;
    n -= static_cast<size_t>(w);
  }
}

void writeSignalLine(int sig) {
  char line[sizeof kLinePrefix + 16];
  size_t n = sizeof kLinePrefix - 1;
  std::memcpy(line, kLinePrefix, n);
  char digits[12];
  size_t d = 0;
  unsigned v = static_cast<unsigned>(sig);
  do {
    digits[d++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v > 0 && d < sizeof digits);
  while (d > 0) line[n++] = digits[--d];
  line[n++] = '\n';
  writeAll(line, n);
}

void restoreDefaultAndRaise(int sig) {
  struct sigaction dfl;
  std::memset(&dfl, 0, sizeof dfl);
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  ::sigaction(sig, &dfl, nullptr);
  // Delivered once the handler returns (the signal is blocked while it runs); a fault
  // re-executes its instruction and meets the default action either way.
  ::raise(sig);
}

void onCrash(int sig) {
  int savedErrno = errno;
  writeSignalLine(sig);
  restoreDefaultAndRaise(sig);
  errno = savedErrno;
}

void onInterrupt(int sig) {
  int savedErrno = errno;
  writeSignalLine(sig);
  // A second interrupt while the first is still being honoured ends the process, so a run
  // that no longer reaches its message loop can still be stopped.
  if (g_interrupt) restoreDefaultAndRaise(sig);
  g_interrupt = 1;
  errno = savedErrno;
}

void install(int sig, void (*handler)(int), bool onAltStack) {
  struct sigaction sa;
  std::memset(&sa, 0, sizeof sa);
  sa.sa_handler = handler;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = onAltStack ? SA_ONSTACK : SA_RESTART;
  ::sigaction(sig, &sa, nullptr);
}

}  // namespace

void installSignalHandlers() {
  // A stack overflow leaves no stack for the handler: crashes run on a stack of their own.
  static char altStack[64 * 1024];
  stack_t ss;
  std::memset(&ss, 0, sizeof ss);
  ss.ss_sp = altStack;
  ss.ss_size = sizeof altStack;
  ::sigaltstack(&ss, nullptr);

  for (int sig : {SIGABRT, SIGILL, SIGFPE, SIGSEGV, SIGBUS}) install(sig, onCrash, true);
  for (int sig : {SIGINT, SIGTERM}) install(sig, onInterrupt, false);
}

bool interruptRequested() { return g_interrupt != 0; }

}  // namespace platform
