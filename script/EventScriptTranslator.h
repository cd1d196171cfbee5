// Event-script translation: reading a script's bytes as the engine does, and turning the source
// into the line table (one entry per source line, except dropped "/" lines).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace script {

// The script buffer holds the text and its closing NUL.
constexpr size_t kScriptBufferBytes = 204800;
constexpr size_t kMaxScriptBytes = kScriptBufferBytes - 1;
// The translator's line buffer holds a source line and its closing NUL.
constexpr size_t kLineBufferBytes = 255;
constexpr size_t kMaxSourceLineBytes = kLineBufferBytes - 1;

// Put before the first line of a text block; the runner expands it into a ScSetTextWindow call.
constexpr std::string_view kTextMarker = "@*!text!*@";

// What the translator had to mend; the event system reports these on the debug output.
struct TranslationNotes {
  size_t linesCut = 0;                // source lines longer than the line buffer, cut to fit
  bool endedInsideBlock = false;      // the file ended inside a "[[" block, which was closed there
  std::vector<uint32_t> sourceLines;  // per table entry: its source line, counted from 1
};

// Translates the script text (data ends at its first NUL or after n bytes; a last line without
// a line feed is not read) into the line table.
std::vector<std::string> TranslateEventSource(const char* data, size_t n, TranslationNotes* notes = nullptr);

enum class ScriptRead { Read, NotFound };

// Reads an event script as the engine does: from the archive when one holds the name, else from
// the disk; at most kMaxScriptBytes; the event-script second layer undone with the key derived
// from keyName (normally the name asked for).
ScriptRead ReadEventScriptBytes(std::string_view name, std::string_view keyName, std::vector<uint8_t>& out);

}  // namespace script
