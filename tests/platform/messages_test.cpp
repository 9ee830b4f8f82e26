// The message queue: thread-safe posting, posts during a drain, synchronous sends, removal by range.
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/messages.h"

namespace {

std::vector<AppMessage> gSeen;

int64_t Record(uint32_t code, uint64_t w, int64_t l) {
  gSeen.push_back(AppMessage{code, w, l});
  // A handled raw MIDI message posts the program's own note message, as the window procedure does.
  if (code == kMsgMidiInData) PostAppMessage(kMsgMidiNote, w, l);
  return (int64_t)w + 1;
}

std::vector<uint32_t> SeenCodes() {
  std::vector<uint32_t> codes;
  for (const AppMessage& m : gSeen) codes.push_back(m.code);
  return codes;
}

class MessageQueue : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveAppMessages(0, 0xFFFFFFFFu);
    gSeen.clear();
    SetAppMessageHandler(Record);
  }
  void TearDown() override { SetAppMessageHandler(nullptr); }
};

TEST_F(MessageQueue, PostsDuringADrainAreHandledInTheSameDrainAndSendsAtOnce) {
  PostAppMessage(kMsgMidiInData, 0x90, 7);
  PostAppMessage(kMsgKeyDown, 'R', 0);
  EXPECT_EQ(DrainAppMessages(), 3);
  EXPECT_EQ(SeenCodes(), (std::vector<uint32_t>{kMsgMidiInData, kMsgKeyDown, kMsgMidiNote}));
  EXPECT_EQ(gSeen[2].lParam, 7);
  EXPECT_EQ(CountAppMessages(), 0u);

  EXPECT_EQ(SendAppMessage(kMsgMidiNote, 41, 0), 42);
  EXPECT_EQ(gSeen.size(), 4u);
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
  for (uint32_t code : {kMsgMidiInOpen, kMsgKeyDown, kMsgMidiInData, kMsgMidiNote, kMsgMidiInLongError,
                        kMsgMidiSustain, kMsgChar})
    PostAppMessage(code, 0, 0);
  EXPECT_EQ(RemoveAppMessages(kMsgMidiInOpen, kMsgMidiInLongError), 3);
  EXPECT_EQ(RemoveAppMessages(kMsgMidiNote, kMsgMidiSustain), 2);
  EXPECT_EQ(RemoveAppMessages(kMsgMidiNote, kMsgMidiSustain), 0);
  DrainAppMessages();
  EXPECT_EQ(SeenCodes(), (std::vector<uint32_t>{kMsgKeyDown, kMsgChar}));
}

// A wait that should end early and does not would hang here: the long waits are the proof.
TEST_F(MessageQueue, OnlyAWaitingWakingMessageEndsTheWaitUntilTheQueueIsEmptied) {
  const uint32_t kLong = 600000;
  PostAppMessage(kMsgMidiInData, 0xFE, 0);
  EXPECT_FALSE(WaitForWakingMessage(1));
  PostWakingAppMessage(kMsgMidiInData, 0x90, 0);
  EXPECT_TRUE(WaitForWakingMessage(kLong));
  EXPECT_TRUE(WaitForWakingMessage(kLong));  // still waiting to be handled
  EXPECT_EQ(DrainAppMessages(), 4);          // each raw message posts a note message
  EXPECT_FALSE(WaitForWakingMessage(1));

  PostWakingAppMessage(kMsgMidiInData, 0x80, 0);
  RemoveAppMessages(kMsgMidiInData, kMsgMidiInData);
  EXPECT_FALSE(WaitForWakingMessage(1));

  // From another thread, as the MIDI callback posts, while the UI thread waits.
  std::thread midi([] { PostWakingAppMessage(kMsgMidiInData, 0x90, 1); });
  EXPECT_TRUE(WaitForWakingMessage(kLong));
  midi.join();
  DrainAppMessages();

  // Under the driven clock nothing sleeps.
  ClockDriveBegin(1000);
  EXPECT_FALSE(WaitForWakingMessage(kLong));
  ClockDriveEnd();
}

TEST(MessagePoints, SignedCoordinatesSurviveThePacking) {
  for (int x : {0, 1, -1, -32768, 70000, 1919})
    for (int y : {0, -5, 1079, 65535}) {
      EXPECT_EQ(PointParamX(MakePointParam(x, y)), x);
      EXPECT_EQ(PointParamY(MakePointParam(x, y)), y);
    }
}

}  // namespace
