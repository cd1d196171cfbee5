// kmtool evt FILE [--name NAME]: the translated line table of an event script, one entry per
// line as "index<TAB>entry", read as the engine reads it.
#include <cstdio>
#include <string>
#include <vector>

#include "archive/ArchiveSet.h"
#include "platform/Encoding.h"
#include "script/EventScriptTranslator.h"
#include "tools/kmtool/Commands.h"

namespace kmtool {

namespace {

int Usage() {
  std::fprintf(stderr, "usage: kmtool evt FILE [--name NAME]\n");
  return kExitBadOptions;
}

}  // namespace

int RunEvt(const Arguments& args) {
  std::string file;
  std::string keyName;
  bool haveKeyName = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--name") {
      if (i + 1 >= args.size()) return Usage();
      keyName = args[++i];
      haveKeyName = true;
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      return Usage();
    } else if (file.empty()) {
      file = args[i];
    } else {
      return Usage();
    }
  }
  if (file.empty()) return Usage();
  // Names on the command line are UTF-8; the engine asks for code page 932 names.
  const std::string requested = platform::utf8ToCp932(file);
  const std::string key = haveKeyName ? platform::utf8ToCp932(keyName) : requested;

  // Archives of the working directory first, as the engine reads.
  archive::OpenArchives();
  std::vector<uint8_t> bytes;
  if (script::ReadEventScriptBytes(requested, key, bytes) == script::ScriptRead::NotFound) {
    std::fprintf(stderr, "kmtool evt: %s: not found in an archive or on disk\n", file.c_str());
    return kExitFailure;
  }
  script::TranslationNotes notes;
  const std::vector<std::string> table =
      script::TranslateEventSource(reinterpret_cast<const char*>(bytes.data()), bytes.size(), &notes);
  for (size_t i = 0; i < table.size(); ++i) {
    std::printf("%zu\t%s\n", i, platform::cp932ToUtf8(table[i]).c_str());
  }
  if (notes.linesCut > 0) {
    std::fprintf(stderr, "kmtool evt: %s: %zu line(s) longer than %zu bytes were cut\n", file.c_str(),
                 notes.linesCut, script::kMaxSourceLineBytes);
  }
  if (notes.endedInsideBlock) std::fprintf(stderr, "kmtool evt: %s: the file ends inside a [[ block\n", file.c_str());
  return kExitOk;
}

}  // namespace kmtool
