// Truncated and hostile archives: opening and reading never leave the file's bytes.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "archive/ArchiveSet.h"
#include "support/TempDir.h"
#include "support/TestArchive.h"

namespace {

using archivetest::BuildArchive;
using archivetest::OffsetFieldOf;
using archivetest::PutWord;
using archivetest::SizeFieldOf;

void FixStoredLength(std::string& bytes) { PutWord(bytes, 0, static_cast<uint32_t>(bytes.size())); }

std::set<std::string> IndexKeys() {
  std::set<std::string> keys;
  for (const auto& [name, entry] : archive::archiveSet().archiveIndex()) keys.insert(name);
  return keys;
}

// Reads every indexed entry; under the sanitizers any byte read outside the view fails here.
void ReadEverything() {
  std::vector<std::string> names;
  for (const auto& [name, entry] : archive::archiveSet().archiveIndex()) names.push_back(name);
  for (const std::string& name : names) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(archive::ReadStoredFile(name, bytes), archive::StoredRead::Read) << name;
  }
}

TEST(HostileArchive, OpensWhatIsSoundAndLeavesOutTheRest) {
  const std::vector<archivetest::TestEntry> two = {{"first.png", "first file"}, {"second.png", "second file"}};
  struct Case {
    const char* what;
    std::function<std::string()> make;
    std::set<std::string> keys;
  };
  const Case cases[] = {
      {"count larger than the directory: only the entries that fit are read",
       [&] {
         std::string b = BuildArchive(two);
         PutWord(b, 4, 1000);
         return b;
       },
       {"first.png", "second.png"}},
      {"count far larger than the whole file",
       [&] {
         std::string b = BuildArchive(two);
         PutWord(b, 4, 0x7FFFFFFF);
         return b;
       },
       {"first.png", "second.png"}},
      {"negative count means no entries",
       [&] {
         std::string b = BuildArchive(two);
         PutWord(b, 4, 0xFFFFFFFB);
         return b;
       },
       {}},
      {"offset past the end",
       [&] {
         std::string b = BuildArchive(two);
         PutWord(b, OffsetFieldOf(0), static_cast<uint32_t>(b.size() + 1));
         return b;
       },
       {"second.png"}},
      {"size past the end",
       [&] {
         std::string b = BuildArchive(two);
         PutWord(b, SizeFieldOf(1), 0x10000);
         return b;
       },
       {"first.png"}},
      {"offset + size wraps around 32 bits",
       [&] {
         std::string b = BuildArchive(two);
         PutWord(b, OffsetFieldOf(0), 0xFFFFFFF0u);
         PutWord(b, SizeFieldOf(0), 0x20);
         return b;
       },
       {"second.png"}},
      {"empty entry at the very end is still inside",
       [&] {
         std::string b = BuildArchive({{"empty.png", ""}, {"x.png", "x"}});
         PutWord(b, OffsetFieldOf(0), static_cast<uint32_t>(b.size()));
         return b;
       },
       {"empty.png", "x.png"}},
      {"name without a NUL in its 128 bytes is taken whole",
       [&] {
         return BuildArchive({{std::string(120, 'n') + "long.png", "long"}});
       },
       {std::string(120, 'n') + "long.png"}},
      {"directory cut off in the middle of an entry",
       [&] {
         std::string b = BuildArchive(two);
         b.resize(8 + 136 + 60);
         FixStoredLength(b);
         return b;
       },
       {}},
      {"only the header's stored length",
       [] {
         std::string b(4, '\0');
         FixStoredLength(b);
         return b;
       },
       {}},
      {"header cut inside the entry count",
       [] {
         std::string b(7, '\0');
         FixStoredLength(b);
         return b;
       },
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testsupport::TempDir scratch;
    scratch.write("x.pkg", c.make());
    testsupport::ScopedChdir into(scratch.path());
    archive::resetArchiveSet();
    ASSERT_TRUE(archive::OpenArchives());
    EXPECT_EQ(IndexKeys(), c.keys);
    ReadEverything();
    archive::resetArchiveSet();
  }
}

TEST(HostileArchive, ContentOfACutOffDirectoryEntryIsNotRead) {
  // The first entry survives; the count says two but the second's 136 bytes are not all there.
  std::string b = BuildArchive({{"kept.png", "kept"}});
  PutWord(b, 4, 2);
  b += std::string(100, '\x55');
  FixStoredLength(b);
  testsupport::TempDir scratch;
  scratch.write("x.pkg", b);
  testsupport::ScopedChdir into(scratch.path());
  archive::resetArchiveSet();
  ASSERT_TRUE(archive::OpenArchives());
  // The data of "kept.png" now starts inside where the second entry would be; it is read as bytes.
  EXPECT_EQ(IndexKeys(), std::set<std::string>{"kept.png"});
  ReadEverything();
  archive::resetArchiveSet();
}

// Random directories behind a correct stored length: whatever the fields say, nothing crashes.
TEST(HostileArchive, SeededRandomDirectories) {
  const uint32_t seed = std::random_device{}();
  std::printf("seed %u\n", seed);
  SCOPED_TRACE("seed " + std::to_string(seed));
  std::mt19937 random(seed);
  testsupport::TempDir scratch;
  testsupport::ScopedChdir into(scratch.path());
  for (int round = 0; round < 200; ++round) {
    std::string b(8 + random() % 1200, '\0');
    for (char& c : b) c = static_cast<char>(random());
    FixStoredLength(b);
    // Mostly small plausible counts and fields, so that entries are often (almost) valid.
    PutWord(b, 4, random() % 4 == 0 ? static_cast<uint32_t>(random()) : random() % 12);
    for (size_t i = 0; 8 + 136 * (i + 1) <= b.size(); ++i) {
      if (random() % 2) PutWord(b, OffsetFieldOf(i), static_cast<uint32_t>(random() % (b.size() + 8)));
      if (random() % 2) PutWord(b, SizeFieldOf(i), static_cast<uint32_t>(random() % 64));
    }
    scratch.write("x.pkg", b);
    archive::resetArchiveSet();
    ASSERT_TRUE(archive::OpenArchives());
    ReadEverything();
  }
  archive::resetArchiveSet();
}

}  // namespace
