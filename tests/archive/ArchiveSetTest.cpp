// Opening archives from the working directory, the two indexes, and which source serves a name.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "archive/ArchiveSet.h"
#include "platform/Encoding.h"
#include "platform/System.h"
#include "support/TempDir.h"
#include "support/TestArchive.h"

namespace {

using archive::FileSource;
using archivetest::BuildArchive;
using archivetest::TestEntry;

class ArchiveSetTest : public ::testing::Test {
 protected:
  void SetUp() override { archive::resetArchiveSet(); }
  // The archives are closed before the scratch folder goes away.
  void TearDown() override { archive::resetArchiveSet(); }

  std::string load(std::string_view name, FileSource* source = nullptr, size_t maxBytes = SIZE_MAX) {
    std::vector<uint8_t> bytes;
    FileSource served;
    const bool loaded = archive::LoadGameFile(name, bytes, maxBytes, &served);
    EXPECT_EQ(loaded, served == FileSource::Archive || served == FileSource::Disk);
    if (source) *source = served;
    return archivetest::AsString(bytes);
  }

  testsupport::TempDir dir_;
  testsupport::ScopedChdir chdir_{dir_.path()};
};

TEST_F(ArchiveSetTest, ReadsBackAnArchiveWrittenByteByByte) {
  const std::vector<TestEntry> entries = {
      {"empty.txt", ""},
      {"one.bin", "Z"},
      {"three.bin", "abc"},
      {"four.bin", "abcd"},
      {"five.bin", "abcde"},
      {"eight.bin", "abcdefgh"},
      {"img\\thirteen.png", "thirteen byte"},
      {"snd/voice.ogg", std::string("\0\x01\x02\xFF\xFE\xFD\x80", 7)},
  };
  dir_.write("game.pkg", BuildArchive(entries));
  ASSERT_TRUE(archive::OpenArchives());
  ASSERT_EQ(archive::archiveSet().archiveCount(), 1u);
  ASSERT_EQ(archive::archiveSet().archiveIndex().size(), entries.size());

  size_t expectedOffset = 8 + 136 * entries.size();
  for (const TestEntry& entry : entries) {
    const std::string key = entry.storedName.substr(entry.storedName.find_last_of("\\/") + 1);
    archive::ArchiveEntry found;
    platform::MappedFile* mapping = nullptr;
    ASSERT_TRUE(archive::FindInArchive(key, &found, &mapping)) << key;
    EXPECT_EQ(found.archiveNumber, 0u);
    EXPECT_EQ(found.size, entry.content.size());
    EXPECT_EQ(found.offset, expectedOffset);
    EXPECT_NE(mapping, nullptr);
    expectedOffset += entry.content.size();

    std::vector<uint8_t> bytes = {1, 2, 3};
    ASSERT_EQ(archive::ReadStoredFile(key, bytes), archive::StoredRead::Read) << key;
    EXPECT_EQ(archivetest::AsString(bytes), entry.content) << key;
  }
}

TEST_F(ArchiveSetTest, FirstArchiveAndFirstEntryWin) {
  // Enumeration order is NTFS order: "a.pkg" before "B.pkg", although 'B' < 'a' bytewise.
  dir_.write("B.pkg", BuildArchive({{"x.png", "from B"}, {"only_b.png", "only in B"}}));
  dir_.write("a.pkg", BuildArchive({{"a\\x.png", "first entry"}, {"b\\x.png", "second entry"}}));
  dir_.write("c.PKG", BuildArchive({{"upper.png", "upper-case extension"}}));
  dir_.write("c.pkg.txt", BuildArchive({{"ignored.png", "not an archive"}}));
  ASSERT_TRUE(archive::OpenArchives());
  EXPECT_EQ(archive::archiveSet().archiveCount(), 3u);

  EXPECT_EQ(load("x.png"), "first entry");
  archive::ArchiveEntry found;
  ASSERT_TRUE(archive::FindInArchive("only_b.png", &found));
  EXPECT_EQ(found.archiveNumber, 1u);
  EXPECT_EQ(load("only_b.png"), "only in B");
  EXPECT_EQ(load("upper.png"), "upper-case extension");
  EXPECT_FALSE(archive::FindInArchive("ignored.png"));
  // The index key is the last component, compared case-sensitively.
  EXPECT_FALSE(archive::FindInArchive("X.png"));
  EXPECT_FALSE(archive::FindInArchive("a\\x.png"));
}

TEST_F(ArchiveSetTest, NameWithDirectoryPartComesFromDisk) {
  dir_.write("data.pkg", BuildArchive({{"obj\\back01.jpg", "archived"}}));
  dir_.write("obj/back01.jpg", "loose");
  ASSERT_TRUE(archive::OpenArchives());
  archive::BuildLooseFileIndex();

  FileSource source;
  EXPECT_EQ(load("obj\\back01.jpg", &source), "loose");
  EXPECT_EQ(source, FileSource::Disk);
  EXPECT_EQ(load("obj/back01.jpg", &source), "loose");
  EXPECT_EQ(source, FileSource::Disk);
  EXPECT_EQ(load("back01.jpg", &source), "archived");
  EXPECT_EQ(source, FileSource::Archive);
  EXPECT_EQ(archive::ResolveLoosePath("obj\\back01.jpg"), "obj\\back01.jpg");
}

TEST_F(ArchiveSetTest, BareNameFallsBackToTheLooseIndex) {
  dir_.write("data.pkg", BuildArchive({{"title.png", "archived title"}}));
  dir_.write("pics/title.png", "loose title");
  dir_.write("pics/menu.png", "loose menu");
  ASSERT_TRUE(archive::OpenArchives());
  testing::internal::CaptureStdout();
  archive::BuildLooseFileIndex();
  testing::internal::GetCapturedStdout();

  const std::string cwd = platform::currentDirectory();
  EXPECT_EQ(archive::ResolveLoosePath("menu.png"), cwd + "\\pics\\menu.png");
  EXPECT_EQ(archive::ResolveLoosePath("title.png"), "title.png");  // the archive holds it
  EXPECT_EQ(archive::ResolveLoosePath("nowhere.png"), "nowhere.png");
  EXPECT_EQ(archive::ResolveLoosePath(""), "");

  FileSource source;
  EXPECT_EQ(load("menu.png", &source), "loose menu");
  EXPECT_EQ(source, FileSource::Disk);
  EXPECT_EQ(load("title.png", &source), "archived title");
  EXPECT_EQ(source, FileSource::Archive);
  EXPECT_EQ(load("nowhere.png", &source), "");
  EXPECT_EQ(source, FileSource::NotFound);
}

TEST_F(ArchiveSetTest, LooseIndexSkipsBuildFoldersAndWalksDepthFirst) {
  struct Case {
    const char* file;      // written under the working directory
    const char* name;      // looked up
    const char* expected;  // path below the working directory, or nullptr when not indexed
  };
  const Case cases[] = {
      {".git/s1.png", "s1.png", nullptr},
      {"_work/s2.png", "s2.png", nullptr},
      {"Debug/s3.png", "s3.png", nullptr},
      {"Release/s4.png", "s4.png", nullptr},
      {"savedata/s5.png", "s5.png", nullptr},
      {"debug/s6.png", "s6.png", "\\debug\\s6.png"},  // the names are case-sensitive
      {"Debugger/s7.png", "s7.png", "\\Debugger\\s7.png"},
      {"_s8.png", "_s8.png", "\\_s8.png"},  // only folders are skipped by their first character
      // Depth first in NTFS order: a\deep comes before the file y.png beside "a".
      {"a/deep/y.png", "y.png", "\\a\\deep\\y.png"},
      {"y.png", "y.png", "\\a\\deep\\y.png"},
      {"B/z.png", "z.png", "\\a\\z.png"},
      {"a/z.png", "z.png", "\\a\\z.png"},
  };
  for (const Case& c : cases) dir_.write(c.file, c.file);

  testing::internal::CaptureStdout();
  archive::BuildLooseFileIndex();
  const std::string printed = testing::internal::GetCapturedStdout();

  const std::string cwd = platform::currentDirectory();
  for (const Case& c : cases) {
    EXPECT_EQ(archive::ResolveLoosePath(c.name), c.expected ? cwd + c.expected : std::string(c.name)) << c.file;
  }
  EXPECT_EQ(printed, "[DIR]  " + cwd + "\\a\n" + "[DIR]  " + cwd + "\\a\\deep\n" + "[DIR]  " + cwd + "\\B\n" +
                         "[DIR]  " + cwd + "\\debug\n" + "[DIR]  " + cwd + "\\Debugger\n");
}

// Folder names whose code page 932 form holds the byte of '\\' as a trail byte (表 95 5C, 能 94 5C)
// are walked like any other, and their files are read from the disk.
TEST_F(ArchiveSetTest, LooseIndexWalksFoldersWithTrailBytesLikeSeparators) {
  dir_.write("表示/能力.txt", "ability");
  testing::internal::CaptureStdout();
  archive::BuildLooseFileIndex();
  const std::string printed = testing::internal::GetCapturedStdout();
  const std::string folder = platform::currentDirectory() + "\\" + platform::utf8ToCp932("表示");
  EXPECT_EQ(printed, "[DIR]  " + platform::cp932ToUtf8(folder) + "\n");
  const auto it = archive::archiveSet().looseFileIndex().find(platform::utf8ToCp932("能力.txt"));
  ASSERT_NE(it, archive::archiveSet().looseFileIndex().end());
  EXPECT_EQ(it->second, folder + "\\" + platform::utf8ToCp932("能力.txt"));
  std::vector<uint8_t> bytes;
  ASSERT_TRUE(platform::readFile(it->second, bytes));
  EXPECT_EQ(archivetest::AsString(bytes), "ability");
}

TEST_F(ArchiveSetTest, MaxBytesCutsBothSources) {
  dir_.write("data.pkg", BuildArchive({{"long.txt", "0123456789"}}));
  dir_.write("loose.txt", "abcdefghij");
  ASSERT_TRUE(archive::OpenArchives());
  EXPECT_EQ(load("long.txt", nullptr, 4), "0123");
  EXPECT_EQ(load("loose.txt", nullptr, 4), "abcd");
}

// A view that cannot be mapped gives the reader nothing, not the loose file of the same name.
TEST_F(ArchiveSetTest, UnmappableViewGivesNothing) {
  dir_.write("data.pkg", BuildArchive({{"shrunk.png", "archived bytes"}}));
  dir_.write("shrunk.png", "loose bytes");
  ASSERT_TRUE(archive::OpenArchives());
  std::filesystem::resize_file(dir_.path() + "/data.pkg", 10);

  std::vector<uint8_t> bytes;
  EXPECT_EQ(archive::ReadStoredFile("shrunk.png", bytes), archive::StoredRead::ViewFailed);
  FileSource source;
  EXPECT_EQ(load("shrunk.png", &source), "");
  EXPECT_EQ(source, FileSource::ArchiveViewFailed);
}

TEST_F(ArchiveSetTest, ReadsAfterTheExitCleanupFailQuietly) {
  dir_.write("data.pkg", BuildArchive({{"a.txt", "text"}}));
  ASSERT_TRUE(archive::OpenArchives());
  archive::CloseArchivesAtExit();
  std::vector<uint8_t> bytes;
  EXPECT_EQ(archive::ReadStoredFile("a.txt", bytes), archive::StoredRead::ViewFailed);
}

TEST_F(ArchiveSetTest, NoArchiveMeansEverythingFromDisk) {
  dir_.write("readme.txt", "loose");
  ASSERT_TRUE(archive::OpenArchives());
  EXPECT_EQ(archive::archiveSet().archiveCount(), 0u);
  EXPECT_FALSE(archive::FindInArchive("readme.txt"));
  FileSource source;
  EXPECT_EQ(load("readme.txt", &source), "loose");
  EXPECT_EQ(source, FileSource::Disk);
}

// ---- Start-up failures: one message box with caption "エラー", then abort -------------------

class ArchiveAbortTest : public ArchiveSetTest {};

TEST_F(ArchiveAbortTest, EachFailureShowsItsMessageAndAborts) {
  const std::string good = BuildArchive({{"a.txt", "text"}});
  std::string shortByOne = good;
  archivetest::PutWord(shortByOne, 0, static_cast<uint32_t>(good.size() - 1));

  struct Case {
    const char* what;
    std::function<void(const testsupport::TempDir&)> make;
    const char* message;  // as the stderr line of the box shows it
  };
  const Case cases[] = {
      {"missing file behind the name",
       [](const testsupport::TempDir& d) {
         std::filesystem::create_symlink(d.path() + "/nowhere", d.path() + "/broken.pkg");
       },
       "アーカイブパッケージのオープンに失敗\\\\n終了します"},
      {"folder named like an archive", [](const testsupport::TempDir& d) { d.mkdir("folder.pkg"); },
       "アーカイブパッケージのオープンに失敗\\\\n終了します"},
      {"empty file", [](const testsupport::TempDir& d) { d.write("empty.pkg", ""); },
       "ファイルマップ生成に失敗\\\\n終了します"},
      {"stored length one short", [&](const testsupport::TempDir& d) { d.write("short.pkg", shortByOne); },
       "アーカイブのチェックサムが不正"},
      {"too short for a stored length", [](const testsupport::TempDir& d) { d.write("tiny.pkg", "abc"); },
       "アーカイブのチェックサムが不正"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testsupport::TempDir scratch;
    scratch.write("0good.pkg", good);  // a sound archive ahead of the bad one changes nothing
    c.make(scratch);
    testsupport::ScopedChdir into(scratch.path());
    archive::resetArchiveSet();
    EXPECT_EXIT(archive::OpenArchives(), testing::KilledBySignal(SIGABRT),
                std::string("\\[MessageBox\\] エラー \\| ") + c.message);
  }
}

}  // namespace
