// kmtool unpack PKG -C DIR: every entry written unscrambled under DIR, '\' turned into '/'.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <vector>

#include "archive/Scramble.h"
#include "platform/Encoding.h"
#include "tools/kmtool/ArchiveReader.h"
#include "tools/kmtool/Commands.h"

namespace fs = std::filesystem;

namespace kmtool {

namespace {

// The relative disk path of a stored name, or empty when the name would leave DIR (an absolute
// path or a ".." component): a hostile archive must not write anywhere else.
std::string SafeRelativePath(const std::string& storedNameUtf8) {
  std::string path;
  size_t start = 0;
  while (start <= storedNameUtf8.size()) {
    size_t end = storedNameUtf8.find_first_of("\\/", start);
    if (end == std::string::npos) end = storedNameUtf8.size();
    const std::string component = storedNameUtf8.substr(start, end - start);
    if (component == "..") return {};
    if (!component.empty() && component != ".") {
      if (!path.empty()) path += '/';
      path += component;
    }
    start = end + 1;
  }
  return path;
}

}  // namespace

int RunUnpack(const Arguments& args) {
  std::string archivePath, outputDirectory;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-C" && i + 1 < args.size()) {
      outputDirectory = args[++i];
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      archivePath.clear();
      break;
    } else if (archivePath.empty()) {
      archivePath = args[i];
    } else {
      archivePath.clear();
      break;
    }
  }
  if (archivePath.empty() || outputDirectory.empty()) {
    std::fprintf(stderr, "usage: kmtool unpack PKG -C DIR\n");
    return kExitBadOptions;
  }

  ArchiveReader reader;
  if (!reader.open(archivePath, "unpack")) return kExitFailure;
  bool sound = reader.checkStoredLength("unpack");

  const archive::ArchiveDirectory& directory = reader.directory();
  std::set<std::string> written;
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < directory.entryCount(); ++i) {
    const archive::StoredEntry entry = directory.entry(i);
    const std::string name = platform::cp932ToUtf8(entry.storedName);
    const std::string relative = SafeRelativePath(name);
    if (relative.empty()) {
      std::fprintf(stderr, "kmtool unpack: entry %zu: '%s' is not a path inside DIR, skipped\n", i,
                   name.c_str());
      sound = false;
      continue;
    }
    if (!directory.holds(entry)) {
      std::fprintf(stderr, "kmtool unpack: %s: lies outside the archive, skipped\n", name.c_str());
      sound = false;
      continue;
    }
    // The game reads the first of two equal names; so does unpack.
    if (!written.insert(relative).second) {
      std::fprintf(stderr, "kmtool unpack: %s: stored more than once, the first is kept\n", name.c_str());
      continue;
    }
    archive::CopyUnscrambled(directory.bytes() + entry.offset, entry.size, bytes);

    const fs::path target = fs::path(outputDirectory) / relative;
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "kmtool unpack: %s: cannot write\n", target.string().c_str());
      return kExitFailure;
    }
  }
  return sound ? kExitOk : kExitFailure;
}

}  // namespace kmtool
