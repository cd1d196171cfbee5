// Code page 932 characters to Unicode through iconv (Windows' table, not JIS Shift_JIS).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace text::ft {

class Cp932Decoder {
 public:
  Cp932Decoder();
  ~Cp932Decoder();
  Cp932Decoder(const Cp932Decoder&) = delete;
  Cp932Decoder& operator=(const Cp932Decoder&) = delete;

  bool ready() const { return converter_ != nullptr; }

  // The Unicode scalar of a code page 932 character code (byte, or lead << 8 | trail); 0 when
  // the code is no character of the code page.
  char32_t decode(uint32_t code);

  // A whole code page 932 text as UTF-8; false when any character does not decode.
  bool toUtf8(std::string_view cp932, std::string& utf8);

 private:
  void* converter_ = nullptr;  // iconv_t
};

}  // namespace text::ft
