// A RIFF reader over a file copy in memory that keeps the multimedia I/O functions' rules:
// chunk searches run forward from the current position, odd chunk sizes are padded, reads stop
// at the end of the memory.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sound {

constexpr uint32_t MakeFourCC(char a, char b, char c, char d) {
  return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 | uint32_t(uint8_t(d)) << 24;
}

// MMCKINFO.
struct ChunkInfo {
  uint32_t ckid = 0;
  uint32_t cksize = 0;
  uint32_t fccType = 0;     // the form type of a RIFF chunk
  uint64_t dataOffset = 0;  // where the chunk's data starts
};

class MmioReader {
 public:
  static constexpr uint32_t FindChunk = 0x10;  // MMIO_FINDCHUNK
  static constexpr uint32_t FindRiff = 0x20;   // MMIO_FINDRIFF

  MmioReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  // mmioDescend: reads chunk headers from the current position, skipping the chunks that do not
  // match, until it finds ck.ckid (FindChunk) or a "RIFF" chunk of form type ck.fccType
  // (FindRiff). Found: fills ck and leaves the position at the data (after the form type for
  // RIFF). Not found: false and the position is unchanged. A parent's stored size is not trusted:
  // the search ends at the end of the memory.
  bool descend(ChunkInfo& ck, const ChunkInfo* parent, uint32_t flags);
  // mmioAscend: moves to the end of the chunk and its pad byte.
  bool ascend(const ChunkInfo& ck);
  // mmioRead: copies up to `bytes` from the position and returns how many it copied.
  size_t read(void* out, size_t bytes);

  uint64_t position() const { return position_; }

 private:
  const uint8_t* data_;
  size_t size_;
  uint64_t position_ = 0;
};

}  // namespace sound
