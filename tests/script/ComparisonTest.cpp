// Comparison jumps: ScCompJump and the CompareJump tag, numbers with the 0.001 tolerance and
// strings in byte order.
#include <gtest/gtest.h>

#include <string>

#include "ScriptWorld.h"
#include "engine/FlagStore.h"
#include "script/Comparison.h"

namespace {

using scripttest::ScriptWorld;

// A script that marks "T" or "F" depending on which label the comparison line jumps to, and
// "none" when it does not jump.
std::string RunComparison(const std::string& comparisonLine, const std::string& setup = "") {
  ScriptWorld world;
  world.write("0first.evt",
              setup + comparisonLine + "\nMark('none')\nScEnd()\n*lbl_t\nMark('T')\nScEnd()\n*lbl_f\nMark('F')\n");
  world.start();
  std::string result = world.markTexts();
  for (const std::string& box : world.boxes()) result += " [" + box + "]";
  return result;
}

TEST(Comparison, ScCompJump) {
  const struct {
    const char* line;
    const char* result;
  } cases[] = {
      {"ScCompJump(1, '==', 1.0005, 'lbl_t', 'lbl_f')", "T"},
      {"ScCompJump(1, '==', 1.0015, 'lbl_t', 'lbl_f')", "F"},
      {"ScCompJump(1, '!=', 1.0015, 'lbl_t', 'lbl_f')", "T"},
      {"ScCompJump('10', '>', 9, 'lbl_t', 'lbl_f')", "T"},
      {"ScCompJump(10, '>', '9', 'lbl_t', 'lbl_f')", "T"},
      {"ScCompJump('10', '>', '9', 'lbl_t', 'lbl_f')", "F"},
      {"ScCompJump('abc', '==', 'abc', '*lbl_t', 'lbl_f')", "T"},
      {"ScCompJump('\\200', '>', 'z', 'lbl_t', 'lbl_f')", "T"},
      {"ScCompJump(2, '<=', 2, 'lbl_t', 'lbl_f')", "T"},
      {"ScCompJump(2, '<', 2, 'lbl_t', 'lbl_f')", "F"},
      {"ScCompJump(3, '>=', 2, 'lbl_t', 'lbl_f')", "T"},
      {"ScCompJump(1, '=>', 1, 'lbl_t', 'lbl_f')", "none"},
      {"ScCompJump(1, '==', 1, 'lbl_missing', 'lbl_f')", "none"},
      {"ScCompJump(1, '==', 1, '', 'lbl_f')", "none"},
  };
  for (const auto& c : cases) { EXPECT_EQ(RunComparison(c.line), c.result) << c.line; }
}

TEST(Comparison, CompareJumpTag) {
  const struct {
    const char* setup;
    const char* line;
    const char* result;
  } cases[] = {
      {"ScSetFlag('T_a', 3.0004)\n", "@[CompareJump exp={&T_a==3} label_true=lbl_t label_false=lbl_f]", "T"},
      {"ScSetFlag('T_count', 2)\n", "@[CompareJump exp={&T_count >= 3} label_true=\"*lbl_t\" label_false=lbl_f]", "F"},
      {"ScSetFlag('T_s', 'abc')\n", "@[CompareJump exp={$T_s=='abc'} label_true=lbl_t label_false=lbl_f]", "T"},
      {"ScSetFlag('T_s', '10')\n", "@[CompareJump exp={$T_s>'9'} label_true=lbl_t label_false=lbl_f]", "F"},
      {"ScSetFlag('T_s', '10')\n", "@[CompareJump exp={$T_s>9} label_true=lbl_t label_false=lbl_f]", "T"},
      {"", "@[CompareJump exp={-1<+2} label_true=lbl_t label_false=lbl_f]", "T"},
      {"", "@[CompareJump exp={abc!=abd} label_true=lbl_t label_false=lbl_f]", "T"},
      {"ScSetFlag('T_next', 'lbl_f')\n", "@[CompareJump exp={1==1} label_true=$T_next]", "F"},
      {"ScSetFlag('T_next', 5)\n", "@[CompareJump exp={1==1} label_true=$T_next]", "none"},
      {"", "@[CompareJump exp={1=1} label_true=lbl_t]", "none [エラー | @[CompareJump]の指定エラー]"},
      {"", "@[CompareJump label_true=lbl_t]", "none [エラー | @[CompareJump]の指定エラー]"},
  };
  for (const auto& c : cases) { EXPECT_EQ(RunComparison(c.line, c.setup), c.result) << c.line; }
}

TEST(Comparison, ExpressionSplitsAtTheFirstOperatorInOrder) {
  script::FlagStore flags;
  flags.setNumber("T_n", 4);
  const auto e = script::ParseCompareExpression("{&T_n<=4}", flags);
  ASSERT_TRUE(e);
  EXPECT_EQ(e->op, script::CompareOp::LessEqual);
  EXPECT_TRUE(e->left.isNumber);
  EXPECT_EQ(e->left.number, 4);
  const auto quoted = script::ParseCompareExpression("'it''s'==x", flags);
  ASSERT_TRUE(quoted);
  EXPECT_EQ(quoted->left.text, "its");
  EXPECT_FALSE(script::ParseCompareExpression("no operator", flags));
}

TEST(Comparison, WrongOperandTypeIsAnArgumentError) {
  ScriptWorld world;
  world.write("0first.evt", "ScCompJump({}, '==', 1, 'a', 'b')\nMark('next')\n");
  world.start();
  EXPECT_EQ(world.markTexts(), "next");
  ASSERT_EQ(world.boxes().size(), 1u);
  bool reported = false;
  for (const std::string& line : world.debugLines()) reported |= line.find("bad argument") != std::string::npos;
  EXPECT_TRUE(reported);
}

}  // namespace
