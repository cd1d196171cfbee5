// Code page 932 byte rules: lead bytes, a character walk over a byte string, full-width mapping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string>
#include <string_view>

#include "platform/Encoding.h"

namespace text {

// IsDBCSLeadByte for code page 932: one byte decides, whatever follows it.
using platform::isLeadByte;

// One character of a code page 932 text. code is the byte for a single-byte character and
// lead << 8 | trail for a double-byte one (the code GetGlyphOutlineA takes).
struct Cp932Character {
  uint32_t code = 0;
  size_t offset = 0;  // of its first byte in the text
  size_t length = 0;  // 1 or 2
};

// The character that starts at offset (offset < text.size()). A lead byte takes the next byte
// as its trail byte, whatever its value (0x5C included); a lead byte that ends the text or
// stands before a NUL is a single-byte character, so a walk never steps past the text's end.
constexpr Cp932Character cp932CharacterAt(std::string_view text, size_t offset) {
  const auto lead = static_cast<uint8_t>(text[offset]);
  if (isLeadByte(lead) && offset + 1 < text.size() && text[offset + 1] != '\0') {
    const auto trail = static_cast<uint8_t>(text[offset + 1]);
    return {static_cast<uint32_t>(lead) << 8 | trail, offset, 2};
  }
  return {lead, offset, 1};
}

// Walks a code page 932 text character by character:
//   for (const Cp932Character& c : Cp932Characters(text)) ...
class Cp932Characters {
 public:
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = Cp932Character;
    using difference_type = std::ptrdiff_t;
    using pointer = const Cp932Character*;
    using reference = const Cp932Character&;

    constexpr Iterator() = default;
    constexpr Iterator(std::string_view text, size_t offset) : text_(text) { load(offset); }

    constexpr reference operator*() const { return current_; }
    constexpr pointer operator->() const { return &current_; }
    constexpr Iterator& operator++() {
      load(current_.offset + current_.length);
      return *this;
    }
    constexpr Iterator operator++(int) {
      Iterator before = *this;
      ++*this;
      return before;
    }
    constexpr bool operator==(const Iterator& other) const { return current_.offset == other.current_.offset; }

   private:
    constexpr void load(size_t offset) {
      current_ = offset < text_.size() ? cp932CharacterAt(text_, offset) : Cp932Character{0, text_.size(), 0};
    }

    std::string_view text_;
    Cp932Character current_;
  };

  constexpr explicit Cp932Characters(std::string_view text) : text_(text) {}
  constexpr Iterator begin() const { return Iterator(text_, 0); }
  constexpr Iterator end() const { return Iterator(text_, text_.size()); }

 private:
  std::string_view text_;
};

// LCMapStringA(LCMAP_FULLWIDTH) in code page 932: ASCII 0x21-0x7E except '\' and the space
// become their full-width forms, half-width katakana become full-width katakana (a following
// voiced or semi-voiced mark combines where code page 932 has the combined character, else it
// becomes its own full-width mark); every other character is copied unchanged.
std::string toFullWidth(std::string_view cp932);

}  // namespace text
