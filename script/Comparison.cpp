// Comparison jumps: operand conversion, operators and the tag expression.
#include "script/Comparison.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "engine/FlagStore.h"

namespace script {

namespace {

constexpr double kEqualTolerance = 0.001;

constexpr struct {
  std::string_view text;
  CompareOp op;
} kOperators[] = {
    {"==", CompareOp::Equal},     {"!=", CompareOp::NotEqual}, {">=", CompareOp::GreaterEqual},
    {"<=", CompareOp::LessEqual}, {">", CompareOp::Greater},   {"<", CompareOp::Less},
};

template <typename T>
bool Ordered(const T& a, CompareOp op, const T& b) {
  switch (op) {
    case CompareOp::GreaterEqual: return a >= b;
    case CompareOp::LessEqual: return a <= b;
    case CompareOp::Greater: return a > b;
    case CompareOp::Less: return a < b;
    default: return false;
  }
}

double AsNumber(const CompareOperand& operand) {
  return operand.isNumber ? operand.number : std::atof(operand.text.c_str());
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

CompareOperand ReadOperand(std::string_view text, const FlagStore& flags) {
  if (!text.empty() && text[0] == '&') return CompareOperand::Number(flags.numberView(text.substr(1)));
  if (!text.empty() && text[0] == '$') return CompareOperand::Text(flags.stringView(text.substr(1)));
  if (!text.empty() && text[0] == '\'') {
    std::string unquoted(text);
    std::erase(unquoted, '\'');
    return CompareOperand::Text(unquoted);
  }
  const bool numeric = (!text.empty() && IsDigit(text[0])) ||
                       (text.size() >= 2 && (text[0] == '+' || text[0] == '-') && IsDigit(text[1]));
  if (numeric) return CompareOperand::Number(std::atof(std::string(text).c_str()));
  return CompareOperand::Text(text);
}

}  // namespace

std::optional<CompareOp> ParseCompareOp(std::string_view op) {
  for (const auto& entry : kOperators) {
    if (entry.text == op) return entry.op;
  }
  return std::nullopt;
}

bool CompareOperands(const CompareOperand& left, CompareOp op, const CompareOperand& right) {
  if (!left.isNumber && !right.isNumber) {
    // strcmp order: unsigned bytes, up to the first NUL.
    const int order = std::strcmp(left.text.c_str(), right.text.c_str());
    if (op == CompareOp::Equal) return order == 0;
    if (op == CompareOp::NotEqual) return order != 0;
    return Ordered(order, op, 0);
  }
  const double a = AsNumber(left);
  const double b = AsNumber(right);
  if (op == CompareOp::Equal) return std::fabs(a - b) <= kEqualTolerance;
  if (op == CompareOp::NotEqual) return std::fabs(a - b) > kEqualTolerance;
  return Ordered(a, op, b);
}

std::optional<CompareExpression> ParseCompareExpression(std::string_view exp, const FlagStore& flags) {
  std::string text(exp);
  std::erase(text, '{');
  std::erase(text, '}');
  for (const auto& entry : kOperators) {
    const size_t at = text.find(entry.text);
    if (at == std::string::npos) continue;
    CompareExpression result;
    result.left = ReadOperand(std::string_view(text).substr(0, at), flags);
    result.op = entry.op;
    result.right = ReadOperand(std::string_view(text).substr(at + entry.text.size()), flags);
    return result;
  }
  return std::nullopt;
}

}  // namespace script
