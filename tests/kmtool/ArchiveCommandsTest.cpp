// kmtool pack, list and unpack driven as a game maker would, and read back by the engine's reader.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "archive/ArchiveSet.h"
#include "archive/Scramble.h"
#include "platform/Encoding.h"
#include "support/GameProcess.h"
#include "support/TempDir.h"
#include "support/TestArchive.h"

namespace {

using ToolRun = testsupport::ProcessResult;

// stdout and stderr together.
ToolRun Kmtool(const std::string& arguments) {
  return testsupport::RunCommand(std::string(KM_KMTOOL) + " " + arguments, "", true);
}

std::string Quoted(const std::string& path) { return "'" + path + "'"; }

TEST(KmtoolArchive, PackListUnpackAndTheEngineReadsIt) {
  testsupport::TempDir work;
  const std::string eventText = "@[WaitClick]\r\n終了しますか？\r\n";
  const std::string luaText = "\xEF\xBB\xBFtitle = \"タイトル\"\n";  // with a byte-order mark
  const std::string picture("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
  work.write("src/0first.evt", eventText);
  work.write("src/main.lua", luaText);
  work.write("src/画像/タイトル.png", picture);
  work.write("src/obj/back01.jpg", "jpeg bytes");
  work.write("game/readme.txt", "not packed");

  const std::string archivePath = work.path() + "/game/data.pkg";
  ToolRun pack =
      Kmtool("pack " + Quoted(archivePath) + " -C " + Quoted(work.path() + "/src") + " --utf8-evt --scramble-evt");
  ASSERT_EQ(pack.exitCode, 0) << pack.out;

  // Sorted by stored name; names are printed in UTF-8 with the stored '\'.
  const std::string eventCp932 = platform::utf8ToCp932(eventText);
  const std::string luaCp932 = platform::utf8ToCp932(luaText.substr(3));
  const size_t dataStart = 8 + 136 * 4;
  const std::vector<std::string> expectedLines = {
      "0first.evt\t" + std::to_string(eventCp932.size()) + "\t" + std::to_string(dataStart),
      "main.lua\t" + std::to_string(luaCp932.size()) + "\t" + std::to_string(dataStart + eventCp932.size()),
      "obj\\back01.jpg\t10\t" + std::to_string(dataStart + eventCp932.size() + luaCp932.size()),
      "画像\\タイトル.png\t16\t" + std::to_string(dataStart + eventCp932.size() + luaCp932.size() + 10),
  };
  ToolRun list = Kmtool("list " + Quoted(archivePath));
  ASSERT_EQ(list.exitCode, 0) << list.out;
  std::string expectedList;
  for (const std::string& line : expectedLines) expectedList += line + "\n";
  EXPECT_EQ(list.out, expectedList);

  ToolRun unpack = Kmtool("unpack " + Quoted(archivePath) + " -C " + Quoted(work.path() + "/out"));
  ASSERT_EQ(unpack.exitCode, 0) << unpack.out;
  EXPECT_EQ(testsupport::readAll(work.path() + "/out/画像/タイトル.png"),
            std::vector<uint8_t>(picture.begin(), picture.end()));
  EXPECT_EQ(testsupport::readAll(work.path() + "/out/main.lua"),
            std::vector<uint8_t>(luaCp932.begin(), luaCp932.end()));
  // unpack removes the archive scrambling only: the event script keeps its second layer.
  std::vector<uint8_t> unpackedEvent = testsupport::readAll(work.path() + "/out/0first.evt");
  EXPECT_TRUE(archive::UndoEventScriptLayer("0first.evt", unpackedEvent.data(), unpackedEvent.size()));
  EXPECT_EQ(std::string(unpackedEvent.begin(), unpackedEvent.end()), eventCp932);

  // The engine's reader, in the game folder.
  testsupport::ScopedChdir into(work.path() + "/game");
  ASSERT_TRUE(archive::OpenArchives());
  std::vector<uint8_t> bytes;
  archive::FileSource source;
  ASSERT_TRUE(archive::LoadGameFile("0first.evt", bytes, SIZE_MAX, &source));
  EXPECT_EQ(source, archive::FileSource::Archive);
  EXPECT_TRUE(archive::UndoEventScriptLayer("0first.evt", bytes.data(), bytes.size()));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), eventCp932);
  ASSERT_TRUE(archive::LoadGameFile(platform::utf8ToCp932("タイトル.png"), bytes));
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), picture);
  archive::resetArchiveSet();
}

TEST(KmtoolArchive, RefusalsAndBadOptions) {
  testsupport::TempDir work;
  // An odd-length text keeps its last byte under the layer, so a final line feed stays.
  work.write("odd/a.evt", "AB\n");
  work.write("even/b.evt", "AB\r\n");
  work.write("noeol/c.evt", "AB");  // plain, but the game would undo a layer it does not have
  const std::string dir = Quoted(work.path());
  struct Case {
    std::string arguments;
    int exitCode;
    std::string says;  // part of the output
  };
  const Case cases[] = {
      {"pack " + dir + "/odd.pkg -C " + dir + "/odd --scramble-evt", 1, "line feed"},
      {"pack " + dir + "/even.pkg -C " + dir + "/even --scramble-evt", 0, ""},
      {"pack " + dir + "/noeol.pkg -C " + dir + "/noeol", 0, "warning: the text does not end in a line feed"},
      {"pack " + dir + "/noeol2.pkg -C " + dir + "/noeol --scramble-evt", 0, ""},
      {"pack " + dir + "/x.pkg -C " + dir + "/missing", 1, "no such file"},
      {"pack " + dir + "/x.pkg", 2, "usage"},
      {"pack " + dir + "/x.pkg -C " + dir + "/odd --frobnicate", 2, "unknown option"},
      {"list", 2, "usage"},
      {"list " + dir + "/nothing.pkg", 1, "cannot open"},
      {"unpack " + dir + "/even.pkg", 2, "usage"},
      {"", 2, "usage"},
      {"frobnicate", 2, "unknown command"},
  };
  for (const Case& c : cases) {
    ToolRun run = Kmtool(c.arguments);
    EXPECT_EQ(run.exitCode, c.exitCode) << c.arguments << "\n" << run.out;
    EXPECT_NE(run.out.find(c.says), std::string::npos) << c.arguments << "\n" << run.out;
  }
  EXPECT_FALSE(std::filesystem::exists(work.path() + "/odd.pkg"));
}

// A hostile archive must not make unpack write outside DIR; the sound entries still come out.
TEST(KmtoolArchive, UnpackKeepsEntriesInsideTheFolder) {
  testsupport::TempDir work;
  work.write("hostile.pkg", archivetest::BuildArchive({{"..\\escaped.txt", "outside"},
                                                       {"/etc/escaped.txt", "absolute"},
                                                       {"sub\\..\\..\\escaped2.txt", "outside"},
                                                       {"fine\\ok.txt", "inside"}}));
  ToolRun run = Kmtool("unpack " + Quoted(work.path() + "/hostile.pkg") + " -C " + Quoted(work.path() + "/out"));
  EXPECT_EQ(run.exitCode, 1) << run.out;
  EXPECT_FALSE(std::filesystem::exists(work.path() + "/escaped.txt"));
  EXPECT_FALSE(std::filesystem::exists(work.path() + "/escaped2.txt"));
  EXPECT_EQ(testsupport::readAll(work.path() + "/out/fine/ok.txt"),
            std::vector<uint8_t>({'i', 'n', 's', 'i', 'd', 'e'}));
  // An absolute stored name lands inside DIR.
  EXPECT_EQ(testsupport::readAll(work.path() + "/out/etc/escaped.txt").size(), 8u);
}

}  // namespace
