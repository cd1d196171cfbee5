// kmtool unpack PKG -C DIR [--utf8-evt]: every entry written unscrambled under DIR, '\' turned
// into '/'; --utf8-evt gives scripts back as UTF-8 without their second layer.
#include <cstdio>
#include <cstring>
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

static bool HasExtension(const std::string& name, const char* extension) {
  const size_t n = std::strlen(extension);
  if (name.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    char c = name[name.size() - n + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != extension[i]) return false;
  }
  return true;
}

int RunUnpack(const Arguments& args) {
  std::string archivePath, outputDirectory;
  bool utf8Text = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-C") {
      if (i + 1 >= args.size()) return BadUsage("unpack", "-C needs a folder");
      outputDirectory = args[++i];
    } else if (args[i] == "--utf8-evt") {
      utf8Text = true;
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      return BadUsage("unpack", "unknown option '" + args[i] + "'");
    } else if (archivePath.empty()) {
      archivePath = args[i];
    } else {
      return BadUsage("unpack", "one PKG only ('" + args[i] + "' is extra)");
    }
  }
  if (archivePath.empty()) return BadUsage("unpack", "PKG is missing");
  if (outputDirectory.empty()) return BadUsage("unpack", "-C DIR is missing");

  ArchiveReader reader;
  if (!reader.open(archivePath, "unpack") || !reader.checkIsArchive("unpack")) return kExitFailure;
  bool sound = true;

  // Every entry that can be written is written; each that cannot is named.
  const archive::ArchiveDirectory& directory = reader.directory();
  if (directory.declaredEntryCount() > 0 &&
      directory.entryCount() < static_cast<size_t>(directory.declaredEntryCount())) {
    std::fprintf(stderr, "kmtool unpack: %s: %d entries declared, only %zu fit in the file\n", archivePath.c_str(),
                 static_cast<int>(directory.declaredEntryCount()), directory.entryCount());
    sound = false;
  }
  std::set<std::string> written;
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < directory.entryCount(); ++i) {
    const archive::StoredEntry entry = directory.entry(i);
    const std::string name = platform::cp932ToUtf8(entry.storedName);
    const std::string relative = SafeRelativePath(name);
    if (relative.empty()) {
      std::fprintf(stderr, "kmtool unpack: entry %zu: '%s' is not a path inside DIR, skipped\n", i, name.c_str());
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
    if (utf8Text && HasExtension(name, ".evt")) {
      // The second layer, when the script has one, undone with the key of its name.
      archive::UndoEventScriptLayer(archive::LastNameComponent(entry.storedName), bytes.data(), bytes.size());
    }
    if (utf8Text && (HasExtension(name, ".evt") || HasExtension(name, ".lua"))) {
      const std::string text =
          platform::cp932ToUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
      bytes.assign(text.begin(), text.end());
    }

    const fs::path target = fs::path(outputDirectory) / relative;
    std::error_code error;
    fs::create_directories(target.parent_path(), error);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::fprintf(stderr, "kmtool unpack: %s: cannot write, skipped\n", target.string().c_str());
      sound = false;
    }
  }
  return sound ? kExitOk : kExitFailure;
}

}  // namespace kmtool
