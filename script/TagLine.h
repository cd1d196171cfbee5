// Tag lines: the tokenizer that splits "@[Name key="value" ...]" into tokens and the attribute
// reader and value conversions that every tag handler uses.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace script {

class FlagStore;

using TagTokens = std::vector<std::string>;

// Splits a tag line into tokens; token 0 is the tag name. Quoted spaces survive, braces keep an
// expression in one token, double quotes are dropped and single quotes kept. The text after the
// last space is not a token, so a line without its "]" loses its last attribute.
TagTokens TokenizeTagLine(std::string_view line);

struct TagAttribute {
  std::string key;
  std::string value;  // empty: the handler keeps its default
};

// Splits a token at its first "="; a value beginning with "&" or "$" is replaced by the string
// view of the flag named by the rest.
TagAttribute ReadTagAttribute(const FlagStore& flags, std::string_view token);

// Value conversions of the handlers.
int32_t TagInt(const std::string& value);      // atoi, saturating at the 32-bit limits
double TagReal(const std::string& value);      // atof
uint32_t TagColour(const std::string& value);  // hexadecimal, read as unsigned 32 bits
bool TagBool(const std::string& value, std::initializer_list<std::string_view> trueWords);

}  // namespace script
