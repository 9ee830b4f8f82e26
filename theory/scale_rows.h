// theory/scale_rows: the 56 scales and modes, the ordered catalogue the user chooses from, the
// scale filter with its visible list, and the small row queries.
//
// Rows are told apart by address, never by their pitch-class sets (several rows share a set), so
// each row exists exactly once, in gScaleRows. Row pointers elsewhere are const ScaleRow*.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <vector>

// One scale or mode.
struct ScaleRow {
  const char* name;   // display name in English ("Octatonic H-W")
  const char* key;    // lower-case key name ("octatonic half whole")
  int32_t pcs[12];    // semitones above the tonic, ascending, distinct, 0..11; first `count` used
  int32_t count;      // 1..12
  float r, g, b;      // row colour, each 0..1
};

// Every row, by its place in gScaleRows. The first 50 are the catalogue in its order.
enum ScaleRowId : int {
  kRowIonian, kRowDorian, kRowPhrygian, kRowLydian, kRowMixolydian, kRowAeolian, kRowLocrian,
  kRowMelodicMinor, kRowHarmonicMinor, kRowHarmonicMajor,
  kRowMajorPentatonic, kRowMinorPentatonic, kRowChinese, kRowEgyptian, kRowHirajoshi, kRowIwato,
  kRowInSen, kRowYo, kRowBalinese,
  kRowMajorBlues, kRowMinorBlues, kRowMixoBlues, kRowMajorBebop, kRowMinorBebop,
  kRowChromatic, kRowWholeTone, kRowAugmented, kRowDiminished, kRowOctatonicHW, kRowNineTone,
  kRowPrometheus, kRowLydianAugmented, kRowLydianDominant, kRowSuperLocrian,
  kRowOriental, kRowSpanishGypsy, kRowByzantine, kRowArabic, kRowAlgerian, kRowHungarianMajor,
  kRowHungarianMinor, kRowRomanianMinor, kRowNeapolitanMajor, kRowNeapolitanMinor,
  kRowEnigmaticMajor, kRowEnigmaticMinor, kRowHindu, kRowIndianAscending, kRowIberian,
  kRowEightToneSpanish,
  // built, never in the catalogue, so never selectable
  kRowDominantDiminished, kRowDiminishedBlues, kRowIndianDescending, kRowHawaiian,
  kRowMiSheberach, kRowMaqams,
  kScaleRowCount
};
enum { kCatalogueSize = 50, kChurchModeCount = 7, kScaleFilterCount = 8 };

// ---- state ----
extern const ScaleRow gScaleRows[kScaleRowCount];                // the 56 rows, built before main
extern const ScaleRow* const kChurchModes[kChurchModeCount];     // Ionian .. Locrian
extern std::vector<const ScaleRow*> gScaleCatalogue;             // the 50 choosable rows, in order
extern int gScaleFilter;                                         // active filter tab 0..7 (7 = all)
extern std::vector<int> gVisibleScales;                          // catalogue indices passing the filter

// A row from its colour and steps: steps reduced mod 12 (never negative), repeats dropped, at most
// 12 kept, sorted; each colour component clamped to 0..1.
ScaleRow MakeScaleRow(const char* name, const char* key, float r, float g, float b,
                      std::initializer_list<int> steps);
// The Ionian row: the fallback wherever a row is missing or invalid.
const ScaleRow* IonianRow();
// The row with this display name ("Octatonic H-W"), null when none has it.
const ScaleRow* FindScaleRowByName(const char* name);

// Builds gScaleCatalogue on first use; every reader calls it first.
void GetScaleCatalogue();
// Appends each non-null row not yet present.
void AppendScaleRows(std::initializer_list<const ScaleRow*> rows);
// Pointer membership in the church modes, the pentatonic set and the blues and bebop set.
bool IsChurchModeRow(const ScaleRow* row);
bool IsPentatonicSetRow(const ScaleRow* row);
bool IsBluesBebopSetRow(const ScaleRow* row);
// Whether a row passes gScaleFilter (a negative filter acts like "all"); false for null.
bool ScaleInFilter(const ScaleRow* row);
// Recomputes gVisibleScales; every catalogue index when no row passes.
void RebuildVisibleScales();
// Number of visible rows.
int VisibleScaleCount();
// Catalogue index at visible position i; -1 out of range.
int VisibleScaleAt(int i);
// Visible position of a catalogue index; -1 when hidden.
int VisibleIndexOf(int catalogueIndex);
// Church-mode index 0..6, -1 for any other row.
int ModeIndexOf(const ScaleRow* row);
// The same for gCurrentScale.
int CurrentModeIndex();
// Catalogue index of a row, -1 when it is no catalogue row.
int CatalogueIndexOf(const ScaleRow* row);
// A non-null pointer that is one of the catalogue's entries.
bool IsCatalogueScale(const ScaleRow* row);
// Non-null, count 1..12, the first count pitch classes in 0..11 and pairwise different.
bool IsValidScaleRow(const ScaleRow* row);
// gPickedScale (or gCurrentScale when nothing is picked) when it is a valid catalogue row, else Ionian.
const ScaleRow* ResolveShownScale();
// The colour a scale's name is written in, in the grid's label column and in the list: its row
// colour lifted towards white.
void ScaleLabelColour(const ScaleRow& row, float rgb[3]);
// Minor quality of gCurrentScale: by its set (3 without 4), else by its name.
bool IsCurrentScaleMinor();
// Colour of gCurrentScale, clamped; 0.92 grey without a current scale.
void GetCurrentScaleColour(float* r, float* g, float* b);
