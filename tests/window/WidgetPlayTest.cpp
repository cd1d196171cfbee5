// Choices, buttons, check buttons and sliders played through kmtool with scripted mouse input:
// what the scripts print when a widget starts its event, and the cells screenshots show.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "gfx/Image.h"
#include "platform/Encoding.h"
#include "support/GameProcess.h"
#include "support/TempDir.h"

namespace {

// Cell colours of the test pictures (opaque).
constexpr uint32_t kGrey = 0xFF808080u, kRed = 0xFFFF0000u, kGreen = 0xFF00FF00u, kBlue = 0xFF0000FFu,
                   kYellow = 0xFFFFFF00u;

// A strip of 20 x 20 cells in the given colours.
std::string Strip(const std::vector<uint32_t>& cells) {
  gfx::Image image;
  image.width = int32_t(cells.size()) * 20;
  image.height = 20;
  image.pixels.resize(size_t(image.width) * 20u);
  for (int32_t y = 0; y < 20; ++y)
    for (int32_t x = 0; x < image.width; ++x) image.pixels[size_t(y * image.width + x)] = cells[size_t(x / 20)];
  std::vector<uint8_t> png;
  EXPECT_TRUE(gfx::encodePng(image, png));
  return std::string(png.begin(), png.end());
}

class WidgetGame {
 public:
  explicit WidgetGame(const std::string& script) : game_(script) {
    game_.write("btn.png", Strip({kGrey, kRed, kGreen, kBlue, kYellow}));
    game_.write("check.png", Strip({kGrey, kRed, kGreen, kBlue}));
  }

  // Plays `frames` frames with the input; screenshots of the listed frames are read back.
  testsupport::ProcessResult play(int frames, const std::string& input, const std::vector<int>& shots = {}) {
    std::string args =
        " play --frames " + std::to_string(frames) + " --input '" + game_.write("input.txt", input) + "'";
    for (int frame : shots) args += " --shot " + std::to_string(frame) + ":'" + shotPath(frame) + "'";
    return testsupport::RunCommand(std::string(KM_KMTOOL) + args, game_.path());
  }

  // The colour drawn at client pixel (x, y) in a screenshot, as 0xFFRRGGBB.
  uint32_t pixel(int frame, int x, int y) {
    gfx::Image image;
    const std::vector<uint8_t> bytes = testsupport::readAll(shotPath(frame));
    if (gfx::decodeImage(bytes.data(), bytes.size(), image) != 0) return 0;
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return 0;
    return image.pixels[size_t(y * image.width + x)] | 0xFF000000u;
  }

 private:
  std::string shotPath(int frame) const { return scratch_.path() + "/" + std::to_string(frame) + ".png"; }
  testsupport::GameFolder game_;
  testsupport::TempDir scratch_;
};

// A selection window of three rows 28 pixels high (size 26, margin 2) from y = -42 to 42 about the
// screen centre (client y 342 to 426); a row prints its letter.
const char* const kChoiceScript =
    "@[SetWindow type=\"SEL\" page=\"0\" file=\"white.bmp\" width=\"400\" height=\"120\" pos_x=\"0\" pos_y=\"0\"]\n"
    "@[SetTextArea type=\"SEL\" page=\"0\" left=\"0\" top=\"18\" right=\"400\" bottom=\"102\"]\n"
    "@[SetFont type=\"SEL\" page=\"0\" size=\"26\"]\n"
    "@[SetFontSpeed type=\"SEL\" page=\"0\" speed=\"0\"]\n"
    "@[SelectAdd text=\"A\" file=\"0first.evt\" label=\"lbl_a\"]\n"
    "@[SelectAdd text=\"B\" file=\"0first.evt\" label=\"lbl_b\"]\n"
    "@[SelectAdd text=\"C\" file=\"0first.evt\" label=\"lbl_c\"]\n"
    "@[CommitSelect page=\"0\"]\n"
    "@[OpenWindow type=\"SEL\" page=\"0\" time=\"0\"]\n"
    "@[SelectActive page=\"0\"]\n"
    "P('ready')\n"
    "@[Stop]\n"
    "*lbl_a\nP('A')\n@[Stop]\n"
    "*lbl_b\nP('B')\n@[Stop]\n"
    "*lbl_c\nP('C')\n@[Stop]\n";

TEST(ChoicePlay, ARowIsCommittedByAReleaseInALaterFrameAndOwnsItsLowerBoundary) {
  WidgetGame game(kChoiceScript);
  struct Case {
    const char* label;
    const char* input;
    const char* out;
  };
  const Case cases[] = {
      // Press and release in one frame do not commit; a click (release in the next frame) does.
      {"same-frame press and release", "2 mouse 512 384\n3 ldown\n3 lup\n", "ready\n"},
      {"release a frame later", "2 mouse 512 384\n3 ldown\n3 lup\n6 click\n", "ready\nB\n"},
      // y = -14 is the boundary of rows A and B; the window is inactive after its commit.
      {"boundary, then a second click",
       "2 mouse 512 330\n3 click\n6 mouse 512 370\n7 click\n10 mouse 512 400\n11 click\n", "ready\nA\n"},
      {"just below the boundary", "2 mouse 512 371\n3 click\n", "ready\nB\n"},
      {"beside the rows", "2 mouse 713 410\n3 click\n", "ready\n"},
  };
  for (const Case& c : cases) {
    const testsupport::ProcessResult run = game.play(14, c.input);
    EXPECT_EQ(run.exitCode, 0) << c.label << "\n" << run.err;
    EXPECT_EQ(run.out, c.out) << c.label << "\n" << run.err;
    EXPECT_EQ(run.err.find("[MessageBox]"), std::string::npos) << c.label << "\n" << run.err;
  }
}

// Button 0 (100 x 40 at the centre, client 462..562 x 364..404) prints "clicked"; button 1 below
// it (client y 564..604) is disabled.
TEST(ButtonPlay, CellsFollowTheStateAndAClickShowsItsCellFor100ms) {
  WidgetGame game(
      "@[SetWindow type=\"BTN\" page=\"0\" file=\"btn.png\" width=\"100\" height=\"40\" pos_x=\"0\" pos_y=\"0\"]\n"
      "@[OpenWindow type=\"BTN\" page=\"0\" time=\"0\"]\n"
      "@[SetButtonEvent page=\"0\" file=\"0first.evt\" label=\"lbl_click\"]\n"
      "@[SetWindow type=\"BTN\" page=\"1\" file=\"btn.png\" width=\"100\" height=\"40\" pos_x=\"0\" pos_y=\"200\"]\n"
      "@[OpenWindow type=\"BTN\" page=\"1\" time=\"0\"]\n"
      "@[SetButtonEvent page=\"1\" file=\"0first.evt\" label=\"lbl_disabled\"]\n"
      "@[WindowNotActive page=\"1\"]\n"
      "P('ready')\n@[Stop]\n"
      "*lbl_click\nP('clicked')\n@[Stop]\n"
      "*lbl_disabled\nP('disabled')\n@[Stop]\n");
  const std::string input =
      "1 mouse 700 384\n"
      "2 mouse 512 384\n4 ldown\n6 lup\n"      // hover, press, click
      "14 ldown\n16 mouse 700 384\n17 lup\n"   // pressed, moved off, released elsewhere
      "20 mouse 512 584\n21 ldown\n22 lup\n";  // the disabled button
  const testsupport::ProcessResult run = game.play(24, input, {1, 3, 5, 6, 11, 12, 14, 16, 21});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "ready\nclicked\n") << run.err;
  struct Shot {
    int frame;
    uint32_t colour;
    const char* what;
  };
  const Shot shots[] = {
      {1, kRed, "normal"},     {3, kGreen, "hover"},        {5, kBlue, "pressed and held"}, {6, kYellow, "clicked"},
      {11, kYellow, "100 ms"}, {12, kGreen, "hover again"}, {14, kBlue, "pressed"},         {16, kRed, "moved off"},
  };
  for (const Shot& s : shots)
    EXPECT_EQ(game.pixel(s.frame, 512, 384), s.colour) << "frame " << s.frame << ": " << s.what;
  EXPECT_EQ(game.pixel(21, 512, 584), kGrey) << "disabled";
}

TEST(ButtonPlay, ButtonsDoNotReactWhileTextTypes) {
  WidgetGame game(
      "@[SetWindow type=\"MES\" page=\"0\" file=\"white.bmp\" width=\"600\" height=\"100\" pos_x=\"0\" pos_y=\"250\"]\n"
      "@[SetTextArea type=\"MES\" page=\"0\" left=\"10\" top=\"10\" right=\"590\" bottom=\"90\"]\n"
      "@[SetFontSpeed type=\"MES\" page=\"0\" speed=\"1\"]\n"
      "@[OpenWindow type=\"MES\" page=\"0\" time=\"0\"]\n"
      "@[SetWindow type=\"BTN\" page=\"0\" file=\"btn.png\" width=\"100\" height=\"40\" pos_x=\"0\" pos_y=\"0\"]\n"
      "@[OpenWindow type=\"BTN\" page=\"0\" time=\"0\"]\n"
      "@[SetButtonEvent page=\"0\" file=\"0first.evt\" label=\"lbl_click\"]\n"
      "P('ready')\n"
      "あいうえおかきくけこ\n"
      "@[WaitClick]\n"
      "P('advanced')\n@[Stop]\n"
      "*lbl_click\nP('clicked')\n@[Stop]\n");
  // The first click, while the page types, completes it instead; the second one, on the still
  // screen, is the button's.
  const testsupport::ProcessResult run = game.play(16, "2 mouse 512 384\n4 click\n10 click\n", {4});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "ready\nclicked\n") << run.err;
  EXPECT_EQ(game.pixel(4, 512, 384), kRed) << "the normal cell while the scene is busy";
}

// A check button at client (312, 384); a slider 200 x 20 at y = -100 (client 412..612 x 274..294)
// with a 20 x 20 thumb over values 0..100 starting at 52; button 0 below prints the slider's value
// and the check.
TEST(WidgetPlay, ChecksToggleOnThePressAndSliderClicksStepByOne) {
  WidgetGame game(
      "@[SetWindow type=\"CHECK\" page=\"0\" file=\"check.png\" width=\"40\" height=\"40\" pos_x=\"-200\" "
      "pos_y=\"0\"]\n"
      "@[OpenWindow type=\"CHECK\" page=\"0\" time=\"0\"]\n"
      "@[SetSlideData page=\"0\" width=\"200\" height=\"20\" left=\"412\" top=\"274\" switch=\"20,20\" min=\"0\" "
      "max=\"100\" init=\"52\"]\n"
      "@[OpenWindow type=\"SLIDE\" page=\"0\" time=\"0\"]\n"
      "@[SetWindow type=\"BTN\" page=\"0\" file=\"btn.png\" width=\"100\" height=\"40\" pos_x=\"0\" pos_y=\"200\"]\n"
      "@[OpenWindow type=\"BTN\" page=\"0\" time=\"0\"]\n"
      "@[SetButtonEvent page=\"0\" file=\"0first.evt\" label=\"lbl_report\"]\n"
      "P('ready')\n@[Stop]\n"
      "*lbl_report\n"
      "@[GetSlideValue page=\"0\" valiant=\"T_v\"]\n"
      "@[GetCheckButtonChecked page=\"0\" valiant=\"T_c\"]\n"
      "P(ScGetFlagNum('T_v') .. ' ' .. ScGetFlagStr('T_c'))\n"
      "@[Stop]\n");
  const std::string input =
      "2 mouse 312 384\n3 ldown\n5 lup\n"                       // the check, on its press
      "6 mouse 562 284\n7 click\n10 click\n"                    // two clicks right of the thumb: 52 -> 54
      "13 mouse 512 584\n14 click\n"                            // report
      "17 mouse 462 284\n18 click\n"                            // one left of it: 53
      "21 mouse 512 584\n22 click\n"                            // report
      "25 mouse 517 284\n26 ldown\n28 mouse 900 290\n30 lup\n"  // drag the thumb past the end
      "32 mouse 512 584\n33 click\n";                           // report
  const testsupport::ProcessResult run = game.play(36, input, {2, 3, 4, 28});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "ready\n54 true\n53 true\n100 true\n") << run.err;
  EXPECT_EQ(game.pixel(2, 312, 384), kGreen) << "hover, not checked";
  EXPECT_EQ(game.pixel(3, 312, 384), kBlue) << "checked on the press";
  EXPECT_EQ(game.pixel(4, 312, 384), kBlue) << "the release leaves it checked";
  // While dragged the thumb sits at the track's end (its right edge at the slider's).
  EXPECT_NE(game.pixel(28, 605, 284), game.pixel(28, 512, 284)) << "the thumb at the end, the track elsewhere";
}

}  // namespace
