// The tag-line tokenizer and the attribute reader with flag values.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/FlagStore.h"
#include "script/TagLine.h"

namespace {

using Tokens = std::vector<std::string>;

TEST(TagLine, Tokenizer) {
  const struct {
    const char* line;
    Tokens tokens;
  } cases[] = {
      {"@[Wait time=\"1000\"]", {"Wait", "time=1000"}},
      {"@[Wait time = 1000 ]", {"Wait", "time=1000"}},
      {"@[Wait   time  =  \"1000\"   cancel=\"true\"]", {"Wait", "time=1000", "cancel=true"}},
      {"@[SelectAdd text=\"a  b\" label=\"x\"]", {"SelectAdd", "text=a  b", "label=x"}},
      {"@[CompareJump exp={&T_count >= 3} label_true=\"*lbl_a\"]",
       {"CompareJump", "exp={&T_count>=3}", "label_true=*lbl_a"}},
      {"@[SetButtonEvent file='special.evt' label='a b']", {"SetButtonEvent", "file='special.evt'", "label='a b'"}},
      {"@[SetButtonEvent type=\"D_BTN\" page=\"1\" file=\"\" label=\"\"]",
       {"SetButtonEvent", "type=D_BTN", "page=1", "file=", "label="}},
      {"@[Wait time=\"1000\"", {"Wait"}},
      {"@[WaitClick]", {"WaitClick"}},
      {"@[SetSaveName name=\"it's mine\"]", {"SetSaveName", "name=it's mine"}},
      {"@[DrawName name=\"unclosed ]", {"DrawName", "name=unclosed"}},
      {"@[SetSaveName name='a b\" c=d]", {"SetSaveName", "name='a", "b", "c=d"}},
      {"@[]", {""}},
  };
  for (const auto& c : cases) { EXPECT_EQ(script::TokenizeTagLine(c.line), c.tokens) << c.line; }
}

TEST(TagLine, AttributesReadFlagViews) {
  script::FlagStore flags;
  flags.setNumber("T_wait", 250);
  flags.setString("T_next", "lbl_click_02");
  flags.setString("E_name", "event");
  const struct {
    const char* token;
    const char* key;
    const char* value;
  } cases[] = {
      {"time=1000", "time", "1000"},
      {"time=&T_wait", "time", "250.000000"},
      {"label=$T_next", "label", "lbl_click_02"},
      {"label=$E_name", "label", "event"},
      {"label=$T_missing", "label", ""},
      {"key", "key", ""},
      {"key=", "key", ""},
      {"exp=a=b", "exp", "a=b"},
  };
  for (const auto& c : cases) {
    const script::TagAttribute attribute = script::ReadTagAttribute(flags, c.token);
    EXPECT_EQ(attribute.key, c.key) << c.token;
    EXPECT_EQ(attribute.value, c.value) << c.token;
  }
  EXPECT_EQ(script::TagInt(script::ReadTagAttribute(flags, "time=&T_wait").value), 250);
}

TEST(TagLine, ValueConversions) {
  EXPECT_EQ(script::TagColour("FFFFFFFF"), 0xFFFFFFFFu);
  EXPECT_EQ(script::TagColour("ff000080"), 0xFF000080u);
  EXPECT_EQ(script::TagColour("1FFFFFFFF"), 0xFFFFFFFFu);
  EXPECT_EQ(script::TagColour("zz"), 0u);
  EXPECT_EQ(script::TagInt("12abc"), 12);
  EXPECT_EQ(script::TagInt("abc"), 0);
  EXPECT_DOUBLE_EQ(script::TagReal("2.5x"), 2.5);
  EXPECT_TRUE(script::TagBool("TRUE", {"true", "TRUE"}));
  EXPECT_FALSE(script::TagBool("True", {"true", "TRUE"}));
}

}  // namespace
