// The code entries: typing and pasting per mode, each commit's answer, Escape in each state, and
// joining a class against a real HTTPS server.
#include <filesystem>

#include "classroom/http_client.h"
#include "classroom/class_report.h"
#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "platform/clipboard.h"
#include "platform/file_replace.h"
#include "practice/data_files.h"
#include "practice/students.h"
#include "tests/classroom/classroom_fixture.h"

namespace {

class CodeEntriesTest : public ClassroomTest {
 protected:
  void SetUp() override {
    ClassroomTest::SetUp();
    ClipboardUseMemoryForTesting(true);
    gStudents.clear();
    gActiveStudentIndex = -1;
  }
  void TearDown() override {
    ClipboardUseMemoryForTesting(false);
    ClassroomTest::TearDown();
    ResetClassroomCodes();  // a code kept in memory after a failed save must not reach the next suite
  }
  void Type(bool (*onChar)(uint32_t), const std::string& text) {
    for (char c : text) EXPECT_TRUE(onChar((unsigned char)c));
  }
  void Paste(bool (*onChar)(uint32_t), const std::string& text) {
    ClipboardSetText(text);
    EXPECT_TRUE(onChar(22));
  }
  void InstitutionEntry(int mode) {
    gInstitutionPanelOpen = true;
    gInstitutionEntryActive = true;
    gInstitutionEntryText.clear();
    gInstitutionEntryMode = mode;
  }
  void ViewEntry(int mode) {
    gAttendanceViewOpen = true;
    gAttendanceViewEntryActive = true;
    gAttendanceViewEntryText.clear();
    gAttendanceViewEntryMode = mode;
  }
  std::string JoinStatus() {
    std::lock_guard<std::mutex> lock(gJoinMutex);
    return gJoinStatusText;
  }
};

TEST_F(CodeEntriesTest, EachModeKeepsItsLengthByTypingAndPasting) {
  struct Case {
    bool institution;
    int mode;
    size_t max;
  };
  const Case cases[] = {{true, 0, 28}, {true, 1, 512}, {true, 2, 40}, {true, 3, 512}, {true, 4, 200},
                        {true, 9, 28},  {false, 0, 6},  {false, 1, 28}, {false, 2, 512}};
  const std::string longText(600, 'k');
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.institution) + " mode " + std::to_string(c.mode));
    bool (*onChar)(uint32_t) = c.institution ? InstitutionPanelOnChar : AttendanceViewOnChar;
    std::string& text = c.institution ? gInstitutionEntryText : gAttendanceViewEntryText;
    c.institution ? InstitutionEntry(c.mode) : ViewEntry(c.mode);
    if (c.institution) {
      EXPECT_EQ((size_t)InstitutionEntryMaxLength(), c.max);
    }
    Type(onChar, longText);
    EXPECT_EQ(text.size(), c.max);
    text.clear();
    Paste(onChar, "a\tb\xC3\xA9" "c" + longText);   // a tab becomes a space, a non-ASCII character is dropped
    EXPECT_EQ(text.size(), c.max);
    EXPECT_EQ(text.substr(0, 4), c.institution || c.mode != 0 ? "a bc" : "A BC");
    EXPECT_TRUE(onChar(8));
    EXPECT_EQ(text.size(), c.max - 1);
  }
  gInstitutionEntryActive = false;
  EXPECT_FALSE(InstitutionPanelOnChar('a'));   // an inactive entry lets the character go on
  gAttendanceViewOpen = false;
  EXPECT_FALSE(AttendanceViewOnChar('a'));
}

TEST_F(CodeEntriesTest, JoinCodesAreCheckedBeforeTheNameIsAsked) {
  ViewEntry(0);
  Type(AttendanceViewOnChar, "abc2340");   // the seventh character is ignored
  EXPECT_EQ(gAttendanceViewEntryText, "ABC234");
  for (const char* bad : {"ABC230", "ABCI34", "AB 23"}) {
    gAttendanceViewEntryText = bad;
    EXPECT_TRUE(AttendanceViewOnChar(13));
    EXPECT_EQ(JoinStatus(), "A join code is 6 letters and numbers. Check it with your teacher.");
    EXPECT_EQ(gAttendanceViewEntryText, bad);
    EXPECT_EQ(gAttendanceViewEntryMode, 0);
  }
  gAttendanceViewEntryText = "ABC234";
  EXPECT_TRUE(AttendanceViewOnChar(13));
  EXPECT_EQ(gPendingJoinCode, "ABC234");
  EXPECT_EQ(gAttendanceViewEntryMode, 1);
  EXPECT_EQ(gAttendanceViewEntryText, "");
  EXPECT_TRUE(AttendanceViewOnChar(13));
  EXPECT_EQ(JoinStatus(), "Your teacher needs your name");

  EXPECT_TRUE(AttendanceViewOnEscape());   // leaves the entry and forgets the code
  EXPECT_FALSE(gAttendanceViewEntryActive);
  EXPECT_EQ(gPendingJoinCode, "");
  EXPECT_EQ(gAttendanceViewEntryMode, 0);
  EXPECT_TRUE(AttendanceViewOnEscape());   // closes the view
  EXPECT_FALSE(gAttendanceViewOpen);
  EXPECT_FALSE(AttendanceViewOnEscape());
  ViewEntry(1);
  gPendingJoinCode = "ABC234";
  EXPECT_TRUE(AttendanceViewOnChar(27));   // Escape typed into the entry forgets the code
  EXPECT_EQ(gPendingJoinCode, "");
  EXPECT_EQ(gAttendanceViewEntryMode, 0);
}

TEST_F(CodeEntriesTest, TeacherAndPupilCodeMessages) {
  Settings("institution=ORG:acme:t1:x:admin\n");
  struct Case {
    int mode;
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {1, "hello", "That does not look like an institution code"},
      {1, "ORG:acme:seat", "That is the pupil (seat) code, not the teacher code"},
      {1, kTestTeacherCode, "Teacher code stored. Checking it with the server..."},
      {1, "", "Teacher code removed from this device"},
      {1, "", ""},   // nothing stored: nothing to remove
      {3, "nope", "That does not look like an institution code"},
      {3, "ORG:acme:admin", "That is your TEACHER code. Pupils need the student one."},
      {3, " ORG:acme:seat ", "Student code saved"},
      {4, " PO-1 ", "Reference saved for this request"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    InstitutionEntry(c.mode);
    gInstitutionPanelMessage.clear();
    gInstitutionEntryText = c.text;
    EXPECT_TRUE(InstitutionPanelOnChar(13));
    EXPECT_EQ(gInstitutionPanelMessage, c.message);
    EXPECT_FALSE(gInstitutionEntryActive);
    EXPECT_EQ(gInstitutionEntryMode, 0);
  }
  EXPECT_EQ(ReadFileBytes(TeacherTokenPath()), "");
  EXPECT_EQ(ReadFileBytes(StudentCodePath()), "ORG:acme:seat");
  EXPECT_EQ(gBillingReference, "PO-1");

  // The attendance view's teacher code, and a save that fails is not reported as done.
  ViewEntry(2);
  EXPECT_TRUE(AttendanceViewOnChar(13));
  EXPECT_EQ(JoinStatus(), "Paste your teacher code, or press Enter on an empty box to remove it");
  EXPECT_TRUE(gAttendanceViewEntryActive);
  for (const char* code : {"ORG:acme:seat", "junk"}) {
    gAttendanceViewEntryText = code;
    EXPECT_TRUE(AttendanceViewOnChar(13));
    EXPECT_EQ(gAttendanceViewEntryText, code);
  }
  EXPECT_EQ(JoinStatus(), "That is not an institution code");
  std::filesystem::create_directories(TeacherTokenPath() + "x");
  std::filesystem::remove(TeacherTokenPath());
  std::filesystem::rename(TeacherTokenPath() + "x", TeacherTokenPath());   // a folder in the file's place
  std::filesystem::create_directories(TeacherTokenPath() + "/inside");
  gAttendanceViewEntryText = kTestTeacherCode;
  EXPECT_TRUE(AttendanceViewOnChar(13));
  EXPECT_EQ(JoinStatus(), kSaveFailureMessage);
  EXPECT_FALSE(gAttendanceViewEntryActive);
}

TEST_F(CodeEntriesTest, ANewStudentIsAddedButNotMadeActive) {
  gStudents.push_back(Student{"Anna", "anna"});
  gActiveStudentIndex = 0;
  gReportFiguresCache["anna"] = ReportFigures{};
  InstitutionEntry(0);
  Paste(InstitutionPanelOnChar, "  ANNA  ");
  EXPECT_TRUE(InstitutionPanelOnChar(13));
  ASSERT_EQ(gStudents.size(), 2u);
  EXPECT_EQ(gStudents[1].name, "ANNA 2");
  EXPECT_EQ(gStudents[1].id, "anna_2");
  EXPECT_EQ(gActiveStudentIndex, 0);
  EXPECT_TRUE(gReportFiguresCache.empty());
  EXPECT_EQ(gInstitutionPanelMessage, "Added: ANNA 2");
  EXPECT_NE(ReadFileBytes(DataFile("students.dat")).find("anna_2"), std::string::npos);
}

TEST_F(CodeEntriesTest, ANewStudentTheFileCouldNotTakeIsNotReportedAdded) {
  InstitutionEntry(0);
  Paste(InstitutionPanelOnChar, "Anna");
  FailWritesEndingWithForTesting("students.dat");
  EXPECT_TRUE(InstitutionPanelOnChar(13));
  FailWritesEndingWithForTesting("");
  ASSERT_EQ(gStudents.size(), 1u) << "kept in the list, to be written when the disk takes it";
  EXPECT_FALSE(FileExists(DataFile("students.dat")));
  EXPECT_EQ(gInstitutionPanelMessage, kSaveFailureMessage);
}

TEST_F(CodeEntriesTest, InstitutionEscapeLeavesTheEntry) {
  InstitutionEntry(2);
  gInstitutionEntryText = "Band";
  EXPECT_TRUE(InstitutionPanelOnChar(27));
  EXPECT_FALSE(gInstitutionEntryActive);
  EXPECT_EQ(gInstitutionEntryText, "");
  EXPECT_EQ(gInstitutionEntryMode, 0);
}

// A teacher code typed into the class view is checked by loading the classes: once that has ended,
// the view says what came of it instead of "Checking it with the server..." for good.
TEST_F(CodeEntriesTest, TheClassViewTellsWhatTheTeacherCodesCheckGave) {
  HttpsTestServer server;
  ASSERT_TRUE(server.ok());
  Settings("server=" + server.BaseUrl() + "\ninstitution=ORG:acme:t1:x:admin\n");
  server.SetRoutes(R"({"/class/roster":[{"delay_ms":300,"body":"{\"classes\":[{\"classId\":\"c1\",\"name\":\"5B\",\"joinCode\":\"ABC234\"}]}"},)"
                   R"({"status":500,"body":"{\"error\":\"Unknown teacher code\"}"}]})");
  for (const char* outcome : {"1 class", "Unknown teacher code"}) {
    SCOPED_TRACE(outcome);
    ViewEntry(2);
    Type(AttendanceViewOnChar, std::string(kTestTeacherCode) + "\r");
    EXPECT_EQ(AttendanceViewStatus(), "Teacher code stored. Checking it with the server...");
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(AttendanceViewStatus(), outcome);
  }
}

TEST_F(CodeEntriesTest, JoiningAClass) {
  HttpsTestServer server;
  ASSERT_TRUE(server.ok());
  Settings("server=" + server.BaseUrl() + "\ndevice= dev-1 \n");
  server.SetRoutes(R"({"/class/join":[{"delay_ms":400,"body":"{\"className\":\" Year 5 \\u00e9\"}"},{"body":"{}"},)"
                   R"({"status":404,"body":"{}"},{"status":500,"body":"{\"error\":\"Class is full\"}"}]})");
  ViewEntry(0);
  Type(AttendanceViewOnChar, "abc234\r");
  Type(AttendanceViewOnChar, " Ann \"B\" \r");
  EXPECT_EQ(JoinStatus(), "Joining...");
  StartJoinClass("ABC234", "Ann");
  EXPECT_EQ(JoinStatus(), "Still joining. Give it a moment.");
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(JoinStatus(), "Joined Year 5 \xC3\xA9");
  EXPECT_EQ(ReadFileBytes(DataFile("joined_class.txt")), "Year 5 \xC3\xA9");
  std::vector<RecordedRequest> requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].body,
            R"({"code":"ABC234","deviceId":"dev-1","platform":"linux","name":"Ann \"B\""})");

  const char* expected[] = {"Joined your class", "That code isn't right - check it with your teacher", "Class is full"};
  for (const char* status : expected) {
    StartJoinClass("abc234", "Ann");
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(JoinStatus(), status);
  }
  EXPECT_EQ(ReadFileBytes(DataFile("joined_class.txt")), "your class");
}

// The panels draw their messages as they stand, so a message must be in the UI language when it is
// stored: a failed save or export, and a class the server gave no name, read in German too. The
// file keeps the English stand-in, which every language reads back.
TEST_F(CodeEntriesTest, FailuresAndAnUnnamedClassAreShownInTheUiLanguage) {
  WriteFileBytes(dir_.File("locales/de-DE.json"),
                 std::string("{\n  \"") + kSaveFailureMessage + "\": \"Speichern fehlgeschlagen\",\n"
                 "  \"Export FAILED (disk full?)\": \"Export fehlgeschlagen\",\n"
                 "  \"your class\": \"deine Klasse\",\n"
                 "  \"Joined your class\": \"Du bist der Klasse beigetreten\"\n}\n");
  struct German {
    German() {
      std::lock_guard<std::recursive_mutex> lock(gTrMutex);
      gUiLanguage = "de-DE";
      ResetTranslationFileForTesting();
    }
    ~German() {
      std::lock_guard<std::recursive_mutex> lock(gTrMutex);
      gUiLanguage = "en-US";
      ResetTranslationFileForTesting();
    }
  } german;

  InstitutionEntry(0);
  Paste(InstitutionPanelOnChar, "Anna");
  FailWritesEndingWithForTesting("students.dat");
  EXPECT_TRUE(InstitutionPanelOnChar(13));
  EXPECT_EQ(gInstitutionPanelMessage, "Speichern fehlgeschlagen") << "a new student";
  FailWritesEndingWithForTesting("student_code.txt");
  InstitutionEntry(3);
  gInstitutionEntryText = "ORG:acme:seat";
  EXPECT_TRUE(InstitutionPanelOnChar(13));
  EXPECT_EQ(gInstitutionPanelMessage, "Speichern fehlgeschlagen") << "the pupil code";
  FailWritesEndingWithForTesting("teacher_token.txt");
  InstitutionEntry(1);
  gInstitutionEntryText = kTestTeacherCode;
  EXPECT_TRUE(InstitutionPanelOnChar(13));
  EXPECT_EQ(gInstitutionPanelMessage, "Speichern fehlgeschlagen") << "the teacher code";
  ViewEntry(2);
  gAttendanceViewEntryText = kTestTeacherCode;
  EXPECT_TRUE(AttendanceViewOnChar(13));
  EXPECT_EQ(JoinStatus(), "Speichern fehlgeschlagen") << "the teacher code in the class view";
  FailWritesEndingWithForTesting("");

  WriteFileBytes(DataFile("exports"), "a file where the folder goes");
  ExportInstitutionReport();
  EXPECT_EQ(gInstitutionPanelMessage, "Export fehlgeschlagen");

  HttpsTestServer server;
  ASSERT_TRUE(server.ok());
  Settings("server=" + server.BaseUrl() + "\ndevice=dev-1\n");
  server.SetRoutes(R"({"/class/join":[{"body":"{}"},{"body":"{}"},{"body":"{\"className\":\"your class 2\"}"}]})");
  StartJoinClass("ABC234", "Ann");
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(JoinStatus(), "Du bist der Klasse beigetreten");
  EXPECT_EQ(JoinedClassShownName(), "deine Klasse");
  EXPECT_EQ(ReadFileBytes(DataFile("joined_class.txt")), "your class");
  FailWritesEndingWithForTesting("joined_class.txt");
  StartJoinClass("ABC234", "Ann");
  ASSERT_TRUE(WaitIdle());
  FailWritesEndingWithForTesting("");
  EXPECT_EQ(JoinStatus(), "Speichern fehlgeschlagen") << "joined, but not kept";
  StartJoinClass("ABC234", "Ann");
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(JoinedClassShownName(), "your class 2") << "a name the server gave stays as it is";
}

}  // namespace
