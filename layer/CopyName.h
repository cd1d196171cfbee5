// The one way to fill the fixed-size picture-name fields of sprites and layers.
#pragma once

#include <cstddef>
#include <cstring>

namespace layer {

// Copies src (nullptr reads as "") into dst, cut to fit and always NUL-terminated.
template <size_t N>
void copyName(char (&dst)[N], const char* src) {
  std::strncpy(dst, src ? src : "", N - 1);
  dst[N - 1] = '\0';
}

}  // namespace layer
