// Reading globalData.lua and scriptSettings.lua: type checks, conversions and their messages.
#include <gtest/gtest.h>

#include "app/Config.h"
#include "archive/ArchiveSet.h"
#include "engine/Engine.h"
#include "platform/Platform.h"
#include "scene/C_BaseScene.h"
#include "scene/ScriptSettings.h"
#include "sound/C_SoundPlayer.h"
#include "support/TempDir.h"

namespace {

class ConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    engine::resetEngine();
    archive::resetArchiveSet();
    platform::clearMessageBoxLog();
  }
  void TearDown() override { engine::resetEngine(); }

  std::vector<std::string> captions() const {
    std::vector<std::string> out;
    for (const auto& r : platform::messageBoxLog()) out.push_back(r.textUtf8);
    return out;
  }

  testsupport::TempDir dir_;
};

const char kGoodSettings[] =
    "g_Scr_IsSkipMode = true\n"
    "g_Scr_IsSkipWaitTime = false\n"
    "g_Scr_IsAutoMode = true\n"
    "g_Scr_AutoModeTime_FAST = 500\n"
    "g_Scr_AutoModeTime_MID = '1500'\n"
    "g_Scr_AutoModeTime_SLOW = 3000\n"
    "g_Scr_IsAutoModeTimeType = 2\n"
    "g_Scr_SoundBufFirst = 10\n"
    "g_Scr_SoundBufEnd = 20\n";

TEST_F(ConfigTest, GlobalDataConvertsNumbersAndTheFrameRateRule) {
  struct Case {
    const char* frameRate;
    int32_t interval;
  };
  for (const Case& c : {Case{"60", 17}, Case{"59", 34}, Case{"30", 34}}) {
    engine::resetEngine();
    dir_.write("globalData.lua", std::string("g_Lua_ScreenWidth = '800'\ng_Lua_ScreenHeight = 600\n"
                                             "g_Lua_Aspect = 1.33\ng_Lua_FrameRate = ") +
                                     c.frameRate +
                                     "\ng_Lua_UseSolid = 0\ng_Lua_EnableAlwaysMostTop = 1\n"
                                     "g_Lua_EnableWhenNotActive = 2\n");
    testsupport::ScopedChdir cd(dir_.path());
    app::ReadGlobalData();
    EXPECT_EQ(engine::context().frameInterval, c.interval) << c.frameRate;
  }
  const engine::Engine& e = engine::context();
  EXPECT_EQ(e.screenWidth, 800);  // a numeric string passes the check
  EXPECT_EQ(e.screenHeight, 600);
  EXPECT_FLOAT_EQ(e.screenScale, 800.0f / 1024.0f);
  EXPECT_FALSE(e.useSolid);
  EXPECT_TRUE(e.alwaysOnTop);
  EXPECT_TRUE(e.runWhenInactive);
  EXPECT_TRUE(platform::messageBoxLog().empty());
}

TEST_F(ConfigTest, GlobalDataWithAMissingValueShowsOneMessageAndReadsZero) {
  dir_.write("globalData.lua", "g_Lua_ScreenWidth = 1024\ng_Lua_FrameRate = 'fast'\n");
  testsupport::ScopedChdir cd(dir_.path());
  app::ReadGlobalData();
  ASSERT_EQ(platform::messageBoxLog().size(), 1u);
  EXPECT_EQ(platform::messageBoxLog()[0].textUtf8, "globalData.lua の値が正しく取得できませんでした");
  EXPECT_EQ(platform::messageBoxLog()[0].captionUtf8, "Lua読み込みエラー");
  EXPECT_EQ(engine::context().screenWidth, 1024);
  EXPECT_FLOAT_EQ(engine::context().screenScale, 1.0f);
  EXPECT_EQ(engine::context().screenHeight, 0);
  EXPECT_EQ(engine::context().frameInterval, 34);
}

TEST_F(ConfigTest, MissingGlobalDataReportsTheLoadFailureAndTheValues) {
  testsupport::ScopedChdir cd(dir_.path());
  app::ReadGlobalData();
  ASSERT_EQ(platform::messageBoxLog().size(), 2u);
  EXPECT_EQ(platform::messageBoxLog()[0].textUtf8, "globalData.lua を開けませんでした。");
  EXPECT_EQ(platform::messageBoxLog()[0].captionUtf8, "ERROR");
}

TEST_F(ConfigTest, ScriptSettingsFillTheSceneAndTheActiveAutoWait) {
  dir_.write("scriptSettings.lua", std::string(kGoodSettings) + "g_CharaDiffPos = { 1, 2, 3, 4 }\n");
  testsupport::ScopedChdir cd(dir_.path());
  engine::context().charaDiffPos[2] = {77, 88};
  sound::C_SoundPlayer player;
  engine::context().soundPlayer = &player;
  scene::C_BaseScene scene;
  scene::ReadScriptSettings(scene);
  EXPECT_TRUE(platform::messageBoxLog().empty());
  EXPECT_TRUE(scene.skip);
  EXPECT_FALSE(scene.skipWaitTime);
  EXPECT_TRUE(scene.autoMode);
  EXPECT_EQ(scene.autoTimes[1], 1500);
  EXPECT_EQ(scene.activeAutoTime, 3000);  // type 2 selects SLOW
  EXPECT_EQ(scene.autoTimer, -1);
  EXPECT_EQ(player.voiceFirst, 10);
  EXPECT_EQ(player.voiceEnd, 20);
  engine::context().soundPlayer = nullptr;
  const auto& pos = engine::context().charaDiffPos;
  EXPECT_EQ(pos[0][0], 1);
  EXPECT_EQ(pos[0][1], 2);
  EXPECT_EQ(pos[1][0], 3);
  EXPECT_EQ(pos[1][1], 4);
  EXPECT_EQ(pos[2][0], 77);  // pairs beyond the list keep their values
}

TEST_F(ConfigTest, ScriptSettingsTypeErrorsShowOneMessageEachForValuesAndTable) {
  // A number where a boolean belongs reads as true but is reported once; a non-table
  // g_CharaDiffPos is reported once more.
  std::string text = kGoodSettings;
  text.replace(text.find("g_Scr_IsSkipMode = true"), 23, "g_Scr_IsSkipMode = 1   ");
  text.replace(text.find("g_Scr_AutoModeTime_SLOW = 3000"), 30, "g_Scr_AutoModeTime_SLOW = {} ");
  dir_.write("scriptSettings.lua", text + "g_CharaDiffPos = 5\n");
  testsupport::ScopedChdir cd(dir_.path());
  scene::C_BaseScene scene;
  scene::ReadScriptSettings(scene);
  ASSERT_EQ(platform::messageBoxLog().size(), 2u);
  for (const auto& r : platform::messageBoxLog()) {
    EXPECT_EQ(r.textUtf8, "scriptSettings.lua の値が正しく取得できませんでした");
  }
  EXPECT_TRUE(scene.skip);
  EXPECT_EQ(scene.activeAutoTime, 0);  // the mistyped SLOW entry reads as 0
}

TEST_F(ConfigTest, OverlongOffsetListIsCutAtFifteenPairs) {
  std::string list = "g_CharaDiffPos = {";
  for (int i = 0; i < 40; ++i) list += std::to_string(i) + ",";
  dir_.write("scriptSettings.lua", std::string(kGoodSettings) + list + "}\n");
  testsupport::ScopedChdir cd(dir_.path());
  scene::C_BaseScene scene;
  scene::ReadScriptSettings(scene);
  EXPECT_EQ(engine::context().charaDiffPos[14][0], 28);
  EXPECT_EQ(engine::context().charaDiffPos[14][1], 29);
}

}  // namespace
