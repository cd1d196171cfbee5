// Sound costs: the mixer with two streaming BGM buffers and twenty playing effects (CPU time per
// second of 44100 Hz stereo output), the refill thread's Ogg Vorbis decode per second of music,
// and the whole player on the null device with its refill threads.
#include <benchmark/benchmark.h>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <atomic>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include <unistd.h>

#include "archive/ArchiveSet.h"
#include "audio/Mixer.h"
#include "engine/Engine.h"
#include "platform/Platform.h"
#include "sound/C_SoundPlayer.h"
#include "tests/support/OggFixture.h"

namespace {

std::vector<int16_t> tone(size_t frames, int channels, double step) {
  std::vector<int16_t> s(frames * size_t(channels));
  for (size_t i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) s[i * channels + c] = int16_t(6000 * std::sin(double(i) * step * (c + 1)));
  }
  return s;
}

std::unique_ptr<audio::Buffer> filled(audio::Mixer& mixer, const audio::WaveFormat& f, uint32_t bytes) {
  auto b = mixer.createBuffer(f, bytes, nullptr);
  void* p = nullptr;
  uint32_t n = 0;
  b->lock(0, bytes, &p, &n, nullptr, nullptr, 0);
  for (uint32_t i = 0; i < n; ++i) static_cast<uint8_t*>(p)[i] = uint8_t(i * 37);
  b->unlock(p, n, nullptr, 0);
  return b;
}

// Two one-second BGM buffers (one mid-fade) and twenty effects of mixed formats, all playing.
void BM_MixTwoBgmAndTwentyEffects(benchmark::State& state) {
  audio::Mixer mixer;
  std::vector<std::unique_ptr<audio::Buffer>> buffers;
  for (int i = 0; i < 2; ++i) {
    buffers.push_back(filled(mixer, audio::WaveFormat::pcm16(2, 44100), 44100 * 4));
    buffers.back()->play(audio::PlayLooping);
  }
  buffers[1]->setVolume(-602);
  const audio::WaveFormat effectFormats[] = {audio::WaveFormat::pcm16(1, 22050), audio::WaveFormat::pcm16(2, 44100),
                                             audio::WaveFormat::pcm16(1, 44100), audio::WaveFormat::pcm16(2, 48000),
                                             audio::WaveFormat{1, 1, 11025, 11025, 1, 8, 0}};
  for (int i = 0; i < 20; ++i) {
    const audio::WaveFormat& f = effectFormats[i % 5];
    buffers.push_back(filled(mixer, f, f.avgBytesPerSec * 3 / 2 / f.blockAlign * f.blockAlign));
    buffers.back()->play(audio::PlayLooping);
  }
  std::vector<int16_t> out(1024 * 2);
  for (auto _ : state) {
    // One second of output in the sound card's 1024-frame periods.
    for (uint32_t done = 0; done < 44100; done += 1024) {
      mixer.render(out.data(), std::min<uint32_t>(1024, 44100 - done));
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetLabel("one iteration = one second of audio");
}
BENCHMARK(BM_MixTwoBgmAndTwentyEffects)->Unit(benchmark::kMicrosecond);

// The refill thread's work for one second of music: two half-buffer fills from the decoder.
void BM_RefillDecodeOneSecond(benchmark::State& state) {
  const auto ogg = testsupport::encodeOgg(tone(44100 * 5, 2, 0.03), 2, 44100, 0.4f);
  sound::MemoryFile file;
  file.bytes = ogg;
  ov_callbacks cb{};
  cb.read_func = [](void* p, size_t size, size_t n, void* ds) {
    return sound::ReadMemoryFile(*static_cast<sound::MemoryFile*>(ds), p, size, n);
  };
  cb.seek_func = [](void* ds, ogg_int64_t off, int whence) {
    return sound::SeekMemoryFile(*static_cast<sound::MemoryFile*>(ds), off, whence);
  };
  cb.tell_func = [](void* ds) { return long(static_cast<sound::MemoryFile*>(ds)->position); };
  OggVorbis_File decoder;
  if (ov_open_callbacks(&file, &decoder, nullptr, 0, cb) != 0) {
    state.SkipWithError("fixture does not open");
    return;
  }
  std::vector<uint8_t> half(44100 * 2);
  for (auto _ : state) {
    sound::C_SoundPlayer::FillFromDecoder(&decoder, half.data(), uint32_t(half.size()), true);
    sound::C_SoundPlayer::FillFromDecoder(&decoder, half.data(), uint32_t(half.size()), true);
    benchmark::DoNotOptimize(half.data());
  }
  ov_clear(&decoder);
  state.SetLabel("one iteration = one second of 44.1 kHz stereo music");
}
BENCHMARK(BM_RefillDecodeOneSecond)->Unit(benchmark::kMicrosecond);

class BenchClock final : public platform::Clock {
 public:
  uint32_t nowMs() override { return now.load(); }
  void sleepMs(uint32_t ms) override { now += ms; }
  std::atomic<uint32_t> now{0};
};

// The whole player for one second of frames on the null device: two slots cross-fading with their
// refill threads, twenty effects playing, the mix rendered.
void BM_PlayerSecondWithCrossFadeAndEffects(benchmark::State& state) {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("km-bench-sound-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path oldDir = fs::current_path();
  fs::current_path(dir);
  auto write = [](const char* name, const std::vector<uint8_t>& bytes) {
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  };
  write("a.ogg", testsupport::encodeOgg(tone(44100 * 3, 2, 0.02), 2, 44100));
  write("b.ogg", testsupport::encodeOgg(tone(44100 * 3, 2, 0.05), 2, 44100));
  write("e.ogg", testsupport::encodeOgg(tone(44100 * 20, 1, 0.07), 1, 22050));
  archive::resetArchiveSet();
  engine::resetEngine();
  BenchClock clock;
  auto device = audio::createNullDevice(clock);
  engine::context().audioDevice = device.get();
  {
    sound::C_SoundPlayer player;
    player.init();
    player.PlayBGM("a.ogg", 0);
    player.CrossFadeBGM("b.ogg", 600000, 100);
    for (int i = 0; i < 20; ++i) player.PlaySE(i, "e.ogg");
    for (auto _ : state) {
      for (int frame = 0; frame < 59; ++frame) {
        clock.now += 17;
        engine::context().frameNow = clock.now;
        player.Update();
      }
    }
  }
  engine::context().audioDevice = nullptr;
  fs::current_path(oldDir);
  fs::remove_all(dir);
  state.SetLabel("one iteration = 59 frames of 17 ms");
}
BENCHMARK(BM_PlayerSecondWithCrossFadeAndEffects)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace
