// A 16-bit PCM WAV file written as the samples come; the header's sizes are filled in at close.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace audio {

class WavWriter {
 public:
  WavWriter() = default;
  ~WavWriter();
  WavWriter(const WavWriter&) = delete;
  WavWriter& operator=(const WavWriter&) = delete;

  // Creates the file (replacing one that exists). False when it cannot be created.
  bool open(const std::string& path, uint32_t samplesPerSec, uint16_t channels);
  // Appends interleaved samples; whatever would pass the format's 4 GiB limit is dropped.
  void write(const int16_t* samples, size_t sampleCount);
  // Writes the sizes into the header and closes the file.
  void close();
  bool isOpen() const { return file_ != nullptr; }

 private:
  std::FILE* file_ = nullptr;
  uint32_t dataBytes_ = 0;
};

}  // namespace audio
