// Test helpers for this folder: stderr capture and running a body in a forked child.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <string>

namespace platformtest {

// Sends fd 2 to a scratch file while alive; text() returns what was written so far.
class StderrCapture {
 public:
  StderrCapture() {
    std::fflush(stderr);
    file_ = std::tmpfile();
    saved_ = ::dup(STDERR_FILENO);
    ::dup2(::fileno(file_), STDERR_FILENO);
  }
  ~StderrCapture() {
    restore();
    std::fclose(file_);
  }
  std::string text() {
    std::fflush(stderr);
    std::string out;
    std::rewind(file_);
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, file_)) > 0) out.append(buf, n);
    return out;
  }
  void restore() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    ::dup2(saved_, STDERR_FILENO);
    ::close(saved_);
    saved_ = -1;
  }

 private:
  std::FILE* file_ = nullptr;
  int saved_ = -1;
};

// Runs body in a child process, its stderr sent to stderrFile (when not empty); returns the
// raw wait status. The child exits with body's return value.
inline int runInChild(const std::function<int()>& body, const std::string& stderrFile = {}) {
  std::fflush(nullptr);
  pid_t pid = ::fork();
  if (pid == 0) {
    if (!stderrFile.empty()) {
      int fd = ::open(stderrFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
      ::dup2(fd, STDERR_FILENO);
      ::close(fd);
    }
    int code = body();
    std::fflush(nullptr);
    ::_exit(code);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return status;
}

}  // namespace platformtest
