// A 16-bit PCM WAV file written as the samples come.
#include "audio/WavWriter.h"

#include <vector>

namespace audio {

namespace {

constexpr uint32_t HeaderBytes = 44;
constexpr uint32_t MaxDataBytes = 0xFFFFFFFFu - HeaderBytes;

void put16(uint8_t* p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}

void put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

}  // namespace

WavWriter::~WavWriter() { close(); }

bool WavWriter::open(const std::string& path, uint32_t samplesPerSec, uint16_t channels) {
  close();
  file_ = std::fopen(path.c_str(), "wb");
  if (!file_) return false;
  dataBytes_ = 0;
  uint8_t h[HeaderBytes] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' '};
  put32(h + 16, 16);
  put16(h + 20, 1);
  put16(h + 22, channels);
  put32(h + 24, samplesPerSec);
  put32(h + 28, samplesPerSec * channels * 2);
  put16(h + 32, uint16_t(channels * 2));
  put16(h + 34, 16);
  h[36] = 'd', h[37] = 'a', h[38] = 't', h[39] = 'a';
  put32(h + 4, HeaderBytes - 8);
  if (std::fwrite(h, 1, HeaderBytes, file_) != HeaderBytes) {
    std::fclose(file_);
    file_ = nullptr;
    return false;
  }
  return true;
}

void WavWriter::write(const int16_t* samples, size_t sampleCount) {
  if (!file_) return;
  const size_t room = (MaxDataBytes - dataBytes_) / 2;
  if (sampleCount > room) sampleCount = room;
  std::vector<uint8_t> bytes(sampleCount * 2);
  for (size_t i = 0; i < sampleCount; ++i) put16(&bytes[2 * i], uint16_t(samples[i]));
  const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file_);
  dataBytes_ += uint32_t(written);
}

void WavWriter::close() {
  if (!file_) return;
  uint8_t size[4];
  put32(size, dataBytes_ + HeaderBytes - 8);
  std::fseek(file_, 4, SEEK_SET);
  std::fwrite(size, 1, 4, file_);
  put32(size, dataBytes_);
  std::fseek(file_, 40, SEEK_SET);
  std::fwrite(size, 1, 4, file_);
  std::fclose(file_);
  file_ = nullptr;
}

}  // namespace audio
