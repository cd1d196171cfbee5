// Header and directory reading: every field is bounds-checked against the real file length.
#include "archive/ArchiveDirectory.h"

#include <algorithm>
#include <cstring>

#include "archive/Scramble.h"

namespace archive {

ArchiveDirectory::ArchiveDirectory(const uint8_t* bytes, uint64_t fileSize) : bytes_(bytes), fileSize_(fileSize) {}

uint32_t ArchiveDirectory::storedLength() const { return hasStoredLength() ? ReadScrambledWord(bytes_) : 0; }

int32_t ArchiveDirectory::declaredEntryCount() const {
  if (fileSize_ < kHeaderBytes) return 0;
  return static_cast<int32_t>(ReadScrambledWord(bytes_ + 4));
}

size_t ArchiveDirectory::entryCount() const {
  const int32_t declared = declaredEntryCount();
  if (declared <= 0) return 0;
  const uint64_t fitting = (fileSize_ - kHeaderBytes) / kDirectoryEntryBytes;
  return static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(declared), fitting));
}

StoredEntry ArchiveDirectory::entry(size_t index) const {
  // The whole entry is scrambled as 34 words: unscramble every word into a local copy.
  const uint8_t* stored = bytes_ + kHeaderBytes + index * kDirectoryEntryBytes;
  uint8_t raw[kDirectoryEntryBytes];
  for (size_t word = 0; word < kDirectoryEntryBytes; word += 4) {
    const uint32_t value = ReadScrambledWord(stored + word);
    for (size_t b = 0; b < 4; ++b) raw[word + b] = static_cast<uint8_t>(value >> (8 * b));
  }
  StoredEntry out;
  const auto* name = reinterpret_cast<const char*>(raw);
  out.storedName.assign(name, strnlen(name, kStoredNameBytes));
  out.size = ReadScrambledWord(stored + 128);
  out.offset = ReadScrambledWord(stored + 132);
  return out;
}

bool ArchiveDirectory::holds(const StoredEntry& entry) const {
  return uint64_t{entry.offset} + entry.size <= fileSize_;
}

std::string_view LastNameComponent(std::string_view storedName) {
  const size_t separator = storedName.find_last_of("\\/");
  return separator == std::string_view::npos ? storedName : storedName.substr(separator + 1);
}

}  // namespace archive
