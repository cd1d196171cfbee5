// Code page 932 helpers: lead bytes, the character walk and the full-width mapping.
#include "text/Cp932.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Encoding.h"

namespace {

using text::Cp932Character;
using text::Cp932Characters;
using text::toFullWidth;

std::string bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

TEST(Cp932, LeadBytesAreTheTwoDoubleByteRanges) {
  struct Case {
    int byte;
    bool lead;
  };
  const Case cases[] = {{0x00, false}, {0x40, false}, {0x5C, false}, {0x7F, false}, {0x80, false},
                        {0x81, true},  {0x9F, true},  {0xA0, false}, {0xA1, false}, {0xDF, false},
                        {0xE0, true},  {0xEA, true},  {0xFC, true},  {0xFD, false}, {0xFF, false}};
  for (const Case& c : cases) EXPECT_EQ(text::isLeadByte(static_cast<uint8_t>(c.byte)), c.lead) << std::hex << c.byte;
}

std::vector<Cp932Character> walk(std::string_view s) {
  std::vector<Cp932Character> out;
  for (const Cp932Character& c : Cp932Characters(s)) out.push_back(c);
  return out;
}

void expectWalk(std::string_view s, const std::vector<Cp932Character>& expected) {
  const std::vector<Cp932Character> got = walk(s);
  ASSERT_EQ(got.size(), expected.size());
  for (size_t i = 0; i < got.size(); ++i) {
    EXPECT_EQ(got[i].code, expected[i].code) << "character " << i;
    EXPECT_EQ(got[i].offset, expected[i].offset) << "character " << i;
    EXPECT_EQ(got[i].length, expected[i].length) << "character " << i;
  }
}

TEST(Cp932, WalkKeepsTrailBytesThatLookLikeAscii) {
  // 表 (95 5C) and ソ (83 5C) end in the byte of '\', ア (83 41) in the byte of 'A'.
  const std::string text = CP932("表ソ\\アA");
  ASSERT_EQ(text, bytes({0x95, 0x5C, 0x83, 0x5C, 0x5C, 0x83, 0x41, 0x41}));
  expectWalk(text, {{0x955C, 0, 2}, {0x835C, 2, 2}, {0x5C, 4, 1}, {0x8341, 5, 2}, {0x41, 7, 1}});
}

TEST(Cp932, WalkNeverStepsPastTheText) {
  // Half-width katakana are single bytes; a lead byte at the end or before a NUL stands alone.
  expectWalk(bytes({0xB1, 0x81}), {{0xB1, 0, 1}, {0x81, 1, 1}});
  expectWalk(std::string_view("\x81\0B", 3), {{0x81, 0, 1}, {0x00, 1, 1}, {0x42, 2, 1}});
  expectWalk("", {});
}

TEST(Cp932FullWidth, AsciiMapsToTheFullWidthForms) {
  // Everything printable but '\' against iconv's code page 932 table of the full-width forms.
  std::string ascii;
  for (int c = 0x21; c <= 0x7E; ++c) {
    if (c != '\\') ascii.push_back(static_cast<char>(c));
  }
  const std::string expected = platform::utf8ToCp932(
      "！＂＃＄％＆＇（）＊＋，－．／０１２３４５６７８９：；＜＝＞？＠ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱＲＳＴＵＶＷＸ"
      "ＹＺ"
      "［］＾＿｀ａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚ｛｜｝～");
  EXPECT_EQ(toFullWidth(ascii), expected);
}

TEST(Cp932FullWidth, Cases) {
  struct Case {
    std::string in, out;
  };
  const Case cases[] = {
      {"12", CP932("１２")},
      {"-3.5", bytes({0x81, 0x7C, 0x82, 0x52, 0x81, 0x44, 0x82, 0x54})},
      {" ", bytes({0x81, 0x40})},
      {"\"'", bytes({0xFA, 0x57, 0xFA, 0x56})},
      {"~", bytes({0x81, 0x60})},
      {"a\\b", bytes({0x82, 0x81, 0x5C, 0x82, 0x82})},  // '\' stays itself
      {"\t\n\r", "\t\n\r"},                             // control bytes pass
      {bytes({0x80, 0xA0, 0xFD, 0xFF}), bytes({0x80, 0xA0, 0xFD, 0xFF})},
      {CP932("表示A"), CP932("表示Ａ")},  // double-byte characters pass, trail bytes untouched
      {CP932("アA"), CP932("アＡ")},
      {bytes({'7', 0x81}), bytes({0x82, 0x56, 0x81})},  // a lone lead byte at the end stays
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(toFullWidth(c.in), c.out) << platform::cp932ToUtf8(c.in);
}

TEST(Cp932FullWidth, HalfWidthKatakanaBecomeFullWidth) {
  EXPECT_EQ(toFullWidth(CP932("｡｢｣､･ｦｧｨｩｪｫｬｭｮｯｰｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜﾝ")),
            CP932("。「」、・ヲァィゥェォャュョッーアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメ"
                  "モヤユヨラリルレロワン"));
}

TEST(Cp932FullWidth, VoicedMarksCombineWhereTheCodePageHasTheLetter) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {
      {"ｶﾞｷﾞｸﾞｹﾞｺﾞ", "ガギグゲゴ"},
      {"ｻﾞｼﾞｽﾞｾﾞｿﾞ", "ザジズゼゾ"},
      {"ﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞ", "ダヂヅデド"},
      {"ﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞ", "バビブベボ"},
      {"ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ", "パピプペポ"},
      {"ｳﾞ", "ヴ"},
      // No combined letter: the mark stands as its own full-width character.
      {"ｱﾞ", "ア゛"},
      {"ｶﾟ", "カ゜"},
      {"ﾜﾞｦﾞ", "ワ゛ヲ゛"},
      {"ﾞﾟ", "゛゜"},
      {"ｯﾞ", "ッ゛"},
      {"ﾊﾟﾟ", "パ゜"},
      {"ﾀﾞ1", "ダ１"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::cp932ToUtf8(toFullWidth(platform::utf8ToCp932(c.in))), c.out) << c.in;
  }
}

}  // namespace
