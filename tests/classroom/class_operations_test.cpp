// The teacher console's server calls against a real HTTPS server: bodies, replies of every shape,
// refusals and failures, one operation at a time, and the pupil code saved from two threads.
#include "classroom/http_client.h"
#include "tests/classroom/classroom_fixture.h"

namespace {

class ClassOperationsTest : public ClassroomTest {
 protected:
  std::string Status() {
    std::lock_guard<std::mutex> lock(gClassListMutex);
    return gClassStatusText;
  }
  std::string RosterStatus() {
    std::lock_guard<std::mutex> lock(gRosterMutex);
    return gRosterStatusText;
  }
  std::string SeatText() {
    std::lock_guard<std::mutex> lock(gSeatRequestMutex);
    return gSeatRequestText;
  }
  std::vector<std::string> Bodies(const std::string& path) {
    std::vector<std::string> bodies;
    for (const RecordedRequest& r : server_.Requests())
      if (r.path == path) bodies.push_back(r.body);
    return bodies;
  }
  HttpsTestServer server_;
};

const char kTwoClasses[] = R"({"classes":[{"classId":"c1","name":"Year 5","joinCode":"ABC234"},)"
                           R"({"classId":"c2","name":"Choir","joinCode":"XYZ789"}],)"
                           R"("students":[{"studentId":"s1","classId":"c1","name":"Ann","deviceId":"d1"},)"
                           R"({"studentId":"s2","classId":"c1","name":"Ben","deviceId":"d2"},)"
                           R"({"studentId":"s3","classId":"c9","name":"Cy","deviceId":"d3"}]})";

TEST_F(ClassOperationsTest, EveryPathGetsItsExactBody) {
  ASSERT_TRUE(server_.ok());
  TeacherDevice(server_.BaseUrl());
  server_.SetRoutes(std::string(R"({"/class/roster":[{"body":)") + RouteText(kTwoClasses) +
                    R"(}],"/class/create":[{"body":"{\"joinCode\":\"NEW234\"}"}],"/class/remove-student":[{"body":"{}"}],)"
                    R"("/class/block-device":[{"body":"{}"}],"/class/request-seats":[{"body":"{\"emailed\":true}"}],)"
                    R"("/class/seats":[{"body":"{}"}],"/class/student-code":[{"body":"{}"}]})");
  const std::string org = std::string("{\"orgToken\":\"") + kTestTeacherCode + "\"";

  StartLoadClasses();
  ASSERT_TRUE(WaitIdle());
  StartCreateClass(" Year \"6\"\\b ");
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(Status(), "Created \"Year \"6\"\\b\"  -  join code NEW234");
  StartRemoveStudent("c1", " s1 ", "Ann", false);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(Status(), "Ann removed - their seat is free");
  StartRemoveStudent("c1", "s2", "Ben", true);
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(Status(), "Ben removed - that device is blocked");
  gSeatRequestCount = 12;
  gBillingReference = " PO-7 ";
  StartRequestSeats();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(SeatText(), "Asked for 12 seats. Nothing changes until it is approved.");
  gBillingReference = "  ";
  StartRequestSeats();
  ASSERT_TRUE(WaitIdle());
  OpenInstitutionPanel();   // the class list, the seats and the pupil code
  ASSERT_TRUE(WaitIdle());

  EXPECT_EQ(Bodies("/class/roster"), std::vector<std::string>(5, org + "}"));   // load, three reloads, panel
  EXPECT_EQ(Bodies("/class/create"), std::vector<std::string>{org + ",\"name\":\"Year \\\"6\\\"\\\\b\"}"});
  EXPECT_EQ(Bodies("/class/remove-student"), std::vector<std::string>{org + ",\"classId\":\"c1\",\"studentId\":\"s1\"}"});
  EXPECT_EQ(Bodies("/class/block-device"), std::vector<std::string>{org + ",\"classId\":\"c1\",\"studentId\":\"s2\"}"});
  EXPECT_EQ(Bodies("/class/request-seats"),
            (std::vector<std::string>{org + ",\"seats\":12,\"billingRef\":\"PO-7\"}", org + ",\"seats\":12}"}));
  EXPECT_EQ(Bodies("/class/seats"), std::vector<std::string>{org + "}"});
  EXPECT_EQ(Bodies("/class/student-code"), std::vector<std::string>{org + "}"});
}

TEST_F(ClassOperationsTest, ClassListsAreReadWithinEachObject) {
  struct Case {
    const char* reply;
    std::vector<std::string> classes;   // "id|name|joinCode|count"
    size_t pupils;
    const char* status;
  };
  const Case cases[] = {
      {kTwoClasses, {"c1|Year 5|ABC234|2", "c2|Choir|XYZ789|0"}, 3, "2 classes"},
      {R"({"students":[{"studentId":"s1","classId":"c1","name":"Ann"},{"studentId":"s2","classId":"c1","name":"Ben","deviceId":"d2"}],)"
       R"("classes":[{"joinCode":"ABC234","name":"Y5","classId":"c1"}]})",
       {"c1|Y5|ABC234|1"}, 1, "1 class"},
      {R"({"classes":[{"classId":"c1","name":"No code"},{"classId":"c2","name":"M\u00fcller \"A\"","joinCode":"Q"}]})",
       {"c2|M\xC3\xBCller \"A\"|Q|0"}, 0, "1 class"},
      {R"({"classes":[{"classId":7,"name":"x","joinCode":"A"},{"classId":"c3","name":["x"],"joinCode":null,)"
       R"("pupils":[{"studentId":"s","classId":"c3","deviceId":"d","name":{"n":"inner"}}]}]})",
       {"c3|||1"}, 1, "1 class"},
      {R"({"classes":[]})", {}, 0, "No classes yet - make one, then give pupils its join code"},
      {R"({"classes":[{"classId":"c1","joinCode":"A")", {}, 0, "No classes yet - make one, then give pupils its join code"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.reply);
    ParseClassList(c.reply);
    std::lock_guard<std::mutex> lock(gClassListMutex);
    std::vector<std::string> got;
    for (const ClassInfo& k : gClassList)
      got.push_back(k.classId + "|" + k.name + "|" + k.joinCode + "|" + std::to_string(k.pupilCount));
    EXPECT_EQ(got, c.classes);
    EXPECT_EQ(gClassPupils.size(), c.pupils);
    EXPECT_EQ(gClassStatusText, c.status);
  }
}

TEST_F(ClassOperationsTest, SeatsAreTheObjectsOfTheRedemptionsList) {
  std::vector<RosterSeat> seats = ParseRosterSeats(
      R"({"redemptions":[{"deviceId":"d1","label":"","meta":{"label":"inner","deviceId":"x"},"platform":"linux",)"
      R"("attendance":["2026-03-02","bad","2026-03-01"]},{"deviceId":"d2"},{"label":""},{"platform":"p","label":"L"}]})");
  ASSERT_EQ(seats.size(), 3u);
  EXPECT_EQ(seats[0].deviceId, "d1");
  EXPECT_EQ(seats[0].label, "");
  EXPECT_EQ(seats[0].platform, "linux");
  EXPECT_EQ(seats[0].attendance, (std::vector<std::string>{"2026-03-01", "2026-03-02"}));
  EXPECT_EQ(seats[1].deviceId, "d2");
  EXPECT_EQ(seats[2].label, "L");
  EXPECT_TRUE(ParseRosterSeats(R"({"seats":[{"deviceId":"d"}]})").empty());
}

TEST_F(ClassOperationsTest, RefusalsAndFailuresSayWhatHappened) {
  ASSERT_TRUE(server_.ok());
  TeacherDevice(server_.BaseUrl());
  struct Case {
    const char* seatsReply;
    bool teacherCode;
    const char* rosterStatus;
  };
  const Case cases[] = {
      {R"({"status":403})", true, "That teacher code was refused - paste the one from your purchase email"},
      {R"({"status":401})", false, "This is a pupil seat - add your teacher code to load seat totals"},
      {R"({"status":500,"body":"oops"})", true, "Server error (500)"},
      {R"({"close_before_answer":true})", true, "Couldn't reach the server"},
      {R"({"body":"{\"redemptions\":[{\"deviceId\":\"d\"}]}"})", true, "Synced 1 seat"},
      {R"({"close_before_answer":true})", true, "Offline - showing last sync"},
      // Answered with a success status, but the reply was too long or cut short: not a server error.
      {R"({"body_size":3000000})", true, "The server's reply could not be read"},
      {R"({"content_length":400,"body":"{\"redemptions\":["})", true, "The server's reply could not be read"},
      // A success status over a page that is no reply of this server (a proxy's, a login page's),
      // or over nothing: not an empty list, which would wipe the seats and say they were synced.
      {R"({"body":"<html><body>Sign in to the network</body></html>"})", true, "The server's reply could not be read"},
      {R"({"body":""})", true, "The server's reply could not be read"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seatsReply);
    SaveTeacherToken(c.teacherCode ? kTestTeacherCode : "");
    server_.SetRoutes(std::string(R"({"/class/seats":[)") + c.seatsReply + R"(],"/org/roster":[)" + c.seatsReply + "]}");
    StartRosterSync();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(RosterStatus(), c.rosterStatus);
  }
  {
    std::lock_guard<std::mutex> lock(gRosterMutex);
    EXPECT_EQ(gRosterSeats.size(), 1u);   // the last good list stays
  }
  EXPECT_EQ(Bodies("/org/roster"), std::vector<std::string>{std::string("{\"license\":\"") + kTestToken + "\"}"});

  SaveTeacherToken(kTestTeacherCode);
  const std::string longError(300, 'e');
  struct LoadCase {
    std::string reply;
    std::string status;
  };
  const LoadCase loads[] = {
      {R"({"status":500,"body":"{}"})", "Couldn't load classes (500)"},
      {R"({"status":403,"body":"{\"error\":\"Code \\\"X\\\" expired\"}"})", "Code \"X\" expired"},
      {R"({"status":400,"body":"{\"error\":\")" + longError + R"(\"}"})", longError.substr(0, 197) + "..."},
      {R"({"close_before_answer":true})", "Couldn't reach the server"},
      // Accepted, with a reply past the client's limit: not a failure to send.
      {R"({"body_size":3000000})", "The server's reply could not be read"},
      // An error page with a good status: not an empty list.
      {R"({"body":"<html>Gateway</html>"})", "The server's reply could not be read"},
  };
  // A good list first: none of the failures below takes it away.
  server_.SetRoutes(R"({"/class/roster":[{"body":"{\"classes\":[{\"classId\":\"c1\",\"name\":\"Y5\",\"joinCode\":\"ABC234\"}]}"}]})");
  StartLoadClasses();
  ASSERT_TRUE(WaitIdle());
  ASSERT_EQ(Status(), "1 class");
  for (const LoadCase& c : loads) {
    server_.SetRoutes(R"({"/class/roster":[)" + c.reply + "]}");
    StartLoadClasses();
    ASSERT_TRUE(WaitIdle());
    EXPECT_EQ(Status(), c.status);
    std::lock_guard<std::mutex> lock(gClassListMutex);
    EXPECT_EQ(gClassList.size(), 1u) << c.reply;
  }
}

TEST_F(ClassOperationsTest, SeatRequestNamesTheSupplierWhenNotEmailed) {
  ASSERT_TRUE(server_.ok());
  TeacherDevice(server_.BaseUrl());
  gSeatRequestCount = 3;
  server_.SetRoutes(R"({"/class/request-seats":[{"body":"{\"emailed\": true}"}]})");
  StartRequestSeats();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(SeatText(), "Your request could not reach the supplier. Please contact your supplier.");
  Settings("server=" + server_.BaseUrl() + "\ninstitution=ORG:acme:t1:x:admin\nsupport=help@example.org\n");
  StartRequestSeats();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(SeatText(), "Your request could not reach the supplier. Please write to help@example.org.");
  // Taken, but with a reply too long to read: the teacher is not told to send it again.
  server_.SetRoutes(R"({"/class/request-seats":[{"body_size":3000000}]})");
  StartRequestSeats();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(SeatText(), "The server's reply could not be read");
}

TEST_F(ClassOperationsTest, OneClassOperationAtATime) {
  ASSERT_TRUE(server_.ok());
  TeacherDevice(server_.BaseUrl());
  server_.SetRoutes(std::string(R"({"/class/roster":[{"delay_ms":500,"body":)") + RouteText(kTwoClasses) + "}]}");
  StartLoadClasses();
  StartCreateClass("Band");
  EXPECT_EQ(Status(), "Still finishing the last change. Press Create again in a moment.");
  ASSERT_TRUE(WaitIdle());
  EXPECT_TRUE(Bodies("/class/create").empty());
  EXPECT_EQ(Status(), "2 classes");
}

TEST_F(ClassOperationsTest, WithoutAServerNothingIsSent) {
  TeacherDevice("");
  StartLoadClasses();
  EXPECT_EQ(Status(), kNoServerText);
  gSeatRequestCount = 2;
  StartRequestSeats();
  EXPECT_EQ(SeatText(), kNoServerText);
  StartRosterSync();
  EXPECT_EQ(RosterStatus(), kNoServerText);
  EXPECT_EQ(gClassroomWorkers.load(), 0);
  EXPECT_EQ(server_.Connections(), 0);
}

TEST_F(ClassOperationsTest, ThePupilCodeSavedByTheWorkerAndTheUiStaysWhole) {
  ASSERT_TRUE(server_.ok());
  TeacherDevice(server_.BaseUrl());
  const std::string fetched = "ORG:acme:seat:" + std::string(400, 'f');
  const std::string typed = "ORG:acme:seat:" + std::string(300, 't');
  server_.SetRoutes(R"({"/class/student-code":[{"body":"{\"studentCode\":\")" + fetched + R"(\"}"}]})");
  for (int round = 0; round < 20; ++round) {
    OpenInstitutionPanel();
    for (int i = 0; i < 20; ++i) SaveStudentCode(typed);
    ASSERT_TRUE(WaitIdle());
    std::string file = ReadFileBytes(StudentCodePath());
    EXPECT_TRUE(file == fetched || file == typed) << file.size();
    EXPECT_EQ(StudentCodeCopy(), file);
  }
}

}  // namespace
