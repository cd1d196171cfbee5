// MappedFile: the open / mapping / view steps, and the failures a reader must survive.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

#include "platform/System.h"
#include "support/TempDir.h"

namespace {

using testsupport::TempDir;

TEST(MappedFile, MapsTheWholeFileOncePerView) {
  TempDir dir;
  std::string path = dir.write("Data/Game.pkg", "archive bytes");
  platform::MappedFile file;
  ASSERT_TRUE(file.open(dir.path() + "\\data\\GAME.pkg"));  // game-data spelling
  EXPECT_EQ(file.size(), 13u);
  EXPECT_EQ(file.mapView(), nullptr);  // no mapping yet
  ASSERT_TRUE(file.createMapping());

  for (int read = 0; read < 3; ++read) {
    const uint8_t* view = file.mapView();
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(std::memcmp(view, "archive bytes", 13), 0);
    EXPECT_TRUE(file.unmapView());
  }
  EXPECT_FALSE(file.unmapView());  // nothing mapped

  file.closeMapping();
  EXPECT_EQ(file.mapView(), nullptr);
  file.closeFile();
  EXPECT_FALSE(file.createMapping());
}

TEST(MappedFile, RefusesWhatCannotBeMapped) {
  TempDir dir;
  platform::MappedFile file;
  EXPECT_FALSE(file.open(dir.path() + "/missing.pkg"));
  EXPECT_FALSE(file.open(dir.path()));  // a folder
  ASSERT_TRUE(file.open(dir.write("empty.pkg", "")));
  EXPECT_EQ(file.size(), 0u);
  EXPECT_FALSE(file.createMapping());  // an empty file has nothing to map
  EXPECT_EQ(file.mapView(), nullptr);
}

TEST(MappedFile, AFileThatShrankIsNotMapped) {
  TempDir dir;
  std::string path = dir.write("a.pkg", std::string(8192, 'x'));
  platform::MappedFile file;
  ASSERT_TRUE(file.open(path));
  ASSERT_TRUE(file.createMapping());
  std::filesystem::resize_file(path, 10);
  // Reading the old length through a view would fault past the new end.
  EXPECT_EQ(file.mapView(), nullptr);
}

TEST(MappedFile, MovesKeepTheViewWithTheOwner) {
  TempDir dir;
  platform::MappedFile a;
  ASSERT_TRUE(a.open(dir.write("a.pkg", "abcdef")));
  ASSERT_TRUE(a.createMapping());
  const uint8_t* view = a.mapView();
  ASSERT_NE(view, nullptr);

  platform::MappedFile b(std::move(a));
  EXPECT_EQ(b.size(), 6u);
  EXPECT_EQ(b.mapView(), view);  // the same view, still mapped
  EXPECT_EQ(a.mapView(), nullptr);
  EXPECT_EQ(std::memcmp(view, "abcdef", 6), 0);

  platform::MappedFile c;
  ASSERT_TRUE(c.open(dir.write("c.pkg", "zz")));
  c = std::move(b);
  EXPECT_EQ(c.size(), 6u);
  EXPECT_TRUE(c.unmapView());
}

}  // namespace
