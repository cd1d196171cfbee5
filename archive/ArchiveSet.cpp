// Opening the archives, the two name indexes, and reading a file's bytes from either source.
#include "archive/ArchiveSet.h"

#include <cstdio>
#include <cstdlib>

#include "archive/ArchiveDirectory.h"
#include "archive/Scramble.h"
#include "platform/Encoding.h"
#include "platform/Platform.h"

namespace archive {

namespace {

[[noreturn]] void StopWithError(const std::string& textCp932) {
  platform::messageBox(textCp932, CP932("エラー"));
  std::abort();
}

// FindFirstFileA's "*.pkg": the extension matches without regard to case, as on the file
// system the data was made on.
bool IsArchiveName(std::string_view name) {
  if (name.size() < 4) return false;
  const std::string_view extension = name.substr(name.size() - 4);
  static constexpr char kExtension[] = ".pkg";
  for (size_t i = 0; i < 4; ++i) {
    char c = extension[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != kExtension[i]) return false;
  }
  return true;
}

bool IsSkippedDirectory(std::string_view name) {
  return name.front() == '.' || name.front() == '_' || name == "Debug" || name == "Release" || name == "savedata";
}

}  // namespace

ArchiveSet::~ArchiveSet() { CloseArchives(); }

bool ArchiveSet::OpenArchives() {
  const std::string workingDirectory = platform::currentDirectory();
  std::vector<platform::DirEntry> found;
  for (platform::DirEntry& candidate : platform::listDirectory(workingDirectory)) {
    if (IsArchiveName(candidate.name)) found.push_back(std::move(candidate));
  }

  archiveIndex_.clear();
  for (const platform::DirEntry& candidate : found) {
    const uint32_t archiveNumber = static_cast<uint32_t>(archives_.size());
    platform::MappedFile& archive = archives_.emplace_back();

    // A folder named like an archive cannot be opened as a file: start-up stops as for a bad one.
    if (candidate.isDirectory || !archive.open(candidate.name)) {
      StopWithError(CP932("アーカイブパッケージのオープンに失敗\n終了します"));
    }
    if (!archive.createMapping()) StopWithError(CP932("ファイルマップ生成に失敗\n終了します"));

    // A view that cannot be mapped is a mapping failure too (an empty file already fails above).
    const uint8_t* view = archive.mapView();
    if (!view) StopWithError(CP932("ファイルマップ生成に失敗\n終了します"));
    // A file too short to hold its stored length fails the check like any wrong length.
    const ArchiveDirectory directory(view, archive.size());
    if (!directory.storedLengthMatches()) StopWithError(CP932("アーカイブのチェックサムが不正"));

    const size_t entryCount = directory.entryCount();
    for (size_t i = 0; i < entryCount; ++i) {
      const StoredEntry entry = directory.entry(i);
      // An entry pointing outside its archive could never be read: it is left out of the index.
      if (!directory.holds(entry)) continue;
      archiveIndex_.try_emplace(std::string(LastNameComponent(entry.storedName)),
                                ArchiveEntry{archiveNumber, entry.size, entry.offset});
    }
    if (!archive.unmapView()) return false;
  }
  return true;
}

void ArchiveSet::BuildLooseFileIndex() {
  looseFileIndex_.clear();
  walkLooseDirectory(platform::currentDirectory());
}

// Depth first in enumeration order: a sub-directory is walked as soon as it is met, so a name
// in it wins over the same name in a later sibling of its parent. Paths keep the '\' separators
// and code page 932 names of game data; platform::diskPath finds the disk file when one is opened.
void ArchiveSet::walkLooseDirectory(const std::string& directoryPath) {
  for (const platform::DirEntry& entry : platform::listDirectory(directoryPath)) {
    if (entry.name.empty() || entry.name == "." || entry.name == "..") continue;
    std::string path = directoryPath + '\\' + entry.name;
    if (entry.isDirectory) {
      if (IsSkippedDirectory(entry.name)) continue;
      std::printf("[DIR]  %s\n", platform::cp932ToUtf8(path).c_str());
      walkLooseDirectory(path);
    } else {
      looseFileIndex_.try_emplace(entry.name, std::move(path));
    }
  }
}

bool ArchiveSet::FindInArchive(std::string_view name, ArchiveEntry* entry, platform::MappedFile** mapping) {
  if (archiveIndex_.empty()) return false;
  std::string key(name);
  for (char& c : key) {
    if (c == '/') c = '\\';
  }
  const auto it = archiveIndex_.find(key);
  if (it == archiveIndex_.end()) return false;
  if (entry) *entry = it->second;
  if (mapping) *mapping = &archives_[it->second.archiveNumber];
  return true;
}

std::string ArchiveSet::ResolveLoosePath(std::string_view name) {
  if (name.empty() || name.find_first_of("/\\") != std::string_view::npos) return std::string(name);
  if (FindInArchive(name) || looseFileIndex_.empty()) return std::string(name);
  const auto it = looseFileIndex_.find(name);
  return it == looseFileIndex_.end() ? std::string(name) : it->second;
}

StoredRead ArchiveSet::ReadStoredFile(std::string_view name, std::vector<uint8_t>& out) {
  ArchiveEntry entry;
  platform::MappedFile* archive = nullptr;
  if (!FindInArchive(name, &entry, &archive)) return StoredRead::NotStored;
  const uint8_t* view = archive->mapView();
  if (!view) return StoredRead::ViewFailed;
  // Copy and unscramble in one pass: the same bytes as a copy followed by UnscrambleStoredFile.
  CopyUnscrambled(view + entry.offset, entry.size, out);
  archive->unmapView();
  return StoredRead::Read;
}

bool ArchiveSet::LoadGameFile(std::string_view name, std::vector<uint8_t>& out, size_t maxBytes, FileSource* source) {
  FileSource served = FileSource::NotFound;
  switch (ReadStoredFile(name, out)) {
    case StoredRead::Read:
      if (out.size() > maxBytes) out.resize(maxBytes);
      served = FileSource::Archive;
      break;
    case StoredRead::ViewFailed:
      out.clear();
      served = FileSource::ArchiveViewFailed;
      break;
    case StoredRead::NotStored:
      if (platform::readFile(ResolveLoosePath(name), out, maxBytes)) {
        if (FilterLooseFile(name, out) && out.size() > maxBytes) out.resize(maxBytes);
        served = FileSource::Disk;
      } else {
        out.clear();
      }
      break;
  }
  if (source) *source = served;
  return served == FileSource::Archive || served == FileSource::Disk;
}

namespace {
LooseFileFilter& looseFileFilter() {
  static LooseFileFilter filter;
  return filter;
}
}  // namespace

void SetLooseFileFilter(LooseFileFilter filter) { looseFileFilter() = std::move(filter); }

bool FilterLooseFile(std::string_view name, std::vector<uint8_t>& bytes) {
  if (!looseFileFilter()) return false;
  looseFileFilter()(name, bytes);
  return true;
}

void ArchiveSet::CloseArchives() {
  for (platform::MappedFile& archive : archives_) archive.closeMapping();
  for (platform::MappedFile& archive : archives_) archive.closeFile();
}

namespace {
// Never destroyed by static destruction: the exit cleanup registered with atexit may run after
// the statics of this file are gone, whenever the set was first used.
ArchiveSet*& archiveSetSlot() {
  static ArchiveSet* slot = new ArchiveSet;
  return slot;
}
}  // namespace

ArchiveSet& archiveSet() { return *archiveSetSlot(); }

void resetArchiveSet() {
  delete archiveSetSlot();
  archiveSetSlot() = new ArchiveSet;
}

void CloseArchivesAtExit() { archiveSet().CloseArchives(); }

}  // namespace archive
