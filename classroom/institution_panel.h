// classroom/institution_panel: the institution panel on screen: its layout, its clicks and Escape
// layers, the pupil rows of the loaded class list with their two-press Remove and Block, and its
// drawing (institution_panel_draw). Its ways out to the register and the class view are two
// buttons of its main view. UI thread only.
#pragma once
#include <string>
#include <vector>

#include "gfx/rect.h"

// Where the button that opens the register is; hidden while not shown.
extern RectF gAttendancePanelButtonRect;

// The pupil action armed by a first press on the selected pupil's buttons.
enum PupilActionStage { kPupilActionNone = 0, kPupilActionRemove = 1, kPupilActionBlock = 2 };

struct PupilRowRects {
  int pupil;  // index into gClassPupils
  RectF row, removeButton, blockButton;
};

// Lines the main view keeps for its message and the two status texts, above the pupils.
constexpr int kInstitutionStatusLines = 3;

// Every rectangle of the panel; hidden parts carry kHiddenRect.
struct InstitutionPanelLayout {
  float scale = 1;
  RectF panel = kHiddenRect, header = kHiddenRect, closeButton = kHiddenRect;
  float textLeft = 0, textWidth = 0, lineHeight = 0;
  // Main view.
  RectF newStudentButton = kHiddenRect, exportButton = kHiddenRect, registerButton = kHiddenRect,
        classViewButton = kHiddenRect, subViewButton = kHiddenRect;
  float pupilsTitleY = 0;
  std::vector<PupilRowRects> pupilRows;
  RectF pupilRowsArea = kHiddenRect;   // where the rows stand; the wheel scrolls them there
  int pupilCount = 0, pupilsFit = 0, firstPupil = 0;
  // Second view.
  RectF backButton = kHiddenRect, pupilCodeButton = kHiddenRect, classCodeButton = kHiddenRect,
        teacherCodeButton = kHiddenRect, pricingButton = kHiddenRect;
  RectF seatMinus = kHiddenRect, seatCount = kHiddenRect, seatPlus = kHiddenRect, requestButton = kHiddenRect;
  RectF billingBox = kHiddenRect;
  // Both views: the entry (while active, and the billing box in the second view) and the text lines.
  RectF entryBox = kHiddenRect;
  float messageY = 0;
};

// The panel's rectangles at this UI scale for the current view, entry and pupil list.
InstitutionPanelLayout LayoutInstitutionPanel(float uiScale);
// Opens the panel with its new-student entry active and holding the name (printable ASCII, cut to
// the entry's length): the way in from the students panel's add button.
void OpenInstitutionPanelForStudent(const std::string& name);

// A press: false while closed; otherwise the panel takes it (a press outside closes it).
bool InstitutionPanelOnClick(int x, int y);
// The wheel: scrolls the pupil rows when over them; taken whenever the panel is open.
bool InstitutionPanelOnWheel(int x, int y, int wheelDelta);
// Escape: undoes one layer (the entry, the selected pupil, the second view, the panel).
bool InstitutionPanelOnEscape();

// Each frame, open or not: deletes here the students whose pupils the server has removed.
void StepInstitutionPanel();
void DrawInstitutionPanel();
