// gfx/images: image files as GL textures: the start-screen images and the clef ink masks. Images
// are found by name in the asset roots; clefs become white masks whose alpha carries the ink, so
// the staff panel can tint them.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/images.h"

// One loaded image; texture 0 means not loaded.
struct ImageTexture {
  uint32_t texture = 0;
  int width = 0;
  int height = 0;
};

extern ImageTexture gSplashImage;      // start screen
extern ImageTexture gMarkImage;        // start screen mark
extern ImageTexture gWordmarkImage;    // start screen word-mark
extern ImageTexture gTrebleClefImage;  // staff panel ink mask
extern ImageTexture gBassClefImage;    // staff panel ink mask

// Decodes a file into an RGBA texture (linear, clamped); replaces the image's old texture.
bool LoadImageTexture(const std::string& path, ImageTexture& image);
// The same, as a white mask whose alpha carries the ink.
bool LoadInkTexture(const std::string& path, ImageTexture& image);
// The two halves of the loaders, for callers that change the pixels between them: the decoded
// pixels (no larger than a texture may be), and their upload as the image's new texture.
bool DecodeImageForTexture(const std::string& path, DecodedImage* pixels);
bool UploadImageTexture(const DecodedImage& pixels, ImageTexture& image);
// Deletes the image's texture and zeroes its name and size.
void FreeImageTexture(ImageTexture& image);
// The first folder + name (folders outer, names inner) that is an existing file; false when none.
bool FindFirstExistingFile(const std::vector<std::string>& folders, const std::vector<std::string>& names,
                           std::string& out);
// Finds and loads both clefs (a missing clef leaves its texture 0 and is logged).
void LoadClefTextures();
// Deletes both clef textures.
void FreeClefTextures();
// Finds and loads the splash, then the mark and the word-mark; true when the splash loaded.
bool LoadSplashTextures();
// Deletes the start-screen textures and resets the start screen's state.
void FreeSplashTextures();

// The largest side an image may have: the GL texture limit (when a context is current), at most 16384.
int MaxImageSide();
// Turns RGBA pixels into the white ink mask in place: the image's own alpha when it has real
// transparency, else darkness on light paper.
void MakeInkMask(std::vector<uint8_t>& rgba);
