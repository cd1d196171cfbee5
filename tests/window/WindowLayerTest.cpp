// The window layer on the headless renderer: set-up arithmetic, open and close fades, the page
// cleared after a close, the click-wait cursor's rules, the frame mesh, device loss and the
// window set.
#include <gtest/gtest.h>

#include <cmath>

#include "WindowWorld.h"
#include "engine/Engine.h"
#include "layer/C_Sprite.h"
#include "layer/C_SpriteFact.h"
#include "platform/Encoding.h"
#include "window/C_MultiWindowSet.h"
#include "window/FrameMesh.h"

namespace {

using windowtest::WindowWorld;

std::string sjis(const char* utf8) { return platform::utf8ToCp932(utf8); }

bool anyInk(const std::vector<uint32_t>& texels) {
  for (uint32_t t : texels)
    if (t != 0) return true;
  return false;
}

// Draws the window alone on a black back buffer, as the scene's window pass does.
std::vector<uint32_t> drawAlone(WindowWorld& world, window::C_WindowLayer& w) {
  world.device().clear(gfx::clearflag::Target | gfx::clearflag::ZBuffer, 0xFF000000u, 1.0f, 0);
  gfx::SpriteBatch* batch = layer::spriteBatch();
  batch->begin(gfx::spriteflag::AlphaBlend);
  w.runRenderer();
  w.draw();
  batch->end();
  return world.backBuffer();
}

TEST(WindowLayer, SetUpPlacesTheFrameAndTheTextAreaInLayoutUnits) {
  WindowWorld world;
  struct Case {
    float screenScale;
    float area[4];
    float offsetX, offsetY, areaHeight;
  };
  // A 500 x 160 window centred at (100, 50); at 800 x 600 an area taller than the screen is cut.
  const Case cases[] = {
      {1.0f, {20, 20, 420, 120}, -30.0f, -10.0f, 100.0f},
      {0.78125f, {20, 20, 420, 120}, -30.0f * 0.78125f, -10.0f * 0.78125f, 100.0f},
      {0.78125f,
       {0, 0, 100, 700},
       50.0f * 0.78125f - 250.0f * 0.78125f,
       599.0f * 0.78125f / 2.0f - 80.0f * 0.78125f,
       599.0f},
  };
  for (const Case& c : cases) {
    engine::context().screenScale = c.screenScale;
    window::C_WindowLayer w;
    w.setPicture("frame.png", nullptr, false);
    w.setWindow(window::kind::Message, 500, 160, 100.0f, 50.0f, false, false);
    const layer::PictureSlot& s = w.currentPicture();
    EXPECT_EQ(s.width, 500);
    EXPECT_FLOAT_EQ(s.scaleX, c.screenScale);
    EXPECT_FLOAT_EQ(s.x, 100.0f * c.screenScale);
    EXPECT_EQ(s.colour, 0x00FFFFFFu) << "invisible until opened";
    w.setTextArea(c.area[0], c.area[1], c.area[2], c.area[3]);
    EXPECT_NEAR(w.textOffsetX, c.offsetX, 1e-3) << c.screenScale;
    EXPECT_NEAR(w.textOffsetY, c.offsetY, 1e-3) << c.screenScale;
    EXPECT_FLOAT_EQ(w.textAreaHeight, c.areaHeight);
    EXPECT_FLOAT_EQ(w.chipOffsetX, 393.0f * c.screenScale);
  }
  engine::context().screenScale = 1.0f;
}

TEST(WindowLayer, ACloseOfZeroHidesTheWindowAndClearsThePageAtTheNextUpdate) {
  WindowWorld world;
  window::C_WindowLayer w;
  WindowWorld::setUpMessageWindow(w, 20);
  w.speed = 0.0f;
  w.setText(sjis("あいう"), false);
  WindowWorld::typeFrame(w, 17);
  ASSERT_TRUE(anyInk(WindowWorld::textTargetTexels(w)));
  w.close(0);
  EXPECT_EQ(w.currentPicture().alpha(), 255) << "nothing changes before the update";
  w.update(0);
  EXPECT_EQ(w.currentPicture().alpha(), 0);
  EXPECT_TRUE(w.text.empty());
  EXPECT_FALSE(anyInk(WindowWorld::textTargetTexels(w)));
  EXPECT_EQ(w.update(0), 8) << "the empty page is typed by the next draw";
  WindowWorld::typeFrame(w, 17);
  EXPECT_EQ(w.update(0), 0);
}

TEST(WindowLayer, TheOpenAndCloseFadesRunOnTheFrameClockAndKeepThePageUntilTheEnd) {
  WindowWorld world;
  engine::Engine& e = engine::context();
  window::C_WindowLayer w;
  WindowWorld::setUpMessageWindow(w, 20);
  w.speed = 0.0f;
  w.setText(sjis("あ"), false);
  WindowWorld::typeFrame(w, 17);
  e.frameNow = 1000;
  w.close(300);
  w.update(0);  // stamps the fade's start
  e.frameNow = 1150;
  EXPECT_EQ(w.update(0), 2);
  EXPECT_EQ(w.currentPicture().alpha(), 127);
  EXPECT_FALSE(w.text.empty());
  e.frameNow = 1300;
  w.update(0);
  EXPECT_EQ(w.currentPicture().alpha(), 0);
  EXPECT_TRUE(w.text.empty());

  e.frameNow = 2000;
  w.open(200);
  EXPECT_EQ(w.currentPicture().alpha(), 0);
  w.update(0);
  e.frameNow = 2100;
  w.update(0);
  EXPECT_EQ(w.currentPicture().alpha(), 127);
  e.frameNow = 2200;
  w.update(0);
  EXPECT_EQ(w.currentPicture().colour, 0xFFFFFFFFu);
}

TEST(WindowLayer, TheClickWaitCursorShowsOnlyOnAStillMessageWindowThatAsksForIt) {
  WindowWorld world;
  scene::C_SceneSandBox owner;
  struct Case {
    const char* name;
    int32_t kind;
    int32_t ownerState;
    bool typing;
    bool shown;
    bool reaction;
    uint32_t expected;
  };
  const uint32_t none = 0x000000u, coin = windowtest::kCoinColour & 0xFFFFFFu,
                 pulse = windowtest::kPulseColour & 0xFFFFFFu;
  const Case cases[] = {
      {"message window, still, cursor on", window::kind::Message, 3, false, true, false, coin},
      {"in reaction mode the pulse shows", window::kind::Message, 3, false, true, true, pulse},
      {"not while the scene is busy", window::kind::Message, 2, false, true, false, none},
      {"not while the page types", window::kind::Message, 3, true, true, false, none},
      {"not unless DrawWindow chose it", window::kind::Message, 3, false, false, false, none},
      {"never for a plain window", window::kind::Plain, 3, false, true, false, none},
      {"never for a selection window", window::kind::Select, 3, false, true, false, none},
      {"never for a button window", window::kind::Button, 3, false, true, false, none},
  };
  for (const Case& c : cases) {
    owner.reactionMode = c.reaction;
    owner.state = c.ownerState;
    window::C_WindowLayer w;
    w.setPicture("frame.png", nullptr, false);
    w.setWindow(c.kind, 500, 160, 0.0f, 0.0f, false, false);
    w.setTextArea(20, 20, 420, 120);
    w.setFont(0, 20, sjis("ＭＳ ゴシック").c_str(), 400);
    w.open(0);
    w.owner = &owner;
    w.setClickCursorShown(c.shown);
    w.setText(sjis("あいう"), false);
    if (!c.typing) WindowWorld::typeFrame(w, 1000);
    w.update(0);                         // places the chips
    engine::context().frameDeltaMs = 0;  // the draw's typing step types at most one more character
    const std::vector<uint32_t> pixels = drawAlone(world, w);
    // The chips sit at (393, 68) from the window's centre; the frame does not reach there.
    EXPECT_EQ(WindowWorld::rgbAt(pixels, 512 + 393, 384 + 68), c.expected) << c.name;
  }
}

TEST(WindowLayer, TheReactionCursorCyclesThroughItsPicturesEvery128Ms) {
  const int32_t expected[] = {2, 2, 3, 4, 3, 2, 3};
  const int32_t times[] = {0, 127, 128, 256, 384, 512, 640};
  for (size_t i = 0; i < std::size(times); ++i)
    EXPECT_EQ(window::ReactionCursorChip(times[i]), expected[i]) << times[i];
}

TEST(WindowLayer, TheFrameMeshCoversTheWindowWithoutLeavingIt) {
  const float sizes[][2] = {{880, 180}, {220, 50}, {17, 9}, {3, 40}, {0, 0}};
  for (const auto& size : sizes) {
    const float left = 72.5f, top = 30.0f, width = size[0], height = size[1];
    const std::vector<window::ScreenVertex> mesh = window::BuildFrameMesh(left, top, width, height);
    ASSERT_EQ(mesh.size(), size_t(window::kFrameMeshVertices));
    for (const window::ScreenVertex& v : mesh) {
      EXPECT_GE(v.x, left);
      EXPECT_LE(v.x, left + width);
      EXPECT_GE(v.y, top);
      EXPECT_LE(v.y, top + height);
      EXPECT_EQ(v.colour >> 24, 0xA0u);
    }
    // Every point inside the window lies in a triangle that the window draws (from vertex 6).
    auto inside = [](const window::ScreenVertex& a, const window::ScreenVertex& b, const window::ScreenVertex& c,
                     float x, float y) {
      const float d1 = (x - b.x) * (a.y - b.y) - (a.x - b.x) * (y - b.y);
      const float d2 = (x - c.x) * (b.y - c.y) - (b.x - c.x) * (y - c.y);
      const float d3 = (x - a.x) * (c.y - a.y) - (c.x - a.x) * (y - a.y);
      return !((d1 < 0 || d2 < 0 || d3 < 0) && (d1 > 0 || d2 > 0 || d3 > 0));
    };
    for (float y = top + 0.25f; y < top + height; y += 1.0f)
      for (float x = left + 0.25f; x < left + width; x += 1.0f) {
        bool covered = false;
        for (size_t t = 6; t + 2 < mesh.size() && !covered; t += 3)
          covered = inside(mesh[t], mesh[t + 1], mesh[t + 2], x, y);
        ASSERT_TRUE(covered) << width << "x" << height << " at " << x << "," << y;
      }
  }
}

TEST(WindowLayer, TheFrameFadesWithTheWindow) {
  WindowWorld world;
  engine::Engine& e = engine::context();
  window::C_WindowLayer w;
  w.setPicture("win_h.png", nullptr, false);
  w.setWindow(window::kind::Message, 400, 100, 0.0f, 0.0f, false, false);
  ASSERT_EQ(w.frameMesh.size(), size_t(window::kFrameMeshVertices));
  e.frameNow = 1000;
  w.open(200);
  w.update(0);
  const int32_t bodyX = 512, bodyY = 384 + 30;  // in the body's darker lower part
  e.frameNow = 1100;
  w.update(0);
  const uint32_t half = WindowWorld::rgbAt(drawAlone(world, w), bodyX, bodyY);
  e.frameNow = 1200;
  w.update(0);
  const std::vector<uint32_t> open = drawAlone(world, w);
  const uint32_t full = WindowWorld::rgbAt(open, bodyX, bodyY);
  // The rim is the mesh's brightest green; the body darker; nothing outside the window.
  EXPECT_GT((WindowWorld::rgbAt(open, 512, 384 - 50 + 4) >> 8) & 0xFF, (full >> 8) & 0xFF);
  EXPECT_EQ(WindowWorld::rgbAt(open, 512, 384 - 60), 0u);
  EXPECT_EQ(WindowWorld::rgbAt(open, 512 - 210, 384), 0u);
  const int greenFull = int((full >> 8) & 0xFF), greenHalf = int((half >> 8) & 0xFF);
  ASSERT_GT(greenFull, 4);
  EXPECT_NEAR(greenHalf, greenFull / 2, 2);
}

TEST(WindowLayer, ARestoredTextTargetIsEmpty) {
  WindowWorld world;
  window::C_WindowLayer w;
  WindowWorld::setUpMessageWindow(w, 20);
  w.speed = 0.0f;
  w.setText(sjis("あいう"), false);
  WindowWorld::typeFrame(w, 17);
  ASSERT_TRUE(anyInk(WindowWorld::textTargetTexels(w)));
  w.releaseTextTarget();
  EXPECT_EQ(w.textTarget, nullptr);
  w.restoreTextTarget();
  ASSERT_NE(w.textTarget, nullptr);
  EXPECT_EQ(w.textTarget->width, 400);
  EXPECT_FALSE(anyInk(WindowWorld::textTargetTexels(w)));
  EXPECT_FALSE(w.textTargetLost);

  // A window that never had a text area has nothing to restore, and says nothing.
  window::C_WindowLayer plain;
  plain.setPicture("frame.png", nullptr, false);
  plain.setWindow(window::kind::Plain, 100, 100, 0, 0, false, false);
  plain.releaseTextTarget();
  plain.restoreTextTarget();
  EXPECT_EQ(plain.textTarget, nullptr);
  EXPECT_TRUE(world.boxes().empty());
}

TEST(WindowLayer, FontSetUpFailuresAreReportedAndEveryFontTypeFinishesItsPages) {
  WindowWorld world;
  struct Case {
    uint8_t type;
    int32_t size;
    std::vector<std::string> boxes;
  };
  const Case cases[] = {
      {0, 0, {"ERROR | GetGlyphOutlineで取得した文字を描画するテクスチャの初期化に失敗"}},
      {0,
       100000,
       {"ERROR | GetGlyphOutlineで取得した文字を描画するテクスチャの初期化に失敗",
        "ERROR | フォントオブジェクト生成に失敗"}},
      {2, 20, {}},
      {1, 20, {}},
  };
  for (const Case& c : cases) {
    platform::clearMessageBoxLog();
    window::C_WindowLayer w;
    w.setPicture("frame.png", nullptr, false);
    w.setWindow(window::kind::Message, 500, 160, 0, 0, false, false);
    w.setTextArea(20, 20, 420, 120);
    w.setFont(c.type, c.size, sjis("ＭＳ ゴシック").c_str(), 400);
    EXPECT_EQ(world.boxes(), c.boxes) << c.size;
    EXPECT_EQ(w.marginX, 2);
    w.setText(sjis("あいう"), false);
    WindowWorld::typeFrame(w, 1000);
    EXPECT_FALSE(w.isTyping()) << "the page finishes, drawn or not: type " << int(c.type) << " size " << c.size;
  }
}

TEST(WindowLayer, AnUnknownFaceFallsBackWithOneMessage) {
  WindowWorld world;
  window::C_WindowLayer w;
  for (int i = 0; i < 3; ++i) w.setFont(0, 20, "NoSuchFaceAnywhere", 400);
  ASSERT_EQ(world.boxes().size(), 1u);
  EXPECT_EQ(world.boxes()[0], "警告 | フォント「NoSuchFaceAnywhere」が見つからないため、IPAゴシックで代用します");
  EXPECT_NE(w.font, nullptr);
}

TEST(WindowLayer, TheWindowSetOpensAndBindsItsMembersAndHidesAfterItsClose) {
  WindowWorld world;
  engine::Engine& e = engine::context();
  window::C_MultiWindowSet set;
  set.setPicture("frame.png", nullptr, false);
  set.setWindow(window::kind::Plain, 300, 300, 0, 0, false, false);
  auto member = std::make_unique<window::C_WindowLayer>();
  member->setPicture("frame.png", nullptr, false);
  member->setWindow(window::kind::Plain, 100, 100, 0, 0, false, false);
  window::C_WindowLayer* memberWindow = member.get();
  set.ownedMembers.push_back(std::move(member));
  auto pictureless = std::make_unique<window::C_WindowLayer>();
  set.ownedMembers.push_back(std::move(pictureless));
  EXPECT_FALSE(set.shown);
  set.open(0);
  EXPECT_TRUE(set.shown);
  EXPECT_EQ(memberWindow->currentPicture().alpha(), 255);
  EXPECT_EQ(set.children, std::vector<window::C_WindowLayer*>{memberWindow}) << "only members with a picture";
  e.frameNow = 500;
  set.close(100);
  set.update(0);
  e.frameNow = 600;
  set.update(0);
  EXPECT_FALSE(set.shown);
}

}  // namespace
