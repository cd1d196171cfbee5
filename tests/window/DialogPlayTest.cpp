// The history window, the exit confirmation and the help played through kmtool with scripted
// input: what the scripts print, how long the run lasts and what the screen shows; the dialogs
// also answer without their pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "gfx/Image.h"
#include "support/GameProcess.h"
#include "support/Pictures.h"
#include "support/TempDir.h"

namespace {

std::string Png(const gfx::Image& image) {
  const std::vector<uint8_t> bytes = testsupport::pngBytes(image);
  return std::string(bytes.begin(), bytes.end());
}

// Only the boxes that report a picture that cannot be read.
bool OnlyPictureBoxes(const std::string& err) {
  const std::string pictureBox = "[MessageBox] テクスチャ読み込みエラー | ";
  for (size_t at = err.find("[MessageBox]"); at != std::string::npos; at = err.find("[MessageBox]", at + 1))
    if (err.compare(at, pictureBox.size(), pictureBox) != 0) return false;
  return true;
}

// A message window that types at once, opened; the script starts after it.
const char* const kMessageWindow =
    "@[SetWindow type=\"MES\" page=\"0\" file=\"white.bmp\" width=\"600\" height=\"80\" pos_x=\"0\" pos_y=\"-300\"]\n"
    "@[SetTextArea type=\"MES\" page=\"0\" left=\"10\" top=\"10\" right=\"590\" bottom=\"70\"]\n"
    "@[SetFontSpeed type=\"MES\" page=\"0\" speed=\"0\"]\n"
    "@[OpenWindow type=\"MES\" page=\"0\" time=\"0\"]\n";

class PlayedGame {
 public:
  // With the dialogs' pictures unless told otherwise.
  explicit PlayedGame(const std::string& script, bool pictures = true) : game_(std::string(kMessageWindow) + script) {
    for (const char* chip : {"cur0.png", "cur1.png", "cur10.png", "cur11.png", "cur12.png"})
      game_.write(chip, Png(testsupport::solidImage(8, 8, 0xFFFFFF00u)));
    if (!pictures) return;
    game_.write("win_h.png", Png(testsupport::solidImage(63, 63, 0xFFFFFFFFu)));
    game_.write("winBtn00.png", Png(testsupport::solidImage(100, 30, 0xFF808080u)));
  }

  // Plays `frames` frames with the input; the mix goes to a file whose size tells the run's length.
  testsupport::ProcessResult play(int frames, const std::string& input, const std::vector<int>& shots = {}) {
    std::string args = " play --frames " + std::to_string(frames) + " --input '" + game_.write("input.txt", input) +
                       "' --audio-out '" + mixPath() + "'";
    for (int frame : shots) args += " --shot " + std::to_string(frame) + ":'" + shotPath(frame) + "'";
    return testsupport::RunCommand(std::string(KM_KMTOOL) + args, game_.path());
  }

  void write(const std::string& name, const std::string& bytes) { game_.write(name, bytes); }

  // The mix's loudest sample (either channel) between two times, in ms from the run's start.
  int32_t mixPeak(int32_t fromMs, int32_t toMs) const {
    const std::vector<uint8_t> wav = testsupport::readAll(mixPath());
    const std::string text(wav.begin(), wav.end());
    const size_t data = text.find("data");
    if (data == std::string::npos) return -1;
    int32_t peak = 0;
    const size_t first = data + 8 + size_t(fromMs) * 44100 / 1000 * 4,
                 last = data + 8 + size_t(toMs) * 44100 / 1000 * 4;
    for (size_t at = first; at + 1 < wav.size() && at < last; at += 2)
      peak = std::max(peak, std::abs(int32_t(int16_t(uint16_t(wav[at] | wav[at + 1] << 8)))));
    return peak;
  }

  uintmax_t mixBytes() const {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(mixPath(), error);
    return error ? 0 : size;
  }

  // The colour at client pixel (x, y) of a screenshot, as 0xFFRRGGBB.
  uint32_t pixel(int frame, int x, int y) const {
    gfx::Image image;
    const std::vector<uint8_t> bytes = testsupport::readAll(shotPath(frame));
    if (gfx::decodeImage(bytes.data(), bytes.size(), image) != 0) return 0;
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) return 0;
    return image.pixels[size_t(y * image.width + x)] | 0xFF000000u;
  }

 private:
  std::string mixPath() const { return scratch_.path() + "/mix.wav"; }
  std::string shotPath(int frame) const { return scratch_.path() + "/" + std::to_string(frame) + ".png"; }
  testsupport::GameFolder game_;
  testsupport::TempDir scratch_;
};

// The scroll bar's thumb colour.
constexpr uint32_t kThumb = 0xFF136600u;

// `pages` pages recorded at once, then the history opens once the screen is still; the script
// goes on when it has been closed.
std::string HistoryScript(int pages) {
  return "@[SetWindow type=\"HIST\" page=\"0\" file=\"win_h.png\" width=\"1000\" height=\"750\" pos_x=\"0\" "
         "pos_y=\"0\"]\n"
         "for i = 1, " +
         std::to_string(pages) +
         " do ScSetTextWindow('MES', 0, 'page' .. i) end\n"
         "@[WaitChara]\nScOpenHistory()\nP('open')\n@[WaitChara]\nP('closed')\n@[WaitClick]\nP('advanced')\n";
}

TEST(HistoryPlay, TheThumbFollowsTheEntryCountAndTheHistoryKeepsEveryClickUntilClosed) {
  struct Case {
    int pages;
    int thumbTop;  // client y of the thumb's top edge (the bar ends at 752)
  };
  // 736 / 3 = 245.33 units; 736 / 40 = 18.4 is raised to 32.
  for (const Case& c : {Case{3, 506}, Case{40, 720}}) {
    PlayedGame game(HistoryScript(c.pages));
    const std::string input =
        "20 mouse 512 384\n21 click\n"  // on the rows
        "22 wheel up\n"                 // one entry older: the thumb leaves the bottom
        "24 mouse 992 200\n25 click\n"  // on the scroll bar's track
        "30 rdown\n31 rup\n"            // closes it
        "60 click\n";
    const testsupport::ProcessResult run = game.play(70, input, {19, 23});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "open\nclosed\nadvanced\n") << c.pages << "\n" << run.err;
    EXPECT_EQ(run.err.find("[MessageBox]"), std::string::npos) << run.err;
    EXPECT_EQ(game.pixel(19, 992, c.thumbTop + 4), kThumb) << c.pages << " pages";
    EXPECT_NE(game.pixel(19, 992, c.thumbTop - 6), kThumb) << c.pages << " pages";
    EXPECT_EQ(game.pixel(19, 992, 748), kThumb) << c.pages << " pages: the newest entry is on top";
    EXPECT_NE(game.pixel(23, 992, 748), kThumb) << c.pages << " pages: scrolled back";
  }
}

// A 100 ms tone (16-bit mono PCM WAV, 22050 Hz).
std::string ToneWav() {
  std::string b;
  auto u16 = [&](uint32_t v) { b.push_back(char(v & 0xFF)), b.push_back(char((v >> 8) & 0xFF)); };
  auto u32 = [&](uint32_t v) { u16(v & 0xFFFF), u16(v >> 16); };
  const uint32_t samples = 2205;
  b += "RIFF";
  u32(36 + samples * 2);
  b += "WAVEfmt ";
  u32(16), u16(1), u16(1), u32(22050), u32(44100), u16(2), u16(16);
  b += "data";
  u32(samples * 2);
  for (uint32_t i = 0; i < samples; ++i) u16(uint16_t(int16_t(i % 50 < 25 ? 12000 : -12000)));
  return b;
}

TEST(HistoryPlay, AVoiceButtonReplaysItsRowsVoice) {
  // One voiced page, then the history; its top row's voice button is at client (42, 46).
  PlayedGame game(
      "@[SetWindow type=\"HIST\" page=\"0\" file=\"win_h.png\" width=\"1000\" height=\"750\" pos_x=\"0\" "
      "pos_y=\"0\"]\nScSetTextWindow('MES', 0, \"<voice buf='10' file='v.wav'><n>hello\")\n"
      "@[WaitChara]\nScOpenHistory()\n@[WaitChara]\nP('closed')\n");
  game.write("v.wav", ToneWav());
  const testsupport::ProcessResult run = game.play(90, "39 mouse 42 46\n40 click\n60 rdown\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "closed\n") << run.err;
  EXPECT_EQ(run.err.find("[MessageBox]"), std::string::npos) << run.err;
  EXPECT_GT(game.mixPeak(0, 300), 5000) << "the voice plays with its page";
  EXPECT_LT(game.mixPeak(350, 600), 100) << "then silence";
  EXPECT_GT(game.mixPeak(690, 1000), 5000) << "the button's click plays it again";
}

// Three pages wait for a click each; the dialog's buttons are "ＹＥＳ" at client (442, 464) and
// "ＮＯ" at (582, 464).
const char* const kThreePages = "P('ready')\n@[WaitClick]\nP('one')\n@[WaitClick]\nP('two')\n@[WaitClick]\n";

TEST(ExitConfirmPlay, EscapeAndTheCloseBoxAskOnceNoGoesBackAndYesEndsTheProgram) {
  struct Case {
    const char* label;
    const char* input;
    const char* out;
    bool endsEarly;
    bool pictures;
  };
  const Case cases[] = {
      {"Escape twice and the close box, a click beside the buttons, a lost device, then ＮＯ; the next click "
       "advances",
       "5 key escape down\n6 key escape up\n7 key escape down\n8 key escape up\n9 close\n"
       "12 mouse 512 384\n13 click\n14 devicelost\n16 mouse 582 464\n17 click\n30 click\n",
       "ready\none\n", false, false},
      {"Escape held: one dialog; ＮＯ's click does not reach the message window",
       "5 key escape down\n8 key escape down\n12 mouse 582 464\n13 ldown\n14 lup\n16 key escape up\n", "ready\n", false,
       true},
      {"ＹＥＳ ends the program", "5 close\n10 mouse 442 464\n12 click\n", "ready\n", true, true},
      {"ＹＥＳ without the dialog's pictures", "5 close\n10 mouse 442 464\n12 click\n", "ready\n", true, false},
      {"no dialog, clicks advance", "10 click\n20 click\n", "ready\none\ntwo\n", false, true},
  };
  uintmax_t fullRun = 0;
  for (const Case& c : cases) {
    PlayedGame game(kThreePages, c.pictures);
    const testsupport::ProcessResult run = game.play(120, c.input);
    EXPECT_EQ(run.exitCode, 0) << c.label << "\n" << run.err;
    EXPECT_EQ(run.out, c.out) << c.label << "\n" << run.err;
    if (c.pictures) {
      EXPECT_EQ(run.err.find("[MessageBox]"), std::string::npos) << c.label << "\n" << run.err;
    } else {
      EXPECT_TRUE(OnlyPictureBoxes(run.err)) << c.label << "\n" << run.err;
    }
    if (c.endsEarly) {
      EXPECT_LT(game.mixBytes() * 4, fullRun) << c.label << ": the run ended soon after the click";
    } else {
      fullRun = game.mixBytes();
    }
  }
}

TEST(ExitConfirmPlay, TheTagAsksAndExitGameDoesNot) {
  PlayedGame asked("P('a')\n@[ExitConfirm]\nP('b')\n@[WaitClick]\nP('c')\n");
  testsupport::ProcessResult run = asked.play(60, "10 mouse 582 464\n11 click\n30 click\n");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "a\nb\nc\n") << run.err;
  PlayedGame ended("P('a')\n@[WaitClick]\n@[ExitGame]\nP('b')\n");
  run = ended.play(60, "10 click\n");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "a\nb\n") << "the frame's lines run; no question is asked\n" << run.err;
  EXPECT_EQ(run.err.find("[MessageBox]"), std::string::npos) << run.err;
  EXPECT_LT(ended.mixBytes() * 4, asked.mixBytes()) << "ExitGame ends after the click's frame";
}

TEST(ExitConfirmPlay, TheTitleSceneAsksAndAnswersItself) {
  const char* const toTitle = "ScSetNextScene('SCENE_TITLE')\n@[WaitClick]\n@[Stop]\n";
  PlayedGame stayed(toTitle), ended(toTitle);
  // Escape on the title scene; a click beside the buttons, then ＮＯ or ＹＥＳ.
  const testsupport::ProcessResult no =
      stayed.play(60, "10 key escape down\n14 mouse 512 384\n15 click\n20 mouse 582 464\n21 click\n");
  const testsupport::ProcessResult yes =
      ended.play(60, "10 key escape down\n14 mouse 512 384\n15 click\n20 mouse 442 464\n21 click\n");
  for (const testsupport::ProcessResult* run : {&no, &yes}) {
    EXPECT_EQ(run->exitCode, 0) << run->err;
    EXPECT_TRUE(OnlyPictureBoxes(run->err)) << "the title's pictures are missing\n" << run->err;
  }
  EXPECT_LT(ended.mixBytes() * 2, stayed.mixBytes()) << "ＹＥＳ ends the program, ＮＯ does not";
}

TEST(HelpPlay, TheHelpTakesTheClicksUntilItsOkButton) {
  PlayedGame game("@[DispHelp]\nP('help')\n@[WaitClick]\n@[DispHelp]\nP('again')\n@[WaitClick]\nP('done')\n");
  // The OK button is at client (512, 584); the second help's opens after the first one's click.
  const std::string input =
      "10 mouse 300 300\n11 click\n"  // beside it: taken
      "14 mouse 512 584\n15 click\n"  // OK
      "30 mouse 300 300\n31 click\n"  // advances to the second help
      "40 mouse 512 584\n41 click\n60 click\n";
  const testsupport::ProcessResult run = game.play(70, input);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "help\nagain\ndone\n") << run.err;
  EXPECT_EQ(run.err.find("[MessageBox]"), std::string::npos) << run.err;
}

}  // namespace
