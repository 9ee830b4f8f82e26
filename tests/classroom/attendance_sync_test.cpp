// The daily attendance mark with a driven clock, a temporary Data folder and a real server.
#include <cstdio>

#include "classroom/http_client.h"
#include "learning/iso_dates.h"
#include "tests/classroom/classroom_fixture.h"

namespace {

class AttendanceSyncTest : public ClassroomTest {
 protected:
  void SetDay(int year, int month, int day) {
    ClockDriveSetLocal(LocalDateTime{year, month, day, 18, 0, 0, 0, 1}, 1772000000 + day * 86400);
  }
  std::string MarkBody(const std::string& day) const {
    return std::string("{\"license\":\"") + kTestToken + "\",\"present\":true,\"day\":\"" + day + "\"}";
  }
  // A new launch of the program: the state is read from the files again.
  void Relaunch() { ResetAttendanceSync(); }

  ScopedDrivenClock clock_;
  HttpsTestServer server_;
};

TEST_F(AttendanceSyncTest, OneMarkADayKeepsTheServersDays) {
  ASSERT_TRUE(server_.ok());
  InstitutionDevice(server_.BaseUrl());
  server_.SetRoutes(R"({"/attendance":[{"body":"{\"attendance\":{\"days\":[\"2026-03-02\",\"2026-03-01\",\"2026-03-02\",\"bad\",\"2026-3-1\",\"2026-03-0x\"]}}"}]})");
  SetDay(2026, 3, 2);
  StartAttendanceSync();
  ASSERT_TRUE(WaitIdle());
  StartAttendanceSync();   // already marked today
  ASSERT_TRUE(WaitIdle());

  std::vector<RecordedRequest> requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].path, "/attendance");
  EXPECT_EQ(requests[0].body, MarkBody("2026-03-02"));
  EXPECT_EQ(ReadFileBytes(AttendanceQueuePath()), "2026-03-02\n2026-03-01\n2026-03-02\n");
  EXPECT_EQ(ReadFileBytes(AttendancePendingPath()), "");
}

// The program may be closed while the server has not answered: the day on its way must be on disk.
TEST_F(AttendanceSyncTest, ADayOnItsWayIsAlreadyKeptPending) {
  ASSERT_TRUE(server_.ok());
  InstitutionDevice(server_.BaseUrl());
  server_.SetRoutes(R"({"/attendance":[{"body":"{}","delay_ms":800}]})");
  WriteFileBytes(AttendancePendingPath(), "2026-03-01\n");
  SetDay(2026, 3, 2);
  StartAttendanceSync();
  EXPECT_EQ(ReadFileBytes(AttendancePendingPath()), "2026-03-01\n2026-03-02\n");
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(ReadFileBytes(AttendancePendingPath()), "");
  EXPECT_EQ(server_.Requests().size(), 2u);
}

TEST_F(AttendanceSyncTest, ASecondPassWhileOneIsInFlightSendsNothing) {
  ASSERT_TRUE(server_.ok());
  InstitutionDevice(server_.BaseUrl());
  server_.SetRoutes(R"({"/attendance":[{"body":"{}","delay_ms":600}]})");
  SetDay(2026, 3, 2);
  StartAttendanceSync();
  StartAttendanceSync();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(server_.Requests().size(), 1u);
  std::lock_guard<std::mutex> lock(gAttendanceSyncMutex);
  EXPECT_EQ(gLastSyncedDay, "2026-03-02");
  EXPECT_EQ(gAttendanceDays, std::vector<std::string>{"2026-03-02"});   // no list: the day is added
}

TEST_F(AttendanceSyncTest, AFailedMarkIsKeptAndTriedAgainTheSameDay) {
  ASSERT_TRUE(server_.ok());
  InstitutionDevice(server_.BaseUrl());
  server_.SetRoutes(R"({"/attendance":[{"status":500,"body":"{}"},{"body":"{\"ok\":true}"}]})");
  SetDay(2026, 3, 2);
  StartAttendanceSync();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(ReadFileBytes(AttendancePendingPath()), "2026-03-02\n");
  EXPECT_FALSE(FileExists(AttendanceQueuePath()));
  EXPECT_TRUE(log_.Contains("[attendance] auto-sync failed (http=500): server reached but rejected the mark"));

  StartAttendanceSync();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(server_.Requests().size(), 2u);
  EXPECT_EQ(ReadFileBytes(AttendancePendingPath()), "");
  EXPECT_EQ(ReadFileBytes(AttendanceQueuePath()), "2026-03-02\n2026-03-02\n");
}

TEST_F(AttendanceSyncTest, ADroppedDayIsPostedFirstTheNextDay) {
  ASSERT_TRUE(server_.ok());
  InstitutionDevice(server_.BaseUrl());
  server_.SetRoutes(R"({"/attendance":[{"close_before_answer":true},{"body":"{\"ok\":true}"},
      {"body":"{\"days\":[\"2026-02-20\",\"2026-03-02\",\"2026-03-03\"]}"}]})");
  SetDay(2026, 3, 2);
  StartAttendanceSync();
  ASSERT_TRUE(WaitIdle());
  EXPECT_TRUE(log_.Contains("(http=0, no answer): the server closed the connection without answering")) << log_.Text();
  EXPECT_EQ(ReadFileBytes(AttendancePendingPath()), "2026-03-02\n");

  Relaunch();
  SetDay(2026, 3, 3);
  StartAttendanceSync();
  ASSERT_TRUE(WaitIdle());
  std::vector<RecordedRequest> requests = server_.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[1].body, MarkBody("2026-03-02"));
  EXPECT_EQ(requests[2].body, MarkBody("2026-03-03"));
  EXPECT_EQ(ReadFileBytes(AttendancePendingPath()), "");
  EXPECT_EQ(ReadFileBytes(AttendanceQueuePath()), "2026-03-03\n2026-02-20\n2026-03-02\n2026-03-03\n");
}

// A kept day the server will never take (it marks only today) is dropped on its refusal, and the
// pass goes on: today's mark still goes out.
TEST_F(AttendanceSyncTest, ADayRefusedForGoodDoesNotHoldBackToday) {
  ASSERT_TRUE(server_.ok());
  InstitutionDevice(server_.BaseUrl());
  server_.SetRoutes(R"({"/attendance":[{"status":422,"body":"{\"error\":\"only today's attendance can be marked\"}"},)"
                    R"({"status":400,"body":"{}"},{"body":"{\"days\":[\"2026-12-08\"]}"}]})");
  WriteFileBytes(AttendancePendingPath(), "2026-12-04\n2026-12-05\n");
  SetDay(2026, 12, 8);
  StartAttendanceSync();
  ASSERT_TRUE(WaitIdle());
  std::vector<RecordedRequest> requests = server_.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].body, MarkBody("2026-12-04"));
  EXPECT_EQ(requests[1].body, MarkBody("2026-12-05"));
  EXPECT_EQ(requests[2].body, MarkBody("2026-12-08"));
  EXPECT_EQ(ReadFileBytes(AttendancePendingPath()), "");
  EXPECT_EQ(ReadFileBytes(AttendanceQueuePath()), "2026-12-08\n2026-12-08\n");
  EXPECT_TRUE(log_.Contains("refused the mark for 2026-12-04 (http=422)"));
  EXPECT_TRUE(log_.Contains("refused the mark for 2026-12-05 (http=400)"));
}

// A mark whose reply was lost was taken by the server, which then answers "already marked": the
// rest of that day sends nothing more, and the next day marks as usual.
TEST_F(AttendanceSyncTest, TodayRefusedForGoodIsNotSentAgainThatDay) {
  ASSERT_TRUE(server_.ok());
  InstitutionDevice(server_.BaseUrl());
  server_.SetRoutes(R"({"/attendance":[{"status":409,"body":"{\"error\":\"already marked\"}"},{"body":"{}"}]})");
  SetDay(2026, 12, 16);
  StartAttendanceSync();
  ASSERT_TRUE(WaitIdle());
  StartAttendanceSync();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(server_.Requests().size(), 1u);
  EXPECT_EQ(ReadFileBytes(AttendancePendingPath()), "");
  EXPECT_FALSE(FileExists(AttendanceQueuePath()));
  {
    std::lock_guard<std::mutex> lock(gAttendanceSyncMutex);
    EXPECT_TRUE(gAttendanceDays.empty());
  }

  SetDay(2026, 12, 17);
  StartAttendanceSync();
  ASSERT_TRUE(WaitIdle());
  std::vector<RecordedRequest> requests = server_.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[1].body, MarkBody("2026-12-17"));
  EXPECT_EQ(ReadFileBytes(AttendanceQueuePath()), "2026-12-17\n2026-12-17\n");
}

// No answer, a server error, a refused device or a request to wait says nothing about the day:
// that day and every later one stay kept, in order, and nothing after the failure is sent.
TEST_F(AttendanceSyncTest, AFailureThatMayPassKeepsEveryDay) {
  ASSERT_TRUE(server_.ok());
  InstitutionDevice(server_.BaseUrl());
  const char* failures[] = {R"({"status":500,"body":"{\"error\":\"busy\"}"})", R"({"status":503})",
                            R"({"close_before_answer":true})", R"({"status":401})", R"({"status":403})",
                            R"({"status":404})", R"({"status":405})", R"({"status":408})",
                            R"({"status":429})"};
  int sent = 0;
  for (const char* failure : failures) {
    SCOPED_TRACE(failure);
    Relaunch();
    WriteFileBytes(AttendancePendingPath(), "2026-12-01\n2026-12-05\n");
    // The first kept day is refused for good; the failure meets the second.
    server_.SetRoutes(std::string(R"({"/attendance":[{"status":422,"body":"{}"},)") + failure + "]}");
    SetDay(2026, 12, 8);
    StartAttendanceSync();
    ASSERT_TRUE(WaitIdle());
    std::vector<RecordedRequest> requests = server_.Requests();
    ASSERT_EQ(requests.size(), (size_t)sent + 2);
    EXPECT_EQ(requests.back().body, MarkBody("2026-12-05"));
    sent = (int)requests.size();
    EXPECT_EQ(ReadFileBytes(AttendancePendingPath()), "2026-12-05\n2026-12-08\n");
    EXPECT_FALSE(FileExists(AttendanceQueuePath()));
  }
}

// A reply that did not arrive whole was no refusal: the log says what happened to it, and the day
// stays kept as for any failure.
TEST_F(AttendanceSyncTest, TheLogSaysWhyAnExchangeFailed) {
  ASSERT_TRUE(server_.ok());
  struct Case {
    const char* name;
    std::string reply;
    const char* logged;
  };
  const Case cases[] = {
      {"cut mid-body", R"({"body":"{\"ok\"","content_length":400})",
       "(http=200, read failed): the server's reply was incomplete"},
      {"too large", R"({"body_size":)" + std::to_string(kHttpsReplyCap + 1) + "}",
       "(http=200, reply too large): the server's reply was too large"},
      {"stalled", R"({"body":"{}","stall_ms":10000})", "(http=200, timed out): the server's reply timed out"},
      {"refused", R"({"status":500,"body":"{}"})", "(http=500): server reached but rejected the mark"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove(AttendancePendingPath().c_str());
    Relaunch();
    InstitutionDevice(server_.BaseUrl());
    server_.SetRoutes(R"({"/attendance":[)" + c.reply + "]}");
    SetDay(2026, 3, 2);
    StartAttendanceSync();
    ASSERT_TRUE(WaitIdle());
    EXPECT_TRUE(log_.Contains(c.logged)) << log_.Text();
    EXPECT_EQ(ReadFileBytes(AttendancePendingPath()), "2026-03-02\n");
    EXPECT_FALSE(FileExists(AttendanceQueuePath()));
  }

  HttpsTestServer otherHost(HttpsTestServer::Cert::kOtherHost);
  ASSERT_TRUE(otherHost.ok());
  std::remove(AttendancePendingPath().c_str());
  Relaunch();
  InstitutionDevice(otherHost.BaseUrl());
  StartAttendanceSync();
  ASSERT_TRUE(WaitIdle());
  EXPECT_TRUE(log_.Contains("(http=0, TLS failed): TLS failure")) << log_.Text();
  EXPECT_EQ(ReadFileBytes(AttendancePendingPath()), "2026-03-02\n");
  EXPECT_TRUE(otherHost.Requests().empty());
  int refusals = 0;
  for (const std::string& line : log_.Lines()) refusals += line.find("rejected the mark") != std::string::npos;
  EXPECT_EQ(refusals, 1);   // the 500 alone
}

TEST_F(AttendanceSyncTest, WithoutAServerTheDayIsKeptAndLoggedOnce) {
  InstitutionDevice("");
  SetDay(2026, 3, 2);
  StartAttendanceSync();
  ASSERT_TRUE(WaitIdle());
  StartAttendanceSync();
  ASSERT_TRUE(WaitIdle());
  int lines = 0;
  for (const std::string& line : log_.Lines()) lines += line.find("no classroom server is set up") != std::string::npos;
  EXPECT_EQ(lines, 1);
  EXPECT_EQ(ReadFileBytes(AttendancePendingPath()), "2026-03-02\n");
  EXPECT_EQ(server_.Connections(), 0);

  Settings("server=" + server_.BaseUrl() + "\ntoken=" + kTestToken + "\n");   // no institution: nothing at all
  StartAttendanceSync();
  EXPECT_EQ(gClassroomWorkers.load(), 0);
}

// A device kept from its server for more than a year holds the newest days to send: today goes in
// and the oldest day makes room for it.
TEST_F(AttendanceSyncTest, AFullListOfDaysToSendKeepsTheNewest) {
  InstitutionDevice("");
  std::string kept;
  for (int i = 0; i < 400; ++i) kept += AddDaysIsoDate("2025-01-01", i) + "\n";
  WriteFileBytes(AttendancePendingPath(), kept);
  SetDay(2026, 3, 2);
  StartAttendanceSync();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(ReadFileBytes(AttendancePendingPath()), kept.substr(kept.find('\n') + 1) + "2026-03-02\n");
}

// A reply that holds no list of days keeps the device's days; one that does replaces them.
TEST_F(AttendanceSyncTest, OnlyAListOfDaysReplacesTheKeptDays) {
  ASSERT_TRUE(server_.ok());
  InstitutionDevice(server_.BaseUrl());
  WriteFileBytes(AttendanceQueuePath(), "2026-12-10\n2026-12-01\n2026-12-10\n");
  server_.SetRoutes(
      R"({"/attendance":[{"body":"{\"status\":\"ok\",\"attendance\":{\"count\":4,\"note\":\"see history\"},)"
      R"(\"recent_logins\":[\"2020-01-01\"]}"},{"body":"{\"attendance\":[\"2026-12-13\",\"2026-12-01\"]}"}]})");
  SetDay(2026, 12, 12);
  StartAttendanceSync();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(ReadFileBytes(AttendanceQueuePath()), "2026-12-12\n2026-12-01\n2026-12-10\n2026-12-12\n");

  SetDay(2026, 12, 13);
  StartAttendanceSync();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(server_.Requests().size(), 2u);
  EXPECT_EQ(ReadFileBytes(AttendanceQueuePath()), "2026-12-13\n2026-12-01\n2026-12-13\n");
}

TEST_F(AttendanceSyncTest, DayListsOfReplies) {
  struct Case {
    const char* reply;
    std::vector<std::string> days;
  };
  const Case cases[] = {
      {R"({"attendance":{"days":["2025-03-02","2025-03-01","2025-03-02","bad"]}})", {"2025-03-01", "2025-03-02"}},
      {R"({"attendance":["2025-03-01"]})", {"2025-03-01"}},
      {R"({"days":["2025-03-01"],"attendance":5})", {}},   // "attendance" wins; its first "[" is gone
      {R"({"days":[["2025-03-04"],"2025-03-01"]})", {"2025-03-04"}},
      {R"({"ok":true})", {}},
      {R"({"days":["2025-03-01")", {}},
      {R"({"days":["2025-13-01","2025-03-32","20x5-03-01","2025-03-01 "]})", {}},
      {"{\"attendance\" :\n [\"2025-03-01\"]}", {"2025-03-01"}},
      {R"({"attendance":{"count":4,"days":["2025-03-01"]}})", {"2025-03-01"}},
      // A key that holds no list lends nobody else's.
      {R"({"status":"ok","attendance":{"count":4,"note":"see history"},"recent_logins":["2020-01-01"]})", {}},
      {R"({"attendance":{"count":4},"days":["2025-03-01"]})", {}},
      {R"({"attendance":{"days":["2025-03-01"])", {}},
      {R"({"days":"see ["2025-03-01"]"})", {}},
      {R"({"attendance":"none","history":["2025-03-01"]})", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadServerDays(c.reply), c.days) << c.reply;
}

TEST_F(AttendanceSyncTest, TheFilesAreReadForgivingly) {
  WriteFileBytes(AttendanceQueuePath(), "   \n2025-3-1\n2025-03-01  \r\n2025-03-01\n");
  WriteFileBytes(AttendancePendingPath(), "2025-02-01\r\nnot a day\n2025-01-31\n2025-02-01\n");
  std::lock_guard<std::mutex> lock(gAttendanceSyncMutex);
  LoadAttendanceDays();
  EXPECT_EQ(gLastSyncedDay, "");
  EXPECT_EQ(gAttendanceDays, std::vector<std::string>{"2025-03-01"});
  EXPECT_EQ(gPendingAttendanceDays, (std::vector<std::string>{"2025-01-31", "2025-02-01"}));
}

}  // namespace
