// Code page 932 decoding through iconv's "CP932" converter.
#include "text/ft/Cp932Decoder.h"

#include <iconv.h>

#include "text/Cp932.h"

namespace text::ft {

namespace {

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

Cp932Decoder::Cp932Decoder() {
  iconv_t cd = iconv_open("UTF-32LE", "CP932");
  if (cd != reinterpret_cast<iconv_t>(-1)) converter_ = cd;
}

Cp932Decoder::~Cp932Decoder() {
  if (converter_) iconv_close(static_cast<iconv_t>(converter_));
}

char32_t Cp932Decoder::decode(uint32_t code) {
  if (!converter_ || code > 0xFFFF) return 0;
  char in[2];
  size_t inBytes = 0;
  if (code > 0xFF) {
    if (!isLeadByte(static_cast<uint8_t>(code >> 8))) return 0;
    in[inBytes++] = static_cast<char>(code >> 8);
  }
  in[inBytes++] = static_cast<char>(code & 0xFF);

  auto cd = static_cast<iconv_t>(converter_);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);  // a failed call may leave state behind
  unsigned char out[8] = {};
  char* inPtr = in;
  char* outPtr = reinterpret_cast<char*>(out);
  size_t outBytes = sizeof out;
  if (iconv(cd, &inPtr, &inBytes, &outPtr, &outBytes) == static_cast<size_t>(-1) || inBytes != 0 ||
      outBytes != sizeof out - 4) {
    return 0;
  }
  return static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | static_cast<uint32_t>(out[3]) << 24);
}

bool Cp932Decoder::toUtf8(std::string_view cp932, std::string& utf8) {
  utf8.clear();
  for (const Cp932Character& c : Cp932Characters(cp932)) {
    const char32_t scalar = decode(c.code);
    if (scalar == 0) return false;
    appendUtf8(utf8, scalar);
  }
  return true;
}

}  // namespace text::ft
