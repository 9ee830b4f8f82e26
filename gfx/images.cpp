// gfx/images: decoding through platform/images, textures, the ink mask and the asset lookups.
#include "gfx/images.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "app/base/asset_roots.h"
#include "app/base/logs.h"
#include "gfx/ui_language.h"
#include "platform/gl_current.h"
#include "platform/images.h"

// ---- constants ----

static const std::vector<std::string> kTrebleClefNames = {"trebleclef.png", "treble_clef.png", "treble_clef.jpg",
                                                          "pemberlo_Treble_clef_1.png"};
static const std::vector<std::string> kBassClefNames = {"bassclef.jpg", "bassclef.jp", "bass_clef.png",
                                                        "bass_clef.jpg",
                                                        "360_F_129668438_BnFDnEWqLJgsosQ3DCOOBpWxMvtixaVz.jpg"};
static const std::vector<std::string> kSplashNames = {
    "load_in_screen.png", "startup_screen.png", "startup_screen.jpg", "startup_screen.jpeg", "splash_screen.png",
    "splash_screen.jpg",  "splash_hero.png",    "splash_hero.jpg",    "load_in_screen..png"};
static constexpr int kImageSideLimit = 16384;

// ---- state ----

ImageTexture gSplashImage;
ImageTexture gMarkImage;
ImageTexture gWordmarkImage;
ImageTexture gTrebleClefImage;
ImageTexture gBassClefImage;

// ---- internal helpers ----

static void FreeImage(ImageTexture& image) {
  if (image.texture) {
    GLuint t = image.texture;
    glDeleteTextures(1, &t);
  }
  image = ImageTexture{};
}

// Uploads packed RGBA pixels as the image's new texture.
static bool UploadTexture(const DecodedImage& pixels, ImageTexture& image) {
  FreeImage(image);
  GLuint t = 0;
  glGenTextures(1, &t);
  if (!t) return false;
  GLint savedTexture = 0, savedAlignment = 4;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &savedTexture);
  glGetIntegerv(GL_UNPACK_ALIGNMENT, &savedAlignment);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glBindTexture(GL_TEXTURE_2D, t);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, pixels.width, pixels.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               pixels.rgba.data());
  glBindTexture(GL_TEXTURE_2D, GLuint(savedTexture));
  glPixelStorei(GL_UNPACK_ALIGNMENT, savedAlignment);
  image.texture = t;
  image.width = pixels.width;
  image.height = pixels.height;
  return true;
}

static bool DecodeForTexture(const std::string& path, DecodedImage* pixels) {
  if (path.empty()) return false;
  return DecodeImageFile(path, MaxImageSide(), pixels);
}

// ---- public functions ----

int MaxImageSide() {
  int side = kImageSideLimit;
  if (GlContextIsCurrent()) {
    GLint glMax = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &glMax);
    if (glMax > 0) side = std::min(side, int(glMax));
  }
  return side;
}

void MakeInkMask(std::vector<uint8_t>& rgba) {
  size_t count = rgba.size() / 4;
  int lowest = 255, highest = 0;
  bool transparent = false;
  for (size_t i = 0; i < count; ++i) {
    int a = rgba[4 * i + 3];
    lowest = std::min(lowest, a);
    highest = std::max(highest, a);
    if (lowest < 250 && highest > 5) {
      transparent = true;
      break;
    }
  }
  for (size_t i = 0; i < count; ++i) {
    uint8_t* p = &rgba[4 * i];
    float a;
    if (transparent) {
      a = p[3] / 255.0f;
      if (a < 0.02f) a = 0;
    } else {
      float lum = 0.299f * (p[0] / 255.0f) + 0.587f * (p[1] / 255.0f) + 0.114f * (p[2] / 255.0f);
      a = std::pow(std::clamp(1.0f - lum, 0.0f, 1.0f), 3.2f);
      if (lum > 0.86f || a < 0.055f) a = 0;
    }
    p[0] = p[1] = p[2] = 255;
    p[3] = uint8_t(std::lround(std::clamp(a, 0.0f, 1.0f) * 255.0f));
  }
}

bool DecodeImageForTexture(const std::string& path, DecodedImage* pixels) { return DecodeForTexture(path, pixels); }

bool UploadImageTexture(const DecodedImage& pixels, ImageTexture& image) { return UploadTexture(pixels, image); }

void FreeImageTexture(ImageTexture& image) { FreeImage(image); }

bool LoadImageTexture(const std::string& path, ImageTexture& image) {
  DecodedImage pixels;
  if (!DecodeForTexture(path, &pixels)) return false;
  return UploadTexture(pixels, image);
}

bool LoadInkTexture(const std::string& path, ImageTexture& image) {
  DecodedImage pixels;
  if (!DecodeForTexture(path, &pixels)) return false;
  MakeInkMask(pixels.rgba);
  return UploadTexture(pixels, image);
}

bool FindFirstExistingFile(const std::vector<std::string>& folders, const std::vector<std::string>& names,
                           std::string& out) {
  out.clear();
  for (const std::string& folder : folders) {
    for (const std::string& name : names) {
      std::string candidate = folder;
      if (!candidate.empty() && candidate.back() != '/' && candidate.back() != '\\') candidate += '/';
      candidate += name;
      if (candidate.empty()) continue;
      std::error_code ec;
      auto st = std::filesystem::status(candidate, ec);
      if (!ec && std::filesystem::exists(st) && !std::filesystem::is_directory(st)) {
        out = candidate;
        return true;
      }
    }
  }
  return false;
}

void FreeClefTextures() {
  FreeImage(gTrebleClefImage);
  FreeImage(gBassClefImage);
}

void LoadClefTextures() {
  FreeClefTextures();
  std::vector<std::string> roots;
  BuildAssetRoots(roots);
  std::string treble, bass;
  FindFirstExistingFile(roots, kTrebleClefNames, treble);
  FindFirstExistingFile(roots, kBassClefNames, bass);
  WriteClefDebugLog(roots, treble, bass);
  if (!treble.empty()) LoadInkTexture(treble, gTrebleClefImage);
  if (!bass.empty()) LoadInkTexture(bass, gBassClefImage);
}

void FreeSplashTextures() {
  FreeImage(gSplashImage);
  FreeImage(gMarkImage);
  FreeImage(gWordmarkImage);
}

bool LoadSplashTextures() {
  FreeSplashTextures();
  std::vector<std::string> roots;
  BuildAssetRoots(roots);
  std::string path;
  if (!FindFirstExistingFile(roots, kSplashNames, path) || !LoadImageTexture(path, gSplashImage)) return false;
  if (FindFirstExistingFile(roots, {"tv_mark.png"}, path)) LoadImageTexture(path, gMarkImage);
  if (FindFirstExistingFile(roots, {"tv_wordmark.png"}, path)) LoadImageTexture(path, gWordmarkImage);
  return true;
}
