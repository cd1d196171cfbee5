// Message boxes without a platform: the stderr line, the log, and the default answers.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "ProcessHelpers.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"

namespace {

struct LineCase {
  const char* label;
  std::string caption;  // UTF-8, converted to code page 932 before the call
  std::string text;
  std::string line;
};

TEST(MessageBoxLine, OneUtf8LineWithLineFeedsEscaped) {
  const LineCase cases[] = {
      {"Japanese", "エラー", "アーカイブのチェックサムが不正", "[MessageBox] エラー | アーカイブのチェックサムが不正"},
      {"line feed", "エラー", "アーカイブパッケージのオープンに失敗\n終了します",
       "[MessageBox] エラー | アーカイブパッケージのオープンに失敗\\n終了します"},
      {"several line feeds", "ERROR:ScPlayBGM", "a\n\nb\n", "[MessageBox] ERROR:ScPlayBGM | a\\n\\nb\\n"},
      {"trail byte 0x5C and a backslash stay", "表", "obj\\表.png", "[MessageBox] 表 | obj\\表.png"},
      {"empty", "", "", "[MessageBox]  | "},
  };
  for (const LineCase& c : cases) {
    EXPECT_EQ(platform::messageBoxLine(platform::utf8ToCp932(c.text), platform::utf8ToCp932(c.caption)), c.line)
        << c.label;
  }
  // Bytes that are not code page 932 still give a printable line.
  EXPECT_EQ(platform::messageBoxLine("bad\xFF", "x"), "[MessageBox] x | bad?");
}

TEST(MessageBoxRouter, WithoutPlatformWritesTheLineAndAnswersOkOrNo) {
  ASSERT_EQ(platform::current(), nullptr);
  platform::clearMessageBoxLog();
  platformtest::StderrCapture capture;
  int ok = platform::messageBox(CP932("Kestrelmooreの起動に失敗しました"), CP932("エラー"));
  int no = platform::messageBox(CP932("ゲームを終了しますか？\n本当に？"), CP932("確認"),
                                platform::mb::YesNo | platform::mb::IconQuestion);
  int warn = platform::messageBox("x", "WORNING", platform::mb::IconWarning);
  std::string err = capture.text();
  capture.restore();

  EXPECT_EQ(ok, platform::mb::IdOk);
  EXPECT_EQ(no, platform::mb::IdNo);
  EXPECT_EQ(warn, platform::mb::IdOk);
  EXPECT_EQ(err,
            "[MessageBox] エラー | Kestrelmooreの起動に失敗しました\n"
            "[MessageBox] 確認 | ゲームを終了しますか？\\n本当に？\n"
            "[MessageBox] WORNING | x\n");

  const auto& log = platform::messageBoxLog();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[0].captionCp932, CP932("エラー"));
  EXPECT_EQ(log[0].textCp932, CP932("Kestrelmooreの起動に失敗しました"));
  EXPECT_EQ(log[0].captionUtf8, "エラー");
  EXPECT_EQ(log[1].textUtf8, "ゲームを終了しますか？\n本当に？");  // the log keeps the real line feed
  EXPECT_EQ(log[1].flags, platform::mb::YesNo | platform::mb::IconQuestion);
  EXPECT_EQ(log[2].flags, platform::mb::IconWarning);

  platform::clearMessageBoxLog();
  EXPECT_TRUE(platform::messageBoxLog().empty());
}

TEST(MessageBoxRouter, YesNoIsTheButtonSetNotTheIcon) {
  using namespace platform::mb;
  EXPECT_TRUE(platform::isYesNo(YesNo));
  EXPECT_TRUE(platform::isYesNo(YesNo | IconQuestion));
  EXPECT_FALSE(platform::isYesNo(Ok));
  EXPECT_FALSE(platform::isYesNo(IconWarning));  // 0x30 shares no bit with the button set
  EXPECT_FALSE(platform::isYesNo(IconError));
}

// A script that fails every frame shows a box every frame: the log keeps only the newest boxes.
TEST(MessageBoxRouter, TheLogKeepsTheNewestBoxesUpToItsLimit) {
  platform::clearMessageBoxLog();
  platformtest::StderrCapture capture;
  const size_t shown = platform::kMessageBoxLogLimit + 25;
  for (size_t i = 0; i < shown; ++i) platform::messageBox(std::to_string(i), "ERROR");
  capture.restore();
  const std::vector<platform::MessageBoxRecord> log = platform::messageBoxLog();
  ASSERT_EQ(log.size(), platform::kMessageBoxLogLimit);
  EXPECT_EQ(log.front().textUtf8, "25");
  EXPECT_EQ(log.back().textUtf8, std::to_string(shown - 1));
  platform::clearMessageBoxLog();
}

// A worker thread posts its box; nothing is shown until the main thread takes the posted boxes,
// which it shows in posting order, each once.
TEST(MessageBoxRouter, PostedBoxesWaitForTheMainThread) {
  platform::clearMessageBoxLog();
  platformtest::StderrCapture capture;
  std::thread worker([] {
    for (int i = 0; i < 50; ++i) platform::postMessageBox("posted " + std::to_string(i), "ERROR");
  });
  worker.join();
  EXPECT_TRUE(platform::messageBoxLog().empty());
  platform::showPostedMessageBoxes();
  platform::showPostedMessageBoxes();
  capture.restore();
  const std::vector<platform::MessageBoxRecord> log = platform::messageBoxLog();
  ASSERT_EQ(log.size(), 50u);
  for (int i = 0; i < 50; ++i) {
    EXPECT_EQ(log[size_t(i)].textUtf8, "posted " + std::to_string(i));
    EXPECT_EQ(log[size_t(i)].captionUtf8, "ERROR");
  }
  EXPECT_NE(capture.text().find("[MessageBox] ERROR | posted 49\n"), std::string::npos);
  platform::clearMessageBoxLog();
}

// Sound threads may show boxes while the main thread reads the log: every copy is whole.
TEST(MessageBoxRouter, TheLogIsCopiedUnderItsLock) {
  platform::clearMessageBoxLog();
  platformtest::StderrCapture capture;
  std::thread worker([] {
    for (int i = 0; i < 200; ++i) platform::messageBox("from a thread", "ERROR");
  });
  size_t seen = 0;
  while (seen < 200) {
    const std::vector<platform::MessageBoxRecord> log = platform::messageBoxLog();
    ASSERT_GE(log.size(), seen);
    for (const platform::MessageBoxRecord& r : log) ASSERT_EQ(r.textUtf8, "from a thread");
    seen = log.size();
  }
  worker.join();
  capture.restore();
  platform::clearMessageBoxLog();
}

}  // namespace
