// The software mixer: volume curve, exact playback at the output rate, resampling, formats,
// saturation, one-shot and looping ends, locking with wrap-around and refused formats.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "audio/Mixer.h"

namespace {

using audio::Buffer;
using audio::Mixer;
using audio::WaveFormat;

// A buffer filled with the given 16-bit samples (interleaved by the format's channels).
std::unique_ptr<Buffer> bufferOf(Mixer& mixer, const WaveFormat& format, const std::vector<int16_t>& samples) {
  auto buffer = mixer.createBuffer(format, uint32_t(samples.size() * 2), nullptr);
  if (!buffer) return nullptr;
  void* p1 = nullptr;
  void* p2 = nullptr;
  uint32_t n1 = 0, n2 = 0;
  EXPECT_TRUE(buffer->lock(0, buffer->sizeBytes(), &p1, &n1, &p2, &n2, 0));
  std::memcpy(p1, samples.data(), n1);
  EXPECT_TRUE(buffer->unlock(p1, n1, p2, n2));
  return buffer;
}

std::vector<int16_t> render(Mixer& mixer, uint32_t frames) {
  std::vector<int16_t> out(size_t(frames) * 2, 12345);
  mixer.render(out.data(), frames);
  return out;
}

TEST(MixerVolume, DecibelCurveScalesTheSignal) {
  struct Case {
    int32_t volume;
    double gain;
  } cases[] = {{0, 1.0}, {-602, 0.50003}, {-2000, 0.1}, {-4000, 0.01}, {-6000, 0.001}, {-10000, 0.0}};
  for (const Case& c : cases) {
    Mixer mixer;
    auto b = bufferOf(mixer, WaveFormat::pcm16(1, 44100), std::vector<int16_t>(64, 20000));
    ASSERT_TRUE(b->setVolume(c.volume));
    EXPECT_NEAR(audio::gainOfVolume(c.volume), c.gain, c.gain * 1e-3 + 1e-9) << c.volume;
    b->play(audio::PlayLooping);
    auto out = render(mixer, 32);
    EXPECT_NEAR(out[10], 20000 * c.gain, 0.6) << c.volume;
    EXPECT_EQ(out[10], out[11]) << "mono reaches both sides";
  }
}

TEST(MixerVolume, OutOfRangeIsRefusedAndKeepsTheVolume) {
  Mixer mixer;
  auto b = bufferOf(mixer, WaveFormat::pcm16(1, 44100), {1, 2});
  ASSERT_TRUE(b->setVolume(-300));
  EXPECT_FALSE(b->setVolume(-10001));
  EXPECT_FALSE(b->setVolume(1));
  EXPECT_EQ(b->volume(), -300);
}

TEST(MixerPlayback, OutputRateStereoIsBitExact) {
  Mixer mixer;
  std::vector<int16_t> samples(2 * 500);
  uint32_t seed = 7;
  for (auto& s : samples) {
    seed = seed * 1664525u + 1013904223u;
    s = int16_t(seed >> 16);
  }
  auto b = bufferOf(mixer, WaveFormat::pcm16(2, 44100), samples);
  b->play(0);
  auto out = render(mixer, 500);
  EXPECT_EQ(out, samples);
}

TEST(MixerPlayback, HalfRateInterpolatesLinearly) {
  Mixer mixer;
  auto b = bufferOf(mixer, WaveFormat::pcm16(1, 22050), {0, 1000, 3000, -1000});
  b->play(0);
  auto out = render(mixer, 10);
  const int16_t expectLeft[] = {0, 500, 1000, 2000, 3000, 1000, -1000, -500, 0, 0};
  for (int i = 0; i < 10; ++i) EXPECT_EQ(out[2 * i], expectLeft[i]) << i;
}

TEST(MixerPlayback, EightBitAndManyChannelFormats) {
  {
    Mixer mixer;
    WaveFormat f{1, 1, 44100, 44100, 1, 8, 0};
    auto b = mixer.createBuffer(f, 4, nullptr);
    ASSERT_TRUE(b);
    void* p = nullptr;
    uint32_t n = 0;
    ASSERT_TRUE(b->lock(0, 4, &p, &n, nullptr, nullptr, 0));
    const uint8_t bytes[] = {0x80, 0xFF, 0x00, 0x81};
    std::memcpy(p, bytes, 4);
    ASSERT_TRUE(b->unlock(p, n, nullptr, 0));
    b->play(0);
    auto out = render(mixer, 4);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[2], 127 * 256);
    EXPECT_EQ(out[4], -32768);
    EXPECT_EQ(out[6], 256);
  }
  {
    Mixer mixer;
    auto b = bufferOf(mixer, WaveFormat::pcm16(4, 44100), {100, 200, 300, 400, -5, -6, -7, -8});
    b->play(0);
    auto out = render(mixer, 2);
    EXPECT_EQ(out, (std::vector<int16_t>{100, 200, -5, -6}));
  }
}

TEST(MixerPlayback, SumsSaturate) {
  Mixer mixer;
  auto a = bufferOf(mixer, WaveFormat::pcm16(2, 44100), {30000, -30000, 1000, -1000});
  auto b = bufferOf(mixer, WaveFormat::pcm16(2, 44100), {30000, -30000, 2000, 500});
  a->play(0);
  b->play(0);
  auto out = render(mixer, 2);
  EXPECT_EQ(out, (std::vector<int16_t>{32767, -32768, 3000, -500}));
}

TEST(MixerPlayback, OneShotStopsAtItsEndAndLoopWraps) {
  Mixer mixer;
  std::vector<int16_t> ramp(100);
  for (int i = 0; i < 100; ++i) ramp[i] = int16_t(i + 1);
  auto once = bufferOf(mixer, WaveFormat::pcm16(1, 44100), ramp);
  once->play(0);
  EXPECT_EQ(once->status(), audio::StatusPlaying);
  auto out = render(mixer, 150);
  EXPECT_EQ(out[2 * 99], 100);
  EXPECT_EQ(out[2 * 100], 0);
  EXPECT_EQ(once->status(), 0u);
  uint32_t play = 99, write = 99;
  once->currentPosition(&play, &write);
  EXPECT_EQ(play, 0u);

  auto loop = bufferOf(mixer, WaveFormat::pcm16(1, 44100), ramp);
  loop->play(audio::PlayLooping);
  EXPECT_EQ(loop->status(), audio::StatusPlaying | audio::StatusLooping);
  out = render(mixer, 250);
  for (int i = 0; i < 250; ++i) ASSERT_EQ(out[2 * i], i % 100 + 1) << i;
  loop->currentPosition(&play, &write);
  EXPECT_EQ(play, 50u * 2);

  // Stop keeps the position; play resumes there.
  loop->stop();
  EXPECT_EQ(loop->status(), 0u);
  render(mixer, 10);
  loop->currentPosition(&play, nullptr);
  EXPECT_EQ(play, 50u * 2);
  loop->play(0);
  out = render(mixer, 1);
  EXPECT_EQ(out[0], 51);
}

TEST(MixerPlayback, ASingleFrameSoundPlays) {
  Mixer mixer;
  auto b = bufferOf(mixer, WaveFormat::pcm16(1, 44100), {4321});
  b->play(0);
  auto out = render(mixer, 3);
  EXPECT_EQ(out[0], 4321);
  EXPECT_EQ(out[2], 0);
  EXPECT_EQ(b->status(), 0u);
}

TEST(MixerLock, RegionsWrapAtTheEnd) {
  struct Case {
    uint32_t offset, bytes, flags;
    bool ok;
    uint32_t bytes1, bytes2;
  } cases[] = {
      {0, 1000, 0, true, 1000, 0},   {500, 1000, 0, true, 500, 500},
      {900, 200, 0, true, 100, 100}, {998, 2, 0, true, 2, 0},
      {1000, 10, 0, false, 0, 0},    {0, 0, 0, false, 0, 0},
      {0, 1001, 0, false, 0, 0},     {300, 7, audio::LockEntireBuffer, true, 700, 300},
  };
  for (const Case& c : cases) {
    Mixer mixer;
    auto b = mixer.createBuffer(WaveFormat::pcm16(1, 44100), 1000, nullptr);
    void* p1 = nullptr;
    void* p2 = reinterpret_cast<void*>(1);
    uint32_t n1 = 0, n2 = 9;
    EXPECT_EQ(b->lock(c.offset, c.bytes, &p1, &n1, &p2, &n2, c.flags), c.ok) << c.offset << "+" << c.bytes;
    if (!c.ok) continue;
    EXPECT_EQ(n1, c.bytes1);
    EXPECT_EQ(n2, c.bytes2);
    EXPECT_EQ(p2 == nullptr, c.bytes2 == 0);
    EXPECT_FALSE(b->lock(0, 2, &p1, &n1, &p2, &n2, 0)) << "one lock at a time";
    EXPECT_TRUE(b->unlock(p1, n1, p2, n2));
  }
}

TEST(MixerLock, UnlockCommitsWhatWasWrittenOnly) {
  Mixer mixer;
  auto b = bufferOf(mixer, WaveFormat::pcm16(1, 44100), {1, 2, 3, 4, 5, 6, 7, 8});
  void* p1 = nullptr;
  void* p2 = nullptr;
  uint32_t n1 = 0, n2 = 0;
  // [12, 16) and [0, 4): the regions show the current bytes.
  ASSERT_TRUE(b->lock(12, 8, &p1, &n1, &p2, &n2, 0));
  ASSERT_EQ(n1, 4u);
  ASSERT_EQ(n2, 4u);
  EXPECT_EQ(static_cast<int16_t*>(p1)[0], 7);
  EXPECT_EQ(static_cast<int16_t*>(p2)[1], 2);
  static_cast<int16_t*>(p1)[0] = 70;
  static_cast<int16_t*>(p1)[1] = 80;
  static_cast<int16_t*>(p2)[0] = 10;
  static_cast<int16_t*>(p2)[1] = 20;
  // Only the first two bytes of region 2 are committed.
  ASSERT_TRUE(b->unlock(p1, 4, p2, 2));
  b->play(0);
  auto out = render(mixer, 8);
  const int16_t expect[] = {10, 2, 3, 4, 5, 6, 70, 80};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(out[2 * i], expect[i]) << i;
}

TEST(MixerFormats, RefusedFormatsMakeNoBuffer) {
  const WaveFormat good = WaveFormat::pcm16(2, 44100);
  auto with = [&](auto change) {
    WaveFormat f = good;
    change(f);
    return f;
  };
  struct Case {
    const char* what;
    WaveFormat format;
    uint32_t size;
  } cases[] = {
      {"float", with([](WaveFormat& f) { f.formatTag = 3; }), 400},
      {"extensible", with([](WaveFormat& f) { f.formatTag = 0xFFFE; }), 400},
      {"24 bits", with([](WaveFormat& f) { f.bitsPerSample = 24, f.blockAlign = 6, f.avgBytesPerSec = 44100 * 6; }),
       600},
      {"no channels", with([](WaveFormat& f) { f.channels = 0, f.blockAlign = 0, f.avgBytesPerSec = 0; }), 400},
      {"nine channels", with([](WaveFormat& f) { f.channels = 9, f.blockAlign = 18, f.avgBytesPerSec = 44100 * 18; }),
       180},
      {"rate 50", with([](WaveFormat& f) { f.samplesPerSec = 50, f.avgBytesPerSec = 200; }), 400},
      {"bad align", with([](WaveFormat& f) { f.blockAlign = 3; }), 400},
      {"bad bytes/s", with([](WaveFormat& f) { f.avgBytesPerSec = 1; }), 400},
      {"empty", good, 0},
      {"too big", good, audio::MaxBufferBytes + 1},
  };
  for (const Case& c : cases) {
    Mixer mixer;
    std::string why;
    EXPECT_EQ(mixer.createBuffer(c.format, c.size, &why), nullptr) << c.what;
    EXPECT_FALSE(why.empty()) << c.what;
  }
  Mixer mixer;
  EXPECT_NE(mixer.createBuffer(good, 3, nullptr), nullptr) << "shorter than a frame: made, plays nothing";
  EXPECT_EQ(mixer.bufferCount(), 0u);
}

}  // namespace
