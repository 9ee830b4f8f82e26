// platform/images: image files to straight (not premultiplied) RGBA pixels and back. PNG, JPEG,
// BMP, TGA, GIF (first frame) and PSD are read; what the decoder cannot read (RLE-compressed BMP
// among others) counts as undecodable.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Pixels in rows top to bottom, 4 bytes R, G, B, A each.
struct DecodedImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
};

// Decodes a file. An image wider or taller than maxSide is refused before any pixel memory is
// taken. False for a missing, unreadable, undecodable or empty image; out is then empty.
bool DecodeImageFile(const std::string& path, int maxSide, DecodedImage* out);
// Writes RGBA pixels as PNG, JPEG (quality 95) or BMP by the file's extension; false on failure.
bool SaveImageFile(const std::string& path, const DecodedImage& image);
