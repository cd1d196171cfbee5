// The pictures a script names, which start-up decodes ahead: quoted names with a picture
// extension in tags and Lua alike, once each, in the order of their first mention.
#include <gtest/gtest.h>

#include "script/ScriptPictures.h"

namespace {

TEST(ScriptPictures, QuotedPictureNamesInTagsAndLua) {
  const std::vector<std::string> lines = {
      "@[SetWindow type=\"MES\" page=\"0\" file=\"win.png\" width=\"600\"]",
      "ScSetBG(\"bg.JPG\", -1, -1, 0, 0, 0, 0) ScSetPlainChara(0, 'chara_a.bmp', -200, 84, 0)",
      "ScPlaySE(\"hit.wav\") x = \"png\" y = \".png\"",
      "ScSetBG(\"bg.JPG\", 0) ScSetEvent(\"ev.tga\", \"old.jpeg\")",
      "print(\"unterminated.png)",
      "@[SetPicture file=\"sub/dir\\pic.png\"]",
  };
  EXPECT_EQ(script::PicturesNamedIn(lines),
            (std::vector<std::string>{"win.png", "bg.JPG", "chara_a.bmp", "ev.tga", "old.jpeg", "sub/dir\\pic.png"}));
  EXPECT_TRUE(script::PicturesNamedIn({}).empty());
  EXPECT_TRUE(script::PicturesNamedInScript("no-such-script.evt").empty());
}

}  // namespace
