// Scratch folders and file helpers for test fixtures.
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include <stdlib.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testsupport {

TempDir::TempDir() {
  std::string tmpl = (fs::temp_directory_path() / "km-test-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string TempDir::write(std::string_view rel, std::string_view bytes) const {
  fs::path p = fs::path(path_) / std::string(rel);
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return p.string();
}

std::string TempDir::write(std::string_view rel, const std::vector<uint8_t>& bytes) const {
  return write(rel, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string TempDir::mkdir(std::string_view rel) const {
  fs::path p = fs::path(path_) / std::string(rel);
  fs::create_directories(p);
  return p.string();
}

ScopedChdir::ScopedChdir(const std::string& dir) : old_(fs::current_path().string()) { fs::current_path(dir); }

ScopedChdir::~ScopedChdir() {
  std::error_code ec;
  fs::current_path(old_, ec);
}

std::vector<uint8_t> readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace testsupport
