// Opening an archive for kmtool list and unpack.
#include "tools/kmtool/ArchiveReader.h"

#include <cinttypes>
#include <cstdio>

namespace kmtool {

bool ArchiveReader::open(const std::string& path, const char* command) {
  path_ = path;
  if (!file_.open(path) || !file_.createMapping()) {
    std::fprintf(stderr, "kmtool %s: %s: cannot open the archive\n", command, path.c_str());
    return false;
  }
  if (file_.size() == 0) return true;  // nothing to map; the length check reports it
  const uint8_t* view = file_.mapView();
  if (!view) {
    std::fprintf(stderr, "kmtool %s: %s: cannot map the archive\n", command, path.c_str());
    return false;
  }
  directory_ = archive::ArchiveDirectory(view, file_.size());
  return true;
}

bool ArchiveReader::checkIsArchive(const char* command) const {
  if (!directory_.hasStoredLength()) {
    std::fprintf(stderr, "kmtool %s: %s: not an archive (too short)\n", command, path_.c_str());
    return false;
  }
  if (!directory_.storedLengthMatches()) {
    std::fprintf(stderr,
                 "kmtool %s: %s: not an archive (its stored length %" PRIu32 " is not the file's length %" PRIu64 ")\n",
                 command, path_.c_str(), directory_.storedLength(), directory_.fileSize());
    return false;
  }
  if (directory_.declaredEntryCount() < 0) {
    std::fprintf(stderr, "kmtool %s: %s: not an archive (it declares %" PRId32 " entries)\n", command, path_.c_str(),
                 directory_.declaredEntryCount());
    return false;
  }
  return true;
}

}  // namespace kmtool
