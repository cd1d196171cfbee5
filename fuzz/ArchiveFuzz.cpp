// The archive reader: the index of a package whose stored length is right (anything else stops
// the program by design), then every indexed file read through the game-file path.
#include <vector>

#include "FuzzSupport.h"
#include "archive/ArchiveDirectory.h"
#include "archive/ArchiveSet.h"
#include "archive/Scramble.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::EnterScratchFolder();
  // The directory view alone, over the bytes as they are.
  const archive::ArchiveDirectory raw(data, size);
  (void)raw.declaredEntryCount();
  for (size_t i = 0; i < raw.entryCount(); ++i) (void)raw.holds(raw.entry(i));

  if (size < 8) return 0;
  std::vector<uint8_t> bytes(data, data + size);
  // The stored length is kept scrambled like every header word.
  const uint32_t word = static_cast<uint32_t>(size) ^ archive::kArchiveKey;
  for (int i = 0; i < 4; ++i) bytes[static_cast<size_t>(i)] = static_cast<uint8_t>(word >> (8 * i));
  if (!archive::ArchiveDirectory(bytes.data(), bytes.size()).storedLengthMatches()) std::abort();
  fuzz::WriteFile("fuzz.pkg", bytes.data(), bytes.size());
  archive::resetArchiveSet();
  archive::archiveSet().OpenArchives();
  std::vector<uint8_t> out;
  for (const auto& [name, entry] : archive::archiveSet().archiveIndex()) {
    archive::archiveSet().LoadGameFile(name, out);
    archive::archiveSet().LoadGameFile(name, out, 7);
  }
  archive::resetArchiveSet();
  fuzz::ForgetMessageBoxes();
  return 0;
}
