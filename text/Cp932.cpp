// Full-width mapping of code page 932 text (LCMapStringA with LCMAP_FULLWIDTH).
#include "text/Cp932.h"

#include <array>

namespace text {

namespace {

// Full-width code page 932 codes of ASCII 0x20..0x7E; 0 keeps the byte ('\' stays itself).
// '"' and '\'' land on the IBM extension row (FA 57, FA 56), as Windows maps U+FF02 / U+FF07.
constexpr std::array<uint16_t, 0x5F> kAsciiFullWidth = {
    0x8140, 0x8149, 0xFA57, 0x8194, 0x8190, 0x8193, 0x8195, 0xFA56,  // space ! " # $ % & '
    0x8169, 0x816A, 0x8196, 0x817B, 0x8143, 0x817C, 0x8144, 0x815E,  // ( ) * + , - . /
    0x824F, 0x8250, 0x8251, 0x8252, 0x8253, 0x8254, 0x8255, 0x8256,  // 0 .. 7
    0x8257, 0x8258, 0x8146, 0x8147, 0x8183, 0x8181, 0x8184, 0x8148,  // 8 9 : ; < = > ?
    0x8197, 0x8260, 0x8261, 0x8262, 0x8263, 0x8264, 0x8265, 0x8266,  // @ A .. G
    0x8267, 0x8268, 0x8269, 0x826A, 0x826B, 0x826C, 0x826D, 0x826E,  // H .. O
    0x826F, 0x8270, 0x8271, 0x8272, 0x8273, 0x8274, 0x8275, 0x8276,  // P .. W
    0x8277, 0x8278, 0x8279, 0x816D, 0x0000, 0x816E, 0x814F, 0x8151,  // X Y Z [ \ ] ^ _
    0x814D, 0x8281, 0x8282, 0x8283, 0x8284, 0x8285, 0x8286, 0x8287,  // ` a .. g
    0x8288, 0x8289, 0x828A, 0x828B, 0x828C, 0x828D, 0x828E, 0x828F,  // h .. o
    0x8290, 0x8291, 0x8292, 0x8293, 0x8294, 0x8295, 0x8296, 0x8297,  // p .. w
    0x8298, 0x8299, 0x829A, 0x816F, 0x8162, 0x8170, 0x8160,          // x y z { | } ~
};

// Full-width code page 932 codes of the half-width katakana 0xA1..0xDF.
constexpr std::array<uint16_t, 0x3F> kKatakanaFullWidth = {
    0x8142, 0x8175, 0x8176, 0x8141, 0x8145, 0x8392, 0x8340,          // 。「」、・ヲァ
    0x8342, 0x8344, 0x8346, 0x8348, 0x8383, 0x8385, 0x8387, 0x8362,  // ィゥェォャュョッ
    0x815B, 0x8341, 0x8343, 0x8345, 0x8347, 0x8349, 0x834A, 0x834C,  // ーアイウエオカキ
    0x834E, 0x8350, 0x8352, 0x8354, 0x8356, 0x8358, 0x835A, 0x835C,  // クケコサシスセソ
    0x835E, 0x8360, 0x8363, 0x8365, 0x8367, 0x8369, 0x836A, 0x836B,  // タチツテトナニヌ
    0x836C, 0x836D, 0x836E, 0x8371, 0x8374, 0x8377, 0x837A, 0x837D,  // ネノハヒフヘホマ
    0x837E, 0x8380, 0x8381, 0x8382, 0x8384, 0x8386, 0x8388, 0x8389,  // ミムメモヤユヨラ
    0x838A, 0x838B, 0x838C, 0x838D, 0x838F, 0x8393, 0x814A, 0x814B,  // リルレロワン゛゜
};

constexpr uint8_t kHalfWidthVoicedMark = 0xDE;      // ﾞ
constexpr uint8_t kHalfWidthSemiVoicedMark = 0xDF;  // ﾟ

// The combined form of a half-width katakana and a following mark, or 0 when code page 932 has
// none (the mark then stands as its own full-width character). The voiced forms of カ..ト and
// ハ..ホ follow their base code, the semi-voiced forms of ハ..ホ one further.
uint16_t combinedKatakana(uint8_t base, uint8_t mark) {
  const uint16_t full = kKatakanaFullWidth[base - 0xA1];
  if (mark == kHalfWidthVoicedMark) {
    if (base == 0xB3) return 0x8394;                    // ｳﾞ -> ヴ
    if (base >= 0xB6 && base <= 0xC4) return full + 1;  // ｶ..ﾄ
    if (base >= 0xCA && base <= 0xCE) return full + 1;  // ﾊ..ﾎ
  } else if (mark == kHalfWidthSemiVoicedMark) {
    if (base >= 0xCA && base <= 0xCE) return full + 2;
  }
  return 0;
}

void appendCode(std::string& out, uint16_t code) {
  out.push_back(static_cast<char>(code >> 8));
  out.push_back(static_cast<char>(code & 0xFF));
}

}  // namespace

std::string toFullWidth(std::string_view cp932) {
  std::string out;
  out.reserve(cp932.size() * 2);
  size_t offset = 0;
  while (offset < cp932.size()) {
    const Cp932Character c = cp932CharacterAt(cp932, offset);
    offset += c.length;
    if (c.length == 2) {
      appendCode(out, static_cast<uint16_t>(c.code));
      continue;
    }
    const auto byte = static_cast<uint8_t>(c.code);
    if (byte >= 0x20 && byte <= 0x7E && kAsciiFullWidth[byte - 0x20] != 0) {
      appendCode(out, kAsciiFullWidth[byte - 0x20]);
    } else if (byte >= 0xA1 && byte <= 0xDF) {
      const uint16_t combined = offset < cp932.size() ? combinedKatakana(byte, static_cast<uint8_t>(cp932[offset])) : 0;
      if (combined != 0) {
        appendCode(out, combined);
        ++offset;
      } else {
        appendCode(out, kKatakanaFullWidth[byte - 0xA1]);
      }
    } else {
      out.push_back(static_cast<char>(byte));
    }
  }
  return out;
}

}  // namespace text
