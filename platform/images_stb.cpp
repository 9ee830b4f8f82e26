// platform/images_stb: DecodedImage over stb_image and stb_image_write, compiled privately here.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#include <stb_image.h>
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include <cstdio>

#include "platform/images.h"

bool DecodeImageFile(const std::string& path, int maxSide, DecodedImage* out) {
  *out = DecodedImage{};
  if (path.empty()) return false;
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  int w = 0, h = 0, channels = 0;
  bool ok = stbi_info_from_file(file, &w, &h, &channels) != 0 && w > 0 && h > 0 && w <= maxSide && h <= maxSide;
  unsigned char* pixels = nullptr;
  if (ok) {
    std::fseek(file, 0, SEEK_SET);
    pixels = stbi_load_from_file(file, &w, &h, &channels, 4);
  }
  std::fclose(file);
  if (!pixels) return false;
  if (w <= 0 || h <= 0 || w > maxSide || h > maxSide) {
    stbi_image_free(pixels);
    return false;
  }
  out->width = w;
  out->height = h;
  out->rgba.assign(pixels, pixels + size_t(w) * size_t(h) * 4);
  stbi_image_free(pixels);
  return true;
}

static bool EndsWith(const std::string& s, const char* tail) {
  std::string t = tail;
  if (s.size() < t.size()) return false;
  for (size_t i = 0; i < t.size(); ++i) {
    char c = s[s.size() - t.size() + i];
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    if (c != t[i]) return false;
  }
  return true;
}

bool SaveImageFile(const std::string& path, const DecodedImage& image) {
  if (image.width <= 0 || image.height <= 0 ||
      image.rgba.size() != size_t(image.width) * size_t(image.height) * 4)
    return false;
  const void* data = image.rgba.data();
  if (EndsWith(path, ".png")) return stbi_write_png(path.c_str(), image.width, image.height, 4, data, image.width * 4) != 0;
  if (EndsWith(path, ".jpg") || EndsWith(path, ".jpeg"))
    return stbi_write_jpg(path.c_str(), image.width, image.height, 4, data, 95) != 0;
  if (EndsWith(path, ".bmp")) return stbi_write_bmp(path.c_str(), image.width, image.height, 4, data) != 0;
  return false;
}
