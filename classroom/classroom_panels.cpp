// classroom/classroom_panels: the frame's call into the classroom panels.
#include "classroom/classroom_panels.h"

#include "classroom/attendance_panel.h"
#include "classroom/attendance_view.h"
#include "classroom/code_entries.h"
#include "classroom/institution_panel.h"
#include "classroom/institution_panel_state.h"
#include "gfx/layout.h"
#include "platform/keys.h"

// ---- public functions ----
void StepClassroomPanels(float elapsedSeconds) {
  StepAttendancePanes(elapsedSeconds);
  StepInstitutionPanel();
}

void DrawClassroomPanels() {
  DrawAttendancePanel();
  DrawAttendanceView();
  DrawInstitutionPanel();
}

bool ClassroomPanelHasKeyboard() {
  return (gInstitutionPanelOpen && gInstitutionEntryActive) || (gAttendanceViewOpen && gAttendanceViewEntryActive) ||
         AttendancePanelHasKeyboard();
}

bool IsClassroomPanelOpen() { return gInstitutionPanelOpen || gAttendanceViewOpen || gAttendancePanelOpen; }

bool ClassroomPanelsMouseDown(int x, int y) {
  return InstitutionPanelOnClick(x, y) || AttendanceViewOnClick(x, y) || AttendancePanelOnClick(x, y);
}

bool ClassroomPanelsKeyDown(int virtualKey, bool shift, bool ctrl) {
  if (virtualKey == kKeyEscape && (InstitutionPanelOnEscape() || AttendanceViewOnEscape())) return true;
  if (AttendancePanelOnKeyDown(virtualKey, shift, ctrl)) return true;
  // The entries take their text as characters, and the view behind an open panel is neither seen
  // nor pointed at: no key-down may act as one of its commands (F12 and Alt+F4 come before this).
  return IsClassroomPanelOpen();
}

bool ClassroomPanelsWheel(int x, int y, int wheelDelta) {
  return InstitutionPanelOnWheel(x, y, wheelDelta) || AttendancePanelOnWheel(wheelDelta);
}

bool ClassroomPanelsChar(uint32_t character) {
  return InstitutionPanelOnChar(character) || AttendanceViewOnChar(character) || AttendancePanelOnChar(character);
}

bool IsPointOnClassroomPanel(int x, int y) {
  const float s = GetUiScale();
  return (gInstitutionPanelOpen && PointInRect(LayoutInstitutionPanel(s).panel, x, y)) ||
         (gAttendanceViewOpen && PointInRect(LayoutAttendanceView(s).panel, x, y)) ||
         (gAttendancePanelOpen && PointInRect(LayoutAttendancePanel(s).panel, x, y));
}
