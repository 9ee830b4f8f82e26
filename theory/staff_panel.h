// theory/staff_panel: the grand staff that names what sounds. It shows the letter names of the
// staff steps lit by the held notes, the played notes as heads drifting left from the play line,
// the coming notes of a song in wait mode travelling towards it, and a caption with the scale or
// key. Notes are spelled as the current key spells them.
//
// Geometry comes from one line spacing sp: 1.65 sp margin, the treble staff (4 sp), a 2 sp gap
// whose middle is middle C, the bass staff (4 sp), 1.65 sp margin: 13.3 sp in all. The song and
// the sight-reading score live on floors above this one; the shell hands their part in through
// gStaffSongFeedHook. Everything above the drawing section runs without GL.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "gfx/rect.h"

// ---- constants ----
constexpr float kStaffPanelSpacings = 13.3f;   // panel height in line spacings
constexpr float kStaffLookAheadMs = 3200.0f;   // how far ahead a song's notes are shown
constexpr float kStaffRampInMs = 240.0f;       // a coming note fades in over the first of these
extern const int kStaffStepSharp[12];          // letter 0..6 of each pitch class spelled with sharps
extern const int kStaffStepFlat[12];           // the same spelled with flats

// One coming note of the song: how far ahead it lies and how it is written.
struct StaffSongNote {
  float aheadMs = 0.0f;      // 0..kStaffLookAheadMs
  int note = 60;             // MIDI note number
  bool scored = false;       // a sight-reading score note matches it: letter, octave, accidental
  int letter = 0;            // 0..6, C..B
  int octave = 4;            // octave 4 holds middle C
  int accidental = 0;        // -2..2: flats or sharps
  bool showAccidental = false;
};
// What the staff needs of the song, filled by the shell each frame.
struct StaffSongFeed {
  bool waiting = false;                 // wait mode with a song loaded: coming notes are shown
  std::vector<StaffSongNote> upcoming;  // the note-ons within the look-ahead, in time order
};

// ---- state ----
extern RectF gStaffPanelRect;        // the panel while it sits on the learning overlay, else hidden
extern float gStaffOverlayBottom;    // the panel's bottom y each frame it draws, 0 when not shown
extern float gStaffInLevel[128];     // lit level of each in-scale note
extern float gStaffInColour[128][3]; // its colour
extern float gStaffOffLevel[128];    // level of each off-scale note
// Fills the song's part of the staff; null: no song.
extern void (*gStaffSongFeedHook)(StaffSongFeed* out);
// Whether a held note counts as off the scale (play-along marks included); null: by the scale.
extern bool (*gStaffOffScaleHook)(int note);
// The top of the note-fall strip below the overlay, which the panel keeps clear of; null or 0: none.
extern float (*gStaffFloorHook)();

// ---- geometry ----
struct StaffGeometry {
  RectF panel;             // the rounded panel
  float sp = 12.0f;        // line spacing
  float trebleTop = 0.0f;  // y of the treble staff's top line
  float bassTop = 0.0f;    // y of the bass staff's top line
  float middleCY = 0.0f;   // y of middle C
  float playX = 0.0f;      // the play line
  float labelX = 0.0f;     // the step labels' column
  RectF notes = kHiddenRect;  // where heads and their signs may go: the panel's width, the content
                              // area's height (above and below the panel too)
};
// The panel on the learning overlay: false unless the overlay is on and practice mode is off.
// `area`, when given, receives the overlay's content area round the panel: from the window's top
// margin down to the keyboard at the overlay's foot.
bool ComputeStaffPanelRect(RectF* out, RectF* area = nullptr);
// Where the panel stands this frame (the overlay's rectangle); false when it is not shown.
bool ComputeStaffGeometry(StaffGeometry* out);
// The staff geometry inside a panel with a given line spacing.
StaffGeometry StaffGeometryIn(const RectF& panel, float sp);
// y of a note on the steps below middle C's y (step = sp / 2), spelled with flats or sharps.
float StaffYForNote(int note, float middleCY, float step, bool flats);
// The sign a note's head carries when no score spells it: a black key's pitch takes a sharp (1),
// or a flat (2) in a flat key; any other pitch none (0).
int StaffAccidentalFor(int note, bool flats);
// The sign of a head the score or StaffSpellNote spells (its accidental -2..2, and whether the
// score writes it): the staff draws no key signature, so an accidental the score leaves to one is
// written at the note too: 1 sharp, 2 flat, 4 double sharp, 5 double flat, 3 natural, 0 none.
int StaffAccidentalForScored(int accidental, bool written);
// y of a written letter (0..6) in an octave (4 holds middle C).
float StaffYForLetter(int letter, int octave, float middleCY, float step);
// How a note nobody's score spells is written: letter 0..6 (C..B), octave (4 holds middle C) and
// accidental -2..2 (two only for a degree of the key).
struct StaffSpelling {
  int letter = 0;
  int octave = 4;
  int accidental = 0;
};
// A degree of the current key on the degree's own letter (C#4 in D harmonic minor, B#3 for note 60
// in C# harmonic minor, F##5 for note 79 in G# harmonic minor), a minor key's raised sixth and
// seventh on the letters of its sixth and seventh (C#4 in D Aeolian, F#4 in G minor), any other
// note by the signature's sharps or flats.
StaffSpelling StaffSpellNote(int note, bool flats);
// The heads of one chord (their rows in *ys, in any order) when some would not stand whole in the
// panel (B5 and up, D2 and down): the whole chord is written the octaves its outermost note needs
// to reach the space beside its staff (G5, F2), under one mark, when all of it then stands in the
// panel. Otherwise the notes past the top and those past the foot are moved as groups, each under
// a mark of its own, the fewest notes in reach joining them that keep every group above the one
// below; the rest stay where they sound. The chord's order is always kept: where no layout fits,
// the one that leaves least of it past the panel's edges. Moves *ys and returns each head's
// octaves: positive when it sounds that many above where it stands, negative below, 0 where it
// sounds.
std::vector<int> StaffChordOttava(const StaffGeometry& g, float headHalfH, std::vector<float>* ys);
// The mark of a note written octaves away: "8va", "15ma", "22ma" ... above, "8vb", "15mb" ...
// below; "" for 0.
std::string StaffOttavaMark(int octaves);
// y lies within 0.16 sp of one of the ten staff lines.
bool IsOnStaffLine(const StaffGeometry& g, float y);
// The current key is spelled with flats, as the caption's tonic is.
bool StaffUsesFlats();

// ---- logic ----
// Raises the levels from the held notes that sound and decays the rest over dt seconds.
void UpdateStaffNoteLevels(float dt);
// The caption: "Scale: C Ionian" in scale mode, "Key: A minor" in key mode, translated.
std::string StaffCaption(bool keyMode);
// Key mode: practice mode with the sight-reading view.
bool StaffKeyMode();
// Puts the levels, the rectangle and the clock back.
void ResetStaffPanel();

// The sizes heads and signs are drawn at on a staff of line spacing sp.
struct StaffHeadSizes {
  float halfW = 0.0f;  // a head's half width
  float halfH = 0.0f;  // a head's half height
  float sign = 0.0f;   // a sign's size, about its height
};
StaffHeadSizes StaffHeadSizesFor(float sp);
// One head whose sign is to be placed: where the head stands and its sign (0: none).
struct StaffHeadSign {
  float x = 0.0f;
  float y = 0.0f;
  int kind = 0;
};
// Where a head and its sign go: the sign's column counted leftwards from the heads (0 nearest them,
// -1 for a head without a sign), the x of its chord's leftmost head, which the columns are counted
// from, the sign drawn (a bare head takes a natural when another pitch shares its row), how many
// places right of its own x the head is set, one per lower pitch on its row, and the share of the
// full sign size its chord's signs are drawn at.
struct StaffSignPlace {
  int column = -1;
  float anchorX = 0.0f;
  int kind = 0;
  int beside = 0;
  float scale = 1.0f;
};
// Heads within half a head's width of a chord's leftmost head form the chord. Heads of one chord on
// one row that differ in pitch (C and C#) stand side by side, the lowest first. Its signs are
// placed from the highest down, each in the first column where it clears every sign already there
// by a sign's height, and the stem of a flat below it; a sign of the same kind on the same row
// shares that sign's column. A chord whose signs would run into the heads of a chord left of it
// (coming notes stand where their time puts them) has its signs drawn smaller, down to half size,
// to keep them clear. One place per head, in the order given.
std::vector<StaffSignPlace> PlaceStaffSigns(const std::vector<StaffHeadSign>& heads, const StaffHeadSizes& sizes);
// The x of a placed sign's middle.
float StaffSignX(const StaffSignPlace& place, const StaffHeadSizes& sizes);
// The x a head is drawn at: its own, moved right past the lower pitches on its row.
float StaffHeadX(const StaffHeadSign& head, const StaffSignPlace& place, const StaffHeadSizes& sizes);
// One played note's head: where its age puts it, its row and sign, and when it was struck.
struct StaffPlayedHead {
  StaffHeadSign head;
  uint32_t arrivalMs = 0;
};
// The end of the chord of played heads (given newest first) that begins at `first`: notes struck
// each within kStruckTogetherMs of the next are one chord.
size_t StaffPlayedChordEnd(const std::vector<StaffPlayedHead>& newestFirst, size_t first);
// The x of each played head, given newest first. Notes struck each within kStruckTogetherMs of the
// next stand as one chord at the newest one's x; an older chord stands where its age puts it, or
// further left where it would reach the chord after it: its heads and ledger lines keep clear of
// that chord's heads and signs, so the notes of a fast run stand one after another, not on top of
// each other.
std::vector<float> SpacePlayedHeads(const std::vector<StaffPlayedHead>& newestFirst, const StaffHeadSizes& sizes);
// The box of the octave mark, width by height, over the heads of `group` (indices into `heads`, as
// drawn, every head of the frame) written `octaves` away: centred on the group's highest head and
// at the treble staff's margin or higher for octaves above, on its lowest and at the bass staff's
// margin or lower for octaves below, clear of every head and its ledger line by a little air.
// `seen`, when given, is where a mark can be read (the keyboard below and the window's top hide
// the rest): a mark that would reach past its top or foot, or meet `caption` (the staff's caption
// box, which a mark may not print over), stands right of the outermost head instead, on that
// head's row as far as `seen` allows, and right of the caption where it would meet it there.
RectF StaffOttavaMarkBox(const StaffGeometry& g, const StaffHeadSizes& sizes, const std::vector<StaffHeadSign>& heads,
                         const std::vector<size_t>& group, int octaves, float width, float height,
                         const RectF& seen = kHiddenRect, const RectF& caption = kHiddenRect);
// One octave mark to place: its box as StaffOttavaMarkBox gives it and its octaves.
struct StaffOttavaPlace {
  RectF box;
  int octaves;
};
// Settles the marks of a frame in order so that no two print over each other or over the caption:
// a mark meeting one placed before with the same octaves is left out (a run of groups reads under
// the first mark), one meeting a mark of other octaves moves further from the staves, one meeting
// the caption is left out. A mark left out gets kHiddenRect. With `seen` given (where a mark can
// be read), a mark that moving further out would take out of it moves right of the other instead.
void SettleStaffOttavaMarks(std::vector<StaffOttavaPlace>* marks, const RectF& caption, float air,
                            const RectF& seen = kHiddenRect);

// ---- drawing (GL) ----
// Draws the panel for this frame; nothing when alpha <= 0.001 or ring mode is on.
void DrawStaffPanel(double time, float alpha);
// Five lines of 1.4 px from top, sp apart, across the staff.
void DrawStaffLines(const StaffGeometry& g, float top, float alpha);
// A quad of the width centred on the segment; nothing for a segment shorter than 0.001.
void DrawThickLine(float x0, float y0, float x1, float y1, float width, float r, float g, float b, float a);
// kind 1 sharp, 2 flat, 4 double sharp, 5 double flat, anything else natural.
void DrawAccidental(float x, float y, float size, int kind, float r, float g, float b, float a);
// A clef image drawHeight high, white at alpha; false when there is nothing to draw.
bool DrawClefTexture(uint32_t texture, int width, int height, float x, float y, float drawHeight, float alpha);
