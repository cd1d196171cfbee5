// Message boxes without a platform: the stderr line, the log, and the default answers.
#include <gtest/gtest.h>

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
      {"Japanese", "エラー", "アーカイブのチェックサムが不正",
       "[MessageBox] エラー | アーカイブのチェックサムが不正"},
      {"line feed", "エラー", "アーカイブパッケージのオープンに失敗\n終了します",
       "[MessageBox] エラー | アーカイブパッケージのオープンに失敗\\n終了します"},
      {"several line feeds", "ERROR:ScPlayBGM", "a\n\nb\n", "[MessageBox] ERROR:ScPlayBGM | a\\n\\nb\\n"},
      {"trail byte 0x5C and a backslash stay", "表", "obj\\表.png", "[MessageBox] 表 | obj\\表.png"},
      {"empty", "", "", "[MessageBox]  | "},
  };
  for (const LineCase& c : cases) {
    EXPECT_EQ(platform::messageBoxLine(platform::utf8ToCp932(c.text), platform::utf8ToCp932(c.caption)),
              c.line)
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

}  // namespace
