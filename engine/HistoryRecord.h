// The record of past message pages that the history window shows: their texts and voices.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace script {

// Two parallel lists, oldest first. Texts for message windows gather in a page accumulator,
// each followed by the window line break "<n>"; a text for message window 0 ends the page, which
// becomes one entry with that text's voice. A text for another window (the speaker's name, say)
// is thus recorded in front of the message that follows it.
class HistoryRecord {
 public:
  static constexpr size_t Capacity = 100;

  // A text (and the voice its tag named) given to message window `page`. Empty text with an
  // empty voice records nothing.
  void record(std::string_view text, std::string_view voiceFile, int page);

  // ---- Fields ----
  std::vector<std::string> historyTexts;
  std::vector<std::string> historyVoices;
  bool recording = false;       // set by the first recorded text
  std::string pageAccumulator;  // texts of the page not yet ended
};

}  // namespace script
