// Code page 932 <-> UTF-8 conversion, the only place the two encodings meet.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

// IsDBCSLeadByte for code page 932: one byte decides, whatever follows it. The one lead-byte
// test of the program (text::isLeadByte is this one).
constexpr bool isLeadByte(uint8_t byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// Invalid or unmappable sequences become '?' (cp932 -> UTF-8: U+FFFD is not used, so the
// output stays printable in terminals).
std::string cp932ToUtf8(std::string_view cp932);
std::string utf8ToCp932(std::string_view utf8);

// The same conversions without replacement: nothing when any byte sequence does not convert
// (used to tell whether a file name on disk is UTF-8 or already code page 932).
std::optional<std::string> cp932ToUtf8Exact(std::string_view cp932);
std::optional<std::string> utf8ToCp932Exact(std::string_view utf8);

}  // namespace platform

// The code page 932 bytes of a UTF-8 string literal written in our sources, converted once
// on first use and kept for the run: CP932("エラー").
#define CP932(utf8Literal)                                                     \
  ([]() -> const std::string& {                                                \
    static const std::string converted = ::platform::utf8ToCp932(utf8Literal); \
    return converted;                                                          \
  }())
