// Sound effects and voices: the WAV reader's rules and refusals, Ogg effects and their PCM cap,
// the extension rules, effects that end by themselves, short sounds, the voice range check.
#include <cstring>

#include "SoundFixture.h"
#include "platform/Encoding.h"

namespace soundtest {
namespace {

using sound::C_SoundPlayer;

std::vector<uint8_t> bufferBytes(audio::Buffer& buffer) {
  void* p1 = nullptr;
  void* p2 = nullptr;
  uint32_t n1 = 0, n2 = 0;
  std::vector<uint8_t> out;
  if (!buffer.lock(0, buffer.sizeBytes(), &p1, &n1, &p2, &n2, 0)) return out;
  out.assign(static_cast<uint8_t*>(p1), static_cast<uint8_t*>(p1) + n1);
  buffer.unlock(p1, 0, p2, 0);
  return out;
}

TEST_F(SoundTest, WaveFilesLoadByTheRiffRules) {
  const std::vector<int16_t> samples = {100, -200, 300, -400, 500, -600, 700, -800};
  const auto data = pcmBytes(samples);
  auto chunks = [](std::initializer_list<std::pair<const char*, std::vector<uint8_t>>> list) {
    std::vector<uint8_t> b;
    for (const auto& [id, body] : list) putChunk(b, id, body);
    return b;
  };
  auto withSize = [](std::vector<uint8_t> image, size_t at, uint32_t size) {
    for (int i = 0; i < 4; ++i) image[at + i] = uint8_t(size >> (8 * i));
    return image;
  };
  const auto plain = riffWave(chunks({{"fmt ", fmtBody(1, 1, 22050, 16)}, {"data", data}}));
  struct Case {
    const char* what;
    std::vector<uint8_t> image;
    uint32_t size;  // 0: nothing loads
    uint16_t channels, bits;
  } cases[] = {
      {"plain 16-bit mono", plain, 16, 1, 16},
      {"8-bit stereo", riffWave(chunks({{"fmt ", fmtBody(1, 2, 8000, 8)}, {"data", {1, 2, 3, 4, 5, 6}}})), 6, 2, 8},
      {"four channels", riffWave(chunks({{"fmt ", fmtBody(1, 4, 44100, 16)}, {"data", data}})), 16, 4, 16},
      {"odd chunk before fmt",
       riffWave(chunks({{"LIST", {9, 9, 9}}, {"fmt ", fmtBody(1, 1, 22050, 16)}, {"data", data}})), 16, 1, 16},
      {"fact between", riffWave(chunks({{"fmt ", fmtBody(1, 1, 22050, 16)}, {"fact", {8, 0, 0, 0}}, {"data", data}})),
       16, 1, 16},
      {"18-byte fmt", riffWave(chunks({{"fmt ", fmtBody(1, 1, 22050, 16, 18)}, {"data", data}})), 16, 1, 16},
      {"40-byte fmt", riffWave(chunks({{"fmt ", fmtBody(1, 1, 22050, 16, 40)}, {"data", data}})), 16, 1, 16},
      {"partial last frame", riffWave(chunks({{"fmt ", fmtBody(1, 2, 22050, 16)}, {"data", {1, 2, 3, 4, 5, 6, 7}}})), 7,
       2, 16},
      {"RIFF size too small", withSize(plain, 4, 10), 16, 1, 16},
      {"data before fmt", riffWave(chunks({{"data", data}, {"fmt ", fmtBody(1, 1, 22050, 16)}})), 0, 0, 0},
      {"14-byte fmt", riffWave(chunks({{"fmt ", fmtBody(1, 1, 22050, 16, 14)}, {"data", data}})), 0, 0, 0},
      {"float format", riffWave(chunks({{"fmt ", fmtBody(3, 1, 22050, 32)}, {"data", data}})), 0, 0, 0},
      {"24-bit", riffWave(chunks({{"fmt ", fmtBody(1, 1, 22050, 24)}, {"data", {1, 2, 3, 4, 5, 6}}})), 0, 0, 0},
      {"no channels", riffWave(chunks({{"fmt ", fmtBody(1, 0, 22050, 16)}, {"data", data}})), 0, 0, 0},
      {"data longer than the file", withSize(plain, 40, 17), 0, 0, 0},
      {"data size 4 GiB", withSize(plain, 40, 0xFFFFFFF0u), 0, 0, 0},
      {"empty data", riffWave(chunks({{"fmt ", fmtBody(1, 1, 22050, 16)}, {"data", {}}})), 0, 0, 0},
      {"cut inside fmt", std::vector<uint8_t>(plain.begin(), plain.begin() + 26), 0, 0, 0},
      {"cut inside a header", std::vector<uint8_t>(plain.begin(), plain.begin() + 38), 0, 0, 0},
      {"not RIFF", withSize(plain, 0, 0x58464952u), 0, 0, 0},
      {"RIFF of another form", withSize(plain, 8, 0x20495641u), 0, 0, 0},
      {"empty file", {}, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    player->PlaySE(2, file("se.wav", c.image));
    audio::Buffer* buffer = player->seBuffers[2].get();
    ASSERT_EQ(buffer != nullptr, c.size != 0);
    if (!buffer) continue;
    EXPECT_EQ(buffer->sizeBytes(), c.size);
    EXPECT_EQ(buffer->format().channels, c.channels);
    EXPECT_EQ(buffer->format().bitsPerSample, c.bits);
    EXPECT_EQ(buffer->status(), audio::StatusPlaying);
    player->seBuffers[2].reset();
  }
  player->PlaySE(2, file("se.wav", plain));
  EXPECT_EQ(bufferBytes(*player->seBuffers[2]), data);
  EXPECT_TRUE(platform::messageBoxLog().empty());
}

TEST_F(SoundTest, AFailedLoadDoesNotReplayTheOldSound) {
  player->PlaySE(1, file("a.wav", wav16(1, 44100, std::vector<int16_t>(44100, 900))));
  ASSERT_EQ(player->seBuffers[1]->status(), audio::StatusPlaying);
  for (const char* name : {"missing.wav", "a.mp3", "a.Wav"}) {
    player->PlaySE(1, name);
    EXPECT_EQ(player->seBuffers[1]->status(), 0u) << name << ": stopped, not replayed";
    player->seBuffers[1]->play(0);
  }
}

TEST_F(SoundTest, ExtensionsCountOnlyAsWritten) {
  const auto wav = wav16(1, 22050, {1, 2, 3, 4});
  const auto ogg = testsupport::encodeOgg(tone(2000, 1, 0.1), 1, 22050);
  struct Case {
    const char* name;
    const std::vector<uint8_t>* bytes;
    bool plays;
  } cases[] = {
      {"s1.wav", &wav, true}, {"s2.WAV", &wav, true}, {"s3.Wav", &wav, false},      {"s4.wAV", &wav, false},
      {"s5.ogg", &ogg, true}, {"s6.OGG", &ogg, true}, {"s7.Ogg", &ogg, false},      {"s8.mp3", &wav, false},
      {"s9", &wav, false},    {"wav", &wav, false},   {"s10.wav.bak", &wav, false},
  };
  for (const Case& c : cases) {
    player->PlaySE(7, file(c.name, *c.bytes));
    EXPECT_EQ(player->seBuffers[7] != nullptr, c.plays) << c.name;
    player->seBuffers[7].reset();
  }
}

TEST_F(SoundTest, OggEffectsDecodeWholeAndPlayOnce) {
  const auto ogg = testsupport::encodeOgg(tone(30000, 2, 0.05), 2, 32000);
  const auto decoded = testsupport::decodeOgg(ogg);
  player->PlaySE(5, file("se.ogg", ogg));
  audio::Buffer* buffer = player->seBuffers[5].get();
  ASSERT_TRUE(buffer);
  EXPECT_EQ(buffer->format().samplesPerSec, 32000u);
  EXPECT_EQ(buffer->format().channels, 2);
  ASSERT_EQ(buffer->sizeBytes(), decoded.size() * 2);
  const auto bytes = bufferBytes(*buffer);
  EXPECT_EQ(std::memcmp(bytes.data(), decoded.data(), bytes.size()), 0);
  EXPECT_EQ(buffer->status(), audio::StatusPlaying);
  runMs(940);  // 30000 frames at 32 kHz last 937.5 ms
  EXPECT_EQ(buffer->status(), 0u);
}

TEST_F(SoundTest, LongOggEffectsAreCutAtTheLastBlockThatFits) {
  // 47 s of 44.1 kHz stereo: 8,290,800 bytes of PCM.
  const auto ogg = testsupport::encodeOgg(tone(47 * 44100, 2, 0.05, 3000), 2, 44100, 0.0f);
  const auto decoded = testsupport::decodeOgg(ogg);
  ASSERT_GT(decoded.size() * 2, C_SoundPlayer::SePcmCapBytes);
  player->PlaySE(0, file("long.ogg", ogg));
  audio::Buffer* buffer = player->seBuffers[0].get();
  ASSERT_TRUE(buffer);
  EXPECT_LE(buffer->sizeBytes(), C_SoundPlayer::SePcmCapBytes);
  EXPECT_GT(buffer->sizeBytes(), C_SoundPlayer::SePcmCapBytes - C_SoundPlayer::DecodeBlockBytes);
  const auto bytes = bufferBytes(*buffer);
  EXPECT_EQ(std::memcmp(bytes.data(), decoded.data(), bytes.size()), 0) << "the start of the sound";
}

TEST_F(SoundTest, EffectsEndByThemselvesAndShortOnesPlay) {
  startCapture();
  // 100 ms, and 2 ms (well below the 150 ms the old platform needed).
  player->PlaySE(4, file("long.wav", wav16(1, 44100, std::vector<int16_t>(4410, 1000))));
  player->PlaySE(9, file("tick.wav", wav16(1, 44100, std::vector<int16_t>(88, 50))));
  EXPECT_EQ(player->seBuffers[9]->status(), audio::StatusPlaying);
  runFrames(1);
  EXPECT_EQ(player->seBuffers[9]->status(), 0u) << "the tick has ended";
  runFrames(4);  // 85 ms
  EXPECT_EQ(player->seBuffers[4]->status(), audio::StatusPlaying);
  runFrames(1);  // 102 ms
  EXPECT_EQ(player->seBuffers[4]->status(), 0u);
  const auto mix = finishCapture();
  EXPECT_EQ(mix[0], 1050);
  EXPECT_EQ(mix[2 * 87 + 1], 1050);
  EXPECT_EQ(mix[2 * 88], 1000);
  EXPECT_EQ(mix[2 * 4409], 1000);
  EXPECT_EQ(mix[2 * 4410], 0);
}

TEST_F(SoundTest, VoicesPlayAtFullVolumeAndHoldTheVoiceRange) {
  const auto voice = file("v.wav", wav16(1, 44100, std::vector<int16_t>(8820, 300)));  // 200 ms
  player->voiceFirst = 2;
  player->voiceEnd = 5;
  EXPECT_FALSE(player->IsVoicePlaying());
  player->PlaySE(5, voice);
  EXPECT_FALSE(player->IsVoicePlaying()) << "the end of the range is not a voice buffer";
  player->PlaySE(1, voice);
  EXPECT_FALSE(player->IsVoicePlaying());
  player->PlayVoice(4, voice);
  EXPECT_TRUE(player->IsVoicePlaying());
  player->SetSEVolume(4, 10);
  EXPECT_EQ(player->seBuffers[4]->volume(), -2000);
  player->PlayVoice(4, voice);
  EXPECT_EQ(player->seBuffers[4]->volume(), audio::VolumeMax);
  runMs(210);
  EXPECT_FALSE(player->IsVoicePlaying()) << "the voice has ended";
  player->PlayVoice(2, voice);
  EXPECT_TRUE(player->IsVoicePlaying());
  player->StopAllSE();
  EXPECT_FALSE(player->IsVoicePlaying());
  player->voiceEnd = 99;  // past the last buffer: looked at up to buffer 19
  player->PlaySE(19, voice);
  EXPECT_TRUE(player->IsVoicePlaying());
  EXPECT_TRUE(platform::messageBoxLog().empty());
}

TEST_F(SoundTest, VoiceRangeNotSetIsReported) {
  struct Case {
    int32_t first, end;
    bool reported;
  } cases[] = {{-1, -1, true}, {-1, 3, true}, {4, 3, true}, {0, 0, false}, {3, 3, false}};
  for (const Case& c : cases) {
    platform::clearMessageBoxLog();
    player->voiceFirst = c.first;
    player->voiceEnd = c.end;
    EXPECT_FALSE(player->IsVoicePlaying());
    ASSERT_EQ(platform::messageBoxLog().size(), c.reported ? 1u : 0u) << c.first << ".." << c.end;
    if (!c.reported) continue;
    EXPECT_EQ(platform::messageBoxLog()[0].captionCp932, "ERROR");
    EXPECT_EQ(platform::messageBoxLog()[0].textCp932,
              CP932("音声バッファ番号を指定せずに音声バッファにアクセスしようとした"));
  }
}

TEST_F(SoundTest, BufferNumbersOutsideTheTwentyAreIgnored) {
  const auto se = file("se.wav", wav16(1, 22050, {1, 2, 3}));
  for (int32_t index : {-1, 20, 99999, -100}) {
    player->PlaySE(index, se);
    player->PlayVoice(index, se);
    player->StopSE(index);
    player->SetSEVolume(index, 50);
    EXPECT_FALSE(player->LoadSE(index, se));
  }
  for (const auto& buffer : player->seBuffers) EXPECT_FALSE(buffer);
}

}  // namespace
}  // namespace soundtest
