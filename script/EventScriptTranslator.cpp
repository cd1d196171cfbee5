// Event-script translation. Each complete source line is cleaned (TABs, leading spaces, "--"
// and ";" cut) and becomes one table entry: "function" lines become labels, a "[[" line joins
// the lines up to its "]]" into one Lua string, and a line starting with a double-byte character
// or "<" opens a text block that joins the following double-byte lines behind the text marker.
// Lines consumed by a block leave empty entries, so indices still follow the source lines.
#include "script/EventScriptTranslator.h"

#include <cstring>

#include "archive/ArchiveSet.h"
#include "archive/Scramble.h"
#include "text/Cp932.h"

namespace script {

namespace {

// Walks the complete (line-feed terminated) lines of the text; a CR before the LF is dropped.
class SourceLines {
 public:
  SourceLines(const char* data, size_t n) : p_(data), end_(data + n) {
    if (const void* nul = std::memchr(data, '\0', n)) end_ = static_cast<const char*>(nul);
  }
  bool next(std::string_view& line) {
    const void* lf = std::memchr(p_, '\n', static_cast<size_t>(end_ - p_));
    if (!lf) return false;
    const char* stop = static_cast<const char*>(lf);
    line = std::string_view(p_, static_cast<size_t>(stop - p_));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    p_ = stop + 1;
    return true;
  }

 private:
  const char* p_;
  const char* end_;
};

void CutAtComments(std::string& line) {
  if (size_t at = line.find("--"); at != std::string::npos) line.resize(at);
  if (size_t at = line.find(';'); at != std::string::npos) line.resize(at);
}

std::string_view FitLineBuffer(std::string_view raw, TranslationNotes& notes) {
  if (raw.size() <= kMaxSourceLineBytes) return raw;
  ++notes.linesCut;
  return raw.substr(0, kMaxSourceLineBytes);
}

// A line as the translator first sees it: TABs become spaces, leading spaces go, comments are cut.
std::string CleanLine(std::string_view raw, TranslationNotes& notes) {
  std::string line(FitLineBuffer(raw, notes));
  for (char& c : line) {
    if (c == '\t') c = ' ';
  }
  const size_t first = line.find_first_not_of(' ');
  line.erase(0, first == std::string::npos ? line.size() : first);
  CutAtComments(line);
  return line;
}

// A following line of a block: TABs are removed, comments cut; leading spaces stay.
std::string CleanBlockLine(std::string_view raw, TranslationNotes& notes) {
  std::string line;
  for (char c : FitLineBuffer(raw, notes)) {
    if (c != '\t') line.push_back(c);
  }
  CutAtComments(line);
  return line;
}

// "function lbl_x()" becomes "*lbl_x": the name starts after "function" and one separator and
// ends before the line's first "(" (at the line's end when there is none).
std::string LabelFromFunctionLine(const std::string& line, size_t functionAt) {
  const size_t start = functionAt + 9;
  if (start > line.size()) return "*";
  const size_t paren = line.find('(');
  if (paren == std::string::npos) return "*" + line.substr(start);
  if (paren < start) return "*";
  return "*" + line.substr(start, paren - start);
}

}  // namespace

std::vector<std::string> TranslateEventSource(const char* data, size_t n, TranslationNotes* notesOut) {
  TranslationNotes notes;
  std::vector<std::string> table;
  table.reserve(1000);
  SourceLines lines(data, n);

  std::string_view raw;
  bool closingLinePending = false;  // the line that closed a text block is translated next
  for (;;) {
    if (closingLinePending) {
      closingLinePending = false;
    } else if (!lines.next(raw)) {
      break;
    }
    if (!raw.empty() && raw[0] == '/') continue;

    std::string line = CleanLine(raw, notes);
    size_t consumed = 0;
    if (const size_t functionAt = line.find("function"); functionAt != std::string::npos) {
      line = LabelFromFunctionLine(line, functionAt);
    } else if (const size_t open = line.find("[["); open != std::string::npos) {
      line.replace(open, 2, "\"");
      if (const size_t close = line.find("]]", open + 1); close != std::string::npos) {
        // A block closed on its own line ends there.
        line.replace(close, 2, "\"");
      } else {
        std::string_view next;
        for (;;) {
          if (!lines.next(next)) {
            line.push_back('"');
            notes.endedInsideBlock = true;
            break;
          }
          ++consumed;
          std::string part = CleanBlockLine(next, notes);
          if (const size_t close = part.find("]]"); close != std::string::npos) {
            part.replace(close, 2, "\"");
            line += part;
            break;
          }
          line += part;
          line += "<n>";
        }
      }
    } else if (!line.empty() && (text::isLeadByte(static_cast<uint8_t>(line[0])) || line[0] == '<')) {
      line.insert(0, kTextMarker);
      line += "<n>";
      std::string_view next;
      for (;;) {
        if (!lines.next(next)) {
          // The end of the file closes the block as any other line would.
          line += "\")";
          break;
        }
        std::string part = CleanBlockLine(next, notes);
        if (part.empty() || !text::isLeadByte(static_cast<uint8_t>(part[0]))) {
          line += "\")";
          raw = next;
          closingLinePending = true;
          break;
        }
        ++consumed;
        line += part;
        line += "<n>";
      }
    }
    table.push_back(std::move(line));
    for (size_t i = 0; i < consumed; ++i) table.emplace_back();
  }
  if (notesOut) *notesOut = notes;
  return table;
}

ScriptRead ReadEventScriptBytes(std::string_view name, std::string_view keyName, std::vector<uint8_t>& out) {
  if (!archive::LoadGameFile(name, out, kMaxScriptBytes)) return ScriptRead::NotFound;
  archive::UndoEventScriptLayer(keyName, out.data(), out.size());
  return ScriptRead::Read;
}

}  // namespace script
