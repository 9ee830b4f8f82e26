// The full MIDI reset over driver doubles of the output and the input: its status text for each
// outcome and the MIDI state it leaves behind.
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "app/base/note_tables.h"
#include "app/base/status_text.h"
#include "app/midi_reset.h"
#include "midi/note_preview.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "platform/messages.h"
#include "tests/midi/output_device_fixture.h"

namespace {

TEST_F(OutputDevice, FullResetReportsEachOutcome) {
  SetMidiInDriver(&kInDriver);
  const struct {
    std::vector<std::pair<std::string, int>> devices;
    bool song;
    std::string status;
  } cases[] = {
      {{{"Keys", 0}}, true, "MIDI reset complete; playback stopped (Keys)"},
      {{{"Keys", 0}}, false, "MIDI reset complete: Keys"},
      {{{"Keys", 4}}, false, "MIDI reset: device busy"},
      {{{"Keys", 2}}, true, "MIDI reset failed"},
      {{}, true, "MIDI reset: no device found"},
  };
  for (const auto& c : cases) {
    gInDevices = c.devices;
    gSongPath = c.song ? "song.mid" : "";
    ResetMidiFull();
    EXPECT_EQ(gStatusText, c.status);
  }
  gSongPath.clear();
}

TEST_F(OutputDevice, FullResetLeavesNoMidiStateBehind) {
  SetMidiInDriver(&kInDriver);
  gInDevices = {{"Keys", 0}};
  DebugCapture capture;
  RemoveAppMessages(0, 0xFFFFFFFFu);
  PlayPreviewNote(60, 100, 0);  // opens the output
  gHeldNotes.push_back(HeldNote{60, 100, 1, 1, 0, 5, 7, 0, 1});
  gPlayedNotes.push_back(PlayedNote{60, 5, 7, 1, 1, 1, 0});
  gNoteOnSerial = 99;
  gSustainDown = gSyntheticNoteInput = true;
  gMidiInMessageCount.store(12);
  gLastMidiInputMs = 77;
  gNoteGlow[60] = gKeyHitGlow[61] = gKeyMissFlash[62] = gScoreFlash = 1.0f;
  for (uint32_t code : {kMsgMidiInData, kMsgKeyDown, kMsgMidiNote, kMsgMidiInError, kMsgMidiSustain})
    PostAppMessage(code, 0, 0);
  gLog.clear();

  ResetMidiFull();

  EXPECT_EQ(capture.Lines().front(), "[MIDI] Full reset requested (R)");
  // Preview note 60 was sounding: the output is brought to rest before it closes.
  Strings wantOut;
  for (int c = 0; c < 16; ++c)
    for (int control : {0x7B, 0x40}) {
      char text[16];
      std::snprintf(text, sizeof text, "-1:00%02XB%X", control, c);
      wantOut.push_back(text);
    }
  wantOut.insert(wantOut.end(), {"reset -1", "close -1"});
  EXPECT_EQ(gLog, wantOut);
  EXPECT_FALSE(gPreviewNotesOn[60]);
  AppMessage m;
  ASSERT_TRUE(TakeAppMessage(&m));
  EXPECT_EQ(m.code, (uint32_t)kMsgKeyDown) << "only MIDI messages are thrown away";
  EXPECT_FALSE(TakeAppMessage(&m));
  EXPECT_TRUE(gHeldNotes.empty() && gPlayedNotes.empty());
  EXPECT_EQ(gNoteOnSerial, 1u);
  EXPECT_FALSE(gSustainDown || gSyntheticNoteInput);
  EXPECT_EQ(gMidiInMessageCount.load(), 0);
  EXPECT_EQ(gLastMidiInputMs, 0u);
  EXPECT_EQ(gNoteGlow[60] + gKeyHitGlow[61] + gKeyMissFlash[62] + gScoreFlash, 0.0f);
  EXPECT_TRUE(gMidiInOpen);
}

}  // namespace
