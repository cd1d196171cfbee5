// Background music on the null device: gap-free looping compared sample by sample with the
// decoded file, fades, stops, cross-fades between the two slots, replacing music that plays, and
// hostile files.
#include "SoundFixture.h"

namespace soundtest {
namespace {

using sound::C_SoundPlayer;

// Index of the first frame where the captured left channel differs from the looped reference
// (taking every `stride`-th captured frame as reference frame k), or -1.
long firstMismatch(const std::vector<int16_t>& mix, size_t mixStart, const std::vector<int16_t>& reference,
                   int channels, size_t frames, size_t stride = 1) {
  const size_t refFrames = reference.size() / size_t(channels);
  for (size_t k = 0; k < frames; ++k) {
    const size_t at = 2 * (mixStart + k * stride);
    if (at >= mix.size()) return long(k);
    if (mix[at] != reference[(k % refFrames) * size_t(channels)]) return long(k);
  }
  return -1;
}

double rms(const std::vector<int16_t>& mix, size_t fromFrame, size_t frames) {
  double sum = 0;
  for (size_t i = fromFrame; i < fromFrame + frames; ++i) sum += double(mix[2 * i]) * mix[2 * i];
  return std::sqrt(sum / double(frames));
}

TEST_F(SoundTest, LoopingBgmIsSampleExactAcrossItsSeams) {
  // Seams inside buffer halves (at different places each time round), at the very end of a
  // half (the next refill starts at the end of the stream), and several seams in one half.
  const size_t lengths[] = {57000, 44100, 22050, 9001};
  for (size_t length : lengths) {
    SCOPED_TRACE(length);
    TearDown();
    SetUp();
    const auto ogg = testsupport::encodeOgg(tone(length, 2, 0.031), 2, 44100);
    const auto decoded = testsupport::decodeOgg(ogg);
    ASSERT_EQ(decoded.size(), length * 2);
    startCapture();
    player->PlayBGM(file("bgm.ogg", ogg), 0);
    ASSERT_TRUE(player->bgmBuffers[0]);
    EXPECT_EQ(player->bgmBuffers[0]->volume(), audio::VolumeMax) << "time 0 plays at full volume";
    EXPECT_EQ(player->bgmStreamSize[0], 44100u * 4) << "one second";
    runMs(4200);
    const auto mix = finishCapture();
    // Both channels, bit for bit.
    const size_t frames = 4200 * 441 / 10;
    ASSERT_GE(mix.size(), frames * 2);
    for (size_t f = 0; f < frames; ++f) {
      const size_t r = f % length;
      ASSERT_EQ(mix[2 * f], decoded[2 * r]) << "frame " << f;
      ASSERT_EQ(mix[2 * f + 1], decoded[2 * r + 1]) << "frame " << f;
    }
  }
}

TEST_F(SoundTest, OddRateMonoBgmKeepsWholeFramesInEachHalf) {
  // 11025 Hz mono: half of the one-second buffer is an odd byte count.
  const auto ogg = testsupport::encodeOgg(tone(15000, 1, 0.05), 1, 11025);
  const auto decoded = testsupport::decodeOgg(ogg);
  ASSERT_EQ(decoded.size(), 15000u);
  startCapture();
  player->PlayBGM(file("mono.ogg", ogg), 0);
  runMs(4000);
  const auto mix = finishCapture();
  // At a quarter of the output rate every fourth output frame is an input frame exactly.
  EXPECT_EQ(firstMismatch(mix, 0, decoded, 1, 11025 * 39 / 10, 4), -1);
}

TEST_F(SoundTest, FadeInIsHalfWayAtMidTimeAndFullAtItsEnd) {
  player->PlayBGM(file("bgm.ogg", testsupport::encodeOgg(tone(44100, 2, 0.02), 2, 44100)), 1000);
  const sound::VolumeFade& fade = player->bgmFades[0];
  EXPECT_EQ(fade.current, 0);
  EXPECT_EQ(player->bgmBuffers[0]->volume(), audio::VolumeMin);
  runFrames(1);  // the fade's first step takes the start time
  EXPECT_TRUE(fade.active);
  runFrames(1, 500);
  EXPECT_EQ(fade.current, 50);
  EXPECT_EQ(player->bgmBuffers[0]->volume(), -602);
  runFrames(1, 499);
  EXPECT_EQ(fade.current, 99);
  runFrames(1, 1);
  EXPECT_EQ(fade.current, 100);
  EXPECT_FALSE(fade.active);
  EXPECT_EQ(player->bgmBuffers[0]->volume(), audio::VolumeMax);
}

TEST_F(SoundTest, StopBgmFadesOutStopsAndALaterPlayStartsAfresh) {
  const auto ogg = testsupport::encodeOgg(tone(60000, 2, 0.02), 2, 44100);
  const auto decoded = testsupport::decodeOgg(ogg);
  startCapture();
  player->PlayBGM(file("bgm.ogg", ogg), 0);
  runFrames(20);  // 340 ms
  player->StopBGM(500);
  runFrames(1);  // fade starts at 357 ms
  runFrames(29);
  EXPECT_TRUE(player->streaming[0]) << "493 ms into the fade";
  runFrames(1);  // 510 ms into the fade: stopped, thread ended
  EXPECT_EQ(player->bgmBuffers[0]->status(), 0u);
  EXPECT_FALSE(player->streaming[0]);
  EXPECT_FALSE(player->streamThreads[0].joinable());
  EXPECT_EQ(player->bgmFades[0].current, 0);
  runFrames(10);  // 1037 ms: silence
  player->PlayBGM("bgm.ogg", 0);
  runFrames(40);
  const auto mix = finishCapture();
  EXPECT_GT(rms(mix, 357 * 441 / 10, 4410), 3 * rms(mix, 767 * 441 / 10, 4410)) << "fading";
  for (size_t f = 867 * 441 / 10; f < 1037 * 441 / 10; ++f) ASSERT_EQ(mix[2 * f], 0) << f;
  EXPECT_EQ(firstMismatch(mix, 1037 * 441 / 10, decoded, 2, 600 * 441 / 10), -1) << "from the start";
}

TEST_F(SoundTest, StopBgmWithoutTimeStopsAtOnce) {
  player->PlayBGM(file("bgm.ogg", testsupport::encodeOgg(tone(44100, 1, 0.02), 1, 22050)), 0);
  runFrames(3);
  player->StopBGM(0);
  EXPECT_EQ(player->bgmBuffers[0]->status(), 0u);
  EXPECT_FALSE(player->streamThreads[0].joinable());
}

// Releasing a slot whose music is playing ends the slot's refill thread before its buffer goes,
// and leaves the other slot's music alone.
TEST_F(SoundTest, ReleasingAPlayingSlotEndsItsRefillThreadFirst) {
  const auto music = testsupport::encodeOgg(tone(44100, 1, 0.02), 1, 22050);
  player->PlayBGM(file("a.ogg", music), 0);
  player->CrossFadeBGM(file("b.ogg", music), 0, 100);
  runFrames(3);
  const int32_t current = player->currentBgmSlot;
  ASSERT_TRUE(player->streaming[current]);
  player->ReleaseCurrentBgm(current);
  EXPECT_FALSE(player->streaming[current]);
  EXPECT_FALSE(player->streamThreads[current].joinable());
  EXPECT_EQ(player->bgmBuffers[current], nullptr);
  EXPECT_TRUE(player->bgmFileData[current].bytes.empty());
  runFrames(3);
  // The music can start again in the released slot.
  player->PlayBGM(file("c.ogg", music), 0);
  runFrames(3);
  EXPECT_TRUE(player->streaming[current]);
}

TEST_F(SoundTest, NewMusicDoesNotInheritAFadeOut) {
  const auto a = testsupport::encodeOgg(tone(30000, 2, 0.01), 2, 44100);
  const auto b = testsupport::encodeOgg(tone(30000, 2, 0.02), 2, 44100);
  // A fade-out asked for while nothing plays, then music.
  player->StopBGM(500);
  runFrames(3);
  player->PlayBGM(file("a.ogg", a), 0);
  runMs(1000);
  EXPECT_EQ(player->bgmBuffers[0]->status(), audio::StatusPlaying | audio::StatusLooping);
  // Music replaced in the middle of its fade-out.
  player->StopBGM(1000);
  runFrames(10);
  player->PlayBGM(file("b.ogg", b), 0);
  runMs(1500);
  EXPECT_EQ(player->bgmBuffers[0]->status(), audio::StatusPlaying | audio::StatusLooping);
  EXPECT_EQ(player->bgmBuffers[0]->volume(), audio::VolumeMax);
  // Cross-fading at once into the slot that is fading out.
  player->CrossFadeBGM("a.ogg", 1000, 100);
  runFrames(5);
  player->CrossFadeBGM("b.ogg", 0, 100);
  runMs(1500);
  EXPECT_EQ(player->currentBgmSlot, 0);
  EXPECT_EQ(player->bgmBuffers[0]->status(), audio::StatusPlaying | audio::StatusLooping);
}

TEST_F(SoundTest, TwoCrossFadesInARowReuseTheFirstSlot) {
  const auto a = testsupport::encodeOgg(tone(30000, 2, 0.01), 2, 44100);
  const auto b = testsupport::encodeOgg(tone(30000, 2, 0.02), 2, 44100);
  const auto c = testsupport::encodeOgg(tone(30000, 2, 0.03), 2, 44100);
  player->PlayBGM(file("a.ogg", a), 0);
  runFrames(5);
  player->CrossFadeBGM(file("b.ogg", b), 1000, 100);
  EXPECT_EQ(player->currentBgmSlot, 1);
  runFrames(10);
  player->CrossFadeBGM(file("c.ogg", c), 1000, 80);
  EXPECT_EQ(player->currentBgmSlot, 0);
  EXPECT_EQ(player->bgmFileData[0].bytes, c) << "the older music is replaced";
  EXPECT_EQ(player->bgmFileData[1].bytes, b);
  EXPECT_TRUE(player->streaming[0]);
  EXPECT_TRUE(player->streaming[1]);
  runFrames(1);
  runFrames(1, 500);
  EXPECT_EQ(player->bgmFades[0].current, 40);
  runFrames(1, 500);
  EXPECT_EQ(player->bgmFades[0].current, 80);
  EXPECT_EQ(player->bgmBuffers[0]->volume(), C_SoundPlayer::VolumeOfPercent(80));
  EXPECT_EQ(player->bgmBuffers[0]->status(), audio::StatusPlaying | audio::StatusLooping);
  EXPECT_EQ(player->bgmBuffers[1]->status(), 0u) << "faded out and stopped";
  EXPECT_FALSE(player->streaming[1]);
}

TEST_F(SoundTest, CrossFadeWithoutTimeSwitchesAtOnceAtFullVolume) {
  player->PlayBGM(file("a.ogg", testsupport::encodeOgg(tone(30000, 2, 0.01), 2, 44100)), 0);
  runFrames(2);
  player->CrossFadeBGM(file("b.ogg", testsupport::encodeOgg(tone(30000, 2, 0.02), 2, 44100)), 0, 30);
  EXPECT_EQ(player->bgmBuffers[0]->status(), 0u);
  EXPECT_FALSE(player->streamThreads[0].joinable());
  EXPECT_EQ(player->bgmBuffers[1]->status(), audio::StatusPlaying | audio::StatusLooping);
  EXPECT_EQ(player->bgmBuffers[1]->volume(), audio::VolumeMax);
}

TEST_F(SoundTest, PlayingNewMusicOverPlayingMusicStartsItCleanly) {
  const auto first = testsupport::encodeOgg(tone(50000, 2, 0.01), 2, 44100);
  const auto second = testsupport::encodeOgg(tone(50000, 2, 0.04), 2, 44100);
  const auto decoded = testsupport::decodeOgg(second);
  startCapture();
  player->PlayBGM(file("first.ogg", first), 0);
  runFrames(40);  // 680 ms: the refill thread has refilled a half
  player->PlayBGM(file("second.ogg", second), 0);
  runFrames(100);
  const auto mix = finishCapture();
  EXPECT_EQ(firstMismatch(mix, 680 * 441 / 10, decoded, 2, 1600 * 441 / 10), -1);
}

TEST_F(SoundTest, BrokenMusicFilesPlayNothingAndNeverCrash) {
  const auto good = testsupport::encodeOgg(tone(40000, 2, 0.02), 2, 44100);
  enum Buffer { None, Made, Either };
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    Buffer buffer;
  } cases[] = {
      {"empty", {}, None},
      {"garbage", std::vector<uint8_t>(5000, 0x5A), None},
      {"headers only", std::vector<uint8_t>(good.begin(), good.begin() + 200), None},
      {"truncated", std::vector<uint8_t>(good.begin(), good.begin() + long(good.size() * 6 / 10)), Either},
      {"bytes flipped", good, Either},
      {"no samples", testsupport::encodeOgg({}, 2, 44100), Made},
      {"a WAV", wav16(1, 22050, std::vector<int16_t>(100, 5)), None},
  };
  for (size_t i = 4000; i < cases[4].bytes.size(); i += 97) cases[4].bytes[i] ^= 0x41;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    player->PlayBGM(file("broken.ogg", c.bytes), 0);
    if (c.buffer != Either) { EXPECT_EQ(bool(player->bgmBuffers[0]), c.buffer == Made); }
    runFrames(80);
    player->StopBGM(0);
  }
  player->PlayBGM("missing.ogg", 0);
  EXPECT_FALSE(player->bgmBuffers[0]);
  player->PlayBGM("", 0);
  EXPECT_TRUE(platform::messageBoxLog().empty());
}

}  // namespace
}  // namespace soundtest
