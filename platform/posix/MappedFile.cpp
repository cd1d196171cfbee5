// MappedFile: a read-only file kept open for the run, mapped whole for the length of one read.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "platform/System.h"

namespace platform {

MappedFile::~MappedFile() {
  unmapView();
  closeMapping();
  closeFile();
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      mapping_(std::exchange(other.mapping_, false)),
      size_(std::exchange(other.size_, 0)),
      view_(std::exchange(other.view_, nullptr)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this != &other) {
    unmapView();
    closeMapping();
    closeFile();
    fd_ = std::exchange(other.fd_, -1);
    mapping_ = std::exchange(other.mapping_, false);
    size_ = std::exchange(other.size_, 0);
    view_ = std::exchange(other.view_, nullptr);
  }
  return *this;
}

bool MappedFile::open(const std::string& path) {
  closeFile();
  std::string onDisk = diskPath(path);
  int fd = ::open(onDisk.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  size_ = static_cast<uint64_t>(st.st_size);
  return true;
}

bool MappedFile::createMapping() {
  // An empty file has nothing to map; callers report it as a failed mapping.
  if (fd_ < 0 || size_ == 0 || size_ > SIZE_MAX) return false;
  mapping_ = true;
  return true;
}

const uint8_t* MappedFile::mapView() {
  if (!mapping_ || fd_ < 0) return nullptr;
  if (view_) return static_cast<const uint8_t*>(view_);
  // Bytes past the end of a file that shrank since it was opened would fault when read.
  struct stat st;
  if (::fstat(fd_, &st) != 0 || static_cast<uint64_t>(st.st_size) < size_) return nullptr;
  void* p = ::mmap(nullptr, static_cast<size_t>(size_), PROT_READ, MAP_PRIVATE, fd_, 0);
  if (p == MAP_FAILED) return nullptr;
  view_ = p;
  return static_cast<const uint8_t*>(view_);
}

bool MappedFile::unmapView() {
  if (!view_) return false;
  int rc = ::munmap(view_, static_cast<size_t>(size_));
  view_ = nullptr;
  return rc == 0;
}

void MappedFile::closeMapping() { mapping_ = false; }

void MappedFile::closeFile() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace platform
