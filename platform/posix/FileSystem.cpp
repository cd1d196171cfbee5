// Directories and plain file reads: NTFS listing order and game-data paths on a POSIX disk.
//
// Game data names files in code page 932 with '\' separators and was made on a
// case-insensitive file system. On our disks names are case-sensitive and usually UTF-8.
// So listings report each name in code page 932 (a name that is valid UTF-8 and maps to code
// page 932 is converted; any other name is kept as its bytes), and diskPath finds the file
// again: the exact path first (cheap: one stat), then the whole path in UTF-8, and only then
// a walk that matches each missing component case-insensitively against the listing.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>

#include "platform/Encoding.h"
#include "platform/System.h"

namespace platform {

namespace {

unsigned char foldAscii(unsigned char c) { return (c >= 'a' && c <= 'z') ? c - ('a' - 'A') : c; }

// Compares two code page 932 names with ASCII a-z folded to A-Z. Trail bytes of double-byte
// characters are not letters and are compared as they are. Returns <0, 0, >0.
int compareFolded(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  bool trail = false;
  for (size_t i = 0; i < n; ++i) {
    unsigned char ca = static_cast<unsigned char>(a[i]);
    unsigned char cb = static_cast<unsigned char>(b[i]);
    if (!trail) {
      ca = foldAscii(ca);
      cb = foldAscii(cb);
    }
    if (ca != cb) return ca < cb ? -1 : 1;
    // Equal bytes: both names are at the same position of a character.
    trail = !trail && isLeadByte(static_cast<unsigned char>(a[i]));
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool hasHighByte(std::string_view s) {
  return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The code page 932 form of a name as it is stored on disk.
std::string diskNameToCp932(const std::string& name) {
  if (!hasHighByte(name)) return name;
  std::optional<std::string> converted = utf8ToCp932Exact(name);
  return converted ? *converted : name;
}

bool pathExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

bool isDirectoryPath(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Finds the entry of dir that a case-insensitive file system would open for component.
// When several differ only in case, the first in listing order wins, so the answer does not
// depend on the order the disk returns entries in.
std::optional<std::string> matchComponent(const std::string& dir, std::string_view component) {
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return std::nullopt;
  std::optional<std::string> best;
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (compareFolded(name, component) != 0 && compareFolded(diskNameToCp932(name), component) != 0) { continue; }
    if (!best || ntfsNameLess(name, *best)) best = std::move(name);
  }
  ::closedir(d);
  return best;
}

// Walks path component by component, replacing each missing one by its case-insensitive match.
std::optional<std::string> resolveComponents(const std::string& path) {
  std::string resolved;
  size_t pos = 0;
  if (!path.empty() && path[0] == '/') {
    resolved = "/";
    pos = 1;
  }
  while (pos <= path.size()) {
    size_t end = path.find('/', pos);
    if (end == std::string::npos) end = path.size();
    std::string_view component(path.data() + pos, end - pos);
    pos = end + 1;
    if (component.empty()) continue;
    std::string candidate = resolved + std::string(component);
    if (component != "." && component != ".." && !pathExists(candidate)) {
      std::optional<std::string> match = matchComponent(resolved, component);
      if (!match) return std::nullopt;
      candidate = resolved + *match;
    }
    resolved = std::move(candidate);
    if (end < path.size()) resolved.push_back('/');
  }
  return resolved;
}

// A UTF-8 text (or plain ASCII): no byte of a multi-byte character is ever a '\\'.
bool isUtf8(std::string_view s) {
  size_t i = 0;
  while (i < s.size()) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t n = 0;
    if (c < 0x80)
      n = 1;
    else if (c >= 0xC2 && c <= 0xDF)
      n = 2;
    else if (c >= 0xE0 && c <= 0xEF)
      n = 3;
    else if (c >= 0xF0 && c <= 0xF4)
      n = 4;
    if (n == 0 || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += n;
  }
  return true;
}

// '\\' separators become '/'. In a code page 932 name the trail byte of a double-byte character
// may be 0x5C (表, ソ, 能 ...): it belongs to the character and is kept. Paths from our own
// command line are UTF-8, where every 0x5C is a separator.
std::string withSlashSeparators(std::string_view name) {
  std::string path(name);
  const bool cp932 = !isUtf8(path);
  for (size_t i = 0; i < path.size(); ++i) {
    if (cp932 && isLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      ++i;
    } else if (path[i] == '\\') {
      path[i] = '/';
    }
  }
  return path;
}

}  // namespace

bool ntfsNameLess(std::string_view a, std::string_view b) {
  int folded = compareFolded(a, b);
  if (folded != 0) return folded < 0;
  return a < b;  // string_view compares as unsigned bytes
}

std::vector<DirEntry> listDirectory(const std::string& dirPath) {
  std::vector<DirEntry> entries;
  std::string dir = diskPath(dirPath);
  DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
  if (!d) return entries;
  std::string prefix = dir.empty() ? std::string() : (dir.back() == '/' ? dir : dir + "/");
  while (dirent* e = ::readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    bool isDir = e->d_type == DT_DIR;
    if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) isDir = isDirectoryPath(prefix + name);
    entries.push_back({diskNameToCp932(name), isDir});
  }
  ::closedir(d);
  std::sort(entries.begin(), entries.end(),
            [](const DirEntry& a, const DirEntry& b) { return ntfsNameLess(a.name, b.name); });
  return entries;
}

std::string currentDirectory() {
  std::string buf(256, '\0');
  while (::getcwd(buf.data(), buf.size()) == nullptr) {
    if (errno != ERANGE) return std::string();
    buf.resize(buf.size() * 2);
  }
  buf.resize(buf.find('\0'));
  return diskNameToCp932(buf);
}

std::string diskPath(std::string_view name) {
  std::string path = withSlashSeparators(name);
  if (path.empty() || pathExists(path)) return path;
  if (hasHighByte(path)) {
    std::optional<std::string> utf8 = cp932ToUtf8Exact(path);
    if (utf8 && pathExists(*utf8)) return *utf8;
  }
  std::optional<std::string> resolved = resolveComponents(path);
  return resolved ? *resolved : path;
}

bool readFile(std::string_view name, std::vector<uint8_t>& out, size_t maxBytes) {
  out.clear();
  std::string path = diskPath(name);
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    ::close(fd);
    return false;
  }
  if (S_ISREG(st.st_mode)) out.reserve(std::min(static_cast<size_t>(st.st_size), maxBytes));
  uint8_t chunk[65536];
  while (out.size() < maxBytes) {
    size_t want = std::min(sizeof chunk, maxBytes - out.size());
    ssize_t got = ::read(fd, chunk, want);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ::close(fd);
      out.clear();
      return false;
    }
    if (got == 0) break;
    out.insert(out.end(), chunk, chunk + got);
  }
  ::close(fd);
  return true;
}

bool fileExists(std::string_view name) {
  struct stat st;
  std::string path = diskPath(name);
  return ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

}  // namespace platform
