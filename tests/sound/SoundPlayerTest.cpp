// The sound player's arithmetic and plumbing: the percent-to-decibel curve, fade steps on the
// frame clock, the memory callbacks at their boundaries, the single instance.
#include <cstdio>

#include "SoundFixture.h"

namespace soundtest {
namespace {

using sound::C_SoundPlayer;

TEST(SoundPlayerVolume, PercentToHundredthsOfADecibel) {
  const std::pair<int32_t, int32_t> cases[] = {{100, 0},    {150, 0},   {50, -602},  {25, -1204},
                                               {10, -2000}, {1, -4000}, {0, -10000}, {-5, -10000}};
  for (const auto& [percent, volume] : cases) EXPECT_EQ(C_SoundPlayer::VolumeOfPercent(percent), volume) << percent;
}

TEST(SoundPlayerFade, StepsFollowTheFrameClock) {
  engine::resetEngine();
  struct Step {
    uint32_t now;
    int32_t result, current;
    bool active;
  };
  struct Case {
    const char* what;
    int32_t from, to, duration;
    std::vector<Step> steps;
  } cases[] = {
      {"down",
       100,
       0,
       500,
       {{1000, 0, 100, true}, {1250, 0, 50, true}, {1499, 0, 1, true}, {1500, 1, 0, false}, {1600, -1, 0, false}}},
      {"up by thirds", 0, 100, 300, {{40, 0, 0, true}, {140, 0, 33, true}, {240, 0, 66, true}, {340, 1, 100, false}}},
      {"no time", 70, 20, 0, {{5, 1, 20, false}}},
      {"late first step", 0, 80, 100, {{7000, 0, 0, true}, {7050, 0, 40, true}, {9000, 1, 80, false}}},
  };
  for (const Case& c : cases) {
    sound::VolumeFade fade;
    fade.current = c.from;
    C_SoundPlayer::StartFade(fade, c.to, c.duration);
    EXPECT_EQ(fade.from, c.from);
    for (const Step& s : c.steps) {
      engine::context().frameNow = s.now;
      EXPECT_EQ(C_SoundPlayer::StepFade(fade), s.result) << c.what << " at " << s.now;
      EXPECT_EQ(fade.current, s.current) << c.what << " at " << s.now;
      EXPECT_EQ(fade.active, s.active) << c.what << " at " << s.now;
    }
  }
  sound::VolumeFade idle;
  EXPECT_EQ(C_SoundPlayer::StepFade(idle), -1);
}

TEST(SoundPlayerMemoryFile, ReadsWholeElementsAndSeeksInsideTheCopy) {
  sound::MemoryFile f;
  f.bytes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  uint8_t out[16] = {};
  EXPECT_EQ(sound::ReadMemoryFile(f, out, 4, 3), 2u) << "two whole elements of four bytes";
  EXPECT_EQ(f.position, 8u);
  EXPECT_EQ(out[7], 8);
  EXPECT_EQ(sound::ReadMemoryFile(f, out, 4, 1), 0u);
  EXPECT_EQ(sound::ReadMemoryFile(f, out, 1, 5), 2u);
  EXPECT_EQ(sound::ReadMemoryFile(f, out, 0, 5), 0u);
  struct Case {
    size_t start;
    int64_t offset;
    int whence, result;
    size_t position;
  } cases[] = {
      {3, 0, SEEK_SET, 0, 0},           {3, 10, SEEK_SET, 0, 10},        {3, 11, SEEK_SET, -1, 10},
      {3, -1, SEEK_SET, -1, 0},         {3, 2, SEEK_CUR, 0, 5},          {3, -3, SEEK_CUR, 0, 0},
      {3, -4, SEEK_CUR, -1, 0},         {3, 8, SEEK_CUR, -1, 10},        {3, 0, SEEK_END, 0, 10},
      {3, -10, SEEK_END, 0, 0},         {3, 1, SEEK_END, -1, 10},        {3, -11, SEEK_END, -1, 0},
      {3, INT64_MAX, SEEK_CUR, -1, 10}, {3, INT64_MIN, SEEK_END, -1, 0}, {3, 0, 7, -1, 3},
  };
  for (const Case& c : cases) {
    f.position = c.start;
    EXPECT_EQ(sound::SeekMemoryFile(f, c.offset, c.whence), c.result) << c.offset << " from " << c.whence;
    EXPECT_EQ(f.position, c.position) << c.offset << " from " << c.whence;
  }
}

TEST_F(SoundTest, ASecondPlayerIsRefused) {
  EXPECT_DEATH({ C_SoundPlayer second; }, "ERROR");
}

TEST_F(SoundTest, WithoutAnAudioDeviceNothingPlaysAndNothingBreaks) {
  player.reset();
  engine::context().audioDevice = nullptr;
  player = std::make_unique<C_SoundPlayer>();
  player->init();
  player->PlayBGM(file("a.ogg", testsupport::encodeOgg(tone(5000, 1, 0.1), 1, 22050)), 100);
  player->CrossFadeBGM("a.ogg", 100, 50);
  player->PlaySE(0, file("a.wav", wav16(1, 22050, {1, 2})));
  runFrames(10);
  EXPECT_FALSE(player->bgmBuffers[0]);
  EXPECT_FALSE(player->bgmBuffers[1]);
  EXPECT_FALSE(player->seBuffers[0]);
}

}  // namespace
}  // namespace soundtest
