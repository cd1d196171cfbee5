// Reading an archive's header and directory from its bytes, safely for truncated or hostile files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace archive {

constexpr size_t kHeaderBytes = 8;            // stored length, entry count
constexpr size_t kDirectoryEntryBytes = 136;  // 34 scrambled words
constexpr size_t kStoredNameBytes = 128;

// One directory entry, unscrambled.
struct StoredEntry {
  std::string storedName;  // up to the NUL, or all 128 bytes when there is none
  uint32_t size = 0;
  uint32_t offset = 0;  // absolute position of the file's first byte
};

// A read-only view of an archive file. Never reads outside [bytes, bytes + fileSize).
class ArchiveDirectory {
 public:
  ArchiveDirectory(const uint8_t* bytes, uint64_t fileSize);

  // False when the file is too short to hold the stored length.
  bool hasStoredLength() const { return fileSize_ >= 4; }
  uint32_t storedLength() const;
  // The check every archive passes before it is used: stored length equals the real length.
  bool storedLengthMatches() const { return hasStoredLength() && storedLength() == fileSize_; }

  // The entry count as stored (N <= 0 means no entries; 0 when the file ends before it).
  int32_t declaredEntryCount() const;
  // The entries actually read: the declared count, cut down to the entries the file holds.
  size_t entryCount() const;
  StoredEntry entry(size_t index) const;
  // Whether the entry's bytes lie inside the file.
  bool holds(const StoredEntry& entry) const;

  const uint8_t* bytes() const { return bytes_; }
  uint64_t fileSize() const { return fileSize_; }

 private:
  const uint8_t* bytes_;
  uint64_t fileSize_;
};

// The index key of a stored name: the text after its last '\' or '/'.
std::string_view LastNameComponent(std::string_view storedName);

}  // namespace archive
