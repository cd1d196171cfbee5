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
  // Refuses, with one line on stderr, a file that is not an archive: its stored length is not
  // the file's length, or its entry count is impossible (negative).
  bool checkIsArchive(const char* command) const;

 private:
  std::string path_;
  platform::MappedFile file_;
  archive::ArchiveDirectory directory_{nullptr, 0};
};

}  // namespace kmtool
