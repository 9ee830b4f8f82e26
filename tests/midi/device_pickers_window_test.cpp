// The device panels drawn under Xvfb from a test layout: the header boxes stand where the layout
// puts them, the open AUDIO OUT list shows its rows with the chosen one lit, and nothing is drawn
// at no alpha; a list taller than the window shows the rows that fit with a scroll strip.
// Screenshots are left in the test's working folder.
#include <gtest/gtest.h>

#include "app/base/client_size.h"
#include "gfx/draw_alpha.h"
#include "gfx/text.h"
#include "midi/device_pickers.h"
#include "tests/gfx/gl_fixture.h"
#include "tests/midi/output_device_fixture.h"

namespace {

bool Shown(double) { return true; }
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

// Forty keyboards in a 600-px window: the rows in view and the list's foot are drawn inside the
// window, a strip at the list's right end shows its thumb at the top, and after the wheel the last
// keyboard's row is drawn where the layout puts it, with the thumb at the strip's foot.
TEST_F(PickersDrawn, AListTallerThanTheWindowShowsTheRowsThatFitWithAScrollStrip) {
  for (int i = 1; i <= 40; ++i) gInDevices.push_back({"Keys " + std::to_string(i), 0});
  PickerLayout m;
  ComputeMidiPickerLayout(&m);
  ASSERT_TRUE(ClickMidiInputPanel((int)m.header.x + 5, (int)m.header.y + 5));
  auto drawn = [&](const char* shot) {
    glClear(GL_COLOR_BUFFER_BIT);
    DrawMidiInputPanel(1.0f);
    DrawAudioOutPanel(0.0f, 1.0f);
    std::vector<uint8_t> f = ReadFrame();
    SaveFrame(f, shot);
    return f;
  };
  std::vector<uint8_t> f = drawn("device_pickers_many_top.png");
  ComputeMidiPickerLayout(&m);
  ASSERT_LE(m.list.y + m.list.h, (float)kHeight) << "the list runs past the window's foot";
  ASSERT_GE(m.list.y, 0.0f);
  EXPECT_GT(Brightest(f, (int)(m.list.x + m.list.w / 2), (int)(m.list.y + m.list.h - m.pad / 2)), 0)
      << "the list's ground at its foot";
  RectF lowest = PickerRowRect(m, m.first + m.shown - 1);
  EXPECT_GT(Level(f, lowest), 0);
  // The strip stands right of the rows' text; its bright thumb is at the top while the list is.
  auto stripLevel = [&](const std::vector<uint8_t>& frame, float y) {
    int most = 0;
    for (int x = (int)(m.list.x + m.list.w - m.pad - 12); x < (int)(m.list.x + m.list.w - 1); ++x)
      most = std::max(most, Brightest(frame, x, (int)y));
    return most;
  };
  const float top = m.list.y + m.pad + 4, foot = m.list.y + m.list.h - m.pad - 4;
  EXPECT_GT(stripLevel(f, top), 180) << "the thumb at the top";
  EXPECT_LT(stripLevel(f, foot), 150) << "only the track at the foot";
  for (int i = 0; i < 60 && m.first + m.shown < 40; ++i) {
    ASSERT_TRUE(DevicePickersWheel((int)(m.list.x + m.list.w / 2), (int)(m.list.y + m.list.h / 2), -120));
    ComputeMidiPickerLayout(&m);
  }
  ASSERT_EQ(m.first + m.shown, 40);
  f = drawn("device_pickers_many_end.png");
  RectF last = PickerRowRect(m, 39);
  ASSERT_LE(last.y + last.h, (float)kHeight);
  // "Keys 40" is drawn in the last row: ink across its text, as in the row above it.
  int ink = 0;
  for (int x = (int)last.x + 8; x < (int)(last.x + last.w / 2); ++x) ink += Brightest(f, x, (int)(last.y + last.h / 2)) > 150;
  EXPECT_GT(ink, 3);
  EXPECT_GT(stripLevel(f, foot), 180) << "the thumb at the foot";
  EXPECT_LT(stripLevel(f, top), 150) << "only the track at the top";
}

}  // namespace
