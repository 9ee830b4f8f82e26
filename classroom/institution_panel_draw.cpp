// classroom/institution_panel_draw: the institution panel drawn from its layout. Messages and the
// server's status texts are kept in their shown form and drawn verbatim, as are pupils' names and
// codes; the panel's labels go through the translation call. Shared texts are read under their
// mutex.
#include "classroom/institution_panel.h"

#include <GL/gl.h>

#include <algorithm>
#include <mutex>
#include <string>

#include "classroom/class_operations.h"
#include "classroom/classroom_panel_state.h"
#include "classroom/classroom_settings.h"
#include "classroom/institution_panel_state.h"
#include "classroom/panel_look.h"
#include "gfx/draw_alpha.h"
#include "gfx/layout.h"
#include "gfx/rounded_rect.h"
#include "gfx/translate.h"
#include "gfx/widgets_draw.h"

// ---- constants ----
static const float kGold[3] = {0.96f, 0.8f, 0.34f};
static const float kDim[3] = {0.62f, 0.68f, 0.78f};

// ---- internal helpers ----
static std::string EntryHint(int mode) {
  switch (mode) {
    case kEntryTeacherCode: return "Paste your teacher code, then Enter";
    case kEntryClassName: return "Class name, then Enter";
    case kEntryPupilCode: return "Paste the student code, then Enter";
    case kEntryBillingReference: return "Billing reference (optional)";
    default: return "New student's name, then Enter";
  }
}

// The panel's message and the server's status texts, each over as many lines as the room left
// allows (the seat request's text names the supplier's address, which must not be cut off).
static void StatusLines(const InstitutionPanelLayout& l, float y, bool seats, int lineBudget) {
  std::string classStatus, rosterStatus, seatText;
  {
    std::lock_guard<std::mutex> lock(gClassListMutex);
    classStatus = gClassStatusText;
  }
  {
    std::lock_guard<std::mutex> lock(gRosterMutex);
    rosterStatus = gRosterStatusText;
  }
  {
    std::lock_guard<std::mutex> lock(gSeatRequestMutex);
    seatText = gSeatRequestText;
  }
  if (!ClassroomServerConfigured()) {
    if (!gInstitutionPanelMessage.empty()) {
      DrawVerbatim(gFontSmall, l.textLeft, y, gInstitutionPanelMessage, l.textWidth, kGold[0], kGold[1], kGold[2], 1);
      y += l.lineHeight;
    }
    DrawLabel(gFontSmall, l.textLeft, y, kNoServerText, l.textWidth, kDim[0], kDim[1], kDim[2], 1);
    return;
  }
  static const std::string kNone;
  struct Line {
    const std::string* text;
    const float* colour;
  };
  // The second view shows the class status too: its class-code button makes a class or fails to.
  const Line texts[] = {{&gInstitutionPanelMessage, kGold}, {&classStatus, kDim}, {seats ? &seatText : &kNone, kDim},
                        {&rosterStatus, kDim}};
  int waiting = 0;  // texts still to draw, each keeping a line of the budget
  for (const Line& t : texts) waiting += !t.text->empty();
  for (const Line& t : texts) {
    if (t.text->empty()) continue;
    --waiting;
    const int room = std::max(1, lineBudget - waiting);
    const int used = DrawVerbatimLines(gFontSmall, l.textLeft, y, *t.text, l.textWidth, l.lineHeight, room, t.colour[0],
                                       t.colour[1], t.colour[2], 1);
    y += (float)used * l.lineHeight;
    lineBudget -= used;
  }
}

static void DrawMainView(const InstitutionPanelLayout& l) {
  DrawClassroomPill(l.newStudentButton, "Add student", kPillGold, true);
  DrawClassroomPill(l.exportButton, "Export class report", kPillPlain, true);
  DrawClassroomPill(l.registerButton, "Register", kPillPlain, true);
  DrawClassroomPill(l.classViewButton, "Class and attendance", kPillPlain, true);
  DrawClassroomPill(l.subViewButton, "Codes and seats", kPillPlain, true);
  if (gInstitutionEntryActive)
    DrawEntryBox(l.entryBox, gInstitutionEntryText, true, gInstitutionEntryMode == kEntryTeacherCode ||
                 gInstitutionEntryMode == kEntryPupilCode, EntryHint(gInstitutionEntryMode));
  StatusLines(l, l.messageY, false, kInstitutionStatusLines);
  std::vector<ClassPupil> pupils;
  {
    std::lock_guard<std::mutex> lock(gClassListMutex);
    pupils = gClassPupils;
  }
  if (pupils.empty()) return;
  DrawLabel(gFontSmall, l.textLeft, l.pupilsTitleY, "Pupils", l.textWidth, kGold[0], kGold[1], kGold[2], 1);
  if (l.pupilCount > (int)l.pupilRows.size()) {
    // Which rows the wheel has brought into view, of how many.
    int last = l.firstPupil + (int)l.pupilRows.size();
    std::string shown = std::to_string(l.firstPupil + 1) + "-" + std::to_string(last) + " / " + std::to_string(l.pupilCount);
    float w = MeasureText(gFontSmall, shown, 12.0f);
    DrawVerbatim(gFontSmall, l.textLeft + l.textWidth - w, l.pupilsTitleY, shown, w + 1, kDim[0], kDim[1], kDim[2], 1);
  }
  for (const PupilRowRects& r : l.pupilRows) {
    if (r.pupil >= (int)pupils.size()) continue;
    const ClassPupil& p = pupils[(size_t)r.pupil];
    bool selected = r.pupil == gSelectedPupilIndex;
    SetGlColor(selected ? 0.18f : 0.11f, selected ? 0.2f : 0.14f, selected ? 0.28f : 0.2f, 0.92f);
    FillRoundedRect(r.row.x, r.row.y, r.row.w, r.row.h, 6.0f, 8);
    float room = (selected ? r.removeButton.x : r.row.x + r.row.w) - r.row.x - 16;
    DrawVerbatim(gFontSmall, r.row.x + 10, BaselineIn(gFontSmall, r.row), p.name.empty() ? p.studentId : p.name, room,
                 0.95f, 0.96f, 0.98f, 1);
    if (!selected) continue;
    bool removeArmed = gPupilActionStage == kPupilActionRemove, blockArmed = gPupilActionStage == kPupilActionBlock;
    DrawClassroomPill(r.removeButton, removeArmed ? "Remove?" : "Remove", removeArmed ? kPillRed : kPillPlain, true);
    DrawClassroomPill(r.blockButton, blockArmed ? "Block?" : "Block", blockArmed ? kPillRed : kPillPlain, true);
  }
}

static void DrawSubView(const InstitutionPanelLayout& l) {
  DrawClassroomPill(l.backButton, "Back", kPillPlain, true);
  DrawClassroomPill(l.pupilCodeButton, "Copy student code", kPillPlain, true);
  DrawClassroomPill(l.classCodeButton, "Copy class code", kPillGold, true);
  DrawClassroomPill(l.teacherCodeButton, "Teacher code", kPillPlain, true);
  DrawClassroomPill(l.pricingButton, "Pricing", kPillPlain, true);
  DrawLabel(gFontSmall, l.textLeft, BaselineIn(gFontSmall, l.seatMinus), "Seats", l.seatMinus.x - l.textLeft - 6,
            kDim[0], kDim[1], kDim[2], 1);
  DrawClassroomPill(l.seatMinus, "-", kPillPlain, true, true);
  DrawClassroomPill(l.seatPlus, "+", kPillPlain, true, true);
  std::string count = gSeatRequestCount < 0 ? "-" : std::to_string(gSeatRequestCount);
  {
    ScopedTrSuppress digits;
    DrawTextCentred(gFontMain, l.seatCount, count, 0.95f, 0.96f, 0.98f, 1);
  }
  DrawClassroomPill(l.requestButton, "Request", kPillGold, gSeatRequestCount >= 1);
  bool billingActive = gInstitutionEntryActive && gInstitutionEntryMode == kEntryBillingReference;
  DrawEntryBox(l.billingBox, billingActive ? gInstitutionEntryText : gBillingReference, billingActive, false,
               EntryHint(kEntryBillingReference));
  if (gInstitutionEntryActive && !billingActive)
    DrawEntryBox(l.entryBox, gInstitutionEntryText, true,
                 gInstitutionEntryMode == kEntryTeacherCode || gInstitutionEntryMode == kEntryPupilCode,
                 EntryHint(gInstitutionEntryMode));
  StatusLines(l, l.messageY, true,
              std::max(1, (int)((l.panel.y + l.panel.h - l.messageY) / std::max(l.lineHeight, 1.0f))));
}

// ---- public functions ----
void DrawInstitutionPanel() {
  if (!gInstitutionPanelOpen) return;
  InstitutionPanelLayout l = LayoutInstitutionPanel(GetUiScale());
  gAttendancePanelButtonRect = l.registerButton;
  DrawClassroomPanel(l.panel, l.header, gInstitutionSubViewOpen ? "Codes and seats" : "Institution", l.scale);
  DrawCloseCross(l.closeButton);
  if (gInstitutionSubViewOpen) DrawSubView(l);
  else DrawMainView(l);
}
