// classroom/classroom_panels: the frame's call into the classroom panels.
#include "classroom/classroom_panels.h"

#include "classroom/attendance_panel.h"
#include "classroom/attendance_view.h"
#include "classroom/code_entries.h"
#include "classroom/institution_panel.h"
#include "classroom/institution_panel_state.h"

// ---- public functions ----
void DrawClassroomPanels(float elapsedSeconds) {
  StepAttendancePanes(elapsedSeconds);
  DrawAttendancePanel();
  DrawAttendanceView();
  DrawInstitutionPanel();
}

bool ClassroomPanelHasKeyboard() {
  return (gInstitutionPanelOpen && gInstitutionEntryActive) || (gAttendanceViewOpen && gAttendanceViewEntryActive) ||
         AttendancePanelHasKeyboard();
}
