// Touches played through kmtool with scripted mouse input: a click and a stroke on a region, a
// press that the character takes, a touch call that returns to the waiting line, and an event
// picture whose layers move together.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "chara/TouchFixtures.h"
#include "gfx/Image.h"
#include "support/GameProcess.h"
#include "support/Pictures.h"

namespace {

using touchtest::BmpFile;
using touchtest::Quad;

// 4 bits, 2 x 2: the bottom row has no region, the top row regions 2 (left) and 1 (right).
const std::string kTopRegions = BmpFile(2, 2, 4, {0x00, 0, 0, 0, 0x21, 0, 0, 0});
// 1 bit, 1 x 1: region 1 everywhere.
const std::string kWholeRegion = BmpFile(1, 1, 1, {0x01, 0, 0, 0});

void WritePng(const testsupport::GameFolder& game, const std::string& name, uint32_t argb, int size = 32) {
  const std::vector<uint8_t> png = testsupport::pngBytes(testsupport::solidImage(size, size, argb));
  game.write(name, std::string(png.begin(), png.end()));
}

std::string Play(const testsupport::GameFolder& game, int frames, const std::string& input,
                 const std::string& extra = "") {
  const std::string inputPath = game.write("input.txt", input);
  const testsupport::ProcessResult run = testsupport::RunCommand(
      std::string(KM_KMTOOL) + " play --frames " + std::to_string(frames) + " --input '" + inputPath + "' " + extra,
      game.path());
  EXPECT_EQ(run.exitCode, 0) << run.err;
  return run.out;
}

// The character spans client pixels 384..639 across and 256..511 down; its upper half holds
// region 2 (left) and region 1 (right).
TEST(TouchPlay, ClickAndStrokeSetTheFlagsCallTheTargetAndAreTakenFromTheScript) {
  testsupport::GameFolder game(
      "ScInitSceneSolidChara(1)\n"
      "ScSetSolidChara(0, 'm.txt', 0, 0, 0, 0)\n"
      "P('ready')\n"
      "@[WaitClick]\n"
      "P('advanced')\n"
      "@[WaitClick]\n");
  game.write("m.txt", Quad(0.25f, "m.png"));
  WritePng(game, "m.png", 0xFFFF0000u);
  game.write("m_c.bmp", kTopRegions);
  game.write("eventMacro.evt",
             "*lbl_clickclick\n"
             "P('touch ' .. ScGetTempFlagNum('T_CLICK_EVENT_PAGE_NO') .. ' ' .."
             " ScGetTempFlagNum('T_CLICK_EVENT_CLICKMAP_NO') .. ' ' .. ScGetTempFlagNum('T_CLICK_EVENT_CLKorDRG'))\n"
             "@[Return]\n");
  const std::string input =
      "5 mouse 580 320\n6 click\n"            // a click on region 1
      "10 ldown\n12 mouse 583 320\n13 lup\n"  // a stroke: 3 pixels in the last frame
      "15 mouse 450 320\n16 click\n"          // region 2 has no target: taken, nothing starts
      "20 mouse 450 460\n21 click\n"          // on the picture outside the regions: advances
      "24 mouse 100 100\n25 click\n";         // off the picture: advances
  EXPECT_EQ(Play(game, 27, input), "ready\ntouch 0 1 1\ntouch 0 1 -1\nadvanced\n");
}

TEST(TouchPlay, ATouchCallReturnsToTheWaitingLine) {
  testsupport::GameFolder game(
      "ScInitSceneSolidChara(2)\n"
      "@[SimpleEvent file=\"m.txt\" time=\"0\" touchEventFile=\"touch.evt\" touchEventLabel=\"lbl_t\"]\n"
      "P('ready')\n"
      "@[WaitClick]\n"
      "P('after')\n"
      "@[WaitClick]\n");
  game.write("m.txt", Quad(0.25f, "m.png"));
  WritePng(game, "m.png", 0xFFFF0000u);
  game.write("m_c.bmp", kTopRegions);
  game.write("touch.evt",
             "*lbl_t\n"
             "P('touch ' .. ScGetTempFlagNum('T_CLICK_EVENT_CLICKMAP_NO'))\n"
             "@[WaitClick]\n"
             "P('back')\n"
             "@[Return]\n");
  const std::string input =
      "5 mouse 580 320\n6 click\n"    // starts the touch call, which waits
      "10 mouse 100 100\n11 click\n"  // ends it: back to the waiting line, which waits again
      "15 click\n";                   // advances the script itself
  EXPECT_EQ(Play(game, 14, input), "ready\ntouch 1\nback\n");
  EXPECT_EQ(Play(game, 17, input), "ready\ntouch 1\nback\nafter\n");
}

using testsupport::readShot;
using testsupport::rgbAt;

TEST(TouchPlay, AnEventPicturesLayersFollowAPressTogether) {
  testsupport::GameFolder game(
      "ScInitSceneSolidChara(2)\n"
      "@[CharaMouseDragOn]\n"
      "@[SimpleEvent file=\"ev.txt\" time=\"0\"]\n"
      "@[WaitClick]\n");
  game.write("ev.txt", Quad(0.25f, "ev.png"));
  WritePng(game, "ev.png", 0xFF0000FFu);
  game.write("ev_l1.txt", Quad(0.05f, "ev_l1.png"));
  WritePng(game, "ev_l1.png", 0xFF00FF00u);
  game.write("ev_l1_c.bmp", kWholeRegion);
  const std::string before = game.path() + "/before.png", after = game.path() + "/after.png";
  // A press on layer 1 (the small green square in the middle), then the mouse moves 100 pixels
  // to the right while held.
  Play(game, 12, "5 mouse 512 384\n6 ldown\n8 mouse 612 384\n", "--shot 5:'" + before + "' --shot 11:'" + after + "'");
  const gfx::Image a = readShot(before), b = readShot(after);
  ASSERT_EQ(a.width, 1024);
  ASSERT_EQ(b.width, 1024);
  EXPECT_EQ(rgbAt(a, 512, 384), 0x00FF00u);
  EXPECT_EQ(rgbAt(a, 400, 384), 0x0000FFu);
  EXPECT_EQ(rgbAt(a, 700, 384), 0u);
  // Both layers moved: the green square and the blue picture around it.
  EXPECT_EQ(rgbAt(b, 612, 384), 0x00FF00u);
  EXPECT_EQ(rgbAt(b, 512, 384), 0x0000FFu);
  EXPECT_EQ(rgbAt(b, 700, 384), 0x0000FFu);
  EXPECT_EQ(rgbAt(b, 400, 384), 0u);
}

}  // namespace
