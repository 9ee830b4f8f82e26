// The institution panel and the class view without a window: Escape's layers, the seat count's
// limits, the pupil rows' two-press Remove and Block, the codes through the clipboard, the way in
// from the students panel's add button, and the class view's entry modes, against a real HTTPS
// server where the server answers; a pupil the server keeps stays a student here.
#include <gtest/gtest.h>

#include "app/base/client_size.h"
#include "classroom/attendance_panel.h"
#include "classroom/attendance_view.h"
#include "classroom/institution_panel.h"
#include "gfx/layout.h"
#include "gfx/text_field.h"
#include "platform/clipboard.h"
#include "platform/web_browser.h"
#include "practice/students.h"
#include "tests/classroom/classroom_fixture.h"

namespace {

std::vector<std::string> gOpenedAddresses;
bool RecordAddress(const std::string& address) {
  gOpenedAddresses.push_back(address);
  return true;
}

const char kOneClass[] = R"({"classes":[{"classId":"c1","name":"Year 5","joinCode":"ABC234"}],)"
                         R"("students":[{"studentId":"s1","classId":"c1","name":"Ann","deviceId":"d1"},)"
                         R"({"studentId":"s2","classId":"c1","name":"Ben","deviceId":"d2"}]})";

class InstitutionPanel : public ClassroomTest {
 protected:
  void SetUp() override {
    ClassroomTest::SetUp();
    gClientWidth = 1440;
    gClientHeight = 920;
    ResetAttendancePanelState();
    ResetStudents();
    ResetTextFields();
    ClipboardUseMemoryForTesting(true);
    gOpenedAddresses.clear();
    WebBrowserSetOpenerForTesting(RecordAddress);
  }
  void TearDown() override {
    ClassroomTest::TearDown();
    ResetAttendancePanelState();
    ResetStudents();
    ClipboardUseMemoryForTesting(false);
    WebBrowserSetOpenerForTesting(nullptr);
    gAddStudentHook = nullptr;
    ResetClientSize();
  }
  static InstitutionPanelLayout Layout() { return LayoutInstitutionPanel(GetUiScale()); }
  static bool Press(const RectF& r) { return InstitutionPanelOnClick((int)(r.x + r.w / 2), (int)(r.y + r.h / 2)); }
  static void Type(const std::string& text) {
    for (char c : text) InstitutionPanelOnChar((unsigned char)c);
  }
  static std::vector<std::string> PupilsShown() {
    std::lock_guard<std::mutex> lock(gClassListMutex);
    std::vector<std::string> names;
    for (const ClassPupil& p : gClassPupils) names.push_back(p.name);
    return names;
  }
  int Count(const std::string& path) {
    int n = 0;
    for (const RecordedRequest& r : server_.Requests()) n += r.path == path;
    return n;
  }
  HttpsTestServer server_;
};

TEST_F(InstitutionPanel, EscapeUndoesOneLayerAtATime) {
  OpenInstitutionPanel();
  Press(Layout().subViewButton);
  Press(Layout().teacherCodeButton);
  ASSERT_TRUE(gInstitutionEntryActive);
  Type("ORG:x");
  for (int layer = 0; layer < 3; ++layer) EXPECT_TRUE(InstitutionPanelOnEscape()) << layer;
  EXPECT_FALSE(gInstitutionPanelOpen);
  EXPECT_FALSE(InstitutionPanelOnEscape());
  // The character that follows Escape's key-down finds no entry and is not the panel's.
  EXPECT_FALSE(InstitutionPanelOnChar(27));
  EXPECT_FALSE(InstitutionPanelOnClick(1, 1));

  // In the main view an entry takes a press outside it as leaving the entry, then a press outside closes.
  OpenInstitutionPanel();
  Press(Layout().newStudentButton);
  EXPECT_TRUE(InstitutionPanelOnClick(1, 1));
  EXPECT_FALSE(gInstitutionEntryActive);
  EXPECT_TRUE(gInstitutionPanelOpen);
  EXPECT_TRUE(InstitutionPanelOnClick(1, 1));
  EXPECT_FALSE(gInstitutionPanelOpen);
}

TEST_F(InstitutionPanel, SeatCountStaysWithinItsLimits) {
  const struct { int from, plus, minus, to; } cases[] = {
      {-1, 1, 0, 0}, {-1, 0, 1, 1}, {1000, 1, 0, 1000}, {1, 0, 3, 1}, {5, 2, 1, 6},
  };
  for (const auto& c : cases) {
    OpenInstitutionPanel();
    gInstitutionSubViewOpen = true;
    gSeatRequestCount = c.from;
    for (int i = 0; i < c.plus; ++i) Press(Layout().seatPlus);
    for (int i = 0; i < c.minus; ++i) Press(Layout().seatMinus);
    EXPECT_EQ(gSeatRequestCount, c.to) << c.from << " +" << c.plus << " -" << c.minus;
  }
}

TEST_F(InstitutionPanel, TeacherHandsOutCodesAsksForSeatsAndRemovesPupils) {
  ASSERT_TRUE(server_.ok());
  TeacherDevice(server_.BaseUrl());
  server_.SetRoutes(std::string(R"({"/class/roster":[{"body":)") + RouteText(kOneClass) +
                    R"(}],"/class/remove-student":[{"body":"{}"}],"/class/block-device":[{"body":"{}"}],)"
                    R"("/class/request-seats":[{"body":"{\"emailed\":true}"}],"/class/seats":[{"body":"{}"}],)"
                    R"("/class/student-code":[{"body":"{}"}]})");
  gStudents = {Student{"Ann", "s1x"}, Student{"Ann", "s1"}, Student{"Ben", "s2"}};
  gActiveStudentIndex = 0;
  OpenInstitutionPanel();
  ASSERT_TRUE(WaitIdle());

  // Pupil rows: a first press arms, a second removes at the server and deletes exactly that id here.
  InstitutionPanelLayout l = Layout();
  ASSERT_EQ(l.pupilRows.size(), 2u);
  Press(l.pupilRows[0].row);
  EXPECT_EQ(gSelectedPupilIndex, 0);
  Press(Layout().pupilRows[0].removeButton);
  EXPECT_EQ(gPupilActionStage, kPupilActionRemove);
  EXPECT_EQ(gStudents.size(), 3u);
  Press(Layout().pupilRows[0].removeButton);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(gStudents.size(), 3u) << "the server's answer is taken in by the frame";
  StepInstitutionPanel();
  ASSERT_EQ(gStudents.size(), 2u);
  EXPECT_EQ(gStudents[0].id, "s1x");
  EXPECT_EQ(gStudents[1].id, "s2");
  Press(Layout().pupilRows[1].row);
  Press(Layout().pupilRows[1].blockButton);
  Press(Layout().pupilRows[1].removeButton);   // switches the armed action: nothing is sent
  Press(Layout().pupilRows[1].blockButton);
  EXPECT_EQ(gInstitutionPanelMessage, "");
  Press(Layout().pupilRows[1].blockButton);
  EXPECT_EQ(gInstitutionPanelMessage, "Blocking Ben's device...");
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(Count("/class/remove-student"), 1);
  EXPECT_EQ(Count("/class/block-device"), 1);

  // The class code goes to the clipboard.
  Press(Layout().subViewButton);
  Press(Layout().classCodeButton);
  EXPECT_EQ(ClipboardGetText(), "ABC234");
  EXPECT_EQ(gInstitutionPanelMessage, "Class code ABC234 copied - read it out to your pupils");

  // Seats: minus from nothing gives 1, plus 2; the billing reference typed in its box is sent.
  Press(Layout().seatMinus);
  Press(Layout().seatPlus);
  Press(Layout().billingBox);
  Type("PO-9");
  Press(Layout().requestButton);
  EXPECT_FALSE(gInstitutionEntryActive);
  EXPECT_EQ(gBillingReference, "PO-9");
  ASSERT_TRUE(WaitIdle());
  std::string body;
  for (const RecordedRequest& r : server_.Requests())
    if (r.path == "/class/request-seats") body = r.body;
  EXPECT_EQ(body, std::string("{\"orgToken\":\"") + kTestTeacherCode + "\",\"seats\":2,\"billingRef\":\"PO-9\"}");

  // The teacher-code entry opens empty; the pricing button needs an https page.
  Press(Layout().teacherCodeButton);
  EXPECT_TRUE(gInstitutionEntryActive);
  EXPECT_EQ(gInstitutionEntryText, "");
  InstitutionPanelOnEscape();
  EXPECT_EQ(Layout().pricingButton.w, kHiddenRect.w);
  Settings("server=" + server_.BaseUrl() + "\ninstitution=ORG:acme:t1:x:admin\npricing=https://example.org/p\n");
  Press(Layout().pricingButton);
  EXPECT_EQ(gOpenedAddresses, std::vector<std::string>{"https://example.org/p"});
  EXPECT_EQ(gInstitutionPanelMessage, "Opened institution pricing in your browser");
}

// A class larger than the panel: the wheel over the rows brings every pupil within reach, stops at
// both ends, and the rows still act on the pupil they show.
TEST_F(InstitutionPanel, TheWheelBringsEveryPupilIntoReach) {
  {
    std::lock_guard<std::mutex> lock(gClassListMutex);
    gClassPupils.clear();
    for (int i = 0; i < 30; ++i)
      gClassPupils.push_back(ClassPupil{"c1", "s" + std::to_string(i), "Pupil " + std::to_string(i), "d"});
  }
  OpenInstitutionPanel();
  InstitutionPanelLayout l = Layout();
  int fit = (int)l.pupilRows.size();
  ASSERT_GT(fit, 2);
  ASSERT_LT(fit, 30);
  int x = (int)(l.pupilRowsArea.x + 20), y = (int)(l.pupilRowsArea.y + 5);
  EXPECT_TRUE(InstitutionPanelOnWheel(x, y, -360));   // three notches down: three rows on
  EXPECT_EQ(Layout().pupilRows[0].pupil, 3);
  Press(Layout().pupilRows[0].row);
  EXPECT_EQ(gSelectedPupilIndex, 3);
  EXPECT_TRUE(InstitutionPanelOnWheel(x, y, -120 * 100));
  l = Layout();
  EXPECT_EQ(l.pupilRows.back().pupil, 29);
  EXPECT_EQ(l.firstPupil, 30 - fit);
  EXPECT_TRUE(InstitutionPanelOnWheel(x, y, 120 * 100));
  EXPECT_EQ(Layout().pupilRows[0].pupil, 0);
  EXPECT_TRUE(InstitutionPanelOnWheel(x, y, -1));   // a touchpad's small step still moves a row
  EXPECT_EQ(Layout().firstPupil, 1);

  // The panel takes the wheel elsewhere too, but only the rows scroll; a shorter list shows whole.
  EXPECT_TRUE(InstitutionPanelOnWheel((int)l.panel.x + 2, (int)l.panel.y + 2, -120));
  EXPECT_EQ(Layout().firstPupil, 1);
  {
    std::lock_guard<std::mutex> lock(gClassListMutex);
    gClassPupils.resize(3);
  }
  EXPECT_EQ(Layout().firstPupil, 0);
  EXPECT_EQ(Layout().pupilRows.size(), 3u);
  InstitutionPanelOnEscape();
  InstitutionPanelOnEscape();
  EXPECT_FALSE(gInstitutionPanelOpen);
  EXPECT_FALSE(InstitutionPanelOnWheel(x, y, -120));
}

// A pupil the server refuses to let go stays a student here with every record: a 500 reply to
// Remove, and a Block while the last change is still on its way, delete nothing.
TEST_F(InstitutionPanel, APupilTheServerKeepsStaysHere) {
  ASSERT_TRUE(server_.ok());
  TeacherDevice(server_.BaseUrl());
  server_.SetRoutes(std::string(R"({"/class/roster":[{"body":)") + RouteText(kOneClass) +
                    R"(}],"/class/remove-student":[{"status":500,"body":"{\"error\":\"Seat service unavailable\"}"}],)"
                    R"("/class/block-device":[{"delay_ms":1500,"body":"{}"}],"/class/seats":[{"body":"{}"}],)"
                    R"("/class/student-code":[{"body":"{}"}]})");
  gStudents = {Student{"Ann", "s1"}, Student{"Ben", "s2"}};
  gActiveStudentIndex = 0;
  OpenInstitutionPanel();
  ASSERT_TRUE(WaitIdle());
  Press(Layout().pupilRows[0].row);
  Press(Layout().pupilRows[0].removeButton);
  Press(Layout().pupilRows[0].removeButton);
  ASSERT_TRUE(WaitIdle());
  StepInstitutionPanel();
  ASSERT_EQ(gStudents.size(), 2u);
  EXPECT_EQ(gStudents[0].id, "s1");
  EXPECT_EQ(gClassStatusText, "Seat service unavailable");

  // Block Ben, and while that is on its way press Remove for Ann: refused as busy.
  Press(Layout().pupilRows[1].row);
  Press(Layout().pupilRows[1].blockButton);
  Press(Layout().pupilRows[1].blockButton);
  Press(Layout().pupilRows[0].row);
  Press(Layout().pupilRows[0].removeButton);
  Press(Layout().pupilRows[0].removeButton);
  StepInstitutionPanel();
  EXPECT_EQ(gStudents.size(), 2u) << "nothing goes before the server answers";
  ASSERT_TRUE(WaitIdle());
  StepInstitutionPanel();
  ASSERT_EQ(gStudents.size(), 1u);
  EXPECT_EQ(gStudents[0].id, "s1") << "only the blocked pupil goes";
  EXPECT_EQ(Count("/class/remove-student"), 1);
}

// The server names its pupils' ids itself, and a local student's id is only the slug of a typed
// name: a pupil removed there whose id happens to be a local student's while the names differ is
// someone else, whose student and records stay here.
TEST_F(InstitutionPanel, ARemovedPupilTakesOnlyTheStudentOfThatIdAndName) {
  ASSERT_TRUE(server_.ok());
  TeacherDevice(server_.BaseUrl());
  server_.SetRoutes(R"({"/class/roster":[{"body":"{\"classes\":[{\"classId\":\"c1\",\"name\":\"Year 5\",)"
                    R"(\"joinCode\":\"ABC234\"}],\"students\":[{\"studentId\":\"anna\",\"classId\":\"c1\",)"
                    R"(\"name\":\"Tom\",\"deviceId\":\"d1\"},{\"studentId\":\"ben\",\"classId\":\"c1\",)"
                    R"(\"deviceId\":\"d2\"}]}"}],"/class/remove-student":[{"body":"{}"}],"/class/seats":[{"body":"{}"}],)"
                    R"("/class/student-code":[{"body":"{}"}]})");
  // A name typed here is told from another as the students panel tells names apart.
  gStudents = {Student{"Anna", "anna"}, Student{"Ben ", "ben"}};
  gActiveStudentIndex = 0;
  OpenInstitutionPanel();
  ASSERT_TRUE(WaitIdle());
  ASSERT_EQ(Layout().pupilRows.size(), 2u);
  for (int pupil : {0, 1}) {
    Press(Layout().pupilRows[(size_t)pupil].row);
    Press(Layout().pupilRows[(size_t)pupil].removeButton);
    Press(Layout().pupilRows[(size_t)pupil].removeButton);
    ASSERT_TRUE(WaitIdle());
    StepInstitutionPanel();
  }
  EXPECT_EQ(Count("/class/remove-student"), 2);
  ASSERT_EQ(gStudents.size(), 1u) << "a pupil without a name is shown, and matched, by its id";
  EXPECT_EQ(gStudents[0].name, "Anna") << "removing Tom must not delete Anna";
}

// A pupil armed for removal while the list is reloaded behind it (the last removal's reload) may
// stand at another row when the press lands: the press must not take whoever now stands there.
TEST_F(InstitutionPanel, AnArmedRemoveDoesNotPassToThePupilAListReloadPutsInItsRow) {
  ASSERT_TRUE(server_.ok());
  TeacherDevice(server_.BaseUrl());
  const std::string three = R"({\"classes\":[{\"classId\":\"c1\",\"name\":\"Year 5\",\"joinCode\":\"ABC234\"}],)"
                             R"(\"students\":[{\"studentId\":\"s1\",\"classId\":\"c1\",\"name\":\"Ann\",\"deviceId\":\"d1\"},)"
                             R"({\"studentId\":\"s2\",\"classId\":\"c1\",\"name\":\"Ben\",\"deviceId\":\"d2\"},)"
                             R"({\"studentId\":\"s3\",\"classId\":\"c1\",\"name\":\"Cal\",\"deviceId\":\"d3\"}]})";
  const std::string two = R"({\"classes\":[{\"classId\":\"c1\",\"name\":\"Year 5\",\"joinCode\":\"ABC234\"}],)"
                           R"(\"students\":[{\"studentId\":\"s2\",\"classId\":\"c1\",\"name\":\"Ben\",\"deviceId\":\"d2\"},)"
                           R"({\"studentId\":\"s3\",\"classId\":\"c1\",\"name\":\"Cal\",\"deviceId\":\"d3\"}]})";
  server_.SetRoutes(R"({"/class/roster":[{"body":")" + three + R"("},{"body":")" + two + R"("}],)"
                    R"("/class/remove-student":[{"body":"{}","delay_ms":600}],"/class/seats":[{"body":"{}"}],)"
                    R"("/class/student-code":[{"body":"{}"}]})");
  gStudents = {Student{"Ben", "s2"}, Student{"Cal", "s3"}};
  OpenInstitutionPanel();
  ASSERT_TRUE(WaitIdle());
  ASSERT_EQ(Layout().pupilRows.size(), 3u);
  Press(Layout().pupilRows[0].row);   // Ann goes
  Press(Layout().pupilRows[0].removeButton);
  Press(Layout().pupilRows[0].removeButton);
  Press(Layout().pupilRows[1].row);   // Ben is armed while Ann's removal and its reload run
  Press(Layout().pupilRows[1].removeButton);
  ASSERT_TRUE(WaitIdle());
  StepInstitutionPanel();
  ASSERT_EQ(PupilsShown(), (std::vector<std::string>{"Ben", "Cal"}));
  Press(Layout().pupilRows[1].removeButton);   // Cal's row now
  ASSERT_TRUE(WaitIdle());
  StepInstitutionPanel();
  for (const RecordedRequest& r : server_.Requests())
    EXPECT_EQ(r.body.find("\"s3\""), std::string::npos) << "Cal was never chosen: " << r.body;
  ASSERT_EQ(gStudents.size(), 2u);
  EXPECT_EQ(gStudents[1].name, "Cal");
}

// A message that tells of a class operation on its way stays while it runs and goes with the first
// frame after it ended, refused or not: the class status below it says how it went. A message
// written meanwhile stays, and a Block that was not sent does not say it is on its way.
TEST_F(InstitutionPanel, MessagesOfOperationsOnTheirWayGoWhenTheyEnd) {
  ASSERT_TRUE(server_.ok());
  TeacherDevice(server_.BaseUrl());
  server_.SetRoutes(std::string(R"({"/class/roster":[{"body":)") + RouteText(kOneClass) +
                    R"(}],"/class/block-device":[{"delay_ms":400,"status":500,"body":"{}"}],)"
                    R"("/class/seats":[{"body":"{}"}],"/class/student-code":[{"body":"{}"}]})");
  gStudents = {Student{"Ann", "s1"}, Student{"Ben", "s2"}};
  gActiveStudentIndex = 0;
  OpenInstitutionPanel();
  ASSERT_TRUE(WaitIdle());
  auto status = [] {
    std::lock_guard<std::mutex> lock(gClassListMutex);
    return gClassStatusText;
  };

  Press(Layout().pupilRows[1].row);
  Press(Layout().pupilRows[1].blockButton);
  Press(Layout().pupilRows[1].blockButton);
  EXPECT_EQ(gInstitutionPanelMessage, "Blocking Ben's device...");
  StepInstitutionPanel();
  EXPECT_EQ(gInstitutionPanelMessage, "Blocking Ben's device...") << "still on its way";
  ASSERT_TRUE(WaitIdle());
  StepInstitutionPanel();
  EXPECT_EQ(gInstitutionPanelMessage, "");
  EXPECT_EQ(status(), "Couldn't block that device (500)");
  EXPECT_EQ(gStudents.size(), 2u);

  // The teacher code is checked by loading the classes.
  server_.SetRoutes(std::string(R"({"/class/roster":[{"delay_ms":400,"body":)") + RouteText(kOneClass) + "}]}");
  for (bool overwritten : {false, true}) {
    SCOPED_TRACE(overwritten);
    gInstitutionSubViewOpen = true;
    Press(Layout().teacherCodeButton);
    ASSERT_TRUE(gInstitutionEntryActive);
    Type(std::string(kTestTeacherCode) + "\r");
    EXPECT_EQ(gInstitutionPanelMessage, "Teacher code stored. Checking it with the server...");
    StepInstitutionPanel();
    EXPECT_EQ(gInstitutionPanelMessage, "Teacher code stored. Checking it with the server...");
    if (overwritten) Press(Layout().classCodeButton);
    ASSERT_TRUE(WaitIdle());
    StepInstitutionPanel();
    EXPECT_EQ(gInstitutionPanelMessage, overwritten ? "Class code ABC234 copied - read it out to your pupils" : "");
    EXPECT_EQ(status(), "1 class");
  }

  // Block while the classes load: refused as busy, so nothing is on its way.
  OpenInstitutionPanel();
  Press(Layout().pupilRows[0].row);
  Press(Layout().pupilRows[0].blockButton);
  Press(Layout().pupilRows[0].blockButton);
  EXPECT_EQ(gInstitutionPanelMessage, "");
  EXPECT_EQ(status(), "Still finishing the last change. Press Block again in a moment.");
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(Count("/class/block-device"), 1);
}

TEST_F(InstitutionPanel, ClassCodeBeforeAnyClassMakesOne) {
  ASSERT_TRUE(server_.ok());
  TeacherDevice(server_.BaseUrl());
  server_.SetRoutes(R"({"/class/roster":[{"body":"{}"}],"/class/create":[{"body":"{\"joinCode\":\"NEW234\"}"}],)"
                    R"("/class/seats":[{"body":"{}"}],"/class/student-code":[{"body":"{}"}]})");
  ClipboardSetText("untouched");
  OpenInstitutionPanel();
  ASSERT_TRUE(WaitIdle());
  gInstitutionSubViewOpen = true;
  Press(Layout().classCodeButton);
  EXPECT_EQ(gInstitutionPanelMessage, "Making a class code...");
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(ClipboardGetText(), "untouched");
  EXPECT_EQ(Count("/class/create"), 1);
  // The frame after the class is made takes the busy message away; the class status tells how it went.
  StepInstitutionPanel();
  EXPECT_EQ(gInstitutionPanelMessage, "");
  {
    std::lock_guard<std::mutex> lock(gClassListMutex);
    EXPECT_EQ(gClassStatusText, "Created \"Class\"  -  join code NEW234");
  }
}

// A class list that failed to load is not an empty one: the class-code button makes no class then,
// however often it is pressed, and loads the list again instead; once it loads, its code is copied.
TEST_F(InstitutionPanel, ClassCodeWithoutALoadedListMakesNoClass) {
  ASSERT_TRUE(server_.ok());
  TeacherDevice(server_.BaseUrl());
  server_.SetRoutes(R"({"/class/roster":[{"status":503,"body":""}],"/class/create":[{"body":"{\"joinCode\":\"NEW234\"}"}],)"
                    R"("/class/seats":[{"body":"{}"}],"/class/student-code":[{"body":"{}"}]})");
  ClipboardSetText("untouched");
  OpenInstitutionPanel();
  ASSERT_TRUE(WaitIdle());
  gInstitutionSubViewOpen = true;
  for (int press = 0; press < 2; ++press) {
    Press(Layout().classCodeButton);
    EXPECT_EQ(gInstitutionPanelMessage, "") << press;
    ASSERT_TRUE(WaitIdle());
    StepInstitutionPanel();
    std::lock_guard<std::mutex> lock(gClassListMutex);
    EXPECT_EQ(gClassStatusText, "Couldn't load classes (503)") << press;
  }
  EXPECT_EQ(Count("/class/create"), 0);
  EXPECT_EQ(Count("/class/roster"), 3);
  EXPECT_EQ(ClipboardGetText(), "untouched");

  server_.SetRoutes(std::string(R"({"/class/roster":[{"body":)") + RouteText(kOneClass) + "}]}");
  Press(Layout().classCodeButton);
  ASSERT_TRUE(WaitIdle());
  Press(Layout().classCodeButton);
  EXPECT_EQ(ClipboardGetText(), "ABC234");
  EXPECT_EQ(Count("/class/create"), 0);
}

// A class the server made whose reply was cut off is a class all the same: the next press copies
// its code once the list shows it, and makes no second class while the list cannot be read.
TEST_F(InstitutionPanel, ClassMadeWithACutReplyIsNotMadeAgain) {
  ASSERT_TRUE(server_.ok());
  TeacherDevice(server_.BaseUrl());
  server_.SetRoutes(std::string(R"({"/class/roster":[{"body":"{}"},{"status":503,"body":""},{"body":)") +
                    RouteText(kOneClass) + R"(}],"/class/create":[{"content_length":400,"body":"{\"joinCode\":\"AB"}],)"
                    R"("/class/seats":[{"body":"{}"}],"/class/student-code":[{"body":"{}"}]})");
  ClipboardSetText("untouched");
  OpenInstitutionPanel();
  ASSERT_TRUE(WaitIdle());
  gInstitutionSubViewOpen = true;
  Press(Layout().classCodeButton);   // made at the server; its reply cut, the reload refused
  ASSERT_TRUE(WaitIdle());
  StepInstitutionPanel();
  {
    std::lock_guard<std::mutex> lock(gClassListMutex);
    EXPECT_EQ(gClassStatusText, "The server's reply could not be read");
  }
  Press(Layout().classCodeButton);   // loads the list again instead of making another class
  ASSERT_TRUE(WaitIdle());
  Press(Layout().classCodeButton);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(ClipboardGetText(), "ABC234");
  EXPECT_EQ(Count("/class/create"), 1);

  // With the reload answered, the class made shows at once.
  server_.SetRoutes(std::string(R"({"/class/roster":[{"body":"{}"},{"body":)") + RouteText(kOneClass) +
                    R"(}],"/class/create":[{"content_length":400,"body":"{\"joinCode\":\"AB"}],)"
                    R"("/class/seats":[{"body":"{}"}],"/class/student-code":[{"body":"{}"}]})");
  ClipboardSetText("untouched");
  OpenInstitutionPanel();
  ASSERT_TRUE(WaitIdle());
  gInstitutionSubViewOpen = true;
  Press(Layout().classCodeButton);
  ASSERT_TRUE(WaitIdle());
  Press(Layout().classCodeButton);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(ClipboardGetText(), "ABC234");
  EXPECT_EQ(Count("/class/create"), 2);   // one for each panel opening, none more
}

TEST_F(InstitutionPanel, AddButtonOfTheStudentsPanelLeadsToANewStudent) {
  gAddStudentHook = OpenInstitutionPanelForStudent;
  gStudents = {Student{"Zoe", "zoe"}};
  gActiveStudentIndex = 0;
  gStudentNameField.text = "Ann\tLee  the third of her name";
  AddStudentAction();
  ASSERT_TRUE(gInstitutionPanelOpen);
  EXPECT_TRUE(gInstitutionEntryActive);
  EXPECT_EQ(gInstitutionEntryText, "AnnLee  the third of her nam");   // tab dropped, 28 bytes kept
  EXPECT_EQ(gStudentNameField.text, "");
  InstitutionPanelOnChar(8);
  Type("\r");
  ASSERT_EQ(gStudents.size(), 2u);
  EXPECT_EQ(gStudents[1].name, "AnnLee  the third of her na");
  EXPECT_EQ(gActiveStudentIndex, 0);
  EXPECT_EQ(gInstitutionPanelMessage, "Added: AnnLee  the third of her na");
  EXPECT_NE(ReadFileBytes(DataFile("students.dat")).find("AnnLee"), std::string::npos);

  // Add with an empty name box: the entry waits for a name, yet a first press on a button is the
  // button's; a name typed is not dropped by a stray press, which only leaves the entry.
  AddStudentAction();
  ASSERT_TRUE(gInstitutionEntryActive);
  EXPECT_EQ(gInstitutionEntryText, "");
  Press(Layout().closeButton);
  EXPECT_FALSE(gInstitutionPanelOpen) << "the first press on the cross closes the panel";
  OpenInstitutionPanelForStudent("Bo");
  Press(Layout().closeButton);
  EXPECT_TRUE(gInstitutionPanelOpen);
  EXPECT_FALSE(gInstitutionEntryActive);
}

TEST_F(InstitutionPanel, ButtonsOpenTheRegisterAndTheClassView) {
  OpenInstitutionPanel();
  InstitutionPanelLayout l = Layout();
  InstitutionPanelOnClick((int)l.panel.x + 4, (int)(l.panel.y + l.panel.h) - 4);   // the button is placed by a press or a frame
  EXPECT_TRUE(HitTestAttendancePanelButton((int)l.registerButton.x + 1, (int)l.registerButton.y + 1));
  EXPECT_FALSE(HitTestAttendancePanelButton((int)l.registerButton.x - 1, (int)l.registerButton.y + 1));
  Press(l.registerButton);
  EXPECT_TRUE(gAttendancePanelOpen);
  EXPECT_FALSE(gInstitutionPanelOpen);
  EXPECT_FALSE(HitTestAttendancePanelButton((int)l.registerButton.x + 2, (int)l.registerButton.y + 2));
  OpenInstitutionPanel();
  Press(Layout().classViewButton);
  EXPECT_TRUE(gAttendanceViewOpen);
  EXPECT_FALSE(gInstitutionPanelOpen);
}

TEST_F(InstitutionPanel, ClassViewEntryModeFollowsTheDeviceAndThePendingCode) {
  const struct { const char* what; bool teacher; const char* pending; int mode; const char* prompt; } cases[] = {
      {"a pupil types the join code", false, "", 0, "Your class's join code, then Enter"},
      {"then the name", false, "ABC234", 1, "Your name, then Enter"},
      {"a teacher's device takes the teacher code", true, "", 2, "Teacher code, then Enter"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ResetCodeEntries();
    Settings(c.teacher ? "institution=ORG:acme:t1:x:admin\n" : "institution=ORG:acme:pupil\n");
    OpenAttendanceView();
    gPendingJoinCode = c.pending;
    AttendanceViewLayout l = LayoutAttendanceView(GetUiScale());
    EXPECT_STREQ(AttendanceViewPrompt(), c.prompt) << "asked for before the entry is pressed";
    EXPECT_TRUE(AttendanceViewOnClick((int)(l.entryBox.x + 5), (int)(l.entryBox.y + 5)));
    EXPECT_TRUE(gAttendanceViewEntryActive);
    EXPECT_EQ(gAttendanceViewEntryMode, c.mode);
    EXPECT_STREQ(AttendanceViewPrompt(), c.prompt);
    EXPECT_TRUE(AttendanceViewOnClick((int)(l.panel.x + l.panel.w / 2), (int)(l.panel.y + l.panel.h - 3)));
    EXPECT_TRUE(gAttendanceViewOpen);
    EXPECT_TRUE(AttendanceViewOnClick(2, 2));
    EXPECT_FALSE(gAttendanceViewOpen);
    EXPECT_FALSE(AttendanceViewOnClick(2, 2));
  }
}

}  // namespace

namespace {

std::string JoinStatusNow() {
  std::lock_guard<std::mutex> lock(gJoinMutex);
  return gJoinStatusText;
}

TEST_F(InstitutionPanel, PupilJoinsThroughTheClassViewWithACodeTypedInLowerCase) {
  ASSERT_TRUE(server_.ok());
  Settings("server=" + server_.BaseUrl() + "\ninstitution=ORG:acme:pupil\ntoken=" + kTestToken + "\ndevice=dev-9\n");
  server_.SetRoutes(R"({"/class/join":[{"body":"{\"className\":\"Year 5\"}"}]})");
  OpenAttendanceView();
  AttendanceViewLayout l = LayoutAttendanceView(GetUiScale());
  AttendanceViewOnClick((int)(l.entryBox.x + 5), (int)(l.entryBox.y + 5));
  for (char c : std::string("abc2\r")) AttendanceViewOnChar((unsigned char)c);  // mistyped first
  EXPECT_EQ(JoinStatusNow(), "A join code is 6 letters and numbers. Check it with your teacher.");
  for (int i = 0; i < 4; ++i) AttendanceViewOnChar(8);
  for (char c : std::string("abc234\r")) AttendanceViewOnChar((unsigned char)c);
  EXPECT_EQ(JoinStatusNow(), "") << "the refusal goes once a good code is taken";
  for (char c : std::string("Pia\r")) AttendanceViewOnChar((unsigned char)c);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(JoinStatusNow(), "Joined Year 5");
  std::string body;
  for (const RecordedRequest& r : server_.Requests())
    if (r.path == "/class/join") body = r.body;
  EXPECT_EQ(body, R"({"code":"ABC234","deviceId":"dev-9","platform":"linux","name":"Pia"})");
}

TEST_F(InstitutionPanel, WithoutAServerEveryPanelSaysSoAndNothingWaits) {
  Settings("institution=ORG:acme:t1:x:admin\n");
  SaveTeacherToken(kTestTeacherCode);
  OpenInstitutionPanel();
  EXPECT_EQ(gClassroomWorkers.load(), 0);
  {
    std::lock_guard<std::mutex> lock(gClassListMutex);
    EXPECT_EQ(gClassStatusText, kNoServerText);
  }
  gInstitutionSubViewOpen = true;
  gSeatRequestCount = 3;
  Press(Layout().requestButton);
  {
    std::lock_guard<std::mutex> lock(gSeatRequestMutex);
    EXPECT_EQ(gSeatRequestText, kNoServerText);
  }
  OpenAttendanceView();
  gAttendanceViewEntryActive = true;
  gAttendanceViewEntryMode = 1;
  gPendingJoinCode = "ABC234";
  for (char c : std::string("Pia\r")) AttendanceViewOnChar((unsigned char)c);
  EXPECT_EQ(JoinStatusNow(), kNoServerText);
  EXPECT_EQ(gClassroomWorkers.load(), 0);
  EXPECT_EQ(server_.Connections(), 0);
}

}  // namespace
