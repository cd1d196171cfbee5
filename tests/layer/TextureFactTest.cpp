// The texture factory: sharing by name, reference counts, picture information, load failures,
// the single-instance rules and the character render target.
#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "LayerWorld.h"

namespace {

using namespace layertest;

TEST(TextureFact, ReferenceCountsKeepAndFreeTheTexture) {
  LayerWorld world;
  world.picture("a.png", solidImage(8, 8, 0xFF102030u));
  layer::C_TextureFact& f = *engine::context().textureFact;

  layer::TextureEntry* first = f.acquireTexture("a.png");
  layer::TextureEntry* second = f.acquireTexture("a.png");
  ASSERT_EQ(first, second);
  const gfx::TexturePtr loaded = first->texture;
  ASSERT_TRUE(loaded);
  EXPECT_EQ(first->refCount, 2);
  f.releaseTexture("a.png");
  EXPECT_EQ(first->texture, loaded) << "one reference left keeps it";
  f.releaseTexture("a.png");
  EXPECT_EQ(first->texture, nullptr) << "the last reference frees it";
  EXPECT_EQ(f.textures.size(), 1u) << "the entry stays";
  EXPECT_EQ(f.getPictureInfo("a.png").imageWidth, 8);
  f.releaseTexture("a.png");  // below zero: nothing happens
  EXPECT_EQ(first->refCount, 0);
  layer::TextureEntry* again = f.acquireTexture("a.png");
  ASSERT_TRUE(again->texture);
  EXPECT_NE(again->texture, loaded) << "acquired again, the file is loaded again";
  EXPECT_EQ(again->refCount, 1);
}

TEST(TextureFact, LayersGiveBackExactlyTheReferencesTheyTook) {
  LayerWorld world;
  world.picture("a.png", solidImage(8, 8, 0xFF102030u));
  world.picture("b.png", solidImage(8, 8, 0xFF405060u));
  world.picture("d.png", solidImage(2, 2, 0x80FFFFFFu));
  layer::C_TextureFact& f = *engine::context().textureFact;
  auto count = [&](const char* name) { return f.textures.at(name).refCount; };
  auto keeper = std::make_unique<layer::C_BaseCharaLayer>();
  keeper->setPicture("a.png", nullptr, false);
  layer::C_BaseCharaLayer l;
  l.setPicture("a.png", nullptr, false);
  EXPECT_EQ(count("a.png"), 2);
  // A new picture on a slot that still holds one gives the old one back.
  l.setPicture("b.png", nullptr, false);
  EXPECT_EQ(count("a.png"), 1);
  EXPECT_EQ(count("b.png"), 1);
  // A composed picture takes no reference of its base file.
  l.setPictureComposite("a.png", "d.png", 0, 0, false);
  EXPECT_EQ(count("b.png"), 0);
  EXPECT_EQ(count("a.png"), 1);
  // Set again without a file, the composed texture is still the slot's own: releasing it leaves
  // the factory alone.
  l.setPicture("", nullptr, false);
  l.releasePicture(false);
  EXPECT_EQ(count("a.png"), 1);
  EXPECT_TRUE(f.textures.at("a.png").texture) << "the keeper's picture is still loaded";
  keeper.reset();
  EXPECT_EQ(count("a.png"), 0);
}

TEST(TextureFact, EachHandleHoldsOneReferenceUntilItIsResetOrGone) {
  LayerWorld world;
  world.picture("a.png", solidImage(8, 8, 0xFF102030u));
  layer::C_TextureFact& f = *engine::context().textureFact;
  auto count = [&] { return f.textures.at("a.png").refCount; };
  EXPECT_FALSE(f.acquire(nullptr)) << "a null name takes nothing";

  layer::TextureRef first = f.acquire("a.png");
  ASSERT_TRUE(first);
  ASSERT_TRUE(first.entry());
  EXPECT_TRUE(first.entry()->texture);
  layer::TextureRef moved = std::move(first);
  EXPECT_FALSE(first);
  EXPECT_EQ(count(), 1) << "a move passes the reference on";
  layer::TextureRef second = f.acquire("a.png");
  EXPECT_EQ(count(), 2);
  second = std::move(moved);
  EXPECT_EQ(count(), 1) << "the handle assigned to gives its own reference back";
  second.reset();
  second.reset();
  EXPECT_EQ(count(), 0) << "given back once";
  EXPECT_FALSE(f.textures.at("a.png").texture);

  // A handle that outlives its factory has nothing to give back to.
  layer::TextureRef orphan = f.acquire("a.png");
  delete std::exchange(engine::context().textureFact, nullptr);
  EXPECT_TRUE(orphan);
  EXPECT_EQ(orphan.entry(), nullptr);
  orphan.reset();
  EXPECT_FALSE(orphan);
}

TEST(TextureFact, PictureInformation) {
  LayerWorld world;
  world.picture("wide.png", solidImage(640, 480, 0xFFFFFFFFu));
  layer::C_TextureFact& f = *engine::context().textureFact;
  struct Case {
    const char* name;
    uint16_t iw, ih, tw, th;
    float rx, ry;
  } cases[] = {{"never.png", 32, 32, 32, 32, 1.0f, 1.0f}, {nullptr, 32, 32, 32, 32, 1.0f, 1.0f}};
  for (const Case& c : cases) {
    const layer::PictureInfo& info = f.getPictureInfo(c.name);
    EXPECT_EQ(info.imageWidth, c.iw);
    EXPECT_EQ(info.textureHeight, c.th);
    EXPECT_FLOAT_EQ(info.ratioX, c.rx);
  }
  f.acquireTexture("wide.png");
  const layer::PictureInfo& info = f.getPictureInfo("wide.png");
  EXPECT_EQ(info.imageWidth, 640);
  EXPECT_EQ(info.imageHeight, 480);
  EXPECT_EQ(info.textureWidth, 1024);
  EXPECT_EQ(info.textureHeight, 512);
  EXPECT_FLOAT_EQ(info.ratioX, 0.625f);
  EXPECT_FLOAT_EQ(info.ratioY, 0.9375f);
}

TEST(TextureFact, BadPicturesShowTheirNameAndGiveNoTexture) {
  LayerWorld world;
  std::vector<uint8_t> png;
  ASSERT_TRUE(gfx::encodePng(solidImage(16, 16, 0xFFFFFFFFu), png));
  world.write("cut.png", std::string(png.begin(), png.begin() + 30));
  world.write("empty.png", "");
  std::string huge(png.begin(), png.end());
  huge[18] = char(0x7F);  // width 0x7F10 (32528): beyond any texture
  world.write("huge.png", huge);
  layer::C_TextureFact& f = *engine::context().textureFact;
  for (const char* name : {"missing.png", "cut.png", "empty.png", "huge.png"}) {
    platform::clearMessageBoxLog();
    layer::TextureEntry* entry = f.acquireTexture(name);
    ASSERT_NE(entry, nullptr) << name;
    EXPECT_EQ(entry->texture, nullptr) << name;
    ASSERT_EQ(world.boxes().size(), 1u) << name;
    EXPECT_EQ(world.boxes()[0], std::string("テクスチャ読み込みエラー | ") + name);
    // The layer showing it draws nothing and does not crash.
    layer::C_BaseCharaLayer layer;
    layer.setPicture(name, nullptr, false);
    EXPECT_EQ(layer.currentPicture().texture, nullptr);
    gfx::SpriteBatch& batch = *layer::spriteBatch();
    batch.begin(gfx::spriteflag::AlphaBlend);
    layer.drawBoth(0.5f);
    batch.end();
  }
}

TEST(TextureFact, SecondFactoryWarnsAndSecondSpriteFactoryEndsTheProcess) {
  LayerWorld world;
  platform::clearMessageBoxLog();
  {
    layer::C_TextureFact second;
    ASSERT_EQ(world.boxes().size(), 1u);
    EXPECT_EQ(world.boxes()[0], "error | C_TextureFactインスタンスは生成しないでください");
  }
  // The renderer runs threads: the death tests re-execute the test instead of forking it.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEATH({ layer::C_SpriteFact another; }, "");
  EXPECT_DEATH(engine::context().spriteFact->init(), "");
}

TEST(TextureFact, PresetsAndTheCharacterRenderTarget) {
  LayerWorld world;
  EXPECT_STREQ(layer::PresetPictureName(0), "obj\\img\\tipCcircle.png");
  EXPECT_STREQ(layer::PresetPictureName(5), "obj\\img\\weaponLine.bmp");
  EXPECT_STREQ(layer::PresetPictureName(6), "");
  EXPECT_STREQ(layer::PresetPictureName(-1), "");

  // Created by the device start-up: a second creation only warns.
  ASSERT_TRUE(layer::charaRenderTargetReady());
  layer::C_Sprite* target = layer::charaRenderTarget();
  EXPECT_EQ(target->width, 1024);
  EXPECT_EQ(target->height, 768);
  platform::clearMessageBoxLog();
  layer::createCharaRenderTarget();
  ASSERT_EQ(world.boxes().size(), 1u);
  EXPECT_EQ(world.boxes()[0], "WORNING | キャラ用レンダリングターゲットがNULLじゃない状態で生成関数が呼ばれた");
  EXPECT_EQ(layer::charaRenderTarget(), target);

  // What is drawn into it shows upright and at its place when it is shown.
  world.picture("dot.png", makeImage(4, 4, [](int32_t, int32_t y) { return y < 2 ? 0xFFFF0000u : 0xFF00FF00u; }));
  layer::C_BaseCharaLayer dot;
  dot.setPicture("dot.png", nullptr, false);
  dot.currentPicture().x = 100;
  dot.currentPicture().y = -50;
  world.clear();
  layer::beginCharaRender(false, false);
  gfx::SpriteBatch& batch = *layer::spriteBatch();
  batch.begin(gfx::spriteflag::AlphaBlend);
  dot.drawBoth(0.5f);
  batch.end();
  layer::endCharaRender(0xFFFFFFFFu);
  const auto p = world.readBack();
  EXPECT_EQ(world.pixel(p, 512 + 100 - 2, 384 - 50 - 2), 0xFF0000u) << hex(world.pixel(p, 610, 332));
  EXPECT_EQ(world.pixel(p, 512 + 100 + 1, 384 - 50 + 1), 0x00FF00u);
  EXPECT_EQ(world.pixel(p, 512 + 100 + 2, 384 - 50), 0u);
  EXPECT_EQ(world.device().getRenderTarget(), world.device().getBackBuffer());
}

}  // namespace
