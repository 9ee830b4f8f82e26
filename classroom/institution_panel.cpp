// classroom/institution_panel: layout and clicks of the institution panel.
#include "classroom/institution_panel.h"

#include <algorithm>
#include <cmath>
#include <mutex>

#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "classroom/attendance_panel.h"
#include "classroom/class_operations.h"
#include "classroom/class_report.h"
#include "classroom/classroom_codes.h"
#include "classroom/classroom_panel_state.h"
#include "classroom/classroom_settings.h"
#include "classroom/code_entries.h"
#include "classroom/institution_panel_state.h"
#include "classroom/panel_frame.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "gfx/text_field.h"
#include "gfx/translate.h"
#include "platform/web_browser.h"
#include "practice/students.h"

// ---- constants ----
static const int kMaxSeatRequest = 1000;
static const char kMakingClassCode[] = "Making a class code...";   // shown while the class is made

// ---- state ----
RectF gAttendancePanelButtonRect = kHiddenRect;  // the register's opening button

// ---- internal helpers ----
static std::vector<ClassPupil> PupilsCopy() {
  std::lock_guard<std::mutex> lock(gClassListMutex);
  return gClassPupils;
}

// The id of the pupil in that row of the list as it is now; "" past its end.
static std::string PupilIdAt(int index) {
  std::lock_guard<std::mutex> lock(gClassListMutex);
  return index >= 0 && index < (int)gClassPupils.size() ? gClassPupils[(size_t)index].studentId : "";
}

// The layout for this window, with the register button's rectangle published for its hit test.
static InstitutionPanelLayout FreshLayout() {
  InstitutionPanelLayout l = LayoutInstitutionPanel(GetUiScale());
  gAttendancePanelButtonRect = l.registerButton;
  return l;
}

static void LeaveEntry() {
  gInstitutionEntryActive = false;
  gInstitutionEntryText.clear();
  gInstitutionEntryMode = kEntryStudentName;
}

static void StartEntry(int mode, const std::string& text) {
  gInstitutionEntryActive = true;
  gInstitutionEntryMode = mode;
  gInstitutionEntryText = text;
}

// No pupil chosen and no action armed.
static void DropPupilChoice() {
  gSelectedPupilIndex = -1;
  gPupilActionStage = kPupilActionNone;
}

static void ClosePanel() {
  gInstitutionPanelOpen = false;
  DropPupilChoice();
  gAttendancePanelButtonRect = kHiddenRect;
}

// A second press on the armed action removes the pupil from the class at the server and deletes
// the local student of exactly that id and shown name.
static void PressPupilAction(int pupil, int stage) {
  std::vector<ClassPupil> pupils = PupilsCopy();
  if (pupil < 0 || pupil >= (int)pupils.size()) return;
  if (gPupilActionStage != stage) {
    gPupilActionStage = stage;
    return;
  }
  const ClassPupil p = pupils[(size_t)pupil];
  if (p.studentId != gSelectedPupilId) {
    // The list was reloaded since the row was chosen and another pupil stands in it now.
    DropPupilChoice();
    return;
  }
  bool block = stage == kPupilActionBlock;
  std::string name = p.name.empty() ? p.studentId : p.name;
  // The local student goes once the server has let the pupil go (StepInstitutionPanel): deleted
  // at the press, a refused or failed request lost their records while they stayed in the class.
  bool sent = StartRemoveStudent(p.classId, p.studentId, name, block);
  gInstitutionPanelMessage.clear();
  if (sent && block) ShowClassOpMessage(TrF("Blocking %s's device...", name.c_str()));
  DropPupilChoice();
}

// A class is made only for a list that loaded and holds none: a list that failed to load says
// nothing about the classes at the server, and a class made then was a new one at every press.
static void CopyClassCode() {
  std::string code;
  bool loaded = false, none = true;
  {
    std::lock_guard<std::mutex> lock(gClassListMutex);
    loaded = gClassListLoaded;
    none = gClassList.empty();
    for (const ClassInfo& c : gClassList)
      if (!c.joinCode.empty()) {
        code = c.joinCode;
        break;
      }
  }
  if (!code.empty()) {
    SetClipboardText(code);
    gInstitutionPanelMessage = TrF("Class code %s copied - read it out to your pupils", code.c_str());
  } else if (loaded && none) {
    gInstitutionPanelMessage.clear();
    if (StartCreateClass("Class")) ShowClassOpMessage(Tr(kMakingClassCode));
  } else {
    // The class status says why there is no code (the load's failure) and then how the new try went.
    gInstitutionPanelMessage.clear();
    StartLoadClasses();
  }
}

static void CopyPupilCode() {
  std::string code = StudentCodeCopy();
  if (code.empty()) {
    StartEntry(kEntryPupilCode, "");
    return;
  }
  SetClipboardText(code);
  gInstitutionPanelMessage = Tr("Student code copied - send it to your pupils");
}

static bool MainViewClick(const InstitutionPanelLayout& l, int x, int y) {
  if (gInstitutionEntryActive) {
    if (PointInRect(l.entryBox, x, y)) return true;
    // An entry with nothing typed in it (as Add opens the panel) costs nothing to leave: a press
    // on the panel goes on to the button it was meant for rather than seeming dead.
    const bool typed = !gInstitutionEntryText.empty();
    LeaveEntry();
    if (typed || !PointInRect(l.panel, x, y)) return true;
  }
  if (PointInRect(l.closeButton, x, y)) return ClosePanel(), true;
  if (PointInRect(l.exportButton, x, y)) return ExportInstitutionReport(), true;
  if (PointInRect(l.newStudentButton, x, y)) {
    StartEntry(kEntryStudentName, "");
    gInstitutionPanelMessage.clear();
    return true;
  }
  if (PointInRect(l.subViewButton, x, y)) {
    gInstitutionSubViewOpen = true;
    return true;
  }
  if (HitTestAttendancePanelButton(x, y)) {
    ClosePanel();
    OpenAttendancePanel();
    return true;
  }
  if (PointInRect(l.classViewButton, x, y)) {
    ClosePanel();
    OpenAttendanceView();
    return true;
  }
  for (const PupilRowRects& r : l.pupilRows) {
    if (r.pupil == gSelectedPupilIndex && PointInRect(r.removeButton, x, y))
      return PressPupilAction(r.pupil, kPupilActionRemove), true;
    if (r.pupil == gSelectedPupilIndex && PointInRect(r.blockButton, x, y))
      return PressPupilAction(r.pupil, kPupilActionBlock), true;
    if (PointInRect(r.row, x, y)) {
      gSelectedPupilIndex = r.pupil == gSelectedPupilIndex ? -1 : r.pupil;
      gSelectedPupilId = PupilIdAt(gSelectedPupilIndex);
      gPupilActionStage = kPupilActionNone;
      return true;
    }
  }
  if (!PointInRect(l.panel, x, y)) ClosePanel();
  return true;
}

static bool SubViewClick(const InstitutionPanelLayout& l, int x, int y) {
  if (PointInRect(l.backButton, x, y)) {
    gInstitutionSubViewOpen = false;
    return true;
  }
  if (PointInRect(l.pupilCodeButton, x, y)) return CopyPupilCode(), true;
  if (PointInRect(l.seatMinus, x, y)) {
    gSeatRequestCount = std::max(gSeatRequestCount - 1, 1);
    return true;
  }
  if (PointInRect(l.seatPlus, x, y)) {
    gSeatRequestCount = std::min(gSeatRequestCount + 1, kMaxSeatRequest);
    return true;
  }
  if (PointInRect(l.billingBox, x, y) && !(gInstitutionEntryActive && gInstitutionEntryMode == kEntryBillingReference)) {
    StartEntry(kEntryBillingReference, gBillingReference);
    return true;
  }
  if (PointInRect(l.requestButton, x, y)) {
    if (gInstitutionEntryActive && gInstitutionEntryMode == kEntryBillingReference) {
      gBillingReference = gInstitutionEntryText;
      gInstitutionEntryActive = false;
      gInstitutionEntryMode = kEntryStudentName;
    }
    StartRequestSeats();
    return true;
  }
  if (PointInRect(l.classCodeButton, x, y)) return CopyClassCode(), true;
  if (PointInRect(l.teacherCodeButton, x, y)) {
    LoadTeacherToken();
    StartEntry(kEntryTeacherCode, "");
    return true;
  }
  if (PointInRect(l.pricingButton, x, y)) {
    gInstitutionPanelMessage = OpenWebAddress(gPricingAddress) ? Tr("Opened institution pricing in your browser")
                                                               : Tr("Couldn't open your browser");
    return true;
  }
  if (gInstitutionEntryActive && PointInRect(l.entryBox, x, y)) return true;
  if (PointInRect(l.panel, x, y)) return true;
  gInstitutionSubViewOpen = false;
  return true;
}

// ---- public functions ----
void StepInstitutionPanel() {
  // A reloaded list may have put another pupil in the chosen row: the choice and its armed action go.
  if (gSelectedPupilIndex >= 0 && PupilIdAt(gSelectedPupilIndex) != gSelectedPupilId) DropPupilChoice();
  // The server picks its pupils' ids and a student's id here is the slug of a typed name: the same
  // id under another name is someone else, whose records must stay. Names are told apart as the
  // students panel tells them apart (case and outer spaces aside), and a pupil the server gave no
  // name was shown, and is matched, by its id.
  for (const ClassPupil& pupil : TakeRemovedPupils())
    for (size_t i = 0; i < gStudents.size(); ++i)
      if (gStudents[i].id == pupil.studentId && StudentNameKey(gStudents[i].name) == StudentNameKey(pupil.name)) {
        DeleteStudent((int)i);
        break;
      }
  // The operation is done or refused: the class status says which, the busy message goes (unless
  // another message has taken its place meanwhile).
  if (!gClassOpMessage.empty() && gClassOpBusy.load() == 0) {
    if (gInstitutionPanelMessage == gClassOpMessage) gInstitutionPanelMessage.clear();
    gClassOpMessage.clear();
  }
}
InstitutionPanelLayout LayoutInstitutionPanel(float s) {
  InstitutionPanelLayout l;
  l.scale = s;
  const float pad = PanelPx(18 * s, 12);
  const PanelFrame frame = LayoutCentredPanel(s, 640, 500, 600, 480, pad);
  l.panel = frame.panel, l.header = frame.header, l.closeButton = frame.closeButton;
  const float w = l.panel.w, h = l.panel.h, band = l.header.h;
  float x = l.panel.x + pad, inner = w - 2 * pad, gap = PanelPx(10 * s, 8);
  float pillH = PanelPx(36 * s, 30), half = (inner - gap) / 2;
  float y = l.panel.y + band + pad;
  l.textLeft = x;
  l.textWidth = inner;
  l.lineHeight = PanelPx(24 * s, 20);
  if (!gInstitutionSubViewOpen) {
    l.newStudentButton = {x, y, half, pillH};
    l.exportButton = {x + half + gap, y, half, pillH};
    y += pillH + gap;
    l.registerButton = {x, y, half, pillH};
    l.classViewButton = {x + half + gap, y, half, pillH};
    y += pillH + gap;
    l.subViewButton = {x, y, half, pillH};
    y += pillH + gap;
    if (gInstitutionEntryActive) {
      l.entryBox = {x, y, inner, pillH};
      y += pillH + gap;
    }
    l.messageY = y + l.lineHeight * 0.7f;
    // The message and the status texts, then the pupils.
    y += kInstitutionStatusLines * l.lineHeight + gap;
    l.pupilsTitleY = y + l.lineHeight * 0.7f;
    y += l.lineHeight + 4;
    float rowH = PanelPx(30 * s, 26), rowGap = PanelPx(4 * s, 3), small = PanelPx(78 * s, 64);
    // Wide enough for the armed labels too, so that "Remove?" does not read "Remov...".
    for (const char* label : {"Remove", "Remove?", "Block", "Block?"})
      small = std::max(small, MeasureText(gFontSmall, label, 12.0f) + 14.0f);
    std::vector<ClassPupil> pupils = PupilsCopy();
    float bottom = l.panel.y + h - pad;
    l.pupilRowsArea = {x, y, inner, std::max(bottom - y, 0.0f)};
    l.pupilCount = (int)pupils.size();
    l.pupilsFit = std::max((int)((bottom - y + rowGap) / (rowH + rowGap)), 0);
    // The list may have shrunk since it was scrolled.
    l.firstPupil = ClampInt((int)gInstitutionPanelScroll, 0, std::max(l.pupilCount - l.pupilsFit, 0));
    for (size_t i = (size_t)l.firstPupil; i < pupils.size() && y + rowH <= bottom; ++i, y += rowH + rowGap) {
      PupilRowRects r;
      r.pupil = (int)i;
      r.row = {x, y, inner, rowH};
      if ((int)i == gSelectedPupilIndex) {
        r.blockButton = {x + inner - small - 3, y + 2, small, rowH - 4};
        r.removeButton = {r.blockButton.x - small - 6, y + 2, small, rowH - 4};
      } else {
        r.removeButton = r.blockButton = kHiddenRect;
      }
      l.pupilRows.push_back(r);
    }
  } else {
    l.backButton = {x, y, PanelPx(90 * s, 76), pillH};
    y += pillH + gap;
    l.pupilCodeButton = {x, y, half, pillH};
    l.classCodeButton = {x + half + gap, y, half, pillH};
    y += pillH + gap;
    l.teacherCodeButton = {x, y, half, pillH};
    if (!gPricingAddress.empty()) l.pricingButton = {x + half + gap, y, half, pillH};
    y += pillH + gap;
    float label = PanelPx(90 * s, 70), square = pillH;
    l.seatMinus = {x + label, y, square, pillH};
    l.seatCount = {x + label + square, y, PanelPx(70 * s, 56), pillH};
    l.seatPlus = {l.seatCount.x + l.seatCount.w, y, square, pillH};
    l.requestButton = {l.seatPlus.x + square + gap, y, std::max(x + inner - (l.seatPlus.x + square + gap), 40.0f), pillH};
    y += pillH + gap;
    l.billingBox = {x, y, inner, pillH};
    y += pillH + gap;
    if (gInstitutionEntryActive && gInstitutionEntryMode != kEntryBillingReference) {
      l.entryBox = {x, y, inner, pillH};
      y += pillH + gap;
    } else if (gInstitutionEntryActive) {
      l.entryBox = l.billingBox;
    }
    l.messageY = y + l.lineHeight * 0.7f;
  }
  return l;
}

void OpenInstitutionPanelForStudent(const std::string& name) {
  OpenInstitutionPanel();
  StartEntry(kEntryStudentName, "");
  for (char c : name) {
    if ((int)gInstitutionEntryText.size() >= InstitutionEntryMaxLength()) break;
    if ((unsigned char)c >= 32 && (unsigned char)c <= 126) gInstitutionEntryText.push_back(c);
  }
}

bool InstitutionPanelOnClick(int x, int y) {
  if (!gInstitutionPanelOpen) return false;
  InstitutionPanelLayout l = FreshLayout();
  bool taken = gInstitutionSubViewOpen ? SubViewClick(l, x, y) : MainViewClick(l, x, y);
  if (gInstitutionPanelOpen) FreshLayout();
  return taken;
}

bool InstitutionPanelOnWheel(int x, int y, int wheelDelta) {
  if (!gInstitutionPanelOpen) return false;
  InstitutionPanelLayout l = FreshLayout();
  if (!gInstitutionSubViewOpen && PointInRect(l.pupilRowsArea, x, y)) {
    int rows = wheelDelta / 120;   // a notch up shows earlier rows
    if (rows == 0 && wheelDelta != 0) rows = wheelDelta > 0 ? 1 : -1;
    int most = std::max(l.pupilCount - l.pupilsFit, 0);
    gInstitutionPanelScroll = (float)ClampInt(l.firstPupil - rows, 0, most);
    FreshLayout();
  }
  return true;  // nothing behind the panel scrolls while it is open
}

bool InstitutionPanelOnEscape() {
  if (!gInstitutionPanelOpen) return false;
  if (gInstitutionEntryActive) {
    LeaveEntry();
  } else if (gSelectedPupilIndex >= 0) {
    DropPupilChoice();
  } else if (gInstitutionSubViewOpen) {
    gInstitutionSubViewOpen = false;
  } else {
    ClosePanel();
  }
  if (gInstitutionPanelOpen) FreshLayout();
  return true;
}
