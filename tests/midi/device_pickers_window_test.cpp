// The device panels drawn under Xvfb from a test layout: the header boxes stand where the layout
// puts them, the open AUDIO OUT list shows its rows with the chosen one lit, and nothing is drawn
// at no alpha. A screenshot is left in the test's working folder.
#include <gtest/gtest.h>

#include "app/base/client_size.h"
#include "gfx/draw_alpha.h"
#include "gfx/text.h"
#include "midi/device_pickers.h"
#include "tests/gfx/gl_fixture.h"
#include "tests/midi/output_device_fixture.h"

namespace {

bool Shown(float) { return true; }
void Row(float* scale, RectF* row) {
  *scale = 1.0f;
  *row = {20.0f, 540.0f, 270.0f, 36.0f};
}

class PickersDrawn : public GlFixture {
 protected:
  void SetUp() override {
    GlFixture::SetUp();
    gClientWidth = kWidth;
    gClientHeight = kHeight;
    gStartScreenShownHook = Shown;
    gStartScreenRowHook = Row;
    gPorts = {{"Port A", true}, {"Port B", true}, {"Port C", true}};
    SetMidiOutDriver(&kOutDriver);
    gInDevices.clear();
    SetMidiInDriver(&kInDriver);
    gMidiOutNameLoaded = true;
    gMidiOutName = "port b";
    RebuildFonts();
    gDrawAlpha = 1.0f;
  }
  void TearDown() override {
    ResetDevicePickers();
    gStartScreenShownHook = nullptr;
    gStartScreenRowHook = nullptr;
    SetMidiOutDriver(nullptr);
    SetMidiInDriver(nullptr);
    gMidiOutName.clear();
    gMidiOutNameLoaded = false;
    FreeAllFonts();
  }
  static int Level(const std::vector<uint8_t>& f, const RectF& r) {
    return Brightest(f, (int)r.x + 4, (int)(r.y + r.h / 2));
  }
};

TEST_F(PickersDrawn, HeadersAndTheOpenListStandWhereTheLayoutSays) {
  PickerLayout m, a;
  ComputeMidiPickerLayout(&m);
  ComputeAudioOutLayout(&a);
  DrawMidiInputPanel(0.0f);
  DrawAudioOutPanel(0.0f, 0.0f);
  EXPECT_EQ(Level(ReadFrame(), a.header), 0) << "nothing at no alpha";
  ASSERT_TRUE(ClickAudioOutPanel((int)a.header.x + 5, (int)a.header.y + 5));
  DrawMidiInputPanel(1.0f);
  DrawAudioOutPanel(0.0f, 1.0f);
  std::vector<uint8_t> f = ReadFrame();
  SaveFrame(f, "device_pickers_open.png");
  EXPECT_GT(Level(f, m.header), 0) << "the MIDI header box";
  EXPECT_GT(Level(f, a.header), 0) << "the AUDIO OUT header box";
  EXPECT_EQ(Brightest(f, (int)a.header.x + 4, (int)(a.header.y + a.header.h + a.pad / 2)), 0) << "the gap below it";
  ASSERT_EQ(a.rows, 5);
  // Port B (row 2) is the saved choice, whatever its letters' case: its row is lit above the rest.
  int lit = Level(f, PickerRowRect(a, 2));
  for (int row : {0, 1, 3, 4}) EXPECT_GT(lit, Level(f, PickerRowRect(a, row)) + 10) << row;
  EXPECT_GT(Level(f, PickerRowRect(a, 4)), 0) << "the list's ground under the last row";
  EXPECT_EQ(Brightest(f, (int)a.list.x + 4, (int)a.list.y - 3), 0) << "nothing above the list";
}

}  // namespace
