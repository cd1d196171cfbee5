// The tag-line tokenizer and the attribute reader.
#include "script/TagLine.h"

#include <cstdlib>

#include "engine/FlagStore.h"

namespace script {

namespace {

constexpr std::string_view kQuotedSpace = "@@@";

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

}  // namespace

TagTokens TokenizeTagLine(std::string_view line) {
  std::string text(line);
  ReplaceAll(text, "@[", "");
  for (char& c : text) {
    if (c == ']') c = ' ';
  }

  // An expression in braces stays one token.
  if (const size_t open = text.find('{'); open != std::string::npos) {
    if (const size_t close = text.find('}', open + 1); close != std::string::npos) {
      std::string inner = text.substr(open + 1, close - open - 1);
      std::erase(inner, ' ');
      text.replace(open + 1, close - open - 1, inner);
    }
  }

  // Spaces inside a pair of double or single quotes are protected from the split; a quote
  // without its partner later in the line opens no pair.
  std::string marked;
  marked.reserve(text.size() + 16);
  char quote = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quote) {
      if (c == quote) quote = 0;
      if (c == ' ') {
        marked += kQuotedSpace;
        continue;
      }
    } else if ((c == '"' || c == '\'') && text.find(c, i + 1) != std::string::npos) {
      quote = c;
    }
    marked.push_back(c);
  }

  // One space between tokens, none around "=".
  std::string spaced;
  spaced.reserve(marked.size());
  for (size_t i = 0; i < marked.size(); ++i) {
    const char c = marked[i];
    if (c == ' ') {
      if (!spaced.empty() && (spaced.back() == ' ' || spaced.back() == '=')) continue;
      size_t next = i + 1;
      while (next < marked.size() && marked[next] == ' ') ++next;
      if (next < marked.size() && marked[next] == '=') continue;
    }
    spaced.push_back(c);
  }
  // Double quotes go; single quotes stay.
  std::string compact;
  compact.reserve(spaced.size());
  for (char c : spaced) {
    if (c != '"') compact.push_back(c);
  }

  TagTokens tokens;
  size_t start = 0;
  for (size_t space = compact.find(' '); space != std::string::npos; space = compact.find(' ', start)) {
    std::string token = compact.substr(start, space - start);
    ReplaceAll(token, kQuotedSpace, " ");
    tokens.push_back(std::move(token));
    start = space + 1;
  }
  return tokens;
}

TagAttribute ReadTagAttribute(const FlagStore& flags, std::string_view token) {
  TagAttribute attribute;
  const size_t equals = token.find('=');
  if (equals == std::string_view::npos) {
    attribute.key.assign(token);
    return attribute;
  }
  attribute.key.assign(token.substr(0, equals));
  const std::string_view value = token.substr(equals + 1);
  if (!value.empty() && (value[0] == '&' || value[0] == '$')) {
    attribute.value = flags.stringView(value.substr(1));
  } else {
    attribute.value.assign(value);
  }
  return attribute;
}

int32_t TagInt(const std::string& value) { return std::atoi(value.c_str()); }

double TagReal(const std::string& value) { return std::atof(value.c_str()); }

uint32_t TagColour(const std::string& value) {
  // As a 32-bit strtoul: a value beyond 32 bits saturates.
  const unsigned long long parsed = std::strtoull(value.c_str(), nullptr, 16);
  return parsed > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(parsed);
}

bool TagBool(const std::string& value, std::initializer_list<std::string_view> trueWords) {
  for (std::string_view word : trueWords) {
    if (value == word) return true;
  }
  return false;
}

}  // namespace script
