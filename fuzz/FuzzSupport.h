// Shared by the fuzz targets: a scratch folder as the working directory, and writing the input
// there as a game file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "platform/Platform.h"
#include "platform/headless/HeadlessPlatform.h"

namespace fuzz {

// Enters a fresh scratch folder once per process (files the targets write go there), in
// memory where the system has a memory file system: a disk's truncates and write-backs would
// cost more than the parsers.
inline void EnterScratchFolder() {
  static const bool entered = [] {
    char shm[] = "/dev/shm/km-fuzz-XXXXXX";
    char tmp[] = "/tmp/km-fuzz-XXXXXX";
    const char* folder = mkdtemp(shm);
    if (!folder) folder = mkdtemp(tmp);
    if (!folder || chdir(folder) != 0) std::abort();
    return true;
  }();
  (void)entered;
}

inline void WriteFile(const std::string& name, const uint8_t* data, size_t size) {
  FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) std::abort();
  if (size > 0 && std::fwrite(data, 1, size, f) != size) std::abort();
  std::fclose(f);
}

// The message boxes a bad file raises are only logged: the log is emptied after every input.
inline void ForgetMessageBoxes() { platform::clearMessageBoxLog(); }

}  // namespace fuzz

// Before the first input: message boxes go to a headless platform that answers them without
// writing a line each (millions of inputs would fill the disk with them).
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static platform::HeadlessPlatform quiet([] {
    platform::HeadlessOptions options;
    options.echoMessageBoxes = false;
    return options;
  }());
  platform::setCurrent(&quiet);
  // Registered after the platform, so it runs before the platform is destroyed at exit.
  std::atexit([] { platform::setCurrent(nullptr); });
  return 0;
}
