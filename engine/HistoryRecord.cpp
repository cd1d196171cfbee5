// The history record's page accumulation and its capacity.
#include "engine/HistoryRecord.h"

namespace script {

void HistoryRecord::record(std::string_view text, std::string_view voiceFile, int page) {
  if (text.empty() && voiceFile.empty()) return;
  recording = true;
  pageAccumulator += text;
  pageAccumulator += "<n>";
  if (page != 0) return;
  // The oldest entry makes room for the new one.
  if (historyTexts.size() >= Capacity) {
    historyTexts.erase(historyTexts.begin());
    historyVoices.erase(historyVoices.begin());
  }
  historyTexts.push_back(std::move(pageAccumulator));
  historyVoices.emplace_back(voiceFile);
  pageAccumulator.clear();
}

}  // namespace script
