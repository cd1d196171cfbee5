// An archive file opened by kmtool for reading its directory and entries.
#pragma once

#include <string>

#include "archive/ArchiveDirectory.h"
#include "platform/System.h"

namespace kmtool {

class ArchiveReader {
 public:
  // Opens and maps the file; on failure writes "kmtool COMMAND: PATH: ..." to stderr.
  bool open(const std::string& path, const char* command);
  const archive::ArchiveDirectory& directory() const { return directory_; }
  // Complains on stderr when the stored length is wrong; the entries are still readable.
  bool checkStoredLength(const char* command) const;

 private:
  std::string path_;
  platform::MappedFile file_;
  archive::ArchiveDirectory directory_{nullptr, 0};
};

}  // namespace kmtool
