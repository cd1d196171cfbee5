// Pictures decoded ahead at start-up: the factory's textures are the same texel for texel as
// when it decodes the file itself, each picture is handed out once, and files that do not
// decode or do not exist fall back to the usual load and its message.
#include <gtest/gtest.h>

#include <cstring>

#include "LayerWorld.h"
#include "layer/PicturePrefetch.h"

namespace {

using namespace layertest;

// Every level's texels, as a lock shows them.
std::vector<std::vector<uint32_t>> levelsOf(const gfx::TexturePtr& texture) {
  std::vector<std::vector<uint32_t>> out;
  for (int32_t k = 0; texture && k < texture->levelCount(); ++k) {
    gfx::LockedRect lr;
    if (texture->lockRect(k, lr) != gfx::result::Ok) break;
    out.emplace_back();
    for (int32_t y = 0; y < texture->height(k); ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(lr.bits + y * lr.pitch);
      out.back().insert(out.back().end(), row, row + texture->width(k));
    }
    texture->unlockRect(k);
  }
  return out;
}

gfx::Image gradient(int32_t w, int32_t h) {
  return makeImage(w, h, [](int32_t x, int32_t y) { return 0xFF000000u | uint32_t(x * 9) << 16 | uint32_t(y * 5); });
}

TEST(PicturePrefetch, TexturesAreTheSameAsWhenDecodedOnLoad) {
  LayerWorld world;
  world.picture("bg.png", gradient(37, 21));
  world.picture("chara.png", solidImage(5, 9, 0x80FF0000u));
  world.write("broken.png", std::string("\x89PNG\r\n\x1a\nnot a picture", 21));
  layer::C_TextureFact& f = *engine::context().textureFact;

  // The same pictures loaded without the prefetch, for comparison.
  gfx::TexturePtr plainBg, plainChara;
  gfx::ImageInfo plainInfo;
  ASSERT_EQ(layer::loadTexture("bg.png", 0, 0, gfx::Pool::Managed, plainBg, &plainInfo), gfx::result::Ok);
  ASSERT_EQ(layer::loadTexture("chara.png", 0, 0, gfx::Pool::Managed, plainChara), gfx::result::Ok);

  layer::PrefetchPictures({"bg.png", "missing.png", "broken.png", "bg.png", "chara.png"});
  layer::TextureEntry* bg = f.acquireTexture("bg.png");
  ASSERT_TRUE(bg && bg->texture);
  EXPECT_EQ(bg->info.imageWidth, 37);
  EXPECT_EQ(bg->info.imageHeight, 21);
  EXPECT_EQ(bg->texture->width(0), 64);
  EXPECT_EQ(bg->texture->levelCount(), plainBg->levelCount());
  EXPECT_EQ(levelsOf(bg->texture), levelsOf(plainBg));
  gfx::TexturePtr chara;
  gfx::ImageInfo info;
  ASSERT_EQ(layer::loadTexture("chara.png", 16, 16, gfx::Pool::Managed, chara, &info), gfx::result::Ok);
  EXPECT_EQ(info.width, 5u);
  EXPECT_EQ(info.fileFormat, gfx::ImageFileFormat::Png);
  EXPECT_EQ(chara->width(0), 16) << "a size asked for still applies";
  gfx::ImageInfo unused;
  gfx::TextureLevels taken;
  gfx::TexturePtr made;
  EXPECT_FALSE(layer::TakePrefetchedPicture("chara.png", world.device(), unused, taken, made)) << "handed out once";

  // A file that does not decode loads as usual and fails there, with its message.
  layer::TextureEntry* broken = f.acquireTexture("broken.png");
  ASSERT_TRUE(broken);
  EXPECT_FALSE(broken->texture);
  EXPECT_EQ(world.boxes().size(), 1u);
  EXPECT_FALSE(layer::TakePrefetchedPicture("missing.png", world.device(), unused, taken, made));
  layer::StopPicturePrefetch();
}

TEST(PicturePrefetch, StoppingDropsWhatWasNotTaken) {
  LayerWorld world;
  world.picture("a.png", gradient(8, 8));
  world.picture("b.png", gradient(9, 9));
  layer::PrefetchPictures({"a.png", "b.png"});
  layer::StopPicturePrefetch();
  gfx::ImageInfo info;
  gfx::TextureLevels levels;
  gfx::TexturePtr made;
  EXPECT_FALSE(layer::TakePrefetchedPicture("a.png", world.device(), info, levels, made));
  // A new prefetch replaces the last one.
  layer::PrefetchPictures({"a.png"});
  layer::PrefetchPictures({"b.png"});
  EXPECT_FALSE(layer::TakePrefetchedPicture("a.png", world.device(), info, levels, made));
  ASSERT_TRUE(layer::TakePrefetchedPicture("b.png", world.device(), info, levels, made));
  EXPECT_FALSE(made) << "no texture made ahead without a readied device";
  EXPECT_EQ(info.width, 9u);
  // 9 x 9 stretched to 16 x 16, down to 1 x 1.
  gfx::TextureLevels expected;
  ASSERT_EQ(gfx::buildTextureLevels(gradient(9, 9), 0, 0, 0, expected), gfx::result::Ok);
  ASSERT_EQ(levels.levels.size(), 5u);
  for (size_t k = 0; k < levels.levels.size(); ++k) EXPECT_EQ(levels.levels[k].pixels, expected.levels[k].pixels) << k;
  layer::StopPicturePrefetch();
}

// With a device readied during the start-up questions, the pictures become textures on it at
// once. The device is taken when the answers keep its size, and so are the textures; otherwise
// they go before it does and the pictures load as usual.
TEST(PicturePrefetch, TexturesMadeOnTheReadiedDeviceServeOnlyThatDevice) {
  struct Case {
    const char* name;
    int32_t readiedWidth;
    bool madeAhead;
  };
  for (const Case& c : {Case{"device taken", 64, true}, Case{"device replaced", 80, false}}) {
    SCOPED_TRACE(c.name);
    testsupport::TempDir dir;
    testsupport::ScopedChdir cd(dir.path());
    dir.write("lambart.fx", "// lambert\n");
    dir.write("ShadowMap.fx", "// shadow\n");
    dir.write("bg.png", testsupport::pngBytes(gradient(37, 21)));
    engine::resetEngine();
    archive::resetArchiveSet();
    engine::PrepareRenderDevice(c.readiedWidth, 48);
    layer::PrefetchPictures({"bg.png"});
    layer::MakePrefetchedTextures();
    engine::context().screenWidth = 64;
    engine::context().screenHeight = 48;
    ASSERT_TRUE(engine::CreateRenderDevice(layer::createDeviceResources));
    gfx::Device& d = *engine::context().device;

    gfx::ImageInfo info;
    gfx::TextureLevels levels;
    gfx::TexturePtr made;
    EXPECT_EQ(layer::TakePrefetchedPicture("bg.png", d, info, levels, made), c.madeAhead);
    EXPECT_EQ(bool(made), c.madeAhead);
    EXPECT_TRUE(levels.levels.empty());
    gfx::TexturePtr plain;
    ASSERT_EQ(layer::loadTexture("bg.png", 0, 0, gfx::Pool::Managed, plain), gfx::result::Ok);
    if (c.madeAhead) {
      EXPECT_EQ(info.width, 37u);
      EXPECT_EQ(levelsOf(made), levelsOf(plain));
    }
    made.reset();
    plain.reset();
    layer::StopPicturePrefetch();
    engine::DestroyRenderDevice();
  }
}

}  // namespace
