// make_scale_diagrams: the build step that draws the board's scale diagrams.
//
//   make_scale_diagrams <folder>
//
// For every catalogue scale in every key it writes "<mode>_<key>.png" into the folder (the mode as
// the diagram search spells it first: a church mode's own name, else the scale's lower-case key
// name; the key as the ring names it, "C", "G" ... "F#", "Db" ... "F"). A diagram is the board
// preview's two-octave keyboard, key for key where the preview draws its keys, with a blue dot on
// every key of the scale and a ring round each tonic. The board tints blue ink with the scale's
// colour, so one drawing serves every scale: dark blue on the white keys, light blue on the black.
// Exit 1 with a message when a file cannot be written.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "board/preview_keys.h"
#include "platform/images.h"
#include "theory/circle_theory.h"
#include "theory/scale_rows.h"

namespace {

// The preview keyboard in its own units (301 x 95), drawn at two pixels a unit.
constexpr int kPixelsPerUnit = 2;
constexpr int kWidth = 301 * kPixelsPerUnit, kHeight = 95 * kPixelsPerUnit;

struct Colour {
  float r, g, b;
};
constexpr Colour kWhiteKey = {0.95f, 0.95f, 0.96f};   // light and grey: the tint leaves it
constexpr Colour kBlackKey = {0.06f, 0.06f, 0.07f};
constexpr Colour kEdge = {0.42f, 0.42f, 0.44f};
constexpr Colour kInkOnWhite = {0.26f, 0.46f, 0.96f};  // blue ink the tint turns into the scale's colour
constexpr Colour kInkOnBlack = {0.10f, 0.19f, 0.70f};  // darker blue ink comes out light

struct Canvas {
  float rgba[kHeight][kWidth][4] = {};
  // Lays colour over what is there with the coverage as its alpha.
  void Blend(int x, int y, const Colour& c, float coverage) {
    if (x < 0 || y < 0 || x >= kWidth || y >= kHeight || coverage <= 0.0f) return;
    float* p = rgba[y][x];
    const float a = std::min(coverage, 1.0f), out = a + p[3] * (1.0f - a);
    const float mine[3] = {c.r, c.g, c.b};
    for (int k = 0; k < 3; ++k) p[k] = out > 0.0f ? (mine[k] * a + p[k] * p[3] * (1.0f - a)) / out : 0.0f;
    p[3] = out;
  }
};

// Coverage of a pixel by a rounded rectangle (units), four by four samples.
float RoundedCoverage(float px, float py, float x, float y, float w, float h, float radius) {
  int inside = 0;
  for (int sy = 0; sy < 4; ++sy)
    for (int sx = 0; sx < 4; ++sx) {
      const float ux = (px + (sx + 0.5f) / 4.0f) / kPixelsPerUnit, uy = (py + (sy + 0.5f) / 4.0f) / kPixelsPerUnit;
      const float cx = std::clamp(ux, x + radius, x + w - radius), cy = std::clamp(uy, y + radius, y + h - radius);
      if (ux >= x && ux <= x + w && uy >= y && uy <= y + h && std::hypot(ux - cx, uy - cy) <= radius) ++inside;
    }
  return (float)inside / 16.0f;
}

void FillRoundedRect(Canvas& c, float x, float y, float w, float h, float radius, const Colour& colour) {
  for (int py = std::max((int)(y * kPixelsPerUnit) - 1, 0); py <= std::min((int)((y + h) * kPixelsPerUnit) + 1, kHeight - 1); ++py)
    for (int px = std::max((int)(x * kPixelsPerUnit) - 1, 0); px <= std::min((int)((x + w) * kPixelsPerUnit) + 1, kWidth - 1); ++px)
      c.Blend(px, py, colour, RoundedCoverage((float)px, (float)py, x, y, w, h, radius));
}

// A disc, or a ring of the given width when width > 0; edges a pixel soft.
void Disc(Canvas& c, float cx, float cy, float radius, float width, const Colour& colour) {
  const float X = cx * kPixelsPerUnit, Y = cy * kPixelsPerUnit, R = radius * kPixelsPerUnit, W = width * kPixelsPerUnit;
  for (int py = (int)(Y - R) - 2; py <= (int)(Y + R) + 2; ++py)
    for (int px = (int)(X - R) - 2; px <= (int)(X + R) + 2; ++px) {
      const float d = std::hypot(px + 0.5f - X, py + 0.5f - Y);
      float cover = std::clamp(R - d + 0.5f, 0.0f, 1.0f);
      if (W > 0.0f) cover = std::min(cover, std::clamp(d - (R - W) + 0.5f, 0.0f, 1.0f));
      c.Blend(px, py, colour, cover);
    }
}

void DrawKeyboard(Canvas& c) {
  for (int i = 0; i < 15; ++i) {
    const float x = 20.0f * (float)i + 1.0f;
    FillRoundedRect(c, x, 1.0f, 19.0f, 92.0f, 2.8f, kEdge);
    FillRoundedRect(c, x + 0.6f, 1.6f, 17.8f, 90.8f, 2.4f, kWhiteKey);
  }
  for (int i = 0; i < 11; ++i) {
    const float left = std::max(kPreviewBlackCentres[i] - 6.5f, 0.0f), right = std::min(kPreviewBlackCentres[i] + 6.5f, 301.0f);
    FillRoundedRect(c, left, 1.0f, right - left, 60.0f, 2.0f, kBlackKey);
  }
}

// A dot on every key of the scale, a ring round each tonic.
void MarkScale(Canvas& c, const ScaleRow& row, int tonic) {
  bool in[12] = {};
  for (int i = 0; i < row.count; ++i) in[(tonic + row.pcs[i]) % 12] = true;
  auto mark = [&](float x, float y, float radius, int note, const Colour& ink) {
    if (!in[note % 12]) return;
    Disc(c, x, y, radius, 0.0f, ink);
    if (note % 12 == tonic) Disc(c, x, y, radius + 3.2f, 1.4f, ink);
  };
  for (int i = 0; i < 15; ++i) mark(20.0f * (float)i + 10.5f, 76.0f, 4.6f, kPreviewWhiteNotes[i], kInkOnWhite);
  for (int i = 0; i < 11; ++i) {
    const float x = std::min(kPreviewBlackCentres[i], 301.0f - 5.0f);  // the last key is only a sliver
    mark(x, 46.0f, 3.4f, kPreviewBlackNotes[i], kInkOnBlack);
  }
}

DecodedImage ToImage(const Canvas& c) {
  DecodedImage image{kWidth, kHeight, std::vector<uint8_t>((size_t)kWidth * kHeight * 4)};
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      for (int k = 0; k < 4; ++k)
        image.rgba[((size_t)y * kWidth + x) * 4 + k] = (uint8_t)std::lround(255.0f * std::clamp(c.rgba[y][x][k], 0.0f, 1.0f));
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_scale_diagrams <folder>\n");
    return 1;
  }
  const std::string folder = argv[1];
  static Canvas keyboard, diagram;  // too large for the stack
  DrawKeyboard(keyboard);
  GetScaleCatalogue();
  for (const ScaleRow* row : gScaleCatalogue) {
    if (!row) continue;
    const int mode = ModeIndexOf(row);
    const std::string modeName = mode >= 0 ? ModeKeyName(mode) : std::string(row->key);
    for (int ring = 0; ring < 12; ++ring) {
      diagram = keyboard;
      MarkScale(diagram, *row, kFifthsOrder[ring]);
      const std::string path = folder + "/" + modeName + "_" + kKeyNamesByRing[ring] + ".png";
      if (!SaveImageFile(path, ToImage(diagram))) {
        std::fprintf(stderr, "make_scale_diagrams: cannot write %s\n", path.c_str());
        return 1;
      }
    }
  }
  return 0;
}
