// The script side of sound: the Sc sound functions, the sound tags, the inline voice tag of
// message texts and the voice check of the auto mode.
#include "SoundFixture.h"
#include "script/C_EventMain.h"
#include "script/LuaHost.h"
#include "script/ScriptStepHooks.h"
#include "script/TagLine.h"
#include "script/TagTable.h"
#include "sound/VoiceTag.h"

namespace soundtest {
namespace {

class SoundScriptTest : public SoundTest {
 protected:
  void SetUp() override {
    SoundTest::SetUp();
    engine::context().soundPlayer = player.get();
    L = script::NewStateWithLibraries();
    script::RegisterScriptFunctions(L);
    events = std::make_unique<script::C_EventMain>(L);
    script::RegisterSoundTags(tags);
    file("a.ogg", testsupport::encodeOgg(tone(30000, 2, 0.02), 2, 44100));
    file("b.ogg", testsupport::encodeOgg(tone(30000, 2, 0.03), 2, 44100));
    file("se.wav", wav16(1, 22050, std::vector<int16_t>(22050, 700)));
  }
  void TearDown() override {
    events.reset();
    lua_close(L);
    engine::context().soundPlayer = nullptr;
    SoundTest::TearDown();
  }
  // Runs a chunk; returns the Lua error text, empty on success.
  std::string lua(const std::string& chunk) {
    if (luaL_dostring(L, chunk.c_str()) == 0) return {};
    std::string error = lua_tostring(L, -1);
    lua_pop(L, 1);
    return error;
  }
  void tag(const std::string& line) {
    const script::TagTokens tokens = script::TokenizeTagLine(line);
    script::TagHandler handler = tags.find(tokens[0]);
    ASSERT_NE(handler, nullptr) << line;
    EXPECT_TRUE(handler(*events, tokens));
  }

  lua_State* L = nullptr;
  std::unique_ptr<script::C_EventMain> events;
  script::TagTable tags;
};

TEST_F(SoundScriptTest, ScFunctionsDriveThePlayer) {
  EXPECT_EQ(lua("r = ScPlayBGM('a.ogg', 0, 1)"), "");
  EXPECT_EQ(lua("assert(r == 0)"), "");
  EXPECT_EQ(player->bgmFileData[0].bytes, testsupport::readAll(dir.path() + "/a.ogg"));
  EXPECT_EQ(lua("ScVolumeBGM(50)"), "");
  EXPECT_EQ(player->bgmBuffers[0]->volume(), -602);
  EXPECT_EQ(lua("ScCrossFadeBGM('b.ogg', 1000, 80)"), "");
  EXPECT_EQ(player->currentBgmSlot, 1);
  EXPECT_TRUE(player->bgmFades[1].active);
  EXPECT_EQ(player->bgmFades[1].to, 80);
  EXPECT_EQ(lua("ScStopBGM(0)"), "");
  EXPECT_EQ(player->bgmBuffers[1]->status(), 0u);

  EXPECT_EQ(lua("ScPlaySE(3, 'se.wav', 5)"), "");
  ASSERT_TRUE(player->seBuffers[3]);
  EXPECT_EQ(player->seBuffers[3]->status(), audio::StatusPlaying) << "once: the loop count is not used";
  EXPECT_EQ(lua("ScVolumeSE(3, 10)"), "");
  EXPECT_EQ(player->seBuffers[3]->volume(), -2000);
  EXPECT_EQ(lua("ScStopSE(3)"), "");
  EXPECT_EQ(player->seBuffers[3]->status(), 0u);
  EXPECT_EQ(lua("ScPlaySE(4, 'se.wav', 0); ScPlaySE(5, 'se.wav', 0); ScStopAllSE()"), "");
  EXPECT_EQ(player->seBuffers[4]->status() | player->seBuffers[5]->status(), 0u);
  EXPECT_EQ(lua("ScPlaySE(-1, 'se.wav', 0); ScPlaySE(20, 'se.wav', 0); ScStopSE(99); ScVolumeSE(-3, 50)"), "");
}

TEST_F(SoundScriptTest, ScFunctionsRefuseWrongArguments) {
  const char* calls[] = {
      "ScPlayBGM('a.ogg', 'soon', 0)", "ScPlayBGM('a.ogg', 0)",    "ScStopBGM('x')", "ScVolumeBGM({})",
      "ScCrossFadeBGM(1, 2)",          "ScPlaySE('se.wav', 1, 0)", "ScStopSE(nil)",  "ScVolumeSE(1)",
  };
  for (const char* call : calls) EXPECT_NE(lua(call), "") << call;
  EXPECT_FALSE(player->bgmBuffers[0]);
  for (const auto& buffer : player->seBuffers) EXPECT_FALSE(buffer);
}

TEST_F(SoundScriptTest, PlayBgmTagCrossFadesOnlyAboveOneMillisecond) {
  tag("@[PlayBGM file=\"a.ogg\" time=\"1\" volume=\"50\"]");
  EXPECT_EQ(player->currentBgmSlot, 0) << "time 1: played in place";
  EXPECT_EQ(player->bgmFades[0].current, 50);
  EXPECT_EQ(player->bgmBuffers[0]->volume(), -602);
  tag("@[PlayBGM file=\"b.ogg\" time=\"2\" loop=\"true\" cross_fade=\"false\"]");
  EXPECT_EQ(player->currentBgmSlot, 1) << "time 2: cross-faded";
  EXPECT_EQ(player->bgmFades[1].to, 100);
  EXPECT_EQ(player->bgmFades[1].duration, 2);
  tag("@[PropBGM time=\"300\" volume=\"10\"]");
  EXPECT_EQ(player->bgmFades[1].current, 10) << "at once";
  tag("@[StopBGM time=\"500\"]");
  EXPECT_EQ(player->bgmFades[1].to, 0);
  EXPECT_EQ(player->bgmFades[1].duration, 500);
}

// Volumes are any 32-bit number a script gives: above 100 is full volume, below 0 silence,
// however far out (volume x 100 once overflowed and played at a wrapped volume).
TEST_F(SoundScriptTest, ExtremeVolumesAreFullOrSilent) {
  const struct {
    const char* line;
    int32_t volume;
  } cases[] = {
      {"ScVolumeBGM(30000000)", 0},
      {"ScVolumeBGM(2147483647)", 0},
      {"ScVolumeBGM(-2147483648)", audio::VolumeMin},
      {"ScVolumeBGM(-30000000)", audio::VolumeMin},
      {"@[PropBGM volume=\"30000000\"]", 0},
      {"@[PropBGM volume=\"99999999999\"]", 0},
      {"@[PropBGM volume=\"-99999999999\"]", audio::VolumeMin},
      {"@[PlayBGM file=\"a.ogg\" volume=\"30000000\"]", 0},
  };
  EXPECT_EQ(lua("ScPlayBGM('a.ogg', 0, 1)"), "");
  for (const auto& c : cases) {
    player->SetBGMVolume(50);
    if (c.line[0] == '@') {
      tag(c.line);
    } else {
      EXPECT_EQ(lua(c.line), "") << c.line;
    }
    ASSERT_TRUE(player->bgmBuffers[player->currentBgmSlot]) << c.line;
    EXPECT_EQ(player->bgmBuffers[player->currentBgmSlot]->volume(), c.volume) << c.line;
  }
  // A cross-fade towards such a volume steps without overflow and ends on it.
  for (const int32_t volume : {INT32_MIN, INT32_MAX}) {
    engine::context().frameNow = 1000;
    player->CrossFadeBGM("b.ogg", 100, volume);
    const int32_t slot = player->currentBgmSlot;
    player->Update();
    engine::context().frameNow = 1050;
    player->Update();
    EXPECT_EQ(player->bgmFades[slot].current, volume / 2) << volume;
    engine::context().frameNow = 1100;
    player->Update();
    EXPECT_EQ(player->bgmFades[slot].current, volume) << volume;
  }
}

TEST_F(SoundScriptTest, PlayBgmTagWithoutAttributesPlaysTheEmptyNameAtFullVolume) {
  tag("@[PlayBGM file=\"a.ogg\"]");
  ASSERT_TRUE(player->bgmBuffers[0]);
  player->SetBGMVolume(20);
  tag("@[PlayBGM]");
  EXPECT_FALSE(player->bgmBuffers[0]) << "the empty name loads nothing; the music is gone";
  EXPECT_EQ(player->bgmFades[0].current, 100);
}

TEST_F(SoundScriptTest, EffectTags) {
  tag("@[PlaySE file=\"se.wav\" buf=\"6\" loop_count=\"3\" volume=\"50\"]");
  ASSERT_TRUE(player->seBuffers[6]);
  EXPECT_EQ(player->seBuffers[6]->status(), audio::StatusPlaying);
  EXPECT_EQ(player->seBuffers[6]->volume(), -602);
  tag("@[PlaySE file=\"se.wav\"]");
  ASSERT_TRUE(player->seBuffers[0]) << "buffer 0 by default";
  EXPECT_EQ(player->seBuffers[0]->volume(), 0) << "volume 100 by default";
  tag("@[PlaySE file=\"se.wav\" buf=\"-1\"]");
  tag("@[PropSE buf=\"6\" volume=\"25\"]");
  EXPECT_EQ(player->seBuffers[6]->volume(), -1204);
  tag("@[PropSE buf=\"6\"]");
  EXPECT_EQ(player->seBuffers[6]->volume(), audio::VolumeMin) << "volume 0 when not given";
  tag("@[StopSE buf=\"6\"]");
  EXPECT_EQ(player->seBuffers[6]->status(), 0u);
  tag("@[StopAllSE]");
  EXPECT_EQ(player->seBuffers[0]->status(), 0u);
}

TEST(VoiceTag, CutFromTheText) {
  struct Case {
    const char* text;
    const char* rest;
    bool found;
    int32_t buffer;
    const char* file;
  } cases[] = {
      {"<voice buf='3' file='v001.ogg'><n>Hello", "Hello", true, 3, "v001.ogg"},
      {"<voice file='v2.wav' buf='12'><n>", "", true, 12, "v2.wav"},
      {"<voice file='v3.wav'><n>text", "text", true, -1, "v3.wav"},
      {"<voice buf='1234567' file='x.wav'><n>", "", true, 12345, "x.wav"},
      {"<voice buf='2' file='x.wav'>", "", true, 2, "x.wav"},
      {"<voice buf='2' file='x.wav'>ab", "ab", true, 2, "x.wav"},
      // Text on the tag's own line stays whole, double-byte characters included.
      {"<voice buf='2' file='x.wav'>\x82\xa0\x82\xa2", "\x82\xa0\x82\xa2", true, 2, "x.wav"},
      {"before<voice buf='4' file='y.wav'><n>after<voice buf='5' file='z.wav'><n>",
       "beforeafter<voice buf='5' file='z.wav'><n>", true, 4, "y.wav"},
      {"<voice buf='1' file='x.wav'", "<voice buf='1' file='x.wav'", false, -1, ""},
      {"no voice here", "no voice here", false, -1, ""},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    const sound::VoiceTag voice = sound::CutVoiceTag(text);
    EXPECT_EQ(text, c.rest) << c.text;
    EXPECT_EQ(voice.found, c.found) << c.text;
    EXPECT_EQ(voice.buffer, c.buffer) << c.text;
    EXPECT_EQ(voice.file, c.file) << c.text;
  }
}

TEST_F(SoundScriptTest, VoiceTagPlaysAtFullVolumeAndHoldsTheAutoMode) {
  script::InstallScriptStepHooks(script::scriptStepHooks());
  player->voiceFirst = 2;
  player->voiceEnd = 4;
  EXPECT_FALSE(script::VoicePlaying());
  std::string text = "<voice buf='3' file='se.wav'><n>line";
  sound::PlayVoiceTag(sound::CutVoiceTag(text));
  ASSERT_TRUE(player->seBuffers[3]);
  EXPECT_EQ(player->seBuffers[3]->volume(), 0);
  EXPECT_TRUE(script::VoicePlaying());
  runMs(1010);  // the voice lasts one second
  EXPECT_FALSE(script::VoicePlaying());
  text = "<voice file='se.wav'><n>";
  sound::PlayVoiceTag(sound::CutVoiceTag(text));
  EXPECT_FALSE(script::VoicePlaying()) << "without a buffer nothing plays";
}

}  // namespace
}  // namespace soundtest
