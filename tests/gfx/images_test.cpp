// Images: the ink mask rules, the asset lookup order, and textures made from files under Xvfb.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "gfx/images.h"
#include "platform/images.h"
#include "platform/process.h"
#include "tests/gfx/gl_fixture.h"
#include "tests/support/test_support.h"

namespace {

std::vector<uint8_t> Pixels(std::initializer_list<std::array<uint8_t, 4>> px) {
  std::vector<uint8_t> out;
  for (const auto& p : px) out.insert(out.end(), p.begin(), p.end());
  return out;
}

std::vector<uint8_t> Alphas(const std::vector<uint8_t>& rgba) {
  std::vector<uint8_t> a;
  for (size_t i = 3; i < rgba.size(); i += 4) {
    EXPECT_EQ(rgba[i - 3], 255);
    EXPECT_EQ(rgba[i - 2], 255);
    EXPECT_EQ(rgba[i - 1], 255);
    a.push_back(rgba[i]);
  }
  return a;
}

TEST(MakeInkMask, OpaqueDrawingsUseDarknessTransparentOnesTheirAlpha) {
  const struct { const char* name; std::vector<uint8_t> rgba, alphas; } cases[] = {
      {"black on white paper", Pixels({{255, 255, 255, 255}, {0, 0, 0, 255}, {127, 127, 127, 255}, {230, 230, 230, 255}}),
       {0, 255, 28, 0}},  // 50 % grey: 0.502^3.2 x 255 = 28.1; paper above 0.86 luminance -> 0
      {"all transparent counts as opaque", Pixels({{0, 0, 0, 0}, {255, 255, 255, 0}}), {255, 0}},
      {"real transparency", Pixels({{0, 0, 0, 0}, {0, 0, 0, 255}, {0, 0, 0, 4}, {90, 90, 90, 128}}), {0, 255, 0, 128}},
      {"faint ink below the cut", Pixels({{200, 200, 200, 255}, {0, 0, 0, 255}}), {0, 255}},
  };
  for (const auto& c : cases) {
    std::vector<uint8_t> rgba = c.rgba;
    MakeInkMask(rgba);
    EXPECT_EQ(Alphas(rgba), c.alphas) << c.name;
  }
}

TEST(FindFirstExistingFile, FoldersOuterNamesInner) {
  TempDir dir;
  WriteFileBytes(dir.File("one/treble_clef.png"), "x");
  WriteFileBytes(dir.File("two/trebleclef.png"), "x");
  WriteFileBytes(dir.File("two/bassclef.jp"), "x");
  std::filesystem::create_directories(dir.File("one/bassclef.jpg"));  // a folder is no file
  std::string out = "stale";
  EXPECT_TRUE(FindFirstExistingFile({dir.File("one"), dir.File("two/")}, {"trebleclef.png", "treble_clef.png"}, out));
  EXPECT_EQ(out, dir.File("one/treble_clef.png"));
  EXPECT_TRUE(FindFirstExistingFile({dir.File("one"), dir.File("two")}, {"bassclef.jpg", "bassclef.jp"}, out));
  EXPECT_EQ(out, dir.File("two/bassclef.jp"));
  EXPECT_FALSE(FindFirstExistingFile({dir.File("one")}, {"none.png"}, out));
  EXPECT_EQ(out, "");
}

class ImageTextures : public GlFixture {};

DecodedImage Solid(int w, int h, std::array<uint8_t, 4> rgba) {
  DecodedImage img{w, h, {}};
  for (int i = 0; i < w * h; ++i) img.rgba.insert(img.rgba.end(), rgba.begin(), rgba.end());
  return img;
}

TEST_F(ImageTextures, LoadReplaceAndRefuse) {
  TempDir dir;
  ASSERT_TRUE(SaveImageFile(dir.File("red.png"), Solid(6, 3, {255, 0, 0, 255})));
  WriteFileBytes(dir.File("broken.png"), "nope");

  ImageTexture tex;
  ASSERT_TRUE(LoadImageTexture(dir.File("red.png"), tex));
  EXPECT_NE(tex.texture, 0u);
  EXPECT_EQ(std::make_pair(tex.width, tex.height), std::make_pair(6, 3));
  uint32_t first = tex.texture;
  ASSERT_TRUE(LoadInkTexture(dir.File("red.png"), tex));  // replaces the old texture
  EXPECT_FALSE(glIsTexture(first) && first != tex.texture);
  EXPECT_FALSE(LoadImageTexture(dir.File("broken.png"), tex));
  EXPECT_FALSE(LoadImageTexture("", tex));
  EXPECT_GE(MaxImageSide(), 1024);
  EXPECT_LE(MaxImageSide(), 16384);

  // Drawn, the texture shows its colour.
  glEnable(GL_TEXTURE_2D);
  ASSERT_TRUE(LoadImageTexture(dir.File("red.png"), tex));
  glBindTexture(GL_TEXTURE_2D, tex.texture);
  glColor4f(1, 1, 1, 1);
  glBegin(GL_QUADS);
  glTexCoord2f(0, 0); glVertex2f(10, 10);
  glTexCoord2f(1, 0); glVertex2f(70, 10);
  glTexCoord2f(1, 1); glVertex2f(70, 40);
  glTexCoord2f(0, 1); glVertex2f(10, 40);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  std::vector<uint8_t> frame = ReadFrame();
  const uint8_t* p = &frame[(size_t(25) * kWidth + 40) * 4];
  EXPECT_EQ(p[0], 255);
  EXPECT_EQ(p[1], 0);
}

TEST_F(ImageTextures, SplashNeededForMarkAndWordmark) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  // Started from the folder too: the build's own images beside the test programs stay out of reach.
  std::string startedIn = ProcessWorkingDir();
  ProcessSetWorkingDir(dir.path());
  DecodedImage img = Solid(2, 2, {200, 200, 200, 200});
  ASSERT_TRUE(SaveImageFile(dir.File("tv_mark.png"), img));
  EXPECT_FALSE(LoadSplashTextures());  // the mark alone is not enough
  EXPECT_EQ(gMarkImage.texture + gSplashImage.texture, 0u);
  ASSERT_TRUE(SaveImageFile(dir.File("splash_hero.jpg"), img));
  EXPECT_TRUE(LoadSplashTextures());
  EXPECT_NE(gSplashImage.texture * gMarkImage.texture, 0u);
  EXPECT_EQ(gWordmarkImage.texture, 0u);
  FreeSplashTextures();
  EXPECT_EQ(gSplashImage.texture, 0u);
  EXPECT_EQ(gMarkImage.width, 0);
  ProcessSetWorkingDir(startedIn);
}

}  // namespace
