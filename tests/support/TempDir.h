// A scratch folder removed when the test ends, and small file helpers for fixtures.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  // Writes a file (creating sub-folders); rel uses '/'.
  std::string write(std::string_view rel, std::string_view bytes) const;
  std::string write(std::string_view rel, const std::vector<uint8_t>& bytes) const;
  std::string mkdir(std::string_view rel) const;

 private:
  std::string path_;
};

// Runs the body with the process working directory set to dir, restoring it afterwards.
class ScopedChdir {
 public:
  explicit ScopedChdir(const std::string& dir);
  ~ScopedChdir();

 private:
  std::string old_;
};

std::vector<uint8_t> readAll(const std::string& path);

}  // namespace testsupport
