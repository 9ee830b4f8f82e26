// app/students_panel_input: the students panel's clicks and its colour-wheel drag.
#include "app/students_panel_input.h"

#include <string>

#include "app/base/app_state.h"
#include "app/base/pointer.h"
#include "app/base/status_text.h"
#include "app/base/view_modes.h"
#include "app/main_loop.h"
#include "gfx/hit_regions.h"
#include "gfx/layout.h"
#include "gfx/text_field.h"
#include "gfx/translate.h"
#include "learning/placement.h"
#include "learning_ui/placement_prompt.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "practice/data_files.h"
#include "practice/student_colours.h"
#include "practice/students.h"

// ---- constants ----
constexpr uint64_t kBinConfirmMs = 4000;   // the second click on a bin must come within this

// ---- internal helpers ----
static bool IsStudentIndex(int index) { return index >= 0 && index < (int)gStudents.size(); }

static void ForgetBinConfirmation() {
  gHighlightRowId = -1;
  gHighlightDeadlineMs = 0;
}

// The first laid-out row whose rectangle in rects holds the point, -1 when none.
static int RowAt(const std::vector<RectF>& rects, int x, int y) {
  for (size_t i = 0; i < rects.size() && i < gStudentRowStudents.size(); ++i)
    if (PointInRect(rects[i], x, y)) return (int)i;
  return -1;
}

static void ApplyWheelColour(int x, int y) {
  float r = 0, g = 0, b = 0;
  if (!PickWheelColour(x, y, &r, &g, &b) || !IsStudentIndex(gSelectedStudentRow)) return;
  Student& s = gStudents[(size_t)gSelectedStudentRow];
  s.r = r, s.g = g, s.b = b;
  NormalizeStudentColour(s);
  gStudentsDirty = true;
}

static void ClickSwatch(int index) {
  gColourPopupOpen = !(gColourPopupOpen && gSelectedStudentRow == index);
  gColourWheelDrag = false;
  gSelectedStudentRow = index;
}

static void ClickName(int index) {
  if (index != gActiveStudentIndex) {
    SwitchActiveStudent(index);
    gStudentView = true;
  } else {
    gStudentView = !gStudentView;
  }
  RelayoutAll();
}

static void ClickBin(int index) {
  std::string name = gStudents[(size_t)index].name;
  if (IsHighlightActive(index)) {
    const unsigned said = gStatusText.Sets();
    DeleteStudent(index);
    ForgetBinConfirmation();
    // The rows move up: a later wheel pick must not recolour another student.
    gColourPopupOpen = gColourWheelDrag = false;
    gSelectedStudentRow = -1;
    // What the deletion had to say itself (a lesson song stopped unrecorded, a save refused) is
    // news the plain "Removed" would hide; the row gone from the list says that much.
    if (gStatusText.Sets() == said) gStatusText = TrF("Removed %s", name.c_str());
    RelayoutAll();
  } else {
    gHighlightRowId = index;
    gHighlightDeadlineMs = ClockTickMs64() + kBinConfirmMs;
    gStatusText = TrF("Delete %s and all their progress? Click the bin again", name.c_str());
  }
}

static void FocusNameEntry() {
  gStudentNameEntryActive = true;
  TextField& f = gStudentNameField;
  f.cursor = f.anchor = (int)f.text.size();
}

// ---- public functions ----
void CloseStudentsPanel() {
  gStudentListOpen = false;
  gStudentNameEntryActive = false;
  gColourPopupOpen = gColourWheelDrag = false;
  gSelectedStudentRow = -1;
  SaveDirtyStudents();
  SaveDirtyStores();
}

void ToggleStudentsPanel() {
  if (gStudentListOpen) {
    CloseStudentsPanel();
  } else {
    gStudentListOpen = true;
    // The list opens where it was left, turned on as far as the active student when it left them out.
    ShowStudentInPanel(GetActiveStudentIndex());
  }
  gFileMenuOpen = false;
  gStudentNameEntryActive = false;
  RelayoutAll();
}

bool StudentsPanelMouseDown(int x, int y) {
  if (!gStudentListOpen) return false;
  if (gColourPopupOpen) {
    float r = 0, g = 0, b = 0;
    if (PickWheelColour(x, y, &r, &g, &b) && IsStudentIndex(gSelectedStudentRow)) {
      ApplyWheelColour(x, y);
      gColourWheelDrag = true;
      CaptureMouse(true);
      return true;
    }
    RectF box;
    float cx = 0, cy = 0, radius = 0;
    if (ShowColourPopup(&box, &cx, &cy, &radius) && PointInRect(box, x, y)) return true;
  }
  int row = RowAt(gStudentSwatchRects, x, y);
  if (row >= 0 && IsStudentIndex(gStudentRowStudents[(size_t)row])) {
    ClickSwatch(gStudentRowStudents[(size_t)row]);
    return true;
  }
  row = RowAt(gStudentNameRects, x, y);
  if (row >= 0 && IsStudentIndex(gStudentRowStudents[(size_t)row])) {
    ClickName(gStudentRowStudents[(size_t)row]);
    return true;
  }
  row = RowAt(gStudentBinRects, x, y);
  if (row >= 0 && IsStudentIndex(gStudentRowStudents[(size_t)row])) {
    ClickBin(gStudentRowStudents[(size_t)row]);
    return true;
  }
  if (PointInRect(gPlacementQuizButtonRect, x, y)) {
    // The quiz saves to the chosen student; while none is, the header asks for one in these words.
    if (gStudents.empty()) {
      gStatusText = "Add a student first - the placement quiz saves to their profile";
      FocusNameEntry();
    } else if (!HasActiveStudent()) {
      gStatusText = "Choose a student";
    } else {
      OpenPlacementPrompt();
    }
    return true;
  }
  if (PointInRect(gAddStudentButtonRect, x, y)) {
    AddStudentAction();
    return true;
  }
  if (PointInRect(gStudentNameEntryRect, x, y)) {
    FocusNameEntry();
    return true;
  }
  for (size_t i = 0; i < gCompactStudentRects.size() && i < gCompactStudentIndices.size(); ++i) {
    if (!PointInRect(gCompactStudentRects[i], x, y) || !IsStudentIndex(gCompactStudentIndices[i])) continue;
    SwitchActiveStudent(gCompactStudentIndices[i]);
    CloseStudentsPanel();
    RelayoutAll();
    return true;
  }
  gStudentNameEntryActive = false;
  if (PointInRect(gStudentsPanelRect, x, y)) return true;
  CloseStudentsPanel();
  RelayoutAll();
  return false;
}

bool StudentsPanelCovers(int x, int y) {
  if (!gStudentListOpen) return false;
  if (PointInRect(gStudentsPanelRect, x, y)) return true;
  RectF box;
  float cx = 0, cy = 0, radius = 0;
  return ShowColourPopup(&box, &cx, &cy, &radius) && PointInRect(box, x, y);
}

bool StudentsPanelWheel(int x, int y, int delta) {
  if (!StudentsPanelCovers(x, y)) return false;
  RectF box;
  float cx = 0, cy = 0, radius = 0;
  // The popup stands over the list: a turn there would move rows the user cannot see.
  if (ShowColourPopup(&box, &cx, &cy, &radius) && PointInRect(box, x, y)) return true;
  ScrollStudentsPanel((float)delta / 120.0f);
  RelayoutAll();
  return true;
}

bool StudentsPanelSwallowsDoubleClick(int x, int y) {
  return gStudentListOpen && RowAt(gStudentBinRects, x, y) >= 0;
}

void FollowColourWheelDrag(int x, int y) {
  if (gColourWheelDrag) ApplyWheelColour(x, y);
}

void ForgetClosedPanelEdits() {
  if (gStudentListOpen) return;
  ForgetBinConfirmation();
  gColourPopupOpen = gColourWheelDrag = false;
  gSelectedStudentRow = -1;
}

void EndColourWheelDrag() {
  gColourWheelDrag = false;
  SaveDirtyStudents();
}
