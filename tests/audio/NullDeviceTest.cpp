// The null device: play cursors that move only with the clock, the WAV capture of the mix, and
// threads paced by the rendered time.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "audio/Device.h"
#include "audio/null/NullDevice.h"
#include "platform/ByteReader.h"
#include "platform/Platform.h"
#include "support/ManualClock.h"
#include "support/TempDir.h"

namespace {

using testsupport::ManualClock;

uint32_t playCursor(audio::Buffer& b) {
  uint32_t play = 0, write = 0;
  b.currentPosition(&play, &write);
  return play;
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) { return platform::readLe32(b.data() + at); }

TEST(NullDevice, CursorsMoveOnlyWithTheClockWhenPumped) {
  ManualClock clock;
  auto device = audio::createNullDevice(clock);
  auto b = device->createBuffer(audio::WaveFormat::pcm16(1, 22050), 22050 * 2);
  ASSERT_TRUE(b);
  b->play(audio::PlayLooping);
  device->update();
  EXPECT_EQ(playCursor(*b), 0u) << "no time has passed";
  clock.now += 250;
  EXPECT_EQ(playCursor(*b), 0u) << "not pumped yet";
  device->update();
  EXPECT_EQ(playCursor(*b), 22050u / 4 * 2);
  // 1.25 s later the one-second loop has wrapped to 0.5 s.
  clock.now += 1250;
  device->update();
  EXPECT_EQ(playCursor(*b), 22050u / 2 * 2);
  EXPECT_EQ(b->status(), audio::StatusPlaying | audio::StatusLooping);
}

TEST(NullDevice, OneShotEndsAfterItsLength) {
  ManualClock clock;
  auto device = audio::createNullDevice(clock);
  auto b = device->createBuffer(audio::WaveFormat::pcm16(2, 44100), 4410 * 4);  // 100 ms
  b->play(0);
  clock.now += 99;
  device->update();
  EXPECT_EQ(b->status(), audio::StatusPlaying);
  clock.now += 2;
  device->update();
  EXPECT_EQ(b->status(), 0u);
}

TEST(NullDevice, CaptureHoldsTheMixForTheRun) {
  testsupport::TempDir dir;
  const std::string path = dir.path() + "/mix.wav";
  {
    ManualClock clock;
    auto device = audio::createNullDevice(clock);
    ASSERT_TRUE(device->captureTo(path));
    auto b = device->createBuffer(audio::WaveFormat::pcm16(1, 44100), 2);
    void* p = nullptr;
    uint32_t n = 0;
    ASSERT_TRUE(b->lock(0, 2, &p, &n, nullptr, nullptr, 0));
    const int16_t value = -1234;
    std::memcpy(p, &value, 2);
    b->unlock(p, n, nullptr, 0);
    clock.now += 100;
    device->update();
    b->play(audio::PlayLooping);
    clock.now += 300;
    device->update();
    b.reset();
    clock.now += 100;  // rendered, silent, when the device closes: the capture lasts the run
  }
  auto bytes = testsupport::readAll(path);
  ASSERT_GE(bytes.size(), 44u);
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
  EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(le32(bytes, 24), 44100u);
  EXPECT_EQ(bytes[22], 2);
  EXPECT_EQ(bytes[34], 16);
  const uint32_t dataBytes = le32(bytes, 40);
  EXPECT_EQ(dataBytes, 22050u * 4);
  EXPECT_EQ(le32(bytes, 4), dataBytes + 36);
  ASSERT_EQ(bytes.size(), 44u + dataBytes);
  auto sampleAt = [&](size_t frame, int side) {
    return int16_t(bytes[44 + frame * 4 + side * 2] | (bytes[45 + frame * 4 + side * 2] << 8));
  };
  EXPECT_EQ(sampleAt(4409, 0), 0);
  EXPECT_EQ(sampleAt(4410, 0), -1234);
  EXPECT_EQ(sampleAt(17639, 1), -1234);
  EXPECT_EQ(sampleAt(17640, 1), 0);
}

TEST(NullDevice, CaptureToAnUnwritablePathFails) {
  ManualClock clock;
  auto device = audio::createNullDevice(clock);
  EXPECT_FALSE(device->captureTo("/nonexistent-folder/mix.wav"));
}

// A paced thread wakes exactly every 16 ms of rendered time, however far the clock jumps, and
// sees the cursor where that time puts it.
TEST(NullDevicePacer, ThreadsWakeOnTheRenderedTimeGrid) {
  ManualClock clock;
  auto device = audio::createNullDevice(clock);
  auto* nullDevice = static_cast<audio::NullDevice*>(device.get());
  auto b = device->createBuffer(audio::WaveFormat::pcm16(1, 44100), 44100 * 2);
  b->play(audio::PlayLooping);
  std::atomic<bool> keepRunning{true};
  std::vector<uint64_t> wakeMs;
  std::vector<uint32_t> cursors;
  auto pacer = device->createPacer();
  std::thread streamer([&, pacer = std::move(pacer)]() mutable {
    while (keepRunning) {
      pacer->sleepMs(16, keepRunning);
      wakeMs.push_back(nullDevice->renderedMs());
      cursors.push_back(playCursor(*b));
    }
  });
  clock.now += 100;
  device->update();
  clock.now += 30;
  device->update();
  const size_t wakesBeforeStop = wakeMs.size();
  keepRunning = false;
  streamer.join();
  ASSERT_GE(wakeMs.size(), 8u);
  ASSERT_EQ(wakesBeforeStop, 8u);
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(wakeMs[i], 16 * (i + 1)) << i;
    EXPECT_EQ(cursors[i], uint32_t(16 * (i + 1) * 441 / 10) * 2) << i;
  }
}

TEST(NullDevicePacer, ClearingTheFlagWakesASleeperWithoutTime) {
  ManualClock clock;
  auto device = audio::createNullDevice(clock);
  std::atomic<bool> keepRunning{true};
  auto pacer = device->createPacer();
  std::thread sleeper([&, pacer = std::move(pacer)]() mutable { pacer->sleepMs(16, keepRunning); });
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  keepRunning = false;
  sleeper.join();  // returns although the clock never moved
  SUCCEED();
}

}  // namespace
