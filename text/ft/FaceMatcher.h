// Face lookup by name through fontconfig, with the IPA stand-ins for the MS faces.
#pragma once

#include <optional>
#include <string>

namespace text::ft {

struct FaceLocation {
  std::string file;
  int index = 0;          // face index in the file (FT_New_Face)
  std::string family;     // the family name asked for and found
  bool fallback = false;  // the requested name did not resolve; IPAGothic stands in
};

// The face for a face name (UTF-8): the MS faces' IPA stand-ins, an empty name IPAGothic, any
// other name the system face of that family when it is scalable and covers Japanese, else
// IPAGothic marked as a fallback. Nothing when not even IPAGothic is installed.
std::optional<FaceLocation> matchFace(const std::string& faceNameUtf8);

// IPAGothic marked as a fallback (for a name that is not even text).
std::optional<FaceLocation> fallbackFace();

// Loads the font configuration once; false when it cannot be read.
bool initFaceMatcher();

}  // namespace text::ft
