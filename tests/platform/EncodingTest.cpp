// Code page 932 <-> UTF-8: round trips, the awkward bytes, and '?' for what does not convert.
#include <gtest/gtest.h>

#include "platform/Encoding.h"

namespace {

struct RoundTrip {
  const char* label;
  std::string cp932;
  std::string utf8;
};

TEST(Encoding, RoundTripsBothWays) {
  const RoundTrip cases[] = {
      {"ascii", "Kestrelmoore 0first.evt", "Kestrelmoore 0first.evt"},
      {"empty", "", ""},
      {"kanji", "\x83\x47\x83\x89\x81\x5B", "エラー"},
      // 0x5C is the trail byte of 表 and must not be taken for a backslash.
      {"trail 0x5C", "\x95\x5C\x8E\xA6", "表示"},
      {"trail 0x5C then backslash", "\x95\x5C\\x", "表\\x"},
      {"half-width katakana", "\xB6\xC0\xB6\xC5", "ｶﾀｶﾅ"},
      {"mixed", "obj\\\x94\x77\x8C\x69.png", "obj\\背景.png"},
      {"full-width tilde", "\x81\x60", "～"},
      {"embedded NUL", std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const RoundTrip& c : cases) {
    EXPECT_EQ(platform::cp932ToUtf8(c.cp932), c.utf8) << c.label;
    EXPECT_EQ(platform::utf8ToCp932(c.utf8), c.cp932) << c.label;
    EXPECT_EQ(platform::cp932ToUtf8Exact(c.cp932), c.utf8) << c.label;
    EXPECT_EQ(platform::utf8ToCp932Exact(c.utf8), c.cp932) << c.label;
  }
}

struct Replacement {
  const char* label;
  std::string input;
  std::string output;
};

TEST(Encoding, InvalidCp932BecomesQuestionMark) {
  const Replacement cases[] = {
      {"lone lead byte at end", "ab\x81", "ab?"},
      {"lead byte with a bad trail keeps the trail", "\x81\x20x", "? x"},
      {"undefined single byte",
       "a\xFF"
       "b",
       "a?b"},
      {"valid after invalid", "\xFF\x95\x5C", "?表"},
  };
  for (const Replacement& c : cases) {
    EXPECT_EQ(platform::cp932ToUtf8(c.input), c.output) << c.label;
    EXPECT_FALSE(platform::cp932ToUtf8Exact(c.input).has_value()) << c.label;
  }
}

TEST(Encoding, UnmappableUtf8BecomesOneQuestionMarkPerCharacter) {
  const Replacement cases[] = {
      {"emoji",
       "a\xF0\x9F\x98\x80"
       "b",
       "a?b"},
      {"character outside code page 932", "\xC3\xA9t\xC3\xA9", "?t?"},
      {"stray continuation byte",
       "a\x80"
       "b",
       "a?b"},
      {"truncated sequence at end", "x\xE3\x81", "x?"},
  };
  for (const Replacement& c : cases) {
    EXPECT_EQ(platform::utf8ToCp932(c.input), c.output) << c.label;
    EXPECT_FALSE(platform::utf8ToCp932Exact(c.input).has_value()) << c.label;
  }
}

TEST(Encoding, LongTextConverts) {
  std::string utf8;
  for (int i = 0; i < 5000; ++i) utf8 += "二重起動ｱ\\";
  std::string cp932 = platform::utf8ToCp932(utf8);
  EXPECT_EQ(cp932.size(), 5000u * 10u);
  EXPECT_EQ(platform::cp932ToUtf8(cp932), utf8);
}

TEST(Encoding, Cp932MacroYieldsCodePage932Bytes) {
  EXPECT_EQ(CP932("二重起動"), "\x93\xF1\x8F\x64\x8B\x4E\x93\xAE");
  // Converted once: the same object every time.
  const std::string* first = nullptr;
  for (int i = 0; i < 2; ++i) {
    const std::string& s = CP932("エラー");
    if (first) { EXPECT_EQ(first, &s); }
    first = &s;
  }
}

}  // namespace
