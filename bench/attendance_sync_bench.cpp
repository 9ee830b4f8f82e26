// One attendance mark on loopback, from the launch to the saved file, against the tests' scripted
// HTTPS server (TLS handshake included: every mark opens its own connection).
#include <benchmark/benchmark.h>

#include <chrono>
#include <thread>

#include "classroom/attendance_sync.h"
#include "classroom/classroom_settings.h"
#include "platform/https.h"
#include "tests/support/https_test_server.h"

static void BM_AttendanceMarkRoundTrip(benchmark::State& state) {
  TempDir data;
  ScopedExeDir exe(data.path());
  HttpsTestServer server;
  if (!server.ok()) {
    state.SkipWithError("no test server");
    return;
  }
  server.SetRoutes(R"({"/attendance":[{"body":"{\"attendance\":[\"2026-03-01\",\"2026-03-02\"]}"}]})");
  HttpsSetCaFileForTesting(TestCaFile());
  WriteFileBytes(data.path() + "/Data/classroom.txt",
                 "server=" + server.BaseUrl() + "\ninstitution=ORG:bench:pupil\ntoken=bench-token\n");
  LoadClassroomSettings();
  ScopedDrivenClock clock;
  int day = 0;
  for (auto _ : state) {
    ResetAttendanceSync();   // a fresh day to mark
    ++day;
    ClockDriveSetLocal(LocalDateTime{2026, 1 + (day / 28) % 12, 1 + day % 28, 12, 0, 0, 0, 0}, 1767000000 + day);
    StartAttendanceSync();
    while (gAttendanceSyncBusy.load() != 0) std::this_thread::sleep_for(std::chrono::microseconds(50));
  }
  HttpsSetCaFileForTesting("");
}
BENCHMARK(BM_AttendanceMarkRoundTrip)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);
