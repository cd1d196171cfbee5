// kmtool evt FILE [--name NAME] [--utf8]: the translated line table of an event script, one entry per
// line as "index<TAB>entry", read as the engine reads it.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "archive/ArchiveSet.h"
#include "platform/Encoding.h"
#include "platform/System.h"
#include "script/EventScriptTranslator.h"
#include "tools/kmtool/Commands.h"

namespace kmtool {

namespace {

// Why the bytes are not an event script, or nullptr when they may be one.
const char* NotAScript(const std::vector<uint8_t>& bytes) {
  if (bytes.empty()) return nullptr;
  if (std::find(bytes.begin(), bytes.end(), uint8_t{0}) != bytes.end()) return "it holds binary data (NUL bytes)";
  if (std::find(bytes.begin(), bytes.end(), uint8_t{'\n'}) == bytes.end())
    return "it has no complete line (no line feed), so the engine reads nothing from it";
  return nullptr;
}

}  // namespace

int RunEvt(const Arguments& args) {
  std::string file;
  std::string keyName;
  bool haveKeyName = false;
  bool utf8 = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--name") {
      if (i + 1 >= args.size()) return BadUsage("evt", "--name needs a value");
      keyName = args[++i];
      haveKeyName = true;
    } else if (args[i] == "--utf8") {
      utf8 = true;
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      return BadUsage("evt", "unknown option '" + args[i] + "'");
    } else if (file.empty()) {
      file = args[i];
    } else {
      return BadUsage("evt", "one FILE only ('" + args[i] + "' is extra)");
    }
  }
  if (file.empty()) return BadUsage("evt", "FILE is missing");
  // Names on the command line are UTF-8; the engine asks for code page 932 names.
  const std::string requested = platform::utf8ToCp932(file);
  // The second layer's key is the name the engine asks for: the file name without its folders.
  std::string key = haveKeyName ? platform::utf8ToCp932(keyName) : requested;
  if (!haveKeyName) {
    const size_t slash = key.find_last_of('/');
    if (slash != std::string::npos) key.erase(0, slash + 1);
  }

  std::vector<uint8_t> bytes;
  if (utf8) {
    // A UTF-8 source on the disk, as pack --utf8-evt would store it.
    if (!platform::readFile(file, bytes)) {
      std::fprintf(stderr, "kmtool evt: %s: cannot read\n", file.c_str());
      return kExitFailure;
    }
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    const std::string converted = platform::utf8ToCp932(text);
    bytes.assign(converted.begin(), converted.end());
  } else {
    // Archives of the working directory first, as the engine reads.
    archive::OpenArchives();
    if (script::ReadEventScriptBytes(requested, key, bytes) == script::ScriptRead::NotFound) {
      std::fprintf(stderr, "kmtool evt: %s: not found in an archive or on disk\n", file.c_str());
      return kExitFailure;
    }
  }
  if (const char* why = NotAScript(bytes)) {
    std::fprintf(stderr, "kmtool evt: %s: not an event script: %s\n", file.c_str(), why);
    return kExitFailure;
  }
  if (bytes.empty()) return kExitOk;  // an empty script has no lines
  script::TranslationNotes notes;
  const std::vector<std::string> table =
      script::TranslateEventSource(reinterpret_cast<const char*>(bytes.data()), bytes.size(), &notes);
  for (size_t i = 0; i < table.size(); ++i) { std::printf("%zu\t%s\n", i, platform::cp932ToUtf8(table[i]).c_str()); }
  if (notes.linesCut > 0) {
    std::fprintf(stderr, "kmtool evt: %s: %zu line(s) longer than %zu bytes were cut\n", file.c_str(), notes.linesCut,
                 script::kMaxSourceLineBytes);
  }
  if (notes.endedInsideBlock) std::fprintf(stderr, "kmtool evt: %s: the file ends inside a [[ block\n", file.c_str());
  return kExitOk;
}

}  // namespace kmtool
