// kmtool list PKG: one line per directory entry (stored name as UTF-8, size, offset).
#include <cinttypes>
#include <cstdio>

#include "platform/Encoding.h"
#include "tools/kmtool/ArchiveReader.h"
#include "tools/kmtool/Commands.h"

namespace kmtool {

int RunList(const Arguments& args) {
  if (args.size() != 1) return BadUsage("list", args.empty() ? "PKG is missing" : "one PKG only");
  if (args[0].size() > 1 && args[0][0] == '-') return BadUsage("list", "unknown option '" + args[0] + "'");
  ArchiveReader reader;
  if (!reader.open(args[0], "list") || !reader.checkIsArchive("list")) return kExitFailure;

  const archive::ArchiveDirectory& directory = reader.directory();
  const size_t entryCount = directory.entryCount();
  bool sound = true;
  if (directory.declaredEntryCount() > 0 && entryCount < static_cast<size_t>(directory.declaredEntryCount())) {
    std::fprintf(stderr, "kmtool list: %s: %" PRId32 " entries declared, only %zu fit in the file\n", args[0].c_str(),
                 directory.declaredEntryCount(), entryCount);
    sound = false;
  }
  for (size_t i = 0; i < entryCount; ++i) {
    const archive::StoredEntry entry = directory.entry(i);
    const std::string name = platform::cp932ToUtf8(entry.storedName);
    std::printf("%s\t%" PRIu32 "\t%" PRIu32 "\n", name.c_str(), entry.size, entry.offset);
    if (!directory.holds(entry)) {
      std::fprintf(stderr, "kmtool list: %s: entry %zu (%s) lies outside the file\n", args[0].c_str(), i, name.c_str());
      sound = false;
    }
  }
  return sound ? kExitOk : kExitFailure;
}

}  // namespace kmtool
