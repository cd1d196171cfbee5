// The sound output contract: secondary buffers in their file's own PCM format, mixed to 44100 Hz
// stereo by a software mixer and played on the sound card (SDL2) or on a clock-driven null device.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {
class Platform;
class Clock;
}  // namespace platform

namespace audio {

// WAVEFORMATEX as the WAV files and the buffers use it (little-endian on disk).
struct WaveFormat {
  uint16_t formatTag = 1;  // 1 = PCM; nothing else is accepted
  uint16_t channels = 0;
  uint32_t samplesPerSec = 0;
  uint32_t avgBytesPerSec = 0;  // samplesPerSec * blockAlign
  uint16_t blockAlign = 0;      // channels * bitsPerSample / 8
  uint16_t bitsPerSample = 0;   // 8 (unsigned) or 16 (signed)
  uint16_t cbSize = 0;

  // A consistent 16-bit PCM format.
  static WaveFormat pcm16(uint16_t channels, uint32_t samplesPerSec);
};

constexpr uint16_t FormatPcm = 1;
constexpr uint32_t MinSampleRate = 100;     // DSBFREQUENCY_MIN
constexpr uint32_t MaxSampleRate = 200000;  // DSBFREQUENCY_MAX
constexpr uint16_t MaxChannels = 8;
constexpr uint32_t MaxBufferBytes = 0x0FFFFFFF;  // DSBSIZE_MAX
constexpr uint32_t OutputRate = 44100;           // the mix: 44100 Hz, stereo, 16-bit
constexpr uint32_t OutputChannels = 2;

// Volume in hundredths of a decibel: 0 is full, -10000 is silence; gain = 10^(volume / 2000).
constexpr int32_t VolumeMax = 0;
constexpr int32_t VolumeMin = -10000;
float gainOfVolume(int32_t hundredthsOfDb);

// Play flags and status bits (DirectSound values).
constexpr uint32_t PlayLooping = 0x1;
constexpr uint32_t StatusPlaying = 0x1;
constexpr uint32_t StatusBufferLost = 0x2;
constexpr uint32_t StatusLooping = 0x4;
// Lock flags.
constexpr uint32_t LockFromWriteCursor = 0x1;
constexpr uint32_t LockEntireBuffer = 0x2;

// One secondary buffer. Its bytes are the PCM frames of its format; a new buffer is silent
// (zeroed for 16-bit, 0x80 for 8-bit), stopped at position 0, at full volume. Every operation
// is safe from any thread; a buffer is destroyed by its owner (Release).
class Buffer {
 public:
  virtual ~Buffer() = default;

  // Starts playing from the current position; a playing buffer keeps playing and takes the new
  // flags. Without PlayLooping it stops by itself at its end (and rewinds to 0).
  virtual bool play(uint32_t flags) = 0;
  // Halts and keeps the position.
  virtual bool stop() = 0;
  // StatusPlaying, plus StatusLooping while it plays looping.
  virtual uint32_t status() = 0;
  // Byte offsets: play is the next byte the mixer reads, write the first byte safe to write.
  virtual bool currentPosition(uint32_t* playBytes, uint32_t* writeBytes) = 0;
  // Moves the play position (rounded down to a whole frame).
  virtual bool setCurrentPosition(uint32_t playBytes) = 0;
  // Hands out [offset, offset + bytes); past the end it wraps: region 1 is [offset, size) and
  // region 2 is [0, bytes - (size - offset)), else region 2 is null with length 0. The regions
  // hold the buffer's current bytes; what is written there reaches the buffer at unlock. One
  // lock at a time per buffer.
  virtual bool lock(uint32_t offset, uint32_t bytes, void** region1, uint32_t* bytes1, void** region2, uint32_t* bytes2,
                    uint32_t flags) = 0;
  // Commits the first bytes1 / bytes2 bytes of the two regions of the last lock.
  virtual bool unlock(void* region1, uint32_t bytes1, void* region2, uint32_t bytes2) = 0;
  // Hundredths of a decibel in [VolumeMin, VolumeMax]; other values are refused.
  virtual bool setVolume(int32_t hundredthsOfDb) = 0;
  virtual int32_t volume() = 0;

  virtual const WaveFormat& format() const = 0;
  virtual uint32_t sizeBytes() const = 0;
};

// Paces a streaming thread by the time the device has played. On the sound card it sleeps in
// real time; on the null device it blocks until the mix has advanced, and the mix waits for every
// paced thread to go back to sleep before it renders past the thread's wake time, so a headless
// run streams exactly the same way however fast it goes.
class Pacer {
 public:
  virtual ~Pacer() = default;
  // Sleep(ms). Returns early (within about a millisecond) once keepRunning reads false.
  virtual void sleepMs(uint32_t ms, const std::atomic<bool>& keepRunning) = 0;
};

class Device {
 public:
  virtual ~Device() = default;

  // A new buffer, or nullptr when the format or size is refused (why, when asked). Accepted:
  // PCM, 8 or 16 bits, 1..MaxChannels channels, MinSampleRate..MaxSampleRate, blockAlign and
  // avgBytesPerSec consistent, 1..MaxBufferBytes bytes. A trailing partial frame is not played.
  virtual std::unique_ptr<Buffer> createBuffer(const WaveFormat& format, uint32_t sizeBytes,
                                               std::string* whyNot = nullptr) = 0;

  // A pacer for one streaming thread; create it on the thread that starts the streaming thread,
  // before starting it, and destroy it on the streaming thread when that thread ends.
  virtual std::unique_ptr<Pacer> createPacer() = 0;

  // Lets the output catch up with the clock. The sound card mixes on its own and ignores this;
  // the null device renders the mix for the time its clock has advanced since the last call.
  // Called from the main thread only.
  virtual void update() = 0;

  // Writes the mix from now on into a WAV file (44100 Hz, stereo, 16-bit), finished when the
  // device is destroyed. Only the null device can; false when the file cannot be created.
  virtual bool captureTo(const std::string& wavPath) = 0;
};

// The device for the platform: the sound card on the desktop (the null device on the
// platform's clock when no sound card opens), the null device on the headless platform.
std::unique_ptr<Device> createDevice(platform::Platform& platform);
// The null device: play cursors advance with the clock (which must outlive the device).
std::unique_ptr<Device> createNullDevice(platform::Clock& clock);

}  // namespace audio
