// theory/scale_diagrams: the picture of the picked scale and key that the board shows. The file is
// found by the diagram search, tinted with the scale's colour and kept as one texture. Each mode
// and key is searched once per run (hits and misses alike are cached), and a failed search is
// remembered for the shown key so the board's per-frame call does not search again.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "gfx/images.h"
#include "theory/scale_rows.h"

// ---- state ----
extern ImageTexture gScaleDiagramImage;        // the tinted diagram; texture 0 when none
extern std::string gScaleDiagramMissingName;   // "mode_key.png" when nothing was found, else ""
extern int gDiagramShownModeIndex;             // mode index the shown diagram (or miss) is for; -2 none
extern int gDiagramShownRingPos;               // its ring position; -2 none
extern const ScaleRow* gDiagramShownRow;       // its picked row; null none
extern std::unordered_map<std::string, std::string> gScaleDiagramCache;  // "mode|key" -> path or ""

// Called by the board each frame: resolves again only when the selection moved or is marked dirty.
void UpdateScaleDiagram();
// Resolves, decodes, tints and uploads the diagram of the picked scale and key; true when a
// texture was made.
bool ShowScaleDiagram();
// Stores what the diagram (or the failed search) was for and clears the dirty mark.
void RememberDiagramKey(int modeIndex, int ringPos, const ScaleRow* row);
// Deletes the texture and forgets the shown key.
void FreeScaleDiagramTexture();
// Tints RGBA pixels in place with a colour: blue ink takes the colour with its light and dark
// shades kept, other coloured pixels lean towards it, neutral and transparent pixels stay.
void TintDiagramPixels(std::vector<uint8_t>& rgba, float r, float g, float b);
// Forgets the texture, the shown key, the missing name and the cache.
void ResetScaleDiagrams();
