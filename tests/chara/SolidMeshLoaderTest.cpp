// Mesh files of solid characters: both text dialects and the binary format, their defaults,
// and what each kind of bad input gets.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "chara/SolidMesh.h"
#include "chara/SolidMeshLoader.h"

namespace {

using chara::SolidMeshData;

// A 3-vertex, 1-triangle mesh in the mesh dialect; parts can be replaced.
std::string MeshText(const std::string& positions = "0.5f,-0.5f,1f,\n-0.5f,-0.5f,2f,\n0f,0.5f,3f,\n",
                     const std::string& rates = "shakeReturnRates = {\n1f,0f,-1f,\n};\n") {
  return "vertexCount = 3;\nindexCount = 3;\nshakeRate = 2.0;\npicFileName = \"chara\\body.png\";\n"
         "position = {\n" +
         positions +
         "};\n"
         "index = {\n0,1,2,\n};\n"
         "uv = {\n1f,1f,0f,1f,0.5f,0f,\n};\n"
         "shakeWeights = {\n0f,-1f,-0.5f,\n};\n" +
         rates;
}

TEST(SolidMeshText, MeshDialectReadsEveryBlock) {
  SolidMeshData d;
  ASSERT_TRUE(chara::ParseMeshText(MeshText(), d));
  EXPECT_EQ(d.vertexCount, 3);
  EXPECT_EQ(d.indexCount, 3);
  EXPECT_FLOAT_EQ(d.shakeRate, 2.0f);
  EXPECT_EQ(d.pictureName, "chara\\body.png");
  EXPECT_EQ(d.positions, (std::vector<float>{0.5f, -0.5f, 1, -0.5f, -0.5f, 2, 0, 0.5f, 3}));
  EXPECT_EQ(d.indices, (std::vector<uint16_t>{0, 1, 2}));
  EXPECT_EQ(d.uvs, (std::vector<float>{1, 1, 0, 1, 0.5f, 0}));
  EXPECT_EQ(d.weights, (std::vector<float>{0, -1, -0.5f}));
  EXPECT_EQ(d.returnRates, (std::vector<float>{1, 0, -1}));
}

TEST(SolidMeshText, ValuesWithoutTerminatorsAndMissingBlocks) {
  struct Case {
    const char* what;
    std::string text;
    std::vector<float> positions;
    std::vector<float> returnRates;
  };
  const Case cases[] = {
      // The last value lacks its "f,": it is not read and stays 0 (never stale memory).
      {"last value unterminated",
       MeshText("0.5f,-0.5f,1f,\n-0.5f,-0.5f,2f,\n0f,0.5f,3\n"),
       {0.5f, -0.5f, 1, -0.5f, -0.5f, 2, 0, 0.5f, 0},
       {1, 0, -1}},
      // Fewer values than the count: the rest are 0.
      {"short block", MeshText("1f,2f,3f,\n"), {1, 2, 3, 0, 0, 0, 0, 0, 0}, {1, 0, -1}},
      // No return-rate block: every rate is -1 (which becomes 0.95).
      {"no return rates", MeshText(), {0.5f, -0.5f, 1, -0.5f, -0.5f, 2, 0, 0.5f, 3}, {-1, -1, -1}},
  };
  for (const Case& c : cases) {
    std::string text = c.text;
    if (std::string(c.what) == "no return rates") text = MeshText().substr(0, MeshText().find("shakeReturnRates"));
    SolidMeshData d;
    ASSERT_TRUE(chara::ParseMeshText(text, d)) << c.what;
    EXPECT_EQ(d.positions, c.positions) << c.what;
    EXPECT_EQ(d.returnRates, c.returnRates) << c.what;
  }
}

TEST(SolidMeshText, MissingPositionBlockLeavesTheSearchWhereItWas) {
  std::string text = MeshText();
  text.replace(text.find("position"), 8, "xxxxxxxx");
  SolidMeshData d;
  ASSERT_TRUE(chara::ParseMeshText(text, d));
  EXPECT_EQ(d.positions, std::vector<float>(9, 0.0f));
  // The index search then starts at the beginning: "index" matches "indexCount", and the
  // first block after it (the renamed one) is read with "," terminators.
  EXPECT_EQ(d.indices, (std::vector<uint16_t>{0, 0, 1}));
  EXPECT_EQ(d.weights, (std::vector<float>{0, -1, -0.5f}));
}

TEST(SolidMeshText, BadInputIsRefusedOrMadeHarmless) {
  SolidMeshData d;
  std::string error;
  // Counts of 0, negative or beyond 16 bits: no mesh.
  for (const char* counts :
       {"vertexCount = 0;\nindexCount = 3;\n", "vertexCount = -4;\nindexCount = 3;\n",
        "vertexCount = 3;\nindexCount = 0;\n", "vertexCount = 40000;\nindexCount = 3;\n", "indexCount = 3;\n"}) {
    EXPECT_FALSE(chara::ParseMeshText(counts, d, &error)) << counts;
    EXPECT_FALSE(error.empty());
  }
  // Not-finite and huge coordinates become 0 or are cut to +-1000.
  ASSERT_TRUE(chara::ParseMeshText(MeshText("nanf,inff,1e30f,\n-1e30f,0f,0f,\n0f,0f,0f,\n"), d));
  EXPECT_EQ(d.positions[0], 0.0f);
  EXPECT_EQ(d.positions[1], 0.0f);
  EXPECT_EQ(d.positions[2], 1000.0f);
  EXPECT_EQ(d.positions[3], -1000.0f);
  // An index at or past the vertex count (or negative) empties its triangle.
  std::string text = MeshText();
  text.replace(text.find("0,1,2,"), 6, "0,1,3,");
  ASSERT_TRUE(chara::ParseMeshText(text, d));
  EXPECT_EQ(d.indices, (std::vector<uint16_t>{0, 0, 0}));
  text.replace(text.find("0,1,3,"), 6, "0,-1,2");
  ASSERT_TRUE(chara::ParseMeshText(text, d));
  EXPECT_EQ(d.indices, (std::vector<uint16_t>{0, 0, 0}));
  // A text longer than the reading buffer is cut there: a block past it is missing.
  std::string longText = MeshText();
  longText.insert(longText.find("shakeWeights"), chara::MaxMeshTextBytes, ' ');
  ASSERT_TRUE(chara::ParseMeshText(longText, d));
  EXPECT_EQ(d.weights, std::vector<float>(3, 0.0f));
  EXPECT_EQ(d.returnRates, std::vector<float>(3, -1.0f));
}

TEST(SolidMeshText, FlatDialectIsOneQuadOfThePicturesProportions) {
  SolidMeshData d;
  ASSERT_TRUE(chara::ParseFlatText("picWidth = 200;\npicHeight = 400;\npicFileName = \"a.png\";\n", d));
  EXPECT_EQ(d.pictureName, "a.png");
  EXPECT_EQ(d.vertexCount, 4);
  EXPECT_EQ(d.indexCount, 6);
  EXPECT_EQ(d.positions, (std::vector<float>{0.5f, -1, 0, -0.5f, -1, 0, -0.5f, 1, 0, 0.5f, 1, 0}));
  EXPECT_EQ(d.uvs, (std::vector<float>{1, 1, 0, 1, 0, 0, 1, 0}));
  EXPECT_EQ(d.indices, (std::vector<uint16_t>{0, 1, 2, 3, 0, 2}));
  EXPECT_EQ(d.shakeRate, 0.0f);
  EXPECT_EQ(d.weights, std::vector<float>(4, 0.0f));
  EXPECT_EQ(d.returnRates, std::vector<float>(4, 0.0f));
  // Sizes that give no quad (0, negative, missing, not finite) are refused.
  for (const char* bad : {"picWidth = 0;\npicHeight = 10;\n", "picWidth = -5;\npicHeight = 10;\n", "picHeight = 10;\n",
                          "picWidth = nan;\npicHeight = 10;\n"})
    EXPECT_FALSE(chara::ParseFlatText(bad, d)) << bad;
}

// ---- Binary ----

struct Sld {
  std::vector<uint8_t> bytes;
  template <typename T>
  void put(size_t at, T v) {
    if (bytes.size() < at + sizeof v) bytes.resize(at + sizeof v);
    std::memcpy(bytes.data() + at, &v, sizeof v);
  }
  template <typename T>
  void add(T v) {
    put(bytes.size(), v);
  }
};

Sld MakeSld(int16_t vertices, int16_t indices, bool withRates) {
  Sld s;
  s.bytes.assign(276, 0);
  s.put<int16_t>(0, vertices);
  s.put<int16_t>(8, indices);
  s.put<float>(16, 3.0f);
  std::memcpy(s.bytes.data() + 28, "body.png", 8);
  for (int i = 0; i < vertices * 3; ++i) s.add<float>(float(i));
  for (int i = 0; i < indices; ++i) s.add<uint16_t>(uint16_t(i % vertices));
  for (int i = 0; i < vertices * 2; ++i) s.add<float>(0.25f * float(i));
  for (int i = 0; i < vertices; ++i) s.add<float>(-1.0f);
  if (withRates)
    for (int i = 0; i < vertices; ++i) s.add<float>(0.5f);
  return s;
}

TEST(SolidMeshBinary, ReadsTheLayoutAndTheReturnRateDefault) {
  SolidMeshData d;
  Sld s = MakeSld(3, 3, true);
  ASSERT_TRUE(chara::ParseMeshBinary(s.bytes.data(), s.bytes.size(), "chara\\", d));
  EXPECT_EQ(d.vertexCount, 3);
  EXPECT_EQ(d.indexCount, 3);
  EXPECT_EQ(d.shakeRate, 3.0f);
  EXPECT_EQ(d.pictureName, "chara\\body.png");
  EXPECT_EQ(d.positions, (std::vector<float>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(d.indices, (std::vector<uint16_t>{0, 1, 2}));
  EXPECT_EQ(d.uvs, (std::vector<float>{0, 0.25f, 0.5f, 0.75f, 1, 1.25f}));
  EXPECT_EQ(d.weights, std::vector<float>(3, -1.0f));
  EXPECT_EQ(d.returnRates, std::vector<float>(3, 0.5f));
  // Without the rates (the file ends after the weights) every rate is 1.
  s = MakeSld(3, 3, false);
  ASSERT_TRUE(chara::ParseMeshBinary(s.bytes.data(), s.bytes.size(), "", d));
  EXPECT_EQ(d.returnRates, std::vector<float>(3, 1.0f));
}

TEST(SolidMeshBinary, BadFilesAreRefusedOrMadeHarmless) {
  SolidMeshData d;
  const Sld good = MakeSld(3, 6, false);
  // Shorter than the header, than the counts say, counts 0 or negative: refused.
  for (size_t cut : {size_t(0), size_t(100), size_t(275), good.bytes.size() - 1}) {
    EXPECT_FALSE(chara::ParseMeshBinary(good.bytes.data(), cut, "", d)) << cut;
  }
  for (auto [v, i] : {std::pair<int16_t, int16_t>{0, 3}, {-3, 3}, {3, 0}, {3, -6}}) {
    Sld s = good;
    s.put<int16_t>(0, v);
    s.put<int16_t>(8, i);
    EXPECT_FALSE(chara::ParseMeshBinary(s.bytes.data(), s.bytes.size(), "", d)) << v << " " << i;
  }
  // A picture name without its zero ends at the field's end.
  Sld s = good;
  std::memset(s.bytes.data() + 28, 'a', 248);
  ASSERT_TRUE(chara::ParseMeshBinary(s.bytes.data(), s.bytes.size(), "", d));
  EXPECT_EQ(d.pictureName, std::string(248, 'a'));
  // An index past the vertex count empties its triangle only; NaN coordinates become 0.
  s = good;
  s.put<uint16_t>(276 + 36 + 2 * 4, 3);
  s.put<float>(276, std::numeric_limits<float>::quiet_NaN());
  ASSERT_TRUE(chara::ParseMeshBinary(s.bytes.data(), s.bytes.size(), "", d));
  EXPECT_EQ(d.indices, (std::vector<uint16_t>{0, 1, 2, 0, 0, 0}));
  EXPECT_EQ(d.positions[0], 0.0f);
}

TEST(SolidMesh, TakingDataScalesTheShakeAndKeepsTheBoundsAsRead) {
  SolidMeshData d;
  ASSERT_TRUE(chara::ParseMeshText(MeshText(), d));
  chara::SolidMesh m;
  m.autoShakeOn = true;
  m.autoPeriod = 1.0f;
  chara::TakeMeshData(m, std::move(d));
  EXPECT_FLOAT_EQ(m.minX, -0.5f);
  EXPECT_FLOAT_EQ(m.maxX, 0.5f);
  EXPECT_FLOAT_EQ(m.minY, -0.5f);
  EXPECT_FLOAT_EQ(m.maxY, 0.5f);
  EXPECT_FLOAT_EQ(m.minZ, 1.0f);
  EXPECT_FLOAT_EQ(m.maxZ, 3.0f);
  // weight x shakeRate; z x shakeRate x 0.1; return rate 0.85 - r x 0.1 (1 -> 0.75, 0 -> 0.85,
  // the text default -1 -> 0.95).
  EXPECT_EQ(m.weights, (std::vector<float>{0, -2, -1}));
  EXPECT_FLOAT_EQ(m.positions[2], 0.2f);
  EXPECT_FLOAT_EQ(m.positions[8], 0.6f);
  EXPECT_FLOAT_EQ(m.returnRates[0], 0.75f);
  EXPECT_FLOAT_EQ(m.returnRates[1], 0.85f);
  EXPECT_FLOAT_EQ(m.returnRates[2], 0.95f);
  EXPECT_FALSE(m.autoShakeOn);
  EXPECT_FLOAT_EQ(m.autoPeriod, 159.155f);
  EXPECT_EQ(m.displacement, std::vector<float>(9, 0.0f));
}

}  // namespace
