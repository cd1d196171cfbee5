// The sound player: background music streamed from Ogg Vorbis with fades and cross-fades between
// two slots, and twenty numbered buffers for sound effects and voices (WAV or Ogg Vorbis).
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "audio/Device.h"
#include "layer/C_BaseObject.h"

struct OggVorbis_File;

namespace sound {

class C_SoundPlayer;

// A volume ramp in percent over the frame clock; applied = master * current / 100.
struct VolumeFade {
  int32_t master = 100;
  int32_t current = 100;
  int32_t applied = 100;
  int32_t from = 0;
  int32_t to = 0;
  int32_t duration = 0;  // ms
  uint32_t start = 0;    // frame clock (ms) of the first step
  bool active = false;
  bool started = false;
};

// The in-memory copy of a file that a decoder reads through the memory callbacks.
struct MemoryFile {
  C_SoundPlayer* player = nullptr;
  int32_t slot = 0;  // BGM slot or SE index
  std::vector<uint8_t> bytes;
  size_t position = 0;
};

// The memory callbacks over a copy: a read copies whole elements only, as fread; a seek (SEEK_SET,
// SEEK_CUR, SEEK_END) outside the copy fails with -1 and leaves the position at the nearer end.
size_t ReadMemoryFile(MemoryFile& file, void* out, size_t size, size_t count);
int SeekMemoryFile(MemoryFile& file, int64_t offset, int whence);

// Frees a decoder (ov_clear) and its state.
struct DecoderCloser {
  void operator()(OggVorbis_File* decoder) const;
};
using Decoder = std::unique_ptr<OggVorbis_File, DecoderCloser>;

class C_SoundPlayer : public layer::C_BaseObject {
 public:
  static constexpr int32_t BgmSlotCount = 2;
  static constexpr int32_t SeBufferMax = 20;
  static constexpr uint32_t SePcmCapBytes = 8192000;  // about 46 s of 44.1 kHz stereo
  static constexpr uint32_t DecodeBlockBytes = 4096;
  static constexpr uint32_t RefillPollMs = 16;

  // A second sound player shows its message and aborts the program.
  C_SoundPlayer();
  ~C_SoundPlayer() override;

  // Takes the audio device of the engine context (none: every buffer stays absent).
  void init() override;
  // The per-frame update.
  int32_t updateIdle() override;
  // Releases the buffer and file copy of BGM slot `slot` (the current one, where streams
  // open), ending the slot's refill thread first so that it never reads a freed buffer.
  virtual void ReleaseCurrentBgm(int32_t slot);
  // Frees the file copy of effect index (an invalid index is ignored).
  virtual void ReleaseSeOgg(int32_t index);
  // Loads the file and opens the slot's decoder on the copy.
  virtual bool OpenBgmStream(const std::string& file, int32_t slot);
  // Loads the file into the index's copy and opens `decoder` on it.
  virtual bool OpenSeOgg(const std::string& file, int32_t index, OggVorbis_File* decoder);

  void Init() { init(); }
  // Pumps the audio device, then steps the BGM fades (stopping a slot faded to 0) and SE fades.
  void Update();

  void PlayBGM(const std::string& file, int32_t time);
  void StopBGM(int32_t time);
  void SetBGMVolume(int32_t volume);
  void CrossFadeBGM(const std::string& file, int32_t time, int32_t volume);
  void PlaySE(int32_t index, const std::string& file);
  void StopSE(int32_t index);
  void StopAllSE();
  void SetSEVolume(int32_t index, int32_t volume);
  void PlayVoice(int32_t index, const std::string& file);
  bool IsVoicePlaying();

  // Loads a WAV (".wav" / ".WAV") or Ogg (".ogg" / ".OGG") file into SE buffer `index`; false
  // when nothing new was loaded (the buffer then holds no sound, or its old one, stopped).
  bool LoadSE(int32_t index, const std::string& file);

  // percent > 0: 2000 * log10(min(percent, 100) / 100) hundredths of a decibel; else silence.
  static int32_t VolumeOfPercent(int32_t percent);
  static void ApplyVolume(audio::Buffer* buffer, int32_t percent);
  // -1 when not active, 0 while it runs, 1 at its end; reads the frame clock.
  static int32_t StepFade(VolumeFade& fade);
  static void StartFade(VolumeFade& fade, int32_t to, int32_t duration);
  // Zeroes the region and fills it from the decoder, from the start again at the end when
  // looping. Stops on a decode error, an unseekable stream or a stream without samples.
  static void FillFromDecoder(OggVorbis_File* decoder, uint8_t* region, uint32_t bytes, bool loop);

  // ---- Fields ----
  int32_t seBufferCount = SeBufferMax;
  int32_t voiceFirst = -1;
  int32_t voiceEnd = -1;
  std::array<std::unique_ptr<audio::Buffer>, BgmSlotCount> bgmBuffers;
  std::array<std::unique_ptr<audio::Buffer>, SeBufferMax> seBuffers;
  std::array<VolumeFade, BgmSlotCount> bgmFades;
  std::array<VolumeFade, SeBufferMax> seFades;
  std::array<Decoder, BgmSlotCount> bgmDecoders;
  std::array<uint32_t, BgmSlotCount> bgmStreamSize{};
  // Set before a slot's refill thread starts and cleared to end it; the thread polls it.
  std::array<std::atomic<bool>, BgmSlotCount> streaming{};
  std::array<std::thread, BgmSlotCount> streamThreads;
  std::array<MemoryFile, BgmSlotCount> bgmFileData;
  std::array<MemoryFile, SeBufferMax> seOggData;
  int32_t currentBgmSlot = 0;
  audio::Device* device = nullptr;

 private:
  void SetBgmSlotVolume(int32_t slot, int32_t volume);
  void PrepareBgm(const std::string& file, int32_t slot);
  void StartBgm(int32_t slot);
  void RefillThread(int32_t slot, std::unique_ptr<audio::Pacer> pacer);
  void EndStream(int32_t slot);
  bool LoadSeOgg(int32_t index, const std::string& file);
  bool LoadSeWave(int32_t index, const std::string& file);
  // Replaces SE buffer `index` with a buffer holding `pcm`; false when none could be made.
  bool FillSeBuffer(int32_t index, const audio::WaveFormat& format, const uint8_t* pcm, uint32_t bytes);
  static bool LoadFileToMemory(const std::string& name, std::vector<uint8_t>& out);
  static bool ValidSeIndex(int32_t index) { return index >= 0 && index < SeBufferMax; }
};

}  // namespace sound
