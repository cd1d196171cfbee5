// kmtool pack OUT.pkg -C DIR [--utf8-evt] [--scramble-evt] [-v] [NAME...]: writes an archive the
// game reads, stored names being the paths relative to DIR with '\' separators, in sorted order.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>
#include <vector>

#include "archive/ArchiveDirectory.h"
#include "archive/Scramble.h"
#include "platform/Encoding.h"
#include "tools/kmtool/Commands.h"

namespace fs = std::filesystem;

namespace kmtool {

namespace {

struct PackOptions {
  std::string outputPath;
  std::string sourceDirectory;
  std::vector<std::string> names;
  bool utf8Text = false;        // --utf8-evt
  bool scrambleEvents = false;  // --scramble-evt
  bool verbose = false;         // -v: say what was skipped
};

// Dotfiles and dot-folders (.git/ among them) and editor backups ("name~") are never packed.
bool Skipped(const fs::path& name) {
  const std::string text = name.filename().string();
  return !text.empty() && (text[0] == '.' || text.back() == '~');
}

struct PackedFile {
  std::string storedName;  // code page 932, '\' separated
  fs::path diskPath;
};

bool HasExtension(std::string_view name, std::string_view extension) {
  if (name.size() < extension.size()) return false;
  const std::string_view tail = name.substr(name.size() - extension.size());
  return std::equal(tail.begin(), tail.end(), extension.begin(), [](char a, char b) {
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
    return a == b;
  });
}

void WriteWord(uint8_t* at, uint32_t value) {
  value ^= archive::kArchiveKey;
  for (int b = 0; b < 4; ++b) at[b] = static_cast<uint8_t>(value >> (8 * b));
}

// The stored name of a file under DIR, or empty (with a message) when it cannot be stored.
std::string StoredNameOf(const fs::path& relative) {
  std::string utf8 = relative.generic_string();
  std::replace(utf8.begin(), utf8.end(), '/', '\\');
  std::string storedName = platform::utf8ToCp932(utf8);
  if (platform::cp932ToUtf8(storedName) != utf8) {
    std::fprintf(stderr, "kmtool pack: %s: the name has characters outside code page 932\n", utf8.c_str());
    return {};
  }
  if (storedName.size() >= archive::kStoredNameBytes) {
    std::fprintf(stderr, "kmtool pack: %s: the stored name is longer than %zu bytes\n", utf8.c_str(),
                 archive::kStoredNameBytes - 1);
    return {};
  }
  return storedName;
}

bool CollectFiles(const PackOptions& options, std::vector<PackedFile>& files) {
  const fs::path root(options.sourceDirectory);
  std::error_code error;
  std::vector<fs::path> starts;
  if (options.names.empty()) {
    starts.push_back(root);
  } else {
    for (std::string name : options.names) {
      std::replace(name.begin(), name.end(), '\\', '/');
      starts.push_back(root / name);
    }
  }
  const fs::path output = fs::weakly_canonical(options.outputPath, error);
  std::vector<fs::path> found;
  for (const fs::path& start : starts) {
    if (fs::is_directory(start, error)) {
      for (auto it = fs::recursive_directory_iterator(start, error); !error && it != fs::recursive_directory_iterator();
           it.increment(error)) {
        if (Skipped(it->path())) {
          if (options.verbose) {
            std::fprintf(stderr, "kmtool pack: skipped %s%s\n", it->path().lexically_relative(root).string().c_str(),
                         it->is_directory(error) ? "/" : "");
          }
          if (it->is_directory(error)) it.disable_recursion_pending();
          continue;
        }
        if (it->is_regular_file(error)) found.push_back(it->path());
      }
      if (error) {
        std::fprintf(stderr, "kmtool pack: %s: %s\n", start.string().c_str(), error.message().c_str());
        return false;
      }
    } else if (fs::is_regular_file(start, error)) {
      found.push_back(start);
    } else {
      std::fprintf(stderr, "kmtool pack: %s: no such file or directory\n", start.string().c_str());
      return false;
    }
  }
  for (const fs::path& path : found) {
    if (fs::weakly_canonical(path, error) == output) continue;  // an earlier run's output inside DIR
    const std::string storedName = StoredNameOf(path.lexically_relative(root));
    if (storedName.empty()) return false;
    files.push_back({storedName, path});
  }
  std::sort(files.begin(), files.end(),
            [](const PackedFile& a, const PackedFile& b) { return a.storedName < b.storedName; });
  files.erase(std::unique(files.begin(), files.end(),
                          [](const PackedFile& a, const PackedFile& b) { return a.storedName == b.storedName; }),
              files.end());
  return true;
}

// The bytes as the game will read them after unscrambling: converted and layered as asked.
bool PrepareContent(const PackOptions& options, const PackedFile& file, std::vector<uint8_t>& bytes) {
  std::ifstream in(file.diskPath, std::ios::binary);
  if (!in.is_open()) {
    std::fprintf(stderr, "kmtool pack: %s: cannot read\n", file.diskPath.string().c_str());
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(in), {});
  const bool isEvent = HasExtension(file.storedName, ".evt");
  if (options.utf8Text && (isEvent || HasExtension(file.storedName, ".lua"))) {
    std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a byte-order mark has no code page 932 form
    const std::string converted = platform::utf8ToCp932(text);
    if (platform::cp932ToUtf8(converted) != text) {
      std::fprintf(stderr, "kmtool pack: %s: warning: characters outside code page 932 were replaced by '?'\n",
                   file.diskPath.string().c_str());
    }
    bytes.assign(converted.begin(), converted.end());
  }
  if (isEvent && !options.scrambleEvents && !archive::IsPlainEventScript(bytes.data(), bytes.size())) {
    // The reader takes a script whose last two bytes hold no line feed for a layered one and
    // undoes a layer that is not there.
    std::fprintf(stderr,
                 "kmtool pack: %s: warning: the text does not end in a line feed, so the game would take it "
                 "for a scrambled script; end its last line with a line feed\n",
                 file.diskPath.string().c_str());
  }
  if (options.scrambleEvents && isEvent && !bytes.empty()) {
    // The reader decides by the last two bytes whether the layer is there: a layered text that
    // still ends in a line feed would be taken for plain text and run scrambled.
    const std::string_view requestedName = archive::LastNameComponent(file.storedName);
    archive::ApplyEventScriptLayer(requestedName, bytes.data(), bytes.size());
    if (archive::IsPlainEventScript(bytes.data(), bytes.size())) {
      std::fprintf(stderr,
                   "kmtool pack: %s: after the second layer the text still ends in a line feed, so the game "
                   "would read it as plain text; change its last line (for example end it with \"\\r\\n\" or "
                   "no line feed) and pack again\n",
                   file.diskPath.string().c_str());
      return false;
    }
  }
  return true;
}

bool WriteArchive(const PackOptions& options, const std::vector<PackedFile>& files) {
  const uint64_t directoryEnd = archive::kHeaderBytes + uint64_t{archive::kDirectoryEntryBytes} * files.size();
  std::vector<uint8_t> head(directoryEnd, 0);

  const std::string temporaryPath = options.outputPath + ".partial";
  // The archive's folder is made when it does not exist yet.
  if (const fs::path parent = fs::path(options.outputPath).parent_path(); !parent.empty()) {
    std::error_code error;
    fs::create_directories(parent, error);
  }
  std::ofstream out(temporaryPath, std::ios::binary | std::ios::trunc);
  if (!out) {
    std::fprintf(stderr, "kmtool pack: %s: cannot write\n", options.outputPath.c_str());
    return false;
  }
  out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));

  // File data follows the directory, each file scrambled on its own with the key restarting.
  uint64_t offset = directoryEnd;
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < files.size(); ++i) {
    if (!PrepareContent(options, files[i], bytes)) {
      out.close();
      fs::remove(temporaryPath);
      return false;
    }
    if (offset + bytes.size() > UINT32_MAX) {
      std::fprintf(stderr, "kmtool pack: the archive would exceed 4 GiB\n");
      out.close();
      fs::remove(temporaryPath);
      return false;
    }
    uint8_t* entry = head.data() + archive::kHeaderBytes + i * archive::kDirectoryEntryBytes;
    std::copy(files[i].storedName.begin(), files[i].storedName.end(), entry);
    for (size_t word = 0; word < 128; word += 4) {
      uint32_t value = 0;
      for (int b = 0; b < 4; ++b) value |= uint32_t{entry[word + b]} << (8 * b);
      WriteWord(entry + word, value);
    }
    WriteWord(entry + 128, static_cast<uint32_t>(bytes.size()));
    WriteWord(entry + 132, static_cast<uint32_t>(offset));

    archive::ScrambleStoredFile(bytes.data(), bytes.size());
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    offset += bytes.size();
  }
  WriteWord(head.data(), static_cast<uint32_t>(offset));
  WriteWord(head.data() + 4, static_cast<uint32_t>(files.size()));
  out.seekp(0);
  out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
  out.close();
  std::error_code error;
  if (!out || (fs::rename(temporaryPath, options.outputPath, error), error)) {
    std::fprintf(stderr, "kmtool pack: %s: cannot write\n", options.outputPath.c_str());
    fs::remove(temporaryPath, error);
    return false;
  }
  return true;
}

}  // namespace

int RunPack(const Arguments& args) {
  PackOptions options;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-C") {
      if (i + 1 >= args.size()) return BadUsage("pack", "-C needs a folder");
      options.sourceDirectory = args[++i];
    } else if (arg == "-v") {
      options.verbose = true;
    } else if (arg == "--utf8-evt") {
      options.utf8Text = true;
    } else if (arg == "--scramble-evt") {
      options.scrambleEvents = true;
    } else if (arg.size() > 1 && arg[0] == '-') {
      return BadUsage("pack", "unknown option '" + arg + "'");
    } else if (options.outputPath.empty()) {
      options.outputPath = arg;
    } else {
      options.names.push_back(arg);
    }
  }
  if (options.outputPath.empty()) return BadUsage("pack", "OUT.pkg is missing");
  if (options.sourceDirectory.empty()) return BadUsage("pack", "-C DIR is missing");
  std::vector<PackedFile> files;
  if (!CollectFiles(options, files)) return kExitFailure;
  return WriteArchive(options, files) ? kExitOk : kExitFailure;
}

}  // namespace kmtool
