// The open archives, the archive index and the loose-file index: the one way every reader in the
// engine gets a file's bytes, from an archive when one holds the name, otherwise from the disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/System.h"

namespace archive {

// Where the archive index finds a name.
struct ArchiveEntry {
  uint32_t archiveNumber = 0;
  uint32_t size = 0;
  uint32_t offset = 0;
};

enum class StoredRead {
  Read,        // the buffer holds the file, unscrambled
  NotStored,   // no archive holds the name
  ViewFailed,  // an archive holds it but its view could not be mapped: the reader gets nothing
};

// Which source served a LoadGameFile request.
enum class FileSource { Archive, Disk, ArchiveViewFailed, NotFound };

class ArchiveSet {
 public:
  ArchiveSet() = default;
  ~ArchiveSet();
  ArchiveSet(const ArchiveSet&) = delete;
  ArchiveSet& operator=(const ArchiveSet&) = delete;

  // Opens every "*.pkg" of the working directory and builds the archive index. Shows its message
  // and aborts on an archive that cannot be opened, mapped or whose stored length is wrong.
  // False when a view could not be unmapped: start-up then ends at once without a message.
  bool OpenArchives();
  // Walks the working directory tree for loose files, printing each directory it enters.
  void BuildLooseFileIndex();

  // Looks the whole name up (after '/' becomes '\'). When found, fills entry and mapping if asked.
  bool FindInArchive(std::string_view name, ArchiveEntry* entry = nullptr, platform::MappedFile** mapping = nullptr);
  // The loose-file index's path for a bare name no archive holds; the name itself otherwise.
  std::string ResolveLoosePath(std::string_view name);
  // The archive's bytes of the name, unscrambled, in a fresh buffer.
  StoredRead ReadStoredFile(std::string_view name, std::vector<uint8_t>& out);

  // What every reader calls: ReadStoredFile, or else the ResolveLoosePath path read from disk
  // (at most maxBytes; an archive entry is cut to maxBytes too). False when nothing was read;
  // source, when given, says which way the bytes came (or why none did).
  bool LoadGameFile(std::string_view name, std::vector<uint8_t>& out, size_t maxBytes = SIZE_MAX,
                    FileSource* source = nullptr);

  // The exit cleanup: all mapping handles first, then all file handles.
  void CloseArchives();

  size_t archiveCount() const { return archives_.size(); }
  const std::map<std::string, ArchiveEntry, std::less<>>& archiveIndex() const { return archiveIndex_; }
  const std::map<std::string, std::string, std::less<>>& looseFileIndex() const { return looseFileIndex_; }

 private:
  void walkLooseDirectory(const std::string& directoryPath);

  // By archive number; each holds the file handle and the mapping handle of one archive.
  std::vector<platform::MappedFile> archives_;
  std::map<std::string, ArchiveEntry, std::less<>> archiveIndex_;
  std::map<std::string, std::string, std::less<>> looseFileIndex_;
};

// A change made to every loose file's bytes as it is read from the disk (kmtool play
// --utf8-evt: UTF-8 scripts read as code page 932). None is installed by default.
using LooseFileFilter = std::function<void(std::string_view name, std::vector<uint8_t>& bytes)>;
void SetLooseFileFilter(LooseFileFilter filter);
// Applies the installed filter, if any; false when none is installed.
bool FilterLooseFile(std::string_view name, std::vector<uint8_t>& bytes);

// The process's one archive set.
ArchiveSet& archiveSet();
// Closes everything and starts from an empty set (tests).
void resetArchiveSet();

// The function the entry point registers with atexit: closes the archives of archiveSet().
void CloseArchivesAtExit();

// Shorthands for the process's archive set.
inline bool OpenArchives() { return archiveSet().OpenArchives(); }
inline void BuildLooseFileIndex() { archiveSet().BuildLooseFileIndex(); }
inline bool FindInArchive(std::string_view name, ArchiveEntry* entry = nullptr,
                          platform::MappedFile** mapping = nullptr) {
  return archiveSet().FindInArchive(name, entry, mapping);
}
inline std::string ResolveLoosePath(std::string_view name) { return archiveSet().ResolveLoosePath(name); }
inline StoredRead ReadStoredFile(std::string_view name, std::vector<uint8_t>& out) {
  return archiveSet().ReadStoredFile(name, out);
}
inline bool LoadGameFile(std::string_view name, std::vector<uint8_t>& out, size_t maxBytes = SIZE_MAX,
                         FileSource* source = nullptr) {
  return archiveSet().LoadGameFile(name, out, maxBytes, source);
}

}  // namespace archive
