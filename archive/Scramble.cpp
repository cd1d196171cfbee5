// The archive key's word and tail passes, and the event scripts' name-keyed layer.
#include "archive/Scramble.h"

#include <algorithm>
#include <cstring>

#include "platform/ByteReader.h"

namespace archive {

namespace {

constexpr uint64_t kArchiveKeyPair = (uint64_t{kArchiveKey} << 32) | kArchiveKey;

// XORs count bytes, starting on key byte 0, with the repeated key. Works on 64-bit words so the
// compiler can widen the loop; loads and stores go through memcpy because stored files have no
// alignment.
void XorWithKey(uint8_t* destination, const uint8_t* source, size_t count) {
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    uint64_t word;
    std::memcpy(&word, source + i, 8);
    word ^= kArchiveKeyPair;
    std::memcpy(destination + i, &word, 8);
  }
  for (; i < count; ++i) destination[i] = static_cast<uint8_t>(source[i] ^ ArchiveKeyByte(i));
}

}  // namespace

uint32_t ReadScrambledWord(const uint8_t* bytes) { return platform::readLe32(bytes) ^ kArchiveKey; }

// Two passes. The word pass XORs whole little-endian words at 0, 4, 8, ... while the offset is
// below n - 4, so a file whose length is a multiple of four leaves its last word to the tail
// pass. The tail pass then restarts the key at the byte after the last one touched (e), or at
// byte 1 when no word was touched. For n >= 5 the two passes meet seamlessly (byte i gets key byte
// i mod 4); for n <= 4 byte 0 keeps its stored value and the rest are shifted by one.
void UnscrambleStoredFile(uint8_t* data, size_t n) {
  size_t wordPassEnd = 0;  // one past the last byte of the last word touched
  if (n > 4) {
    const size_t wordCount = (n - 5) / 4 + 1;  // offsets 0, 4, ... <= n - 5
    wordPassEnd = wordCount * 4;
    XorWithKey(data, data, wordPassEnd);
  }
  const size_t lastTouched = wordPassEnd > 0 ? wordPassEnd - 1 : 0;  // e
  if (n - lastTouched > 1) {
    for (size_t j = 0; lastTouched + 1 + j < n; ++j) data[lastTouched + 1 + j] ^= ArchiveKeyByte(j);
  }
}

// Chunks are appended (reserved space is not zero-filled first, as a resize would) and
// unscrambled while they are still in the cache. Every chunk starts on key byte 0.
void CopyUnscrambled(const uint8_t* stored, size_t n, std::vector<uint8_t>& out) {
  out.clear();
  out.reserve(n);
  if (n <= 4) {
    out.assign(stored, stored + n);
    UnscrambleStoredFile(out.data(), n);
    return;
  }
  constexpr size_t kChunkBytes = 16 * 1024;
  static_assert(kChunkBytes % 4 == 0, "each chunk must start on key byte 0");
  for (size_t position = 0; position < n; position += kChunkBytes) {
    const size_t count = std::min(kChunkBytes, n - position);
    out.insert(out.end(), stored + position, stored + position + count);
    XorWithKey(out.data() + position, out.data() + position, count);
  }
}

bool IsPlainEventScript(const uint8_t* text, size_t n) {
  if (n == 0) return true;
  if (text[n - 1] == 0x0A) return true;
  return n >= 2 && text[n - 2] == 0x0A;
}

uint16_t EventScriptKey(std::string_view requestedName, size_t n) {
  const size_t lastSeparator = requestedName.rfind('\\');
  const std::string_view base =
      lastSeparator == std::string_view::npos ? requestedName : requestedName.substr(lastSeparator + 1);
  const auto* name = reinterpret_cast<const uint8_t*>(base.data());
  uint16_t sum = 0;
  // Words at 0, 2, ... while the offset is below L - 1: an odd last character is left out.
  for (size_t offset = 0; offset + 1 < base.size(); offset += 2)
    sum = static_cast<uint16_t>(sum + platform::readLe16(name + offset));
  return static_cast<uint16_t>(sum + n);
}

void ApplyEventScriptLayer(std::string_view requestedName, uint8_t* text, size_t n) {
  const uint16_t key = EventScriptKey(requestedName, n);
  for (size_t offset = 0; offset + 1 < n; offset += 2) {
    const uint16_t word = static_cast<uint16_t>(platform::readLe16(text + offset) ^ key);
    text[offset] = static_cast<uint8_t>(word);
    text[offset + 1] = static_cast<uint8_t>(word >> 8);
  }
}

bool UndoEventScriptLayer(std::string_view requestedName, uint8_t* text, size_t n) {
  if (IsPlainEventScript(text, n)) return false;
  ApplyEventScriptLayer(requestedName, text, n);
  return true;
}

}  // namespace archive
