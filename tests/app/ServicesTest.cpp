// The program object's services: published to the engine context while they live, cleared when
// they go, and destroyed in the exit order the engine relies on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Services.h"
#include "engine/Engine.h"
#include "layer/C_BaseCharaLayer.h"
#include "layer/C_SpriteFact.h"
#include "layer/C_TextureFact.h"
#include "script/C_EventMain.h"
#include "script/LuaHost.h"
#include "sound/C_SoundPlayer.h"

namespace {

std::vector<std::string> g_gone;

// Records the service's name as it goes and which of the others are still published then.
template <class T, const char* Name>
void noteGoing(T*) {
  const engine::Engine& e = engine::context();
  std::string line = Name;
  line += e.eventMain ? " events" : "";
  line += e.lua ? " lua" : "";
  line += e.soundPlayer ? " sound" : "";
  line += e.textureFact ? " textures" : "";
  line += e.spriteFact ? " sprites" : "";
  g_gone.push_back(line);
}

constexpr char kOverlay[] = "overlay";
constexpr char kEvents[] = "events";
constexpr char kSound[] = "sound";
constexpr char kTextures[] = "textures";
constexpr char kSprites[] = "sprites";

TEST(ServicesTest, TheyGoInTheExitOrderAndLeaveNoPointerBehind) {
  engine::resetEngine();
  g_gone.clear();
  engine::Engine& e = engine::context();
  {
    app::Services s;
    s.lua = app::publish(
        &engine::Engine::lua, std::make_unique<script::LuaHost>(), +[](script::LuaHost* host) {
          g_gone.push_back(engine::context().eventMain ? "lua events" : "lua");
          host->close();
        });
    e.lua->create();
    s.eventMain = app::publish(&engine::Engine::eventMain, std::make_unique<script::C_EventMain>(e.lua->scriptState),
                               &noteGoing<script::C_EventMain, kEvents>);
    s.textureFact = app::publish(&engine::Engine::textureFact, std::make_unique<layer::C_TextureFact>(),
                                 &noteGoing<layer::C_TextureFact, kTextures>);
    s.spriteFact = app::publish(&engine::Engine::spriteFact, std::make_unique<layer::C_SpriteFact>(),
                                &noteGoing<layer::C_SpriteFact, kSprites>);
    s.soundPlayer = app::publish(&engine::Engine::soundPlayer, std::make_unique<sound::C_SoundPlayer>(),
                                 &noteGoing<sound::C_SoundPlayer, kSound>);
    s.fadeOverlay = app::publish(&engine::Engine::fadeOverlay, std::make_unique<layer::C_BaseCharaLayer>(),
                                 &noteGoing<layer::C_BaseCharaLayer, kOverlay>);
    EXPECT_EQ(e.lua, s.lua.get());
    EXPECT_EQ(e.eventMain, s.eventMain.get());
    EXPECT_EQ(e.fadeOverlay, s.fadeOverlay.get());
    EXPECT_NE(e.lua->scriptState, nullptr);
  }
  // Each still sees the ones that go after it, and none of the ones before.
  const std::vector<std::string> expected = {
      "overlay events lua sound textures sprites",
      "events events lua sound textures sprites",
      "lua",
      "sound sound textures sprites",
      "textures textures sprites",
      "sprites sprites",
  };
  EXPECT_EQ(g_gone, expected);
  EXPECT_EQ(e.lua, nullptr);
  EXPECT_EQ(e.eventMain, nullptr);
  EXPECT_EQ(e.textureFact, nullptr);
  EXPECT_EQ(e.spriteFact, nullptr);
  EXPECT_EQ(e.soundPlayer, nullptr);
  EXPECT_EQ(e.fadeOverlay, nullptr);
  engine::resetEngine();
}

}  // namespace
