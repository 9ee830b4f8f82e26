// app/base/app_state: the run flags and the student list's view state.
#include "app/base/app_state.h"

#include "platform/clock.h"

// ---- state ----
bool gAppRunning = true;            // cleared once to leave the main loop
bool gMainWindowOpen = false;       // between window creation and destruction
bool gWindowMinimised = false;      // from a minimise until the window shows again
bool gStudentListOpen = false;      // the list is shown
bool gColourPopupOpen = false;      // the selected row's colour popup is open
bool gColourWheelDrag = false;      // the wheel is being dragged
bool gStudentsDirty = false;        // the list waits to be saved
int gSelectedStudentRow = -1;       // selected row, -1 none
bool gStudentNameEntryActive = false;   // the new-student entry has the focus
int gHighlightRowId = -1;           // highlighted row id, -1 none
uint64_t gHighlightDeadlineMs = 0;  // its deadline on ClockTickMs64

// ---- public functions ----
bool IsHighlightActive(int id) {
  return id == gHighlightRowId && gHighlightRowId != -1 && ClockTickMs64() < gHighlightDeadlineMs;
}

void ResetStudentListView() {
  gStudentListOpen = false;
  gColourPopupOpen = false;
  gColourWheelDrag = false;
  gStudentsDirty = false;
  gSelectedStudentRow = -1;
  gStudentNameEntryActive = false;
  gHighlightRowId = -1;
  gHighlightDeadlineMs = 0;
}
