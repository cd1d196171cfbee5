// A RIFF reader over a file copy in memory with the multimedia I/O functions' rules.
#include "sound/MmioReader.h"

#include <algorithm>
#include <cstring>

#include "platform/ByteReader.h"

namespace sound {

namespace {

constexpr uint32_t RiffId = MakeFourCC('R', 'I', 'F', 'F');

}  // namespace

bool MmioReader::descend(ChunkInfo& ck, const ChunkInfo* /*parent*/, uint32_t flags) {
  uint64_t at = position_;
  while (at + 8 <= size_) {
    const uint32_t id = platform::readLe32(data_ + at);
    const uint32_t size = platform::readLe32(data_ + at + 4);
    const uint64_t dataAt = at + 8;
    if (flags & FindRiff) {
      if (id == RiffId && dataAt + 4 <= size_ && platform::readLe32(data_ + dataAt) == ck.fccType) {
        ck.ckid = id;
        ck.cksize = size;
        ck.dataOffset = dataAt;
        position_ = dataAt + 4;
        return true;
      }
    } else if (!(flags & FindChunk) || id == ck.ckid) {
      ck.ckid = id;
      ck.cksize = size;
      ck.dataOffset = dataAt;
      if (id == RiffId && dataAt + 4 <= size_) ck.fccType = platform::readLe32(data_ + dataAt);
      position_ = dataAt;
      return true;
    }
    at = dataAt + ((uint64_t(size) + 1) & ~uint64_t(1));
  }
  return false;
}

bool MmioReader::ascend(const ChunkInfo& ck) {
  position_ = ck.dataOffset + ((uint64_t(ck.cksize) + 1) & ~uint64_t(1));
  return true;
}

size_t MmioReader::read(void* out, size_t bytes) {
  if (position_ >= size_) return 0;
  const size_t n = size_t(std::min<uint64_t>(bytes, size_ - position_));
  std::memcpy(out, data_ + position_, n);
  position_ += n;
  return n;
}

}  // namespace sound
