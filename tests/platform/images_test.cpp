// Image decoding: the formats round trip, broken and RLE-compressed files are refused, and an
// image past the size limit is refused before its pixels are allocated.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/images.h"
#include "tests/support/test_support.h"

namespace {

DecodedImage Pattern(int w, int h) {
  DecodedImage img{w, h, std::vector<uint8_t>(size_t(w) * h * 4)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &img.rgba[(size_t(y) * w + x) * 4];
      p[0] = uint8_t(x * 255 / std::max(w - 1, 1));
      p[1] = uint8_t(y * 255 / std::max(h - 1, 1));
      p[2] = 40;
      p[3] = uint8_t((x + y) % 2 ? 255 : 128);
    }
  return img;
}

void PutLe(std::string& s, size_t at, uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) s[at + i] = char((v >> (8 * i)) & 0xFF);
}

// A 4 x 2 grey BMP with 8-bit palette; compression 1 is RLE8.
std::string PaletteBmp(uint32_t compression) {
  std::string s(54 + 256 * 4, '\0');
  s[0] = 'B', s[1] = 'M';
  const std::pair<size_t, uint32_t> fields[] = {{10, 54 + 1024}, {14, 40}, {18, 4}, {22, 2}, {30, compression}, {46, 256}};
  for (auto [at, v] : fields) PutLe(s, at, v, 4);
  PutLe(s, 26, 1, 2);  // planes
  PutLe(s, 28, 8, 2);  // bits per pixel
  for (int i = 0; i < 256; ++i) s[54 + 4 * i] = s[55 + 4 * i] = s[56 + 4 * i] = char(i);
  // Runs of 4, end of line, end of bitmap; or the same rows uncompressed.
  s += compression == 1 ? std::string("\x04\x07\x00\x00\x04\x09\x00\x01", 8) : std::string("\x07\x07\x07\x07\x09\x09\x09\x09", 8);
  PutLe(s, 2, uint32_t(s.size()), 4);
  return s;
}

TEST(DecodeImageFile, FormatsRoundTrip) {
  TempDir dir;
  DecodedImage src = Pattern(13, 7);
  const struct {
    const char* file;
    int tolerance;
    bool keepsAlpha;
  } cases[] = {{"a.png", 0, true}, {"b.bmp", 0, true}, {"c.jpg", 40, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    ASSERT_TRUE(SaveImageFile(dir.File(c.file), src));
    DecodedImage got;
    ASSERT_TRUE(DecodeImageFile(dir.File(c.file), 16384, &got));
    ASSERT_EQ(got.width, 13);
    ASSERT_EQ(got.height, 7);
    ASSERT_EQ(got.rgba.size(), src.rgba.size());
    for (size_t i = 0; i < got.rgba.size(); ++i) {
      int want = i % 4 != 3 || c.keepsAlpha ? src.rgba[i] : 255;
      EXPECT_NEAR(got.rgba[i], want, i % 4 == 3 ? 0 : c.tolerance) << "byte " << i;
    }
  }
}

TEST(DecodeImageFile, BrokenFilesAreRefused) {
  TempDir dir;
  ASSERT_TRUE(SaveImageFile(dir.File("good.png"), Pattern(8, 8)));
  std::string png = ReadFileBytes(dir.File("good.png"));
  WriteFileBytes(dir.File("plain.bmp"), PaletteBmp(0));
  DecodedImage got;
  ASSERT_TRUE(DecodeImageFile(dir.File("plain.bmp"), 100, &got));  // the same bitmap uncompressed reads
  EXPECT_EQ(got.width, 4);
  EXPECT_EQ(got.rgba[0], 9);  // bottom-up rows: the first row in the file is the bottom one
  const std::pair<const char*, std::string> cases[] = {
      {"empty.png", ""},
      {"text.png", "this is not an image"},
      {"truncated.png", png.substr(0, png.size() / 2)},
      {"header-only.png", png.substr(0, 33)},
      {"rle8.bmp", PaletteBmp(1)},
  };
  for (const auto& [name, bytes] : cases) {
    WriteFileBytes(dir.File(name), bytes);
    got.width = 99;
    EXPECT_FALSE(DecodeImageFile(dir.File(name), 16384, &got)) << name;
    EXPECT_EQ(got.width, 0) << name;
    EXPECT_TRUE(got.rgba.empty()) << name;
  }
  EXPECT_FALSE(DecodeImageFile(dir.File("missing.png"), 16384, &got));
  EXPECT_FALSE(DecodeImageFile("", 16384, &got));
}

TEST(DecodeImageFile, SizeLimitRefusesBeforeDecoding) {
  TempDir dir;
  ASSERT_TRUE(SaveImageFile(dir.File("wide.png"), Pattern(40, 10)));
  DecodedImage got;
  EXPECT_TRUE(DecodeImageFile(dir.File("wide.png"), 40, &got));
  EXPECT_FALSE(DecodeImageFile(dir.File("wide.png"), 39, &got));
  // A header claiming 100000 x 100000 pixels: refused from the header alone.
  std::string png = ReadFileBytes(dir.File("wide.png"));
  for (int at : {16, 20}) png.replace(at, 4, std::string("\x00\x01\x86\xA0", 4));
  WriteFileBytes(dir.File("huge.png"), png);
  EXPECT_FALSE(DecodeImageFile(dir.File("huge.png"), 16384, &got));
  EXPECT_TRUE(got.rgba.empty());
}

TEST(SaveImageFile, RefusesWhatItCannotWrite) {
  TempDir dir;
  DecodedImage img = Pattern(4, 4);
  EXPECT_FALSE(SaveImageFile(dir.File("x.gif"), img));
  EXPECT_FALSE(SaveImageFile(dir.File("no/such/folder/x.png"), img));
  img.rgba.pop_back();
  EXPECT_FALSE(SaveImageFile(dir.File("x.png"), img));
}

}  // namespace
