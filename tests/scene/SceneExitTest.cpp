// Leaving the title and 3D scenes: only a button pressed anew counts, one held on entry does not.
#include <gtest/gtest.h>

#include "engine/Engine.h"
#include "engine/SceneIds.h"
#include "scene/C_SceneGame_Dummy.h"
#include "scene/C_SceneTitle.h"

namespace {

int32_t Step(scene::C_BaseScene& s, std::initializer_list<int> held) {
  engine::PadRecord pad;
  for (int i : held) pad.v[i] = 1;
  return s.update(&pad);
}

TEST(SceneExit, ButtonsHeldOnEntryMustBeReleasedAndPressedAgain) {
  struct Case {
    const char* name;
    scene::C_BaseScene* (*make)();
    int button;
    int32_t target;
  };
  const Case cases[] = {
      {"title, X", [] { return static_cast<scene::C_BaseScene*>(new scene::C_SceneTitle()); }, 5, scene::SCENE_GAME},
      {"title, Z", [] { return static_cast<scene::C_BaseScene*>(new scene::C_SceneTitle()); }, 4, scene::SCENE_GAME},
      {"3D, C", [] { return static_cast<scene::C_BaseScene*>(new scene::C_SceneGame_Dummy()); }, 6,
       scene::SCENE_SANDBOX},
  };
  for (const Case& c : cases) {
    std::unique_ptr<scene::C_BaseScene> s(c.make());
    EXPECT_EQ(Step(*s, {c.button}), -1) << c.name;  // held since before the scene started
    EXPECT_EQ(Step(*s, {c.button}), -1) << c.name;
    EXPECT_EQ(Step(*s, {}), -1) << c.name;
    EXPECT_EQ(Step(*s, {c.button}), c.target) << c.name;
  }
  // The 3D scene ignores the title's buttons.
  scene::C_SceneGame_Dummy game;
  EXPECT_EQ(Step(game, {}), -1);
  EXPECT_EQ(Step(game, {4, 5, 7, 8}), -1);
}

}  // namespace
