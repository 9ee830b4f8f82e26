// learning_ui/performance_note: the report cards that float over the screen after a lesson song,
// and the skills radar's flash between two cards of a practice set.
//
// Cards cascade, come to the top when touched, are dragged by their masthead and stay until their
// close box is pressed. A card shows what the records say now: nothing is cached across frames. A
// card whose item is not in the library is neither drawn nor takes a press, and stays in the list
// so that it comes back with its item.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "learning/learning_records.h"
#include "learning/library_index.h"

// ---- data ----
struct PerformanceNoteCard {
  std::string itemId;
  float x = 0, y = 0, w = 0, h = 0;   // client pixels
  bool dragging = false;              // the masthead is being dragged
  float grabDx = 0, grabDy = 0;       // the pointer's offset from the corner when the drag began
  uint32_t openedMs = 0;              // ClockMs32 when opened or last reopened: the radar's grow-in
};

// One of the four figure boxes of a card; label English (translated when drawn), value shown as is.
struct NoteFigureBox {
  const char* label = "";
  std::string value;
  bool highlighted = false;
};

// Where a card's parts stand this frame; the drawing and the tests read the same numbers.
struct NoteCardLayout {
  bool hasRun = false;
  std::string runFigure;           // "NN%" of the notes landed, or "--"
  float verdictX = 0;              // the verdict and the landed line, beside the run figure
  NoteFigureBox boxes[4];
  float boxX[4] = {}, boxW[4] = {};   // the boxes' left edges and widths; 52 high at card y + 160
  std::string advice1, advice2;    // translated, fitted; advice2 may be empty
  std::string mastery1, mastery2;  // the mastery line, translated; broken between its parts when long
  float masteryY = 0;              // the mastery line's baseline (its first line's)
  float masteryBarY = 0;           // the mastery bar's top, 12 below the line's last baseline
  float radarRuleY = 0;            // the rule over "SKILLS RADAR"
  std::string footer1, footer2;    // the hint at the foot, translated, on two lines when long
  float footerY = 0;               // its first baseline
  float radarCx = 0, radarCy = 0, radarR = 0;
  float radarLeft = 0, radarRight = 0;   // the axis texts stay between these, inside the card
};

// ---- state ----
extern std::vector<PerformanceNoteCard> gPerformanceNotes;   // drawing order, the last on top; ids unique

// No card open.
void ResetPerformanceNotes();
// After the window changed size: each card takes the size a card opened now would have and is
// moved just enough to lie wholly inside the window; one too large for it keeps its masthead and
// close box in view.
void FitPerformanceNotesToWindow();

// ---- logic ----
// Opens the item's card at the next cascade place, or brings its open card to the top and restarts
// its radar. The shell hands it to the learning model as its note opener.
void OpenPerformanceNote(const std::string& itemId);
// The translated sentence of advice for the item's next run.
std::string ChooseAdvice(const LibraryItem& item, const MasteryRecord* record);
// The card's four figure boxes: the first feedback area with data (else dynamics), timing, slips, tempo.
void ComputeNoteFigureBoxes(const LibraryItem& item, const MasteryRecord* record, NoteFigureBox boxes[4]);
// Lays a card out with the fonts of this frame (estimates without fonts).
NoteCardLayout LayoutNoteCard(const PerformanceNoteCard& card, const LibraryItem& item, const MasteryRecord* record);
// An area of the card at index lies wholly under a card drawn above it (a shown one), so drawing
// it would change nothing on screen.
bool IsNoteAreaCovered(size_t index, float x, float y, float w, float h);
// When the shown card right above the one at index lies over it towards the bottom right, as in a
// cascade, its body shows only in a left and a top strip: their width and height (each with room
// for the upper card's rounded corner). False when more of it shows.
bool NoteBodyStrips(size_t index, float* leftW, float* topH);
// The card's close box (22 x 22 near its top right corner).
void NoteCloseBoxRect(const PerformanceNoteCard& card, float* x, float* y, float* w, float* h);

// ---- each frame ----
// Every card, first to last, whether or not the learning screen is open.
void DrawPerformanceNotes();
// Then the skills radar's flash over everything, while one runs.
void DrawSkillsRadarFlash();
// A rule from (x, y) across width in the notes' rule colour.
void DrawNoteRule(float x, float y, float width, float alpha);

// ---- input ----
// The index of the top shown card under the point, -1 when none. A card takes every press and
// wheel turn over it, and hides what lies beneath from the pointer.
int PerformanceNoteAt(int x, int y);
// A left press: the top card under it closes (close box) or comes to the top, and its masthead
// starts a drag; true when a card took it.
bool PerformanceNoteMouseDown(int x, int y);
// A move while a card is dragged: the card follows the pointer (gMouseX, gMouseY); true when one did.
bool PerformanceNoteMouseMove();
// Button-up ends every card's drag; true when one was on.
bool PerformanceNoteMouseUp();
// A card is being dragged.
bool IsPerformanceNoteDragging();
