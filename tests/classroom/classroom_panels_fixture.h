// tests/classroom: the classroom stores' fixture with a 1440 x 920 client, three students, the
// panels closed and the clipboard in memory; pressing at a rectangle's centre.
#pragma once
#include "app/base/client_size.h"
#include "app/base/pointer.h"
#include "classroom/attendance_panel.h"
#include "classroom/attendance_view.h"
#include "classroom/class_operations.h"
#include "classroom/code_entries.h"
#include "classroom/institution_panel.h"
#include "classroom/institution_panel_state.h"
#include "gfx/layout.h"
#include "platform/clipboard.h"
#include "tests/classroom/class_stores_fixture.h"

class PanelsTest : public ClassStoresTest {
 protected:
  void SetUp() override {
    gClientWidth = 1440;
    gClientHeight = 920;
    ResetPanels();
    ClipboardUseMemoryForTesting(true);
    gStudents = {Student{"Anna", "anna"}, Student{"Ben", "ben"}, Student{"Cy", "cy"}};
    gActiveStudentIndex = 0;
  }
  void TearDown() override {
    ResetPanels();
    ClipboardUseMemoryForTesting(false);
    ResetClientSize();
  }
  static void ResetPanels() {
    ResetAttendancePanelState();
    ResetInstitutionPanelState();
    ResetCodeEntries();
    ResetClassOperations();
    ResetPointer();
  }
  static int Cx(const RectF& r) { return (int)(r.x + r.w / 2); }
  static int Cy(const RectF& r) { return (int)(r.y + r.h / 2); }
  static AttendancePanelLayout Register() { return LayoutAttendancePanel(GetUiScale()); }
  static bool Press(const RectF& r) { return AttendancePanelOnClick(Cx(r), Cy(r)); }
  static bool DoublePress(const RectF& r) { return AttendancePanelOnDoubleClick(Cx(r), Cy(r)); }
  static void Type(const std::string& text) {
    for (char c : text) AttendancePanelOnChar((unsigned char)c);
  }
};
