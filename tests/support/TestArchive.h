// Archives written byte by byte for the tests, independently of kmtool's packer and of the
// library's own scrambling code.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace archivetest {

// Byte j of the archive key in little-endian order.
inline uint8_t KeyByte(size_t j) {
  static const uint8_t kKey[4] = {0xE3, 0x94, 0x2D, 0x6B};
  return kKey[j % 4];
}

// A plain file as an archive stores it: for five bytes or more byte i is XOR-ed with key byte
// i mod 4; shorter files keep byte 0 and XOR byte i with key byte i - 1.
inline std::string StoredForm(const std::string& plain) {
  std::string stored = plain;
  for (size_t i = 0; i < stored.size(); ++i) {
    if (plain.size() >= 5) {
      stored[i] = static_cast<char>(stored[i] ^ KeyByte(i));
    } else if (i > 0) {
      stored[i] = static_cast<char>(stored[i] ^ KeyByte(i - 1));
    }
  }
  return stored;
}

// Writes a 32-bit header or directory word, scrambled, at offset.
inline void PutWord(std::string& bytes, size_t offset, uint32_t value) {
  for (size_t b = 0; b < 4; ++b) bytes[offset + b] = static_cast<char>(((value >> (8 * b)) & 0xFF) ^ KeyByte(b));
}

struct TestEntry {
  std::string storedName;  // copied into the 128 name bytes (all 128 when it is that long)
  std::string content;     // plain bytes
};

// Header, directory, then each file's stored bytes in entry order.
inline std::string BuildArchive(const std::vector<TestEntry>& entries) {
  const size_t directoryEnd = 8 + 136 * entries.size();
  std::string bytes(directoryEnd, '\0');
  for (size_t i = 0; i < entries.size(); ++i) {
    const size_t at = 8 + 136 * i;
    const uint32_t offset = static_cast<uint32_t>(bytes.size());
    std::string nameBytes(128, '\0');
    nameBytes.replace(0, std::min<size_t>(128, entries[i].storedName.size()), entries[i].storedName, 0, 128);
    // Name bytes are scrambled as 32 words, like every other field of the entry.
    for (size_t w = 0; w < 128; w += 4) {
      uint32_t word = 0;
      for (size_t b = 0; b < 4; ++b) word |= uint32_t{static_cast<uint8_t>(nameBytes[w + b])} << (8 * b);
      PutWord(bytes, at + w, word);
    }
    PutWord(bytes, at + 128, static_cast<uint32_t>(entries[i].content.size()));
    PutWord(bytes, at + 132, offset);
    bytes += StoredForm(entries[i].content);
  }
  PutWord(bytes, 0, static_cast<uint32_t>(bytes.size()));
  PutWord(bytes, 4, static_cast<uint32_t>(entries.size()));
  return bytes;
}

// Offsets of the fields of directory entry i.
inline size_t SizeFieldOf(size_t i) { return 8 + 136 * i + 128; }
inline size_t OffsetFieldOf(size_t i) { return 8 + 136 * i + 132; }

inline std::string AsString(const std::vector<uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

}  // namespace archivetest
