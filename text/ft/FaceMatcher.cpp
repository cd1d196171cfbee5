// Face lookup through fontconfig.
#include "text/ft/FaceMatcher.h"

#include <fontconfig/fontconfig.h>

#include <array>
#include <string_view>

namespace text::ft {

namespace {

constexpr const char* kDefaultFamily = "IPAGothic";

struct StandIn {
  std::string_view requested;  // UTF-8, compared ignoring ASCII case
  const char* family;
};

// The faces the game data names and their Debian fonts-ipafont stand-ins.
constexpr std::array<StandIn, 8> kStandIns = {{
    {"ＭＳ ゴシック", "IPAGothic"},
    {"MS Gothic", "IPAGothic"},
    {"ＭＳ 明朝", "IPAMincho"},
    {"MS Mincho", "IPAMincho"},
    {"ＭＳ Ｐゴシック", "IPAPGothic"},
    {"MS PGothic", "IPAPGothic"},
    {"ＭＳ Ｐ明朝", "IPAPMincho"},
    {"MS PMincho", "IPAPMincho"},
}};

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

// A face is Japanese enough when it has kana and common kanji.
bool coversJapanese(FcPattern* face) {
  FcCharSet* charset = nullptr;
  if (FcPatternGetCharSet(face, FC_CHARSET, 0, &charset) != FcResultMatch || !charset) return false;
  for (FcChar32 c : {0x3042u, 0x30A2u, 0x65E5u, 0x672Cu, 0x3000u}) {  // あ ア 日 本, ideographic space
    if (!FcCharSetHasChar(charset, c)) return false;
  }
  return true;
}

bool hasFamily(FcPattern* face, const std::string& family) {
  FcChar8* name = nullptr;
  for (int i = 0; FcPatternGetString(face, FC_FAMILY, i, &name) == FcResultMatch; ++i) {
    if (FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family.c_str())) == 0) return true;
  }
  return false;
}

// The installed, scalable, Japanese face of exactly that family.
std::optional<FaceLocation> findFamily(const std::string& family) {
  FcPattern* pattern = FcPatternCreate();
  if (!pattern) return std::nullopt;
  FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
  FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result = FcResultNoMatch;
  FcPattern* match = FcFontMatch(nullptr, pattern, &result);
  FcPatternDestroy(pattern);
  if (!match) return std::nullopt;

  std::optional<FaceLocation> found;
  FcChar8* file = nullptr;
  FcBool scalable = FcFalse;
  int index = 0;
  if (hasFamily(match, family) && coversJapanese(match) &&
      FcPatternGetBool(match, FC_SCALABLE, 0, &scalable) == FcResultMatch && scalable &&
      FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
    if (FcPatternGetInteger(match, FC_INDEX, 0, &index) != FcResultMatch) index = 0;
    found = FaceLocation{reinterpret_cast<const char*>(file), index, family, false};
  }
  FcPatternDestroy(match);
  return found;
}

}  // namespace

std::optional<FaceLocation> matchFace(const std::string& faceNameUtf8) {
  if (faceNameUtf8.empty()) return findFamily(kDefaultFamily);
  for (const StandIn& standIn : kStandIns) {
    if (equalsIgnoringAsciiCase(faceNameUtf8, standIn.requested)) {
      if (auto found = findFamily(standIn.family)) return found;
      break;
    }
  }
  if (auto found = findFamily(faceNameUtf8)) return found;
  return fallbackFace();
}

std::optional<FaceLocation> fallbackFace() {
  auto fallback = findFamily(kDefaultFamily);
  if (fallback) fallback->fallback = true;
  return fallback;
}

bool initFaceMatcher() { return FcInit() == FcTrue; }

}  // namespace text::ft
