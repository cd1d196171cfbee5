// The two scrambling layers of stored files: the archive key on every stored byte, and the
// name-keyed 16-bit layer that event scripts may carry on top of it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace archive {

// Every integer of an archive and every byte of a stored file is XOR-ed with this key; key byte
// j is byte j of it in little-endian order.
constexpr uint32_t kArchiveKey = 0x6B2D94E3u;

constexpr uint8_t ArchiveKeyByte(size_t j) { return static_cast<uint8_t>(kArchiveKey >> (8 * (j & 3))); }

// Reads one 32-bit little-endian word of an archive header or directory, unscrambled.
uint32_t ReadScrambledWord(const uint8_t* bytes);

// Undoes the archive scrambling of one stored file of n bytes in place. Scrambling for packing
// is the same operation.
void UnscrambleStoredFile(uint8_t* data, size_t n);
inline void ScrambleStoredFile(uint8_t* data, size_t n) { UnscrambleStoredFile(data, n); }

// Replaces out's contents with n stored bytes, unscrambled: the same bytes as copying them and
// then calling UnscrambleStoredFile, but in one pass over memory. out keeps its capacity.
void CopyUnscrambled(const uint8_t* stored, size_t n, std::vector<uint8_t>& out);

// ---- The event-script layer ----------------------------------------------------------------

// A script whose last or second-to-last byte is a line feed is plain text and has no second
// layer; an empty script is never transformed.
bool IsPlainEventScript(const uint8_t* text, size_t n);

// The 16-bit key of a script of n bytes requested under requestedName (only the part after the
// last '\' counts).
uint16_t EventScriptKey(std::string_view requestedName, size_t n);

// XORs the 16-bit little-endian words of the script with its key (an odd last byte is left
// alone). The layer is its own inverse: packing applies the same XOR.
void ApplyEventScriptLayer(std::string_view requestedName, uint8_t* text, size_t n);

// What the event-script reader does after reading a script: plain text stays as it is, anything
// else has the layer removed. Returns true when the layer was removed.
bool UndoEventScriptLayer(std::string_view requestedName, uint8_t* text, size_t n);

}  // namespace archive
