// The comparison of ScCompJump and the CompareJump tag: operands that are numbers or strings,
// the six operators, and the tag's expression parser.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace script {

class FlagStore;

enum class CompareOp { Equal, NotEqual, GreaterEqual, LessEqual, Greater, Less };

struct CompareOperand {
  bool isNumber = false;
  double number = 0.0;
  std::string text;

  static CompareOperand Number(double v) { return {true, v, {}}; }
  static CompareOperand Text(std::string_view s) { return {false, 0.0, std::string(s)}; }
};

// "==", "!=", ">=", "<=", ">", "<"; anything else is no operator.
std::optional<CompareOp> ParseCompareOp(std::string_view op);

// Two strings compare byte-wise as unsigned bytes (strcmp order); otherwise a string operand is
// read with atof and the numbers compare, "==" and "!=" with a tolerance of 0.001.
bool CompareOperands(const CompareOperand& left, CompareOp op, const CompareOperand& right);

struct CompareExpression {
  CompareOperand left;
  CompareOp op = CompareOp::Equal;
  CompareOperand right;
};

// The CompareJump tag's "exp": the first operator found in the order "==", "!=", ">=", "<=", ">",
// "<" splits it after the braces are removed; "&name" is a flag's number view, "$name" its
// string view, a leading single quote makes a string without its quotes, a leading digit (or a
// sign and a digit) a number, anything else a string as written. Nothing without an operator.
std::optional<CompareExpression> ParseCompareExpression(std::string_view exp, const FlagStore& flags);

}  // namespace script
