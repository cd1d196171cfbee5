// A solid character played through kmtool: where its mesh lands on screen, and a shake that
// moves the soft upper part while the fixed lower part stays.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "gfx/Image.h"
#include "support/GameProcess.h"
#include "support/Pictures.h"

namespace {

using testsupport::readShot;
using testsupport::rgbAt;

TEST(SolidPlay, AMeshLandsWhereProjectedAndAShakeMovesOnlyItsSoftPart) {
  // A 0.25 x 0.3 unit quad (256 x 307 pixels) whose two upper vertices are soft.
  testsupport::GameFolder game(
      "ScInitSceneSolidChara(1)\n"
      "ScSetSolidChara(0, 'm.txt', 0, 0, 0, 0)\n"
      "@[Wait time=\"300\"]\n"
      "ScShakeSolidChara(0, 0, 9, 0, 0.95, 1000)\n"
      "@[Wait time=\"5000\"]\n");
  game.write("m.txt",
             "vertexCount = 4;\nindexCount = 6;\nshakeRate = 1.0;\npicFileName = \"red.png\";\n"
             "position = {\n0.25f,-0.3f,0f,\n-0.25f,-0.3f,0f,\n-0.25f,0.3f,0f,\n0.25f,0.3f,0f,\n};\n"
             "index = {\n0,1,2,3,0,2,\n};\nuv = {\n1f,1f,0f,1f,0f,0f,1f,0f,\n};\n"
             "shakeWeights = {\n0f,0f,-1f,-1f,\n};\n");
  gfx::Image red;
  red.width = red.height = 32;
  red.pixels.assign(32 * 32, 0xFFFF0000u);
  std::vector<uint8_t> png;
  ASSERT_TRUE(gfx::encodePng(red, png));
  game.write("red.png", std::string(png.begin(), png.end()));
  const std::string rest = game.path() + "/rest.png", shaken = game.path() + "/shaken.png";
  const testsupport::ProcessResult run = testsupport::RunCommand(
      std::string(KM_KMTOOL) + " play --frames 30 --shot 10:'" + rest + "' --shot 28:'" + shaken + "'", game.path());
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const gfx::Image a = readShot(rest), b = readShot(shaken);
  ASSERT_EQ(a.width, 1024);
  ASSERT_EQ(b.width, 1024);
  // At rest: x = 512 - 0.5 + 512 x (-0.25 .. 0.25), y = 384 + 0.5 - 512 x (0.3 .. -0.3): pixel
  // centres 384..639 across and 231..538 down.
  EXPECT_EQ(rgbAt(a, 384, 231), 0xFF0000u);
  EXPECT_EQ(rgbAt(a, 639, 538), 0xFF0000u);
  EXPECT_EQ(rgbAt(a, 383, 400), 0u);
  EXPECT_EQ(rgbAt(a, 640, 400), 0u);
  EXPECT_EQ(rgbAt(a, 512, 230), 0u);
  EXPECT_EQ(rgbAt(a, 512, 539), 0u);
  // Shaken: the top edge has moved (the spring swings it up and down); the bottom edge and the
  // rows just above it are unchanged.
  int moved = 0;
  for (int y = 60; y < 400; ++y) moved += rgbAt(a, 512, y) != rgbAt(b, 512, y);
  EXPECT_GT(moved, 5);
  for (int y = 520; y < 545; ++y)
    for (int x = 370; x < 650; ++x) ASSERT_EQ(rgbAt(a, x, y), rgbAt(b, x, y)) << x << "," << y;
}

}  // namespace
