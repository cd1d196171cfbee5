// The sound player: BGM streaming with its refill threads, fades, effects and voices.
//
// BGM is never decoded whole. A slot's buffer holds one second of sound and loops; its refill
// thread polls the play cursor every 16 ms and refills the half that is not playing, and the
// decoder seeks back to the start when it runs out, so the music loops without a gap. The main
// thread touches a slot's decoder only after it has ended that slot's thread (EndStream); the
// `streaming` flags are the only thing the two threads share besides the buffer.
#include "sound/C_SoundPlayer.h"

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <system_error>

#include "archive/ArchiveSet.h"
#include "engine/Engine.h"
#include "platform/ByteReader.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"
#include "platform/System.h"
#include "sound/MmioReader.h"

namespace sound {

namespace {

std::atomic<int32_t> g_instances{0};

}  // namespace

// ---- Memory callbacks: the decoders read the player's file copies --------------------------

size_t ReadMemoryFile(MemoryFile& file, void* out, size_t size, size_t count) {
  if (size == 0 || file.position >= file.bytes.size()) return 0;
  const size_t whole = std::min(count, (file.bytes.size() - file.position) / size);
  if (whole == 0) return 0;
  std::memcpy(out, file.bytes.data() + file.position, whole * size);
  file.position += whole * size;
  return whole;
}

int SeekMemoryFile(MemoryFile& file, int64_t offset, int whence) {
  const int64_t size = int64_t(file.bytes.size());
  int64_t base;
  switch (whence) {
    case SEEK_SET: base = 0; break;
    case SEEK_CUR: base = int64_t(file.position); break;
    case SEEK_END: base = size; break;
    default: return -1;
  }
  if (offset < -base) {
    file.position = 0;
    return -1;
  }
  if (offset > size - base) {
    file.position = size_t(size);
    return -1;
  }
  file.position = size_t(base + offset);
  return 0;
}

namespace {

// Music and effects alike hand the decoder their own copy as its data source.
size_t MemoryRead(void* out, size_t size, size_t count, void* source) {
  return ReadMemoryFile(*static_cast<MemoryFile*>(source), out, size, count);
}
int MemorySeek(void* source, ogg_int64_t offset, int whence) {
  return SeekMemoryFile(*static_cast<MemoryFile*>(source), offset, whence);
}
int MemoryClose(void*) { return 0; }
long MemoryTell(void* source) { return long(static_cast<MemoryFile*>(source)->position); }

const ov_callbacks kMemoryCallbacks = {MemoryRead, MemorySeek, MemoryClose, MemoryTell};

// The buffer format of a decoder's stream: 16-bit PCM in its channel count and rate.
audio::WaveFormat DecodedFormat(OggVorbis_File* decoder) {
  vorbis_info* info = ov_info(decoder, -1);
  if (!info || info->channels <= 0 || info->channels > 0xFFFF || info->rate <= 0) return {};
  return audio::WaveFormat::pcm16(uint16_t(info->channels), uint32_t(info->rate));
}

bool EndsWith(const std::string& s, const char* suffix) {
  const size_t n = std::strlen(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

}  // namespace

void DecoderCloser::operator()(OggVorbis_File* decoder) const {
  ov_clear(decoder);
  delete decoder;
}

// ---- Construction and destruction ---------------------------------------------------------

C_SoundPlayer::C_SoundPlayer() {
  if (g_instances.fetch_add(1) > 0) {
    platform::messageBox(CP932("サウンドプレイヤークラスは一つだけ"), "ERROR", platform::mb::Ok);
    std::abort();
  }
  for (int32_t slot = 0; slot < BgmSlotCount; ++slot) {
    bgmFileData[slot].player = this;
    bgmFileData[slot].slot = slot;
  }
  for (int32_t i = 0; i < SeBufferMax; ++i) {
    seOggData[i].player = this;
    seOggData[i].slot = i;
  }
}

C_SoundPlayer::~C_SoundPlayer() {
  for (int32_t slot = 0; slot < BgmSlotCount; ++slot) {
    EndStream(slot);
    bgmDecoders[slot].reset();
    bgmFileData[slot].bytes = {};
    bgmFileData[slot].position = 0;
    bgmBuffers[slot].reset();
  }
  for (int32_t i = 0; i < SeBufferMax; ++i) {
    seBuffers[i].reset();
    ReleaseSeOgg(i);
  }
  // The device belongs to the entry point, which destroys it after the player.
  device = nullptr;
  g_instances.fetch_sub(1);
}

void C_SoundPlayer::init() { device = engine::context().audioDevice; }

int32_t C_SoundPlayer::updateIdle() {
  Update();
  return 0;
}

// ---- Volume and fades ----------------------------------------------------------------------

int32_t C_SoundPlayer::VolumeOfPercent(int32_t percent) {
  if (percent <= 0) return audio::VolumeMin;
  return int32_t(2000.0 * std::log10(double(std::min(percent, 100)) / 100.0));
}

int32_t C_SoundPlayer::AppliedPercent(int32_t a, int32_t b) {
  // Script volumes are any 32-bit number: the product is taken in 64 bits and kept in range.
  const int64_t applied = int64_t(a) * b / 100;
  return int32_t(std::clamp<int64_t>(applied, INT32_MIN, INT32_MAX));
}

void C_SoundPlayer::ApplyVolume(audio::Buffer* buffer, int32_t percent) {
  if (buffer) buffer->setVolume(VolumeOfPercent(percent));
}

int32_t C_SoundPlayer::StepFade(VolumeFade& fade) {
  const uint32_t now = engine::context().frameNow;
  if (!fade.active) return -1;
  if (!fade.started) {
    fade.start = now;
    fade.started = true;
  }
  if (now < fade.start + uint32_t(fade.duration)) {
    // Signed arithmetic: a fade down must not wrap.
    fade.current =
        fade.duration == 0
            ? 0
            : int32_t(fade.from + (int64_t(fade.to) - fade.from) * int64_t(now - fade.start) / fade.duration);
    return 0;
  }
  fade.current = fade.to;
  fade.active = false;
  return 1;
}

void C_SoundPlayer::StartFade(VolumeFade& fade, int32_t to, int32_t duration) {
  fade.from = fade.current;
  fade.to = to;
  fade.duration = duration;
  fade.active = true;
  fade.started = false;
}

void C_SoundPlayer::SetBgmSlotVolume(int32_t slot, int32_t volume) {
  VolumeFade& fade = bgmFades[slot];
  fade.current = volume;
  fade.applied = AppliedPercent(fade.master, volume);
  ApplyVolume(bgmBuffers[slot].get(), fade.applied);
}

void C_SoundPlayer::Update() {
  if (device) device->update();
  for (int32_t slot = 0; slot < BgmSlotCount; ++slot) {
    if (!bgmBuffers[slot]) continue;
    const int32_t r = StepFade(bgmFades[slot]);
    if (r >= 0) SetBgmSlotVolume(slot, bgmFades[slot].current);
    if (r == 1 && bgmFades[slot].current <= 0) {
      bgmBuffers[slot]->stop();
      EndStream(slot);
    }
  }
  for (int32_t i = 0; i < SeBufferMax; ++i) {
    if (!seBuffers[i]) continue;
    VolumeFade& fade = seFades[i];
    const int32_t r = StepFade(fade);
    if (r >= 0) {
      fade.applied = AppliedPercent(fade.current, fade.master);
      ApplyVolume(seBuffers[i].get(), std::min(fade.applied, 100));
    }
    if (r == 1 && fade.current <= 0) seBuffers[i]->stop();
  }
}

// ---- BGM streaming ---------------------------------------------------------------------------

bool C_SoundPlayer::LoadFileToMemory(const std::string& name, std::vector<uint8_t>& out) {
  out.clear();
  return archive::archiveSet().LoadGameFile(name, out);
}

void C_SoundPlayer::ReleaseCurrentBgm(int32_t slot) {
  EndStream(slot);
  bgmBuffers[slot].reset();
  bgmFileData[slot].bytes = {};
  bgmFileData[slot].position = 0;
}

bool C_SoundPlayer::OpenBgmStream(const std::string& file, int32_t slot) {
  // The players open streams only in the current slot.
  ReleaseCurrentBgm(slot);
  MemoryFile& copy = bgmFileData[slot];
  if (!LoadFileToMemory(file, copy.bytes)) {
    platform::warningOutput("music cannot be loaded: " + file);
    return false;
  }
  copy.position = 0;
  auto* decoder = new OggVorbis_File{};
  if (ov_open_callbacks(&copy, decoder, nullptr, 0, kMemoryCallbacks) < 0) {
    platform::warningOutput("music cannot be loaded: " + file);
    delete decoder;
    copy.bytes = {};
    return false;
  }
  bgmDecoders[slot].reset(decoder);
  return true;
}

void C_SoundPlayer::PrepareBgm(const std::string& file, int32_t slot) {
  // The slot's refill thread may still be decoding (music playing or fading out in this slot):
  // it ends before its decoder goes away.
  if (bgmBuffers[slot] && streaming[slot]) bgmBuffers[slot]->stop();
  EndStream(slot);
  bgmDecoders[slot].reset();
  bgmBuffers[slot].reset();
  if (!OpenBgmStream(file, slot)) return;
  OggVorbis_File* decoder = bgmDecoders[slot].get();
  const audio::WaveFormat format = DecodedFormat(decoder);
  bgmStreamSize[slot] = format.avgBytesPerSec;
  if (!device) return;
  bgmBuffers[slot] = device->createBuffer(format, bgmStreamSize[slot]);
  audio::Buffer* buffer = bgmBuffers[slot].get();
  if (!buffer) return;
  void* region = nullptr;
  uint32_t bytes = 0;
  if (buffer->lock(0, bgmStreamSize[slot], &region, &bytes, nullptr, nullptr, 0)) {
    FillFromDecoder(decoder, static_cast<uint8_t*>(region), bytes, true);
    buffer->unlock(region, bytes, nullptr, 0);
  }
}

void C_SoundPlayer::FillFromDecoder(OggVorbis_File* decoder, uint8_t* region, uint32_t bytes, bool loop) {
  std::memset(region, 0, bytes);
  uint32_t filled = 0;
  bool justRewound = false;
  int bitstream = 0;
  while (filled < bytes) {
    const int want = int(std::min(DecodeBlockBytes, bytes - filled));
    const long got = ov_read(decoder, reinterpret_cast<char*>(region + filled), want, 0, 2, 1, &bitstream);
    if (got > 0) {
      filled += uint32_t(got);
      justRewound = false;
      continue;
    }
    if (got < 0 || !loop) break;
    // End of the stream: start again. A stream that ends right after a rewind has no samples
    // at all and would loop forever.
    if (justRewound || ov_time_seek(decoder, 0.0) != 0) break;
    justRewound = true;
  }
}

void C_SoundPlayer::StartBgm(int32_t slot) {
  if (streaming[slot]) bgmBuffers[slot]->stop();
  // Also joins a thread that has ended by itself.
  EndStream(slot);
  bgmBuffers[slot]->play(audio::PlayLooping);
  streaming[slot] = true;
  try {
    streamThreads[slot] = std::thread(&C_SoundPlayer::RefillThread, this, slot, device->createPacer());
  } catch (const std::system_error&) { streaming[slot] = false; }
}

void C_SoundPlayer::RefillThread(int32_t slot, std::unique_ptr<audio::Pacer> pacer) {
  // Halves stay whole frames, so that an odd sample rate does not split a frame between them.
  const uint32_t blockAlign = bgmBuffers[slot] ? bgmBuffers[slot]->format().blockAlign : 1;
  const uint32_t half = bgmStreamSize[slot] / 2 / blockAlign * blockAlign;
  int state = 0;
  while (streaming[slot]) {
    pacer->sleepMs(RefillPollMs, streaming[slot]);
    audio::Buffer* buffer = bgmBuffers[slot].get();
    if (!buffer) break;
    uint32_t play = 0, write = 0;
    buffer->currentPosition(&play, &write);
    void* region1 = nullptr;
    void* region2 = nullptr;
    uint32_t bytes1 = 0, bytes2 = 0;
    if (state == 0 && play >= half) {
      if (buffer->lock(0, half, &region1, &bytes1, &region2, &bytes2, 0)) {
        FillFromDecoder(bgmDecoders[slot].get(), static_cast<uint8_t*>(region1), bytes1, true);
        buffer->unlock(region1, bytes1, region2, 0);
      }
      state = 1;
    } else if (state == 1 && play < half) {
      if (buffer->lock(half, bgmStreamSize[slot], &region1, &bytes1, &region2, &bytes2, 0)) {
        FillFromDecoder(bgmDecoders[slot].get(), static_cast<uint8_t*>(region1), bytes1, true);
        buffer->unlock(region1, bytes1, region2, 0);
      }
      state = 0;
    }
  }
  streaming[slot] = false;
}

void C_SoundPlayer::EndStream(int32_t slot) {
  streaming[slot] = false;
  if (streamThreads[slot].joinable()) streamThreads[slot].join();
  streamThreads[slot] = std::thread();
}

void C_SoundPlayer::PlayBGM(const std::string& file, int32_t time) {
  const int32_t slot = currentBgmSlot;
  PrepareBgm(file, slot);
  if (bgmBuffers[slot]) StartBgm(slot);
  if (time > 0) {
    SetBgmSlotVolume(slot, 0);
    StartFade(bgmFades[slot], 100, time);
  } else {
    // A fade-out still running for the music this replaces would stop the new music.
    bgmFades[slot].active = false;
  }
}

void C_SoundPlayer::StopBGM(int32_t time) {
  const int32_t slot = currentBgmSlot;
  if (time > 0) {
    StartFade(bgmFades[slot], 0, time);
  } else if (bgmBuffers[slot]) {
    bgmBuffers[slot]->stop();
    EndStream(slot);
  }
}

void C_SoundPlayer::SetBGMVolume(int32_t volume) { SetBgmSlotVolume(currentBgmSlot, volume); }

void C_SoundPlayer::CrossFadeBGM(const std::string& file, int32_t time, int32_t volume) {
  const int32_t old = currentBgmSlot;
  currentBgmSlot = old ^ 1;
  const int32_t slot = currentBgmSlot;
  if (time > 0) {
    StartFade(bgmFades[old], 0, time);
  } else if (bgmBuffers[old]) {
    bgmBuffers[old]->stop();
    EndStream(old);
  }
  PrepareBgm(file, slot);
  if (bgmBuffers[slot]) StartBgm(slot);
  if (time > 0) {
    SetBgmSlotVolume(slot, 0);
    StartFade(bgmFades[slot], volume, time);
  } else {
    bgmFades[slot].active = false;
  }
}

// ---- Effects and voices ------------------------------------------------------------------------

void C_SoundPlayer::ReleaseSeOgg(int32_t index) {
  if (!ValidSeIndex(index)) return;
  seOggData[index].bytes = {};
  seOggData[index].position = 0;
}

bool C_SoundPlayer::OpenSeOgg(const std::string& file, int32_t index, OggVorbis_File* decoder) {
  MemoryFile& copy = seOggData[index];
  if (!LoadFileToMemory(file, copy.bytes)) return false;
  copy.position = 0;
  if (ov_open_callbacks(&copy, decoder, nullptr, 0, kMemoryCallbacks) < 0) {
    ReleaseSeOgg(index);
    return false;
  }
  return true;
}

bool C_SoundPlayer::FillSeBuffer(int32_t index, const audio::WaveFormat& format, const uint8_t* pcm, uint32_t bytes) {
  seBuffers[index].reset();
  if (!device) return false;
  seBuffers[index] = device->createBuffer(format, bytes);
  audio::Buffer* buffer = seBuffers[index].get();
  if (!buffer) return false;
  void* region = nullptr;
  uint32_t regionBytes = 0;
  if (buffer->lock(0, bytes, &region, &regionBytes, nullptr, nullptr, 0)) {
    // An empty data chunk leaves nothing to copy, and maybe no samples to copy from.
    if (regionBytes > 0) std::memcpy(region, pcm, regionBytes);
    buffer->unlock(region, regionBytes, nullptr, 0);
  }
  return true;
}

bool C_SoundPlayer::LoadSeOgg(int32_t index, const std::string& file) {
  ReleaseSeOgg(index);
  Decoder decoder;
  {
    auto* opened = new OggVorbis_File{};
    if (!OpenSeOgg(file, index, opened)) {
      delete opened;
      return false;
    }
    decoder.reset(opened);
  }
  // Decoded whole; a block that would pass the cap ends the sound there.
  std::vector<uint8_t> pcm;
  char block[DecodeBlockBytes];
  int bitstream = 0;
  for (;;) {
    const long got = ov_read(decoder.get(), block, int(DecodeBlockBytes), 0, 2, 1, &bitstream);
    if (got <= 0) break;
    if (pcm.size() + size_t(got) > SePcmCapBytes) break;
    pcm.insert(pcm.end(), block, block + got);
  }
  const bool made = FillSeBuffer(index, DecodedFormat(decoder.get()), pcm.data(), uint32_t(pcm.size()));
  decoder.reset();
  return made;
}

bool C_SoundPlayer::LoadSeWave(int32_t index, const std::string& file) {
  std::vector<uint8_t> copy;
  if (!LoadFileToMemory(file, copy)) return false;
  MmioReader reader(copy.data(), copy.size());
  ChunkInfo riff;
  riff.fccType = MakeFourCC('W', 'A', 'V', 'E');
  if (!reader.descend(riff, nullptr, MmioReader::FindRiff)) return false;
  ChunkInfo fmt;
  fmt.ckid = MakeFourCC('f', 'm', 't', ' ');
  if (!reader.descend(fmt, &riff, MmioReader::FindChunk)) return false;
  // WAVEFORMATEX: at most its 18 bytes are taken; a shorter chunk leaves the rest zero.
  uint8_t raw[18] = {};
  const size_t want = std::min<size_t>(fmt.cksize, sizeof raw);
  if (reader.read(raw, want) != want) return false;
  audio::WaveFormat format;
  format.formatTag = platform::readLe16(raw);
  format.channels = platform::readLe16(raw + 2);
  format.samplesPerSec = platform::readLe32(raw + 4);
  format.avgBytesPerSec = platform::readLe32(raw + 8);
  format.blockAlign = platform::readLe16(raw + 12);
  format.bitsPerSample = platform::readLe16(raw + 14);
  format.cbSize = platform::readLe16(raw + 16);
  reader.ascend(fmt);
  ChunkInfo data;
  data.ckid = MakeFourCC('d', 'a', 't', 'a');
  if (!reader.descend(data, &riff, MmioReader::FindChunk)) return false;
  // A data chunk longer than the file is a short read: nothing is loaded.
  if (data.cksize > copy.size() - reader.position()) return false;
  std::vector<uint8_t> pcm(data.cksize);
  if (reader.read(pcm.data(), pcm.size()) != pcm.size()) return false;
  return FillSeBuffer(index, format, pcm.data(), data.cksize);
}

bool C_SoundPlayer::LoadSE(int32_t index, const std::string& file) {
  if (!ValidSeIndex(index)) return false;
  if (seBuffers[index]) seBuffers[index]->stop();
  bool loaded = false;
  if (EndsWith(file, ".wav") || EndsWith(file, ".WAV"))
    loaded = LoadSeWave(index, file);
  else if (EndsWith(file, ".ogg") || EndsWith(file, ".OGG"))
    loaded = LoadSeOgg(index, file);
  if (!loaded) platform::warningOutput("sound cannot be loaded: " + file);
  return loaded;
}

void C_SoundPlayer::PlaySE(int32_t index, const std::string& file) {
  if (!LoadSE(index, file)) return;
  seBuffers[index]->stop();
  seBuffers[index]->play(0);
}

void C_SoundPlayer::PlayVoice(int32_t index, const std::string& file) {
  if (!LoadSE(index, file)) return;
  seBuffers[index]->setVolume(audio::VolumeMax);
  seBuffers[index]->stop();
  seBuffers[index]->play(0);
}

void C_SoundPlayer::StopSE(int32_t index) {
  if (ValidSeIndex(index) && seBuffers[index]) seBuffers[index]->stop();
}

void C_SoundPlayer::StopAllSE() {
  for (int32_t i = 0; i < SeBufferMax; ++i) StopSE(i);
}

void C_SoundPlayer::SetSEVolume(int32_t index, int32_t volume) {
  if (ValidSeIndex(index)) ApplyVolume(seBuffers[index].get(), volume);
}

bool C_SoundPlayer::IsVoicePlaying() {
  if (voiceFirst < 0 || voiceEnd < voiceFirst) {
    platform::messageBox(CP932("音声バッファ番号を指定せずに音声バッファにアクセスしようとした"), "ERROR",
                         platform::mb::Ok);
    return false;
  }
  const int32_t end = std::min(voiceEnd, SeBufferMax);
  for (int32_t i = voiceFirst; i < end; ++i) {
    if (seBuffers[i] && (seBuffers[i]->status() & audio::StatusPlaying)) return true;
  }
  return false;
}

}  // namespace sound
