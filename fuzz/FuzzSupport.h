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

namespace fuzz {

// Enters a fresh scratch folder once per process (files the targets write go there).
inline void EnterScratchFolder() {
  static const bool entered = [] {
    char pattern[] = "/tmp/km-fuzz-XXXXXX";
    if (!mkdtemp(pattern) || chdir(pattern) != 0) std::abort();
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
