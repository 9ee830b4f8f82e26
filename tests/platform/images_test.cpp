// Image decoding: the formats round trip, broken and RLE-compressed files are refused, and an
// image past the size limit is refused before its pixels are allocated.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/images.h"
#include "tests/support/test_support.h"

namespace {

DecodedImage Pattern(int w, int h) {
  DecodedImage img;
  img.width = w;
  img.height = h;
  img.rgba.resize(size_t(w) * h * 4);
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

void Put16(std::string& s, size_t at, uint16_t v) { s[at] = char(v & 0xFF); s[at + 1] = char(v >> 8); }
void Put32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = char((v >> (8 * i)) & 0xFF);
}

// A 4 x 2 BMP with 8-bit palette; compression 1 is RLE8.
std::string PaletteBmp(uint32_t compression) {
  std::string s(54 + 256 * 4, '\0');
  s[0] = 'B';
  s[1] = 'M';
  Put32(s, 10, uint32_t(s.size()));  // pixel data offset
  Put32(s, 14, 40);
  Put32(s, 18, 4);
  Put32(s, 22, 2);
  Put16(s, 26, 1);
  Put16(s, 28, 8);
  Put32(s, 30, compression);
  Put32(s, 46, 256);
  for (int i = 0; i < 256; ++i) {
    s[54 + 4 * i] = char(i);
    s[54 + 4 * i + 1] = char(i);
    s[54 + 4 * i + 2] = char(i);
  }
  if (compression == 1) {
    s += std::string("\x04\x07\x00\x00\x04\x09\x00\x01", 8);  // runs of 4, end of line, end of bitmap
  } else {
    s += std::string("\x07\x07\x07\x07\x09\x09\x09\x09", 8);
  }
  Put32(s, 2, uint32_t(s.size()));
  return s;
}

TEST(DecodeImageFile, FormatsRoundTrip) {
  TempDir dir;
  DecodedImage src = Pattern(13, 7);
  struct Case {
    const char* file;
    int tolerance;
    bool keepsAlpha;
  };
  const Case cases[] = {{"a.png", 0, true}, {"b.bmp", 0, true}, {"c.jpg", 40, false}};
  for (const Case& c : cases) {
    ASSERT_TRUE(SaveImageFile(dir.File(c.file), src)) << c.file;
    DecodedImage got;
    ASSERT_TRUE(DecodeImageFile(dir.File(c.file), 16384, &got)) << c.file;
    ASSERT_EQ(got.width, 13) << c.file;
    ASSERT_EQ(got.height, 7) << c.file;
    ASSERT_EQ(got.rgba.size(), src.rgba.size());
    for (size_t i = 0; i < got.rgba.size(); ++i) {
      if (i % 4 == 3) {
        if (c.keepsAlpha) EXPECT_EQ(got.rgba[i], src.rgba[i]) << c.file;
        else EXPECT_EQ(got.rgba[i], 255) << c.file;
      } else {
        EXPECT_NEAR(got.rgba[i], src.rgba[i], c.tolerance) << c.file << " byte " << i;
      }
    }
  }
}

TEST(DecodeImageFile, BrokenFilesAreRefused) {
  TempDir dir;
  ASSERT_TRUE(SaveImageFile(dir.File("good.png"), Pattern(8, 8)));
  std::string png = ReadFileBytes(dir.File("good.png"));
  WriteFileBytes(dir.File("plain.bmp"), PaletteBmp(0));
  const std::pair<const char*, std::string> cases[] = {
      {"empty.png", ""},
      {"text.png", "this is not an image"},
      {"truncated.png", png.substr(0, png.size() / 2)},
      {"header-only.png", png.substr(0, 33)},
      {"rle8.bmp", PaletteBmp(1)},
  };
  DecodedImage got;
  ASSERT_TRUE(DecodeImageFile(dir.File("plain.bmp"), 100, &got));  // the same bitmap uncompressed reads
  EXPECT_EQ(got.width, 4);
  EXPECT_EQ(got.rgba[0], 9);  // bottom-up rows: the first row in the file is the bottom one
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
  std::string huge = png.substr(0, 33);
  for (int at : {16, 20}) {
    huge[at] = 0;
    huge[at + 1] = 0x01;
    huge[at + 2] = char(0x86);
    huge[at + 3] = char(0xA0);
  }
  WriteFileBytes(dir.File("huge.png"), huge + png.substr(33));
  EXPECT_FALSE(DecodeImageFile(dir.File("huge.png"), 16384, &got));
  EXPECT_TRUE(got.rgba.empty());
}

TEST(SaveImageFile, RefusesWhatItCannotWrite) {
  TempDir dir;
  DecodedImage img = Pattern(4, 4);
  EXPECT_FALSE(SaveImageFile(dir.File("x.gif"), img));
  img.rgba.pop_back();
  EXPECT_FALSE(SaveImageFile(dir.File("x.png"), img));
  EXPECT_FALSE(SaveImageFile(dir.File("no/such/folder/x.png"), Pattern(2, 2)));
}

}  // namespace
