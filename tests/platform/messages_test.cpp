// The message queue: thread-safe posting, posts during a drain, synchronous sends, removal by range.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/messages.h"

static std::vector<AppMessage> gSeen;

static int64_t Record(uint32_t code, uint64_t w, int64_t l) {
  gSeen.push_back(AppMessage{code, w, l});
  // A handled raw MIDI message posts the program's own note message, as the window procedure does.
  if (code == kMsgMidiInData) PostAppMessage(kMsgMidiNote, w, l);
  return (int64_t)w + 1;
}

class MessageQueue : public ::testing::Test {
 protected:
  void SetUp() override {
    AppMessage m;
    while (TakeAppMessage(&m)) {}
    gSeen.clear();
    SetAppMessageHandler(Record);
  }
  void TearDown() override { SetAppMessageHandler(nullptr); }
};

TEST_F(MessageQueue, PostsDuringADrainAreHandledInTheSameDrain) {
  PostAppMessage(kMsgMidiInData, 0x90, 7);
  PostAppMessage(kMsgKeyDown, 'R', 0);
  EXPECT_EQ(DrainAppMessages(), 3);
  ASSERT_EQ(gSeen.size(), 3u);
  EXPECT_EQ(gSeen[0].code, (uint32_t)kMsgMidiInData);
  EXPECT_EQ(gSeen[1].code, (uint32_t)kMsgKeyDown);
  EXPECT_EQ(gSeen[2].code, (uint32_t)kMsgMidiNote);
  EXPECT_EQ(gSeen[2].lParam, 7);
  EXPECT_EQ(CountAppMessages(), 0u);
}

TEST_F(MessageQueue, SendCallsTheHandlerAtOnce) {
  EXPECT_EQ(SendAppMessage(kMsgMidiNote, 41, 0), 42);
  EXPECT_EQ(gSeen.size(), 1u);
  SetAppMessageHandler(nullptr);
  EXPECT_EQ(SendAppMessage(kMsgMidiNote, 41, 0), 0);
}

TEST_F(MessageQueue, PostingFromManyThreadsKeepsEveryMessageInPerThreadOrder) {
  const int kThreads = 4, kEach = 5000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < kEach; ++i) PostAppMessage(kMsgMidiNote, (uint64_t)t, i);
    });
  for (auto& th : threads) th.join();
  EXPECT_EQ(DrainAppMessages(), kThreads * kEach);
  std::vector<int64_t> last(kThreads, -1);
  for (const AppMessage& m : gSeen) {
    EXPECT_GT(m.lParam, last[m.wParam]);
    last[m.wParam] = m.lParam;
  }
}

TEST_F(MessageQueue, RemoveByRangeKeepsEverythingElseInOrder) {
  PostAppMessage(kMsgMidiInOpen, 0, 0);
  PostAppMessage(kMsgKeyDown, 1, 0);
  PostAppMessage(kMsgMidiInData, 0, 0);
  PostAppMessage(kMsgMidiNote, 0, 0);
  PostAppMessage(kMsgMidiInLongError, 0, 0);
  PostAppMessage(kMsgMidiSustain, 0, 0);
  PostAppMessage(kMsgChar, 2, 0);
  EXPECT_EQ(RemoveAppMessages(kMsgMidiInOpen, kMsgMidiInLongError), 3);
  EXPECT_EQ(RemoveAppMessages(kMsgMidiNote, kMsgMidiSustain), 2);
  EXPECT_EQ(RemoveAppMessages(kMsgMidiNote, kMsgMidiSustain), 0);
  DrainAppMessages();
  ASSERT_EQ(gSeen.size(), 2u);
  EXPECT_EQ(gSeen[0].code, (uint32_t)kMsgKeyDown);
  EXPECT_EQ(gSeen[1].code, (uint32_t)kMsgChar);
}

TEST(MessagePoints, SignedCoordinatesSurviveThePacking) {
  for (int x : {0, 1, -1, -32768, 70000, 1919})
    for (int y : {0, -5, 1079, 65535}) {
      int64_t p = MakePointParam(x, y);
      EXPECT_EQ(PointParamX(p), x);
      EXPECT_EQ(PointParamY(p), y);
    }
}
