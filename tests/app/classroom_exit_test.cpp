// Closing the program while a classroom request hangs: destruction waits about 2 s for the
// worker, then goes on; the worker, ending later, touches nothing destroyed.
#include <gtest/gtest.h>

#include <chrono>

#include "app/base/app_state.h"
#include "app/window_proc.h"
#include "classroom/background_job.h"
#include "classroom/class_operations.h"
#include "classroom/classroom_codes.h"
#include "classroom/classroom_settings.h"
#include "platform/https.h"
#include "platform/messages.h"
#include "tests/support/https_test_server.h"

TEST(ClassroomExit, DestructionWaitsAtMostAboutTwoSecondsForASlowRequest) {
  TempDir dir;
  ScopedExeDir exe(dir.path());
  HttpsTestServer server;
  ASSERT_TRUE(server.ok());
  server.SetRoutes(R"({"/class/roster":[{"delay_ms":20000,"body":"{}"}]})");
  HttpsSetCaFileForTesting(TestCaFile());
  WriteFileBytes(dir.path() + "/Data/classroom.txt",
                 "server=" + server.BaseUrl() + "\ninstitution=ORG:exit:t:x:admin\n");
  LoadClassroomSettings();
  SaveTeacherToken("ORG:exit:admin");
  StartLoadClasses();
  ASSERT_EQ(gClassroomWorkers.load(), 1);

  SetAppMessageHandler(MainWndProc);
  gMainWindowOpen = gAppRunning = true;
  auto start = std::chrono::steady_clock::now();
  SendAppMessage(kMsgDestroy, 0, 0);
  double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_GE(seconds, 1.9);
  // Well short of the request's 20 s: the wait gave up, though a loaded machine may stretch it.
  EXPECT_LT(seconds, 8.0);
  EXPECT_FALSE(gAppRunning);
  EXPECT_EQ(gClassroomWorkers.load(), 1);   // still hanging

  server.Stop();   // the worker's connection breaks and it finishes on its own
  EXPECT_TRUE(WaitForClassroomWorkers(10000));
  SetAppMessageHandler(nullptr);
  HttpsSetCaFileForTesting("");
  gMainWindowOpen = false;
  gAppRunning = true;
}
