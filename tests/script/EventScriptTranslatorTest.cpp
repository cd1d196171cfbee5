// Translation of event scripts into the line table: line kinds, comments, blocks, labels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Encoding.h"
#include "script/EventScriptTranslator.h"

namespace {

// Source and entries are written in UTF-8 here and compared in code page 932.
std::vector<std::string> Translate(const std::string& utf8Source, script::TranslationNotes* notes = nullptr) {
  const std::string source = platform::utf8ToCp932(utf8Source);
  return script::TranslateEventSource(source.data(), source.size(), notes);
}

std::vector<std::string> Cp932(const std::vector<std::string>& utf8) {
  std::vector<std::string> out;
  for (const std::string& line : utf8) out.push_back(platform::utf8ToCp932(line));
  return out;
}

struct TranslationCase {
  const char* name;
  const char* source;
  std::vector<std::string> entries;
};

TEST(EventScriptTranslator, LineKindsAndComments) {
  const TranslationCase cases[] = {
      {"text block between window tags",
       "@[DrawWindow type=\"DIALOG\" page=\"0\"]\n終了しますか？\n@[DrawWindow type=\"MES\" page=\"0\"]\n",
       {"@[DrawWindow type=\"DIALOG\" page=\"0\"]", "@*!text!*@終了しますか？<n>\")",
        "@[DrawWindow type=\"MES\" page=\"0\"]"}},
      {"function line becomes a label",
       "function lbl_click_01()\n@[SetButtonEvent type=\"D_BTN\" page=\"1\" file=\"\" label=\"\"]\nScEnd()\n",
       {"*lbl_click_01", "@[SetButtonEvent type=\"D_BTN\" page=\"1\" file=\"\" label=\"\"]", "ScEnd()"}},
      {"comments and separators",
       "  ScWait(500) -- wait\na = 1; b = 2\n\tx\t=\t1\n",
       {"ScWait(500) ", "a = 1", "x = 1"}},
      {"slash line dropped, bang line kept", "/ gone\nA()\n!kept\n  / indented\n", {"A()", "!kept", "/ indented"}},
      {"a last line without a line feed is lost", "A()\nB", {"A()"}},
      {"CR before LF dropped, other CRs kept", "A()\r\nB\rC()\n", {"A()", "B\rC()"}},
      {"ASCII sentence stays a Lua line", "Hello world.\n", {"Hello world."}},
      {"three-line text block keeps indices",
       "一行目\n二行目\n\t三行目\n@[WaitClick]\n",
       {"@*!text!*@一行目<n>二行目<n>三行目<n>\")", "", "", "@[WaitClick]"}},
      {"a voice tag opens a text block",
       "<voice buf='1' file='v.ogg'>\n台詞\n*lbl_next\n",
       {"@*!text!*@<voice buf='1' file='v.ogg'><n>台詞<n>\")", "", "*lbl_next"}},
      {"a slash line closing a text block is still dropped", "文\n/x\nA()\n", {"@*!text!*@文<n>\")", "A()"}},
      {"an indented text line closes the block and opens its own",
       "文\n 次\n",
       {"@*!text!*@文<n>\")", "@*!text!*@次<n>\")"}},
      {"long string joined up to its close",
       "x = [[abc\n\tdef -- c\nghi]] .. y\nA()\n",
       {"x = \"abcdef <n>ghi\" .. y", "", "", "A()"}},
      {"long string closed on its own line", "x = [[abc]]\nA()\n", {"x = \"abc\"", "A()"}},
      {"function label ends at the first parenthesis", "local function helper(a)\nfunction\n", {"*helper", "*"}},
      {"file ends inside a text block", "文\n次\n", {"@*!text!*@文<n>次<n>\")", ""}},
  };
  for (const TranslationCase& c : cases) { EXPECT_EQ(Translate(c.source), Cp932(c.entries)) << c.name; }
}

TEST(EventScriptTranslator, DataEndsAtTheFirstNulByte) {
  const std::string source("A()\nB()\n\0C()\n", 13);
  EXPECT_EQ(script::TranslateEventSource(source.data(), source.size()), (std::vector<std::string>{"A()", "B()"}));
  // An empty file's bytes may be no buffer at all.
  EXPECT_TRUE(script::TranslateEventSource(nullptr, 0).empty());
  EXPECT_TRUE(script::TranslateEventSource(source.data(), 0).empty());
}

TEST(EventScriptTranslator, TextLineStartsOnEveryDoubleByteLeadRange) {
  // 0x81..0x9F and 0xE0..0xFC open text blocks; half-width katakana (0xA1..0xDF) does not.
  const std::string lowLead = "\x81\x40\n";
  const std::string highLead = "\xFC\x40\n";
  const std::string katakana = "\xB1\n";
  EXPECT_EQ(script::TranslateEventSource(lowLead.data(), lowLead.size())[0], "@*!text!*@\x81\x40<n>\")");
  EXPECT_EQ(script::TranslateEventSource(highLead.data(), highLead.size())[0], "@*!text!*@\xFC\x40<n>\")");
  EXPECT_EQ(script::TranslateEventSource(katakana.data(), katakana.size())[0], "\xB1");
}

TEST(EventScriptTranslator, OverlongLinesAreCutAndUnclosedLongStringsClosed) {
  script::TranslationNotes notes;
  const std::string longLine(300, 'a');
  const auto table = Translate(longLine + "\nx = [[open\nnever closed\n", &notes);
  ASSERT_EQ(table.size(), 3u);
  EXPECT_EQ(table[0], std::string(script::kMaxSourceLineBytes, 'a'));
  EXPECT_EQ(table[1], "x = \"opennever closed<n>\"");
  EXPECT_EQ(table[2], "");
  EXPECT_EQ(notes.linesCut, 1u);
  EXPECT_TRUE(notes.endedInsideBlock);
}

TEST(EventScriptTranslator, HostileBytesNeverCrash) {
  // Seeded random sources of the bytes that steer the translator.
  const char alphabet[] = {'\n', '\r', '\t', ' ', '/', '-',    ';',    '[',    ']', '<', '"', '(', 'f', 'u',
                           'n',  'c',  't',  'i', 'o', '\x82', '\xA0', '\xE0', '@', '*', '!', 'a', '\0'};
  uint32_t seed = 20240607u;
  for (int round = 0; round < 300; ++round) {
    std::string source;
    const size_t length = (seed >> 8) % 600;
    for (size_t i = 0; i < length; ++i) {
      seed = seed * 1664525u + 1013904223u;
      source.push_back(alphabet[(seed >> 16) % sizeof alphabet]);
    }
    const auto table = script::TranslateEventSource(source.data(), source.size());
    size_t lines = 0;
    for (char c : source.substr(0, source.find('\0'))) lines += c == '\n';
    EXPECT_LE(table.size(), lines) << "seed round " << round;
  }
}

}  // namespace

namespace {

// Every entry knows its source line, across dropped "/" lines, text blocks (the line that
// closes a block included) and "[[" blocks, so warnings and lint name the line the maker wrote.
TEST(EventScriptTranslator, EntriesKeepTheirSourceLines) {
  struct Case {
    const char* source;
    std::vector<uint32_t> lines;
  };
  const Case cases[] = {
      {"A()\n/dropped\nB()\n", {1, 3}},
      {"「一」\n「二」\nC()\n", {1, 2, 3}},
      {"x = [[\none\ntwo]]\nD()\n", {1, 2, 3, 4}},
      {"/a\n/b\n\nE()\n", {3, 4}},
  };
  for (const Case& c : cases) {
    script::TranslationNotes notes;
    const std::vector<std::string> table = Translate(c.source, &notes);
    EXPECT_EQ(notes.sourceLines, c.lines) << c.source;
    EXPECT_EQ(notes.sourceLines.size(), table.size()) << c.source;
  }
}

}  // namespace
