// The software mixer: buffers with their live data, linear-interpolation resampling to 44100 Hz
// and a saturating stereo mix.
//
// Positions are 32.32 fixed-point frames, so a buffer at the output rate steps by exactly one
// frame and plays its samples bit for bit; other rates interpolate linearly between a frame and
// the next one (the first frame again when looping, silence past the end otherwise). Samples are
// summed as floats in 16-bit units and rounded and clamped once per output sample.
#include "audio/Mixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/ByteReader.h"

namespace audio {

namespace {

template <int Bits>
inline float sampleAt(const uint8_t* p) {
  if constexpr (Bits == 16) {
    return float(int16_t(platform::readLe16(p)));
  } else {
    return float((int(p[0]) - 128) * 256);
  }
}

// Layout 1: mono to both sides; 2: stereo; 0: more channels, of which the first two are left
// and right (the WAV channel order).
template <int Bits, int Layout>
inline void frameAt(const uint8_t* p, float& left, float& right) {
  left = sampleAt<Bits>(p);
  if constexpr (Layout == 1) {
    right = left;
  } else {
    right = sampleAt<Bits>(p + Bits / 8);
  }
}

struct Voice {
  const uint8_t* data;
  uint32_t frameCount;
  uint32_t blockAlign;
  uint64_t step;
  float gain;
  bool looping;
};

// Mixes up to `frames` output frames; returns false when a one-shot buffer reached its end.
template <int Bits, int Layout>
bool mixVoice(const Voice& v, uint64_t& position, float* acc, uint32_t frames) {
  const uint64_t end = uint64_t(v.frameCount) << 32;
  for (uint32_t n = 0; n < frames; ++n) {
    const uint32_t i = uint32_t(position >> 32);
    const float fraction = float(uint32_t(position)) * (1.0f / 4294967296.0f);
    const uint8_t* a = v.data + size_t(i) * v.blockAlign;
    float l0, r0, l1 = 0.0f, r1 = 0.0f;
    frameAt<Bits, Layout>(a, l0, r0);
    if (i + 1 < v.frameCount) {
      frameAt<Bits, Layout>(a + v.blockAlign, l1, r1);
    } else if (v.looping) {
      frameAt<Bits, Layout>(v.data, l1, r1);
    }
    acc[2 * n] += (l0 + (l1 - l0) * fraction) * v.gain;
    acc[2 * n + 1] += (r0 + (r1 - r0) * fraction) * v.gain;
    position += v.step;
    if (position >= end) {
      if (!v.looping) {
        position = 0;
        return false;
      }
      position %= end;
    }
  }
  return true;
}

template <int Bits>
bool mixVoiceBits(const Voice& v, uint16_t channels, uint64_t& position, float* acc, uint32_t frames) {
  if (channels == 1) return mixVoice<Bits, 1>(v, position, acc, frames);
  if (channels == 2) return mixVoice<Bits, 2>(v, position, acc, frames);
  return mixVoice<Bits, 0>(v, position, acc, frames);
}

}  // namespace

WaveFormat WaveFormat::pcm16(uint16_t channels, uint32_t samplesPerSec) {
  WaveFormat f;
  f.formatTag = FormatPcm;
  f.channels = channels;
  f.samplesPerSec = samplesPerSec;
  f.bitsPerSample = 16;
  f.blockAlign = uint16_t(channels * 2);
  f.avgBytesPerSec = samplesPerSec * f.blockAlign;
  return f;
}

float gainOfVolume(int32_t hundredthsOfDb) {
  if (hundredthsOfDb <= VolumeMin) return 0.0f;
  if (hundredthsOfDb >= VolumeMax) return 1.0f;
  return float(std::pow(10.0, double(hundredthsOfDb) / 2000.0));
}

std::string checkBufferFormat(const WaveFormat& f, uint32_t sizeBytes) {
  if (f.formatTag != FormatPcm) return "not PCM (format tag " + std::to_string(f.formatTag) + ")";
  if (f.bitsPerSample != 8 && f.bitsPerSample != 16) {
    return "unsupported sample size " + std::to_string(f.bitsPerSample) + " bits";
  }
  if (f.channels < 1 || f.channels > MaxChannels) { return "unsupported channel count " + std::to_string(f.channels); }
  if (f.samplesPerSec < MinSampleRate || f.samplesPerSec > MaxSampleRate) {
    return "unsupported sample rate " + std::to_string(f.samplesPerSec);
  }
  if (f.blockAlign != f.channels * f.bitsPerSample / 8) return "inconsistent block align";
  if (f.avgBytesPerSec != f.samplesPerSec * f.blockAlign) return "inconsistent bytes per second";
  if (sizeBytes < 1 || sizeBytes > MaxBufferBytes) return "unsupported size " + std::to_string(sizeBytes);
  return {};
}

// ---- Buffers -------------------------------------------------------------------------------

class MixerBuffer final : public Buffer {
 public:
  MixerBuffer(Mixer& mixer, const WaveFormat& format, uint32_t sizeBytes)
      : mixer_(mixer),
        format_(format),
        sizeBytes_(sizeBytes),
        frameCount_(sizeBytes / format.blockAlign),
        data_(sizeBytes, format.bitsPerSample == 8 ? 0x80 : 0x00),
        step_((uint64_t(format.samplesPerSec) << 32) / OutputRate) {
    std::lock_guard<std::mutex> guard(mixer_.mutex_);
    mixer_.buffers_.push_back(this);
  }

  ~MixerBuffer() override {
    std::lock_guard<std::mutex> guard(mixer_.mutex_);
    auto& list = mixer_.buffers_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }

  bool play(uint32_t flags) override {
    std::lock_guard<std::mutex> guard(mixer_.mutex_);
    looping_ = (flags & PlayLooping) != 0;
    playing_ = frameCount_ > 0;
    return true;
  }

  bool stop() override {
    std::lock_guard<std::mutex> guard(mixer_.mutex_);
    playing_ = false;
    return true;
  }

  uint32_t status() override {
    std::lock_guard<std::mutex> guard(mixer_.mutex_);
    if (!playing_) return 0;
    return StatusPlaying | (looping_ ? StatusLooping : 0);
  }

  bool currentPosition(uint32_t* playBytes, uint32_t* writeBytes) override {
    std::lock_guard<std::mutex> guard(mixer_.mutex_);
    if (playBytes) *playBytes = uint32_t(position_ >> 32) * format_.blockAlign;
    if (writeBytes) *writeBytes = writeFrame() * format_.blockAlign;
    return true;
  }

  bool setCurrentPosition(uint32_t playBytes) override {
    std::lock_guard<std::mutex> guard(mixer_.mutex_);
    const uint32_t frame = playBytes / format_.blockAlign;
    if (frame >= frameCount_ && frame != 0) return false;
    position_ = uint64_t(frame) << 32;
    return true;
  }

  bool lock(uint32_t offset, uint32_t bytes, void** region1, uint32_t* bytes1, void** region2, uint32_t* bytes2,
            uint32_t flags) override {
    if (!region1 || !bytes1) return false;
    std::lock_guard<std::mutex> guard(mixer_.mutex_);
    if (locked_) return false;
    if (flags & LockFromWriteCursor) offset = writeFrame() * format_.blockAlign;
    if (flags & LockEntireBuffer) bytes = sizeBytes_;
    if (offset >= sizeBytes_ || bytes == 0 || bytes > sizeBytes_) return false;
    uint32_t first = bytes, second = 0;
    if (offset + uint64_t(bytes) > sizeBytes_) {
      first = sizeBytes_ - offset;
      second = bytes - first;
    }
    if (second > 0 && (!region2 || !bytes2)) return false;
    staging_.resize(bytes);
    std::memcpy(staging_.data(), data_.data() + offset, first);
    if (second) std::memcpy(staging_.data() + first, data_.data(), second);
    locked_ = true;
    lockOffset_ = offset;
    lockBytes1_ = first;
    lockBytes2_ = second;
    *region1 = staging_.data();
    *bytes1 = first;
    if (region2) *region2 = second ? staging_.data() + first : nullptr;
    if (bytes2) *bytes2 = second;
    return true;
  }

  bool unlock(void* region1, uint32_t bytes1, void* region2, uint32_t bytes2) override {
    std::lock_guard<std::mutex> guard(mixer_.mutex_);
    if (!locked_ || region1 != staging_.data()) return false;
    if (bytes2 > 0 && region2 != staging_.data() + lockBytes1_) return false;
    locked_ = false;
    std::memcpy(data_.data() + lockOffset_, staging_.data(), std::min(bytes1, lockBytes1_));
    if (lockBytes2_ > 0) { std::memcpy(data_.data(), staging_.data() + lockBytes1_, std::min(bytes2, lockBytes2_)); }
    return true;
  }

  bool setVolume(int32_t hundredthsOfDb) override {
    if (hundredthsOfDb < VolumeMin || hundredthsOfDb > VolumeMax) return false;
    std::lock_guard<std::mutex> guard(mixer_.mutex_);
    volume_ = hundredthsOfDb;
    gain_ = gainOfVolume(hundredthsOfDb);
    return true;
  }

  int32_t volume() override {
    std::lock_guard<std::mutex> guard(mixer_.mutex_);
    return volume_;
  }

  const WaveFormat& format() const override { return format_; }
  uint32_t sizeBytes() const override { return sizeBytes_; }

  // With the mixer's mutex held.
  void mixInto(float* acc, uint32_t frames) {
    if (!playing_) return;
    const Voice v{data_.data(), frameCount_, format_.blockAlign, step_, gain_, looping_};
    const bool stillPlaying = format_.bitsPerSample == 16
                                  ? mixVoiceBits<16>(v, format_.channels, position_, acc, frames)
                                  : mixVoiceBits<8>(v, format_.channels, position_, acc, frames);
    if (!stillPlaying) playing_ = false;
  }

 private:
  // The write cursor in frames: one output period of the sound card ahead while playing.
  uint32_t writeFrame() const {
    const uint32_t frame = uint32_t(position_ >> 32);
    if (!playing_ || frameCount_ == 0) return frame;
    const uint64_t lead = uint64_t(mixer_.writeLeadFrames_) * format_.samplesPerSec / OutputRate;
    return uint32_t((frame + lead) % frameCount_);
  }

  Mixer& mixer_;
  const WaveFormat format_;
  const uint32_t sizeBytes_;
  const uint32_t frameCount_;  // whole frames; a trailing partial frame is never played
  std::vector<uint8_t> data_;
  const uint64_t step_;  // 32.32 buffer frames per output frame
  uint64_t position_ = 0;
  bool playing_ = false;
  bool looping_ = false;
  int32_t volume_ = VolumeMax;
  float gain_ = 1.0f;

  std::vector<uint8_t> staging_;
  bool locked_ = false;
  uint32_t lockOffset_ = 0, lockBytes1_ = 0, lockBytes2_ = 0;
};

// ---- Mixer -------------------------------------------------------------------------------------

Mixer::~Mixer() = default;

std::unique_ptr<Buffer> Mixer::createBuffer(const WaveFormat& format, uint32_t sizeBytes, std::string* whyNot) {
  std::string why = checkBufferFormat(format, sizeBytes);
  if (!why.empty()) {
    if (whyNot) *whyNot = std::move(why);
    return nullptr;
  }
  return std::make_unique<MixerBuffer>(*this, format, sizeBytes);
}

void Mixer::render(int16_t* out, uint32_t frames) {
  std::lock_guard<std::mutex> guard(mutex_);
  accumulator_.assign(size_t(frames) * 2, 0.0f);
  for (MixerBuffer* buffer : buffers_) buffer->mixInto(accumulator_.data(), frames);
  for (size_t i = 0; i < size_t(frames) * 2; ++i) {
    const long s = std::lrint(accumulator_[i]);
    out[i] = int16_t(std::clamp<long>(s, -32768, 32767));
  }
}

void Mixer::setWriteLeadFrames(uint32_t frames) {
  std::lock_guard<std::mutex> guard(mutex_);
  writeLeadFrames_ = frames;
}

size_t Mixer::bufferCount() {
  std::lock_guard<std::mutex> guard(mutex_);
  return buffers_.size();
}

}  // namespace audio
