// The Sc functions and tags of backgrounds and plain characters: arguments, screen scaling and
// the layout attributes of the tags.
#include <gtest/gtest.h>

#include <memory>

#include "chara/PlainCharas.h"
#include "layer/LayerWorld.h"
#include "scene/C_BaseScene.h"
#include "script/C_EventMain.h"
#include "script/LuaHost.h"
#include "script/TagLine.h"
#include "script/TagTable.h"

namespace {

using namespace layertest;

class PictureScript : public ::testing::Test {
 protected:
  void SetUp() override {
    world = std::make_unique<LayerWorld>();
    world->picture("bg.png", solidImage(1024, 768, 0xFF000000u));
    world->picture("c.png", solidImage(100, 200, 0xFFFFFFFFu));
    L = script::NewStateWithLibraries();
    script::RegisterScriptFunctions(L);
    events = std::make_unique<script::C_EventMain>(L);
    events->drivenScene = &scene;
    engine::context().eventMain = events.get();
    script::RegisterPictureTags(tags);
  }
  void TearDown() override {
    engine::context().eventMain = nullptr;
    chara::DestroyBackgroundAndPlainCharas(scene);
    events.reset();
    lua_close(L);
    world.reset();
  }
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
  layer::PictureSlot& chara(size_t page) { return scene.plainCharas.at(page)->currentPicture(); }

  std::unique_ptr<LayerWorld> world;
  scene::C_BaseScene scene;
  lua_State* L = nullptr;
  std::unique_ptr<script::C_EventMain> events;
  script::TagTable tags;
};

TEST_F(PictureScript, ScFunctionsReachTheScenesPictures) {
  EXPECT_EQ(lua("r = ScSetBG('bg.png', -1, -1, 0, 0, 0, 0); assert(r == 0)"), "");
  ASSERT_TRUE(scene.background);
  EXPECT_FLOAT_EQ(scene.background->currentPicture().scaleX, 1.0f);
  EXPECT_EQ(lua("ScReSizeBG(512, 768)"), "");
  EXPECT_FLOAT_EQ(scene.background->currentPicture().scaleX, 0.5f);

  // Positions and scales times screenScale; moves as given.
  engine::context().screenScale = 0.78125f;
  EXPECT_EQ(lua("ScSetPlainChara(0, 'c.png', 0, 0, 0)"), "");
  EXPECT_EQ(lua("ScPutPlainChara(0, 100, 0)"), "");
  EXPECT_FLOAT_EQ(chara(0).x, 78.125f);
  EXPECT_EQ(lua("ScReSizePlainChara(0, 200, 100)"), "");
  EXPECT_FLOAT_EQ(chara(0).scaleX, 1.5625f);
  EXPECT_EQ(lua("ScMovePlainCharaReset(0); ScMovePlainCharaAdd_ABS(0, 100, 5, 1, 1, 0.9); ScMovePlainCharaSet(0)"), "");
  EXPECT_EQ(chara(0).keys[0].duration, 0) << "time truncated";
  scene.plainCharas[0]->update(0);
  EXPECT_FLOAT_EQ(chara(0).x, 100.0f);
  EXPECT_EQ(lua("ScMovePlainCharaAdd_REL(0, 1, 2, 0, 0, 10)"), "");
  EXPECT_EQ(chara(0).keys[1].relative, 1) << "the next free key";
  // Times are truncated from the script's number itself; beyond the range they saturate.
  EXPECT_EQ(lua("ScMovePlainCharaAdd_REL(0, 0, 0, 0, 0, 2.99999999999); ScMovePlainCharaAdd_REL(0, 0, 0, 0, 0, 1e12)"),
            "");
  EXPECT_EQ(chara(0).keys[2].duration, 2);
  EXPECT_EQ(chara(0).keys[3].duration, INT32_MAX);
  EXPECT_EQ(lua("ScMoveSplinePlainCharaReset(0); ScMoveSplinePlainCharaAdd_REL(0, 10, 0, 0, 0);"
                "ScMoveSplinePlainCharaAdd_ABS(0, 0, 0, 1, 1); ScMoveSplinePlainCharaSet(0, 100)"),
            "");
  EXPECT_EQ(chara(0).splinePositions.size(), 3u);
  EXPECT_FLOAT_EQ(chara(0).splinePositions[1].first, 110.0f);
  EXPECT_TRUE(chara(0).splineActive);
  EXPECT_EQ(lua("ScUseUVPlainChara(0, 0.5, 0, 0.25, 1)"), "");
  EXPECT_TRUE(chara(0).useUvRect);
  EXPECT_FLOAT_EQ(chara(0).uvScale[0], 0.25f);
  EXPECT_EQ(lua("ScNoUseUVPlainChara(0)"), "");
  EXPECT_FALSE(chara(0).useUvRect);
  EXPECT_EQ(lua("ScDelPlainChara(0, 0)"), "");
  scene.plainCharas[0]->update(0);
  EXPECT_EQ(chara(0).alpha(), 0);

  // A page that does not exist: nothing happens, 0 comes back.
  EXPECT_EQ(lua("r = ScPutPlainChara(5, 1, 1); assert(r == 0)"), "");
  // A wrong argument is Lua's argument error.
  EXPECT_NE(lua("ScSetPlainChara(0, {}, 0, 0, 0)").find("bad argument"), std::string::npos);
  EXPECT_NE(lua("ScPutPlainChara(0, 'x', 0)").find("bad argument"), std::string::npos);
}

TEST_F(PictureScript, TagsTurnLayoutAttributesIntoPositions) {
  tag("@[SimpleBG file=\"bg.png\" time=\"0\"]");
  ASSERT_TRUE(scene.background);
  EXPECT_FLOAT_EQ(scene.background->currentPicture().scaleX, 1.0f);
  EXPECT_FLOAT_EQ(scene.background->currentPicture().x, 0.0f);

  // width 50 of a 100-wide picture: scale 0.5; left 0: the centre 25 pixels in.
  tag("@[SimplePlainChara page=\"0\" file=\"c.png\" left=\"0\" pos_y=\"10\" width=\"50\" time=\"0\"]");
  EXPECT_FLOAT_EQ(chara(0).scaleX, 0.5f);
  EXPECT_FLOAT_EQ(chara(0).scaleY, 1.0f);
  EXPECT_FLOAT_EQ(chara(0).x, 25.0f - 512.0f);
  EXPECT_FLOAT_EQ(chara(0).y, 10.0f);

  tag("@[MovePlainCharaReset page=\"0\"]");
  tag("@[MovePlainCharaData page=\"0\" type=\"REL\" pos_x=\"30\" time=\"100\"]");
  tag("@[MovePlainCharaData page=\"0\" type=\"ABS\" pos_y=\"-40\" scale_w=\"2\" time=\"0\"]");
  const layer::MoveKey* keys = chara(0).keys;
  EXPECT_EQ(keys[0].relative, 1);
  EXPECT_FLOAT_EQ(keys[0].x, 30.0f);
  EXPECT_FLOAT_EQ(keys[0].scaleX, 0.0f) << "a relative move without a scale keeps the scale";
  EXPECT_EQ(keys[0].duration, 100);
  EXPECT_EQ(keys[1].relative, 0);
  EXPECT_FLOAT_EQ(keys[1].x, 25.0f - 512.0f) << "an absolute move keeps a position not given";
  EXPECT_FLOAT_EQ(keys[1].y, -40.0f);
  EXPECT_FLOAT_EQ(keys[1].scaleX, 2.0f);
  tag("@[MovePlainCharaStart page=\"0\"]");
  EXPECT_EQ(chara(0).nextKey, 0);

  tag("@[MoveSplinePlainCharaReset page=\"0\"]");
  tag("@[MoveSplinePlainCharaData page=\"0\" type=\"ABS\" pos_x=\"0\" pos_y=\"0\"]");
  tag("@[MoveSplinePlainCharaStart page=\"0\" time=\"500\"]");
  EXPECT_TRUE(chara(0).splineActive);
  EXPECT_EQ(chara(0).splineDuration, 500);

  tag("@[SimpleDeletePlainChara page=\"0\" time=\"0\"]");
  scene.plainCharas[0]->update(0);
  EXPECT_EQ(chara(0).alpha(), 0);
  // Tags on pages that do not exist change nothing.
  tag("@[MovePlainCharaData page=\"4\" pos_x=\"1\"]");
  tag("@[SimpleDeletePlainChara page=\"4\"]");
  EXPECT_EQ(scene.plainCharas.size(), 1u);
}

TEST_F(PictureScript, TagsReadCornersAndSizesWithTheirOwnTypes) {
  world->picture("narrow.png", solidImage(107, 80, 0xFF000000u));
  // The picture tags read left, top, width and height as integers (the fractions drop); the
  // move-data tags read them as reals.
  tag("@[SimplePlainChara page=\"0\" file=\"c.png\" left=\"10.7\" top=\"20.9\" width=\"50.9\" "
      "height=\"100.5\" time=\"0\"]");
  EXPECT_FLOAT_EQ(chara(0).scaleX, 0.5f);
  EXPECT_FLOAT_EQ(chara(0).scaleY, 0.5f);
  EXPECT_FLOAT_EQ(chara(0).x, 25.0f + 10.0f - 512.0f);
  EXPECT_FLOAT_EQ(chara(0).y, 50.0f + 20.0f - 384.0f);
  tag("@[MovePlainCharaReset page=\"0\"]");
  tag("@[MovePlainCharaData page=\"0\" type=\"ABS\" left=\"10.5\" top=\"0.25\" time=\"0\"]");
  EXPECT_FLOAT_EQ(chara(0).keys[0].x, 50.0f + 10.5f - 512.0f);
  EXPECT_FLOAT_EQ(chara(0).keys[0].y, 100.0f + 0.25f - 384.0f);

  // A background of a given width gets exactly ScSetBG's scale for that width, not the scale of
  // a width rounded down on the way.
  tag("@[SimpleBG file=\"narrow.png\" width=\"1024\" height=\"768\" left=\"0\" top=\"0\" time=\"0\"]");
  ASSERT_TRUE(scene.background);
  EXPECT_EQ(scene.background->currentPicture().scaleX, 1024.0f / 107.0f);
  EXPECT_EQ(scene.background->currentPicture().scaleY, 768.0f / 80.0f);
  EXPECT_NEAR(scene.background->currentPicture().x, 0.0f, 1e-3f);
  engine::context().screenScale = 0.78125f;
  tag("@[SimpleBG file=\"narrow.png\" width=\"512\" pos_x=\"100\" time=\"0\"]");
  EXPECT_EQ(scene.background->currentPicture().scaleX, 512.0f / 107.0f * 0.78125f);
  EXPECT_FLOAT_EQ(scene.background->currentPicture().scaleY, 0.78125f) << "height not given: its own";
  EXPECT_FLOAT_EQ(scene.background->currentPicture().x, 78.125f);
}

}  // namespace
