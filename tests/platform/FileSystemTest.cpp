// Directory listings in NTFS order, game-data paths on a case-sensitive disk, plain reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "platform/Encoding.h"
#include "platform/System.h"
#include "support/TempDir.h"

namespace {

using testsupport::ScopedChdir;
using testsupport::TempDir;

struct OrderCase {
  const char* a;
  const char* b;
  bool aFirst;
};

TEST(NtfsOrder, ComparesWithAsciiLettersFoldedThenBytewise) {
  const OrderCase cases[] = {
      // '_' (0x5F) sorts after every letter once letters are upper case.
      {"A", "_a", true},
      {"b", "_a", true},
      {"_a", "B", false},
      // Equal when folded: the bytes decide, upper case first.
      {"B", "b", true},
      {"b", "B", false},
      {"ABC.pkg", "abc.pkg", true},
      {"a", "B", true},
      {"a.pkg", "B.pkg", true},
      {"A", "AB", true},
      {"ab", "A", false},
      {"same", "same", false},
      {"[x]", "a", false},  // '[' 0x5B after 'A'
      {"9", "a", true},
      {"~", "z", false},
      // A trail byte in a-z belongs to a double-byte character and is not folded:
      // ャ (83 61) stays after イ (83 42) and after ア (83 41).
      {"\x83\x42", "\x83\x61", true},
      {"\x83\x61", "\x83\x42", false},
      {"\x83\x41", "\x83\x61", true},
      {"\x83\x61", "\x83\x41", false},
  };
  for (const OrderCase& c : cases) { EXPECT_EQ(platform::ntfsNameLess(c.a, c.b), c.aFirst) << c.a << " vs " << c.b; }
}

TEST(NtfsOrder, ListingIsSortedAndSkipsDotEntries) {
  TempDir dir;
  for (const char* name : {"b", "_a", "B", "A", "c.pkg", "a.PKG"}) dir.write(name, "x");
  dir.mkdir("Sub");
  dir.mkdir("_hidden");

  std::vector<platform::DirEntry> entries = platform::listDirectory(dir.path());
  std::vector<std::string> names;
  for (const auto& e : entries) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"A", "a.PKG", "B", "b", "c.pkg", "Sub", "_a", "_hidden"}));
  for (const auto& e : entries) { EXPECT_EQ(e.isDirectory, e.name == "Sub" || e.name == "_hidden") << e.name; }
}

TEST(NtfsOrder, UnreadableFolderListsNothing) {
  TempDir dir;
  EXPECT_TRUE(platform::listDirectory(dir.path() + "/missing").empty());
  dir.write("file", "x");
  EXPECT_TRUE(platform::listDirectory(dir.path() + "/file").empty());
}

TEST(NtfsOrder, Utf8NamesOnDiskAreListedInCodePage932) {
  TempDir dir;
  dir.write("背景.png", "x");
  dir.write("bad\xFF.bin", "x");  // neither UTF-8 nor convertible: kept as it is
  std::vector<platform::DirEntry> entries = platform::listDirectory(dir.path());
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, "bad\xFF.bin");
  EXPECT_EQ(entries[1].name, platform::utf8ToCp932("背景.png"));
}

struct PathCase {
  const char* label;
  const char* request;
  const char* expected;  // relative to the game folder; nullptr: returned unchanged (slashes)
};

TEST(DiskPath, FindsFilesAsACaseInsensitiveSystemWould) {
  TempDir dir;
  dir.write("obj/Back01.JPG", "1");
  dir.write("Sound/BGM/Title.ogg", "2");
  dir.write("exact.txt", "3");
  dir.write("Event/背景.evt", "4");
  // 表 (95 5C) and ソ (83 5C) end in the byte of '\\': a trail byte, not a separator.
  dir.write("表示/ソース.png", "5");
  dir.write("\x94\x5C\x97\xCD.lua", "6");  // 能力.lua named in code page 932 on disk
  ScopedChdir chdir(dir.path());

  const std::string sjisName = platform::utf8ToCp932("event\\背景.evt");
  const std::string trailByteNames = platform::utf8ToCp932("表示\\ソース.png");
  const PathCase cases[] = {
      {"exact, backslashes", "obj\\Back01.JPG", "obj/Back01.JPG"},
      {"every component differs in case", "OBJ\\back01.jpg", "obj/Back01.JPG"},
      {"deeper path", "sound\\bgm\\TITLE.OGG", "Sound/BGM/Title.ogg"},
      {"forward slashes", "sound/BGM/title.ogg", "Sound/BGM/Title.ogg"},
      {"dot component", ".\\OBJ\\back01.jpg", "./obj/Back01.JPG"},
      {"exact", "exact.txt", "exact.txt"},
      {"code page 932 name of a UTF-8 file", sjisName.c_str(), "Event/背景.evt"},
      {"trail bytes that look like separators", trailByteNames.c_str(), "表示/ソース.png"},
      {"code page 932 name on disk", "\x94\x5C\x97\xCD.lua", "\x94\x5C\x97\xCD.lua"},
      {"missing file", "obj\\missing.jpg", nullptr},
      {"missing folder", "nothere\\back01.jpg", nullptr},
      {"empty", "", nullptr},
  };
  for (const PathCase& c : cases) {
    std::string expected = c.expected ? c.expected : std::string(c.request);
    if (!c.expected) std::replace(expected.begin(), expected.end(), '\\', '/');
    EXPECT_EQ(platform::diskPath(c.request), expected) << c.label;
  }
  // Absolute paths resolve the same way.
  EXPECT_EQ(platform::diskPath(dir.path() + "\\OBJ\\BACK01.jpg"), dir.path() + "/obj/Back01.JPG");
}

TEST(DiskPath, PrefersTheExactNameAndBreaksCaseTiesInListingOrder) {
  TempDir dir;
  dir.write("data/file.TXT", "upper");
  dir.write("data/File.txt", "mixed");
  dir.write("data/file.txt", "lower");
  ScopedChdir chdir(dir.path());
  EXPECT_EQ(platform::diskPath("data\\file.txt"), "data/file.txt");
  EXPECT_EQ(platform::diskPath("data\\FILE.TXT"), "data/File.txt");
  EXPECT_EQ(platform::diskPath("DATA\\FILE.TXT"), "data/File.txt");
}

TEST(ReadFile, ReadsThroughDiskPathUpToTheLimit) {
  TempDir dir;
  dir.write("Scripts/0first.evt", "0123456789");
  ScopedChdir chdir(dir.path());
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(platform::readFile("scripts\\0FIRST.evt", bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "0123456789");
  ASSERT_TRUE(platform::readFile("scripts\\0first.evt", bytes, 4));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "0123");
  EXPECT_FALSE(platform::readFile("scripts\\none.evt", bytes));
  EXPECT_TRUE(bytes.empty());
  EXPECT_FALSE(platform::readFile("scripts", bytes));  // a folder is not a file
}

TEST(ReadFile, ReadsLargeFilesWhole) {
  TempDir dir;
  std::string big(300000, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  std::string path = dir.write("big.bin", big);
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(platform::readFile(path, bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), big);
}

TEST(FileExists, TrueForFilesOnly) {
  TempDir dir;
  dir.write("Obj/A.png", "x");
  ScopedChdir chdir(dir.path());
  EXPECT_TRUE(platform::fileExists("obj\\a.PNG"));
  EXPECT_FALSE(platform::fileExists("obj"));
  EXPECT_FALSE(platform::fileExists("obj\\b.png"));
}

TEST(CurrentDirectory, IsTheWorkingDirectory) {
  TempDir dir;
  ScopedChdir chdir(dir.path());
  EXPECT_EQ(platform::currentDirectory(), std::filesystem::current_path().string());
}

}  // namespace
