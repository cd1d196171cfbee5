// Solid characters in the scene: where a mesh lands, the cross-fade's three draws, the delayed
// release, the drawing order and the mouse, device loss, and the Sc functions and tags.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "chara/C_SolidCharaLayer.h"
#include "chara/SolidCharas.h"
#include "layer/LayerWorld.h"
#include "scene/C_BaseScene.h"
#include "script/C_EventMain.h"
#include "script/LuaHost.h"
#include "script/TagLine.h"
#include "script/TagTable.h"

namespace {

using namespace layertest;

// A quad mesh in the mesh dialect, half-width w and half-height h in mesh units (512 pixels),
// wound like the flat quad; the upper two vertices soft when soft is set.
std::string QuadMesh(float w, float h, const std::string& picture, bool soft = false) {
  char b[1024];
  std::snprintf(b, sizeof b,
                "vertexCount = 4;\nindexCount = 6;\nshakeRate = 1.0;\npicFileName = \"%s\";\n"
                "position = {\n%gf,%gf,0f,\n%gf,%gf,0f,\n%gf,%gf,0f,\n%gf,%gf,0f,\n};\n"
                "index = {\n0,1,2,3,0,2,\n};\n"
                "uv = {\n1f,1f,0f,1f,0f,0f,1f,0f,\n};\n"
                "shakeWeights = {\n0f,0f,%s\n};\n",
                picture.c_str(), w, -h, -w, -h, -w, h, w, h, soft ? "-1f,-1f," : "0f,0f,");
  return b;
}

class SolidWorld : public ::testing::Test {
 protected:
  void SetUp() override {
    world = std::make_unique<LayerWorld>();
    world->picture("red.png", solidImage(64, 64, 0xFFFF0000u));
    world->picture("blue.png", solidImage(64, 64, 0xFF0000FFu));
    world->write("red.txt", QuadMesh(0.25f, 0.25f, "red.png"));
    world->write("blue.txt", QuadMesh(0.25f, 0.25f, "blue.png"));
    world->write("soft.txt", QuadMesh(0.25f, 0.25f, "red.png", true));
    engine::context().frameInterval = 17;
    engine::context().frameDeltaMs = 17;
    world->setNow(1000);
  }
  void TearDown() override {
    scene.solidOrder.clear();
    scene.solidCharas.clear();
    world.reset();
  }
  // One frame: the scene's solid update, then its solid pass on a black screen.
  std::vector<uint32_t> frame(uint32_t advanceMs = 17) {
    world->setNow(engine::context().frameNow + advanceMs);
    bool taken = false;
    chara::UpdateSolidCharas(scene, taken, false);
    world->clear();
    world->device().beginScene();
    chara::DrawSolidCharas(scene);
    world->device().endScene();
    return world->readBack();
  }

  std::unique_ptr<LayerWorld> world;
  scene::C_BaseScene scene;
};

TEST_F(SolidWorld, AMeshLandsWhereTheProjectionPutsIt) {
  chara::InitSceneSolidChara(scene, 1);
  chara::SetSolidChara(scene, 0, "red.txt", 100, -50, 0, 0, false, nullptr, 0, 0);
  const auto p = frame();
  // Mesh x in pixels: 512 + 100 - 0.5 + 512 x (-0.25 .. 0.25); y (down): 384 - 50 + 0.5 -
  // 512 x (0.25 .. -0.25). Pixel centres inside: columns 484..739, rows 207..462.
  EXPECT_EQ(world->pixel(p, 484, 207), 0xFF0000u);
  EXPECT_EQ(world->pixel(p, 739, 462), 0xFF0000u);
  EXPECT_EQ(world->pixel(p, 483, 300), 0u);
  EXPECT_EQ(world->pixel(p, 740, 300), 0u);
  EXPECT_EQ(world->pixel(p, 600, 206), 0u);
  EXPECT_EQ(world->pixel(p, 600, 463), 0u);
}

TEST_F(SolidWorld, CrossFadeDrawsOneMeshOrBoth) {
  chara::InitSceneSolidChara(scene, 1);
  chara::C_SolidCharaLayer& c = *scene.solidCharas[0];
  chara::SetSolidChara(scene, 0, "red.txt", 0, 0, 0, 0, false, nullptr, 0, 0);
  // Only the current mesh.
  EXPECT_EQ(world->pixel(frame(), 512, 384), 0xFF0000u);
  EXPECT_FALSE(c.otherMesh().hasBuffers());
  // Both: the old one fades out under the new one (drawn over it again at full alpha).
  chara::SetSolidChara(scene, 0, "blue.txt", 0, 0, 0, 100, false, nullptr, 0, 0);
  ASSERT_TRUE(c.otherMesh().hasBuffers());
  EXPECT_TRUE(c.otherMesh().releasePending);
  frame(0);
  auto p = frame(50);
  const uint32_t mid = world->pixel(p, 512, 384);
  EXPECT_GT(mid & 0xFF, 0x20u) << hex(mid);
  EXPECT_GT((mid >> 16) & 0xFF, 0x20u) << hex(mid);
  // Faded out: the old mesh and its picture go in the first update at alpha 0.
  p = frame(60);
  EXPECT_FALSE(c.otherMesh().hasBuffers());
  EXPECT_EQ(c.otherPicture().name[0], '\0');
  EXPECT_EQ(world->pixel(p, 512, 384), 0x0000FFu);
  // Only the old one: a load whose file is missing leaves the current slot empty while the
  // shown mesh fades out.
  chara::SetSolidChara(scene, 0, "missing.txt", 0, 0, 0, 100, false, nullptr, 0, 0);
  EXPECT_FALSE(c.currentMesh().hasBuffers());
  ASSERT_TRUE(c.otherMesh().hasBuffers());
  p = frame(0);
  EXPECT_EQ(world->pixel(p, 512, 384), 0x0000FFu);
  p = frame(200);
  EXPECT_EQ(world->pixel(p, 512, 384), 0u);
  EXPECT_FALSE(c.hasAnyMesh());
}

TEST_F(SolidWorld, IndexZeroIsAtTheBackAndTheCharacterTakingTheMouseComesToTheFront) {
  chara::InitSceneSolidChara(scene, 2);
  chara::SetSolidChara(scene, 0, "red.txt", 0, 0, 0, 0, false, nullptr, 0, 0);
  chara::SetSolidChara(scene, 1, "blue.txt", 0, 0, 0, 0, false, nullptr, 0, 0);
  EXPECT_EQ(world->pixel(frame(), 512, 384), 0x0000FFu);
  // The front character is hidden, so the one behind takes the right button and comes forward.
  scene.solidCharas[1]->visible = false;
  engine::context().mouse.mouseEvents = engine::mouse::RightDown;
  frame();
  engine::context().mouse.mouseEvents = 0;
  scene.solidCharas[1]->visible = true;
  EXPECT_EQ(scene.solidOrder.back(), scene.solidCharas[0].get());
  EXPECT_EQ(world->pixel(frame(), 512, 384), 0xFF0000u);
}

TEST_F(SolidWorld, ShakeMovesTheSoftPartOnlyAndDeviceLossKeepsTheShake) {
  chara::InitSceneSolidChara(scene, 1);
  chara::SetSolidChara(scene, 0, "soft.txt", 0, 0, 0, 0, false, nullptr, 0, 0);
  frame();
  chara::ShakeSolidChara(scene, 0, 0, 9, 0, 0.95f, 0);
  auto p = frame();
  chara::C_SolidCharaLayer& c = *scene.solidCharas[0];
  // The upper vertices rose by 0.162 mesh units (83 pixels); the lower edge stays at row 512.
  EXPECT_NEAR(c.currentMesh().displacement[3 * 2 + 1], 0.162f, 1e-5);
  EXPECT_EQ(world->pixel(p, 512, 512), 0xFF0000u);
  EXPECT_EQ(world->pixel(p, 512, 513), 0u);
  EXPECT_EQ(world->pixel(p, 400, 200), 0xFF0000u);
  c.releaseDeviceBuffers();
  EXPECT_FALSE(c.hasAnyMesh());
  c.recreateDeviceBuffers();
  EXPECT_TRUE(c.currentMesh().hasBuffers());
  EXPECT_NEAR(c.currentMesh().displacement[3 * 2 + 1], 0.162f, 1e-5);
}

TEST_F(SolidWorld, WithMouseOperationAGrabbedCharacterFollowsTheMouseAndSways) {
  chara::InitSceneSolidChara(scene, 1);
  chara::SetSolidChara(scene, 0, "soft.txt", 0, 0, 0, 0, false, nullptr, 0, 0);
  chara::SetMouseOperate(scene, true);
  frame();
  engine::MouseState& mouse = engine::context().mouse;
  chara::C_SolidCharaLayer& c = *scene.solidCharas[0];
  // Pressed on an opaque texel: grabbed (no click-map region, so the mouse is not taken).
  mouse.cursorX = mouse.previousCursorX = 10;
  mouse.cursorY = mouse.previousCursorY = 5;
  mouse.mouseEvents = engine::mouse::LeftDown;
  frame();
  EXPECT_TRUE(c.dragging);
  EXPECT_EQ(c.hitIndex, 0);
  mouse.mouseEvents = 0;
  mouse.cursorX = 40;
  mouse.cursorY = 25;
  frame();
  EXPECT_EQ(c.currentPicture().x, 30.0f);
  EXPECT_EQ(c.currentPicture().y, 20.0f);
  // The move is the frame's force: the soft vertices lag behind it (a move to the right swings
  // them left), the fixed ones stay.
  EXPECT_NEAR(c.currentMesh().displacement[2 * 3], -0.27f, 1e-5);
  EXPECT_EQ(c.currentMesh().displacement[0], 0.0f);
  mouse.previousCursorX = 40;
  mouse.previousCursorY = 25;
  mouse.mouseEvents = engine::mouse::LeftUp;
  frame();
  EXPECT_FALSE(c.dragging);
  mouse.mouseEvents = 0;
  // A press off the picture grabs nothing.
  mouse.cursorX = mouse.previousCursorX = 400;
  mouse.mouseEvents = engine::mouse::LeftDown;
  frame();
  EXPECT_FALSE(c.dragging);
  EXPECT_EQ(c.hitIndex, -1);
  mouse = engine::MouseState{};
}

TEST_F(SolidWorld, ArrayRulesOfTheScriptOperations) {
  // Before any array: nothing happens.
  chara::SetSolidChara(scene, 0, "red.txt", 0, 0, 0, 0, false, nullptr, 0, 0);
  EXPECT_TRUE(scene.solidCharas.empty());
  chara::InitSceneSolidChara(scene, 2);
  EXPECT_EQ(chara::FindSolidChara(scene, 2), nullptr);
  EXPECT_EQ(chara::FindSolidChara(scene, -1), nullptr);
  chara::SetSolidChara(scene, 5, "red.txt", 0, 0, 0, 0, false, nullptr, 0, 0);
  chara::SetSolidChara(scene, 1, "red.txt", 10, 20, 30, 0, false, nullptr, 0, 0);
  chara::C_SolidCharaLayer& c = *scene.solidCharas[1];
  EXPECT_EQ(c.charaIndex, 1);
  EXPECT_EQ(c.variants, std::vector<std::string>{"eventMacro.evt?*lbl_clickclick"});
  EXPECT_EQ(c.currentPicture().depth, 30.0f);
  // A second init discards the array and its meshes.
  chara::InitSceneSolidChara(scene, 1);
  EXPECT_EQ(scene.solidCharas.size(), 1u);
  EXPECT_FALSE(scene.solidCharas[0]->hasAnyMesh());
  EXPECT_EQ(scene.solidOrder.size(), 1u);
}

TEST_F(SolidWorld, ScriptFunctionsAndTags) {
  lua_State* L = script::NewStateWithLibraries();
  script::RegisterScriptFunctions(L);
  auto events = std::make_unique<script::C_EventMain>(L);
  events->drivenScene = &scene;
  engine::context().eventMain = events.get();
  script::TagTable tags;
  script::RegisterSolidTags(tags);
  const auto lua = [&](const char* chunk) {
    if (luaL_dostring(L, chunk) != 0) {
      ADD_FAILURE() << lua_tostring(L, -1);
      lua_pop(L, 1);
    }
  };
  const auto tag = [&](const std::string& line) {
    const script::TagTokens tokens = script::TokenizeTagLine(line);
    script::TagHandler handler = tags.find(tokens[0]);
    ASSERT_NE(handler, nullptr) << line;
    EXPECT_TRUE(handler(*events, tokens));
  };
  lua("ScSetSolidChara(0, 'red.txt', 0, 0, 0, 0)");  // no array: nothing
  lua("ScInitSceneSolidChara(2)");
  lua("ScSetSolidChara(0, 'red.txt', 10, 20, 0, 0)");
  lua("ScSetSolidChara(9, 'red.txt', 10, 20, 0, 0)");  // outside: nothing
  chara::C_SolidCharaLayer& c = *scene.solidCharas[0];
  EXPECT_TRUE(c.currentMesh().hasBuffers());
  EXPECT_EQ(c.currentPicture().x, 10.0f);
  c.variants.clear();
  lua("ScSetSolidChara(0, 'blue.txt', 1, 2, 3, 0, '', 0, 0)");
  EXPECT_TRUE(c.variants.empty());
  lua("ScShakeSolidChara(0, 1, 2, 3, 0.5, 99.9)");
  EXPECT_EQ(c.currentMesh().forceTime, 99);
  EXPECT_EQ(c.currentMesh().forceDecay, 0.5f);
  lua("ScSetAutoShakeParam(0, 2000, 30, 1.5)");
  EXPECT_TRUE(c.currentMesh().autoShakeOn);
  EXPECT_NEAR(c.currentMesh().autoPeriod, 2000 / 6.283185f, 1e-3);
  EXPECT_EQ(c.currentMesh().autoAngle, 1.5f);
  lua("ScResetAutoShakeParam(0)");
  EXPECT_FALSE(c.currentMesh().autoShakeOn);
  lua("ScSetMouseOperate(1) ScSetSoildClickableFlag(0)");
  EXPECT_TRUE(scene.solidCharas[1]->mouseOperate);
  EXPECT_FALSE(scene.solidCharas[1]->clickMapEnabled);
  tag("@[CharaMouseDragOff]");
  EXPECT_FALSE(c.mouseOperate);
  tag("@[ShakeStandChara page=\"0\"]");
  EXPECT_EQ(c.currentMesh().forceTime, 1000);
  EXPECT_FLOAT_EQ(c.currentMesh().forceDecay, 0.95f);
  tag("@[AutoShakeStart page=\"0\" power=\"5\"]");
  EXPECT_NEAR(c.currentMesh().autoAngle, 90 / 57.295784f, 1e-6);
  EXPECT_NEAR(c.currentMesh().autoPeriod, 159.155f, 1e-3);
  tag("@[AutoShakeEnd page=\"0\"]");
  EXPECT_FALSE(c.currentMesh().autoShakeOn);
  tag("@[SimpleStandChara page=\"1\" file=\"blue.txt\" pos_x=\"40\" scale_w=\"2\"]");
  EXPECT_EQ(scene.solidCharas[1]->currentPicture().x, 40.0f);
  EXPECT_EQ(scene.solidCharas[1]->currentPicture().scaleX, 2.0f);
  tag("@[SimpleDeleteChara page=\"1\" time=\"0\"]");
  EXPECT_TRUE(scene.solidCharas[1]->currentMesh().releasePending);
  engine::context().eventMain = nullptr;
  events.reset();
  lua_close(L);
}

}  // namespace
