// Code page 932 <-> UTF-8 conversion through iconv, one converter per direction and thread.
#include "platform/Encoding.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

namespace platform {

namespace {

// iconv descriptors are not thread-safe and costly to open, so each thread keeps its own.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (valid()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

Converter& cp932ToUtf8Converter() {
  thread_local Converter c("UTF-8", "CP932");
  return c;
}

Converter& utf8ToCp932Converter() {
  thread_local Converter c("CP932", "UTF-8");
  return c;
}

// Length of the UTF-8 sequence starting at p, or 1 when it is malformed: an unmappable
// character becomes a single '?', a stray byte a '?' of its own.
size_t utf8SequenceLength(const unsigned char* p, size_t left) {
  size_t n = 1;
  if (p[0] >= 0xC2 && p[0] <= 0xDF)
    n = 2;
  else if (p[0] >= 0xE0 && p[0] <= 0xEF)
    n = 3;
  else if (p[0] >= 0xF0 && p[0] <= 0xF4)
    n = 4;
  if (n > left) return 1;
  for (size_t i = 1; i < n; ++i) {
    if ((p[i] & 0xC0) != 0x80) return 1;
  }
  return n;
}

// Converts in; bad sequences become '?' unless exact, in which case the conversion fails.
// fromCp932 selects how far a bad sequence is skipped: one byte for code page 932 (so a lead
// byte with a bad trail byte keeps the trail byte), one character for UTF-8.
std::optional<std::string> convert(Converter& conv, std::string_view in, bool fromCp932, bool exact) {
  std::string out;
  if (!conv.valid()) {
    // No converter: ASCII passes, everything else is unknown.
    for (char ch : in) {
      if (static_cast<unsigned char>(ch) >= 0x80) {
        if (exact) return std::nullopt;
        ch = '?';
      }
      out.push_back(ch);
    }
    return out;
  }
  iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
  out.resize(in.size() * 3 + 8);
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  size_t used = 0;
  while (srcLeft > 0) {
    char* dst = out.data() + used;
    size_t dstLeft = out.size() - used;
    size_t rc = iconv(conv.get(), &src, &srcLeft, &dst, &dstLeft);
    used = out.size() - dstLeft;
    if (rc != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    if (exact) return std::nullopt;
    if (out.size() - used < 1) out.resize(out.size() * 2);
    out[used++] = '?';
    if (errno == EINVAL) break;  // an incomplete sequence at the end
    size_t skip = fromCp932 ? 1 : utf8SequenceLength(reinterpret_cast<unsigned char*>(src), srcLeft);
    src += skip;
    srcLeft -= skip;
    iconv(conv.get(), nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(used);
  return out;
}

}  // namespace

std::string cp932ToUtf8(std::string_view cp932) { return *convert(cp932ToUtf8Converter(), cp932, true, false); }

std::string utf8ToCp932(std::string_view utf8) { return *convert(utf8ToCp932Converter(), utf8, false, false); }

std::optional<std::string> cp932ToUtf8Exact(std::string_view cp932) {
  return convert(cp932ToUtf8Converter(), cp932, true, true);
}

std::optional<std::string> utf8ToCp932Exact(std::string_view utf8) {
  return convert(utf8ToCp932Converter(), utf8, false, true);
}

}  // namespace platform
