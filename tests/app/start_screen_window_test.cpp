// The start screen in a real 1440 x 920 window on a virtual display with a driven clock: frames
// run through the main loop, presses and keys go through the window procedure, and the picture is
// read back at positions computed from the screen's own geometry. Screenshots go to the test's
// working folder.
#include <GL/gl.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

#include "app/base/app_clock.h"
#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/base/start_clock.h"
#include "app/floor_links.h"
#include "app/main_loop.h"
#include "app/window_proc.h"
#include "app/window_size.h"
#include "gfx/gl_setup.h"
#include "gfx/images.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/ui_language.h"
#include "midi/device_pickers.h"
#include "midi/playback.h"
#include "platform/clock.h"
#include "platform/images.h"
#include "platform/keys.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "tests/midi/output_device_fixture.h"
#include "tests/support/child_process.h"
#include "tests/support/test_support.h"
#include "visual/start_screen.h"

namespace {

using Rgb = std::array<int, 3>;

class StartScreenWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { display_ = new VirtualDisplay(); }
  static void TearDownTestSuite() {
    delete display_;
    display_ = nullptr;
  }
  void SetUp() override {
    ASSERT_FALSE(display_->name().empty()) << "Xvfb did not start";
    setenv("DISPLAY", display_->name().c_str(), 1);
    setenv("TONVARRA_MESSAGE_BOXES", "0", 1);
    // The shipped images beside a private executable folder, so the Data folder is private too.
    const std::string source = TONVARRA_SOURCE_ROOT;
    std::filesystem::create_directories(dir_.File("assets/images"));
    std::filesystem::create_directories(dir_.File("Data"));
    for (const char* name : {"splash_screen.png", "tv_mark.png", "tv_wordmark.png"})
      std::filesystem::copy_file(source + "/assets/images/" + name, dir_.File("assets/images/") + name);
    SetAppMessageHandler(MainWndProc);
    gClientWidth = gClientHeight = gAppliedClientWidth = gAppliedClientHeight = 0;
    ASSERT_TRUE(WindowCreate("Tonvarra", "Orvanel", 100, 100, 1440, 920)) << WindowLastError();
    gMainWindowOpen = true;
    WindowShowMaximized();
    for (int i = 0; i < 100 && gClientWidth != 1440; ++i) {
      DrainMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_EQ(WindowCreateGlContext(), kGlReady) << WindowLastError();
    gGlReady = true;
    SetupGlState();
    SetProjection2D();
    RebuildFonts();
    ResetUiLanguageForTesting();
    InitUiLanguage();
    ApplyUiLanguage(0, false);
    ASSERT_TRUE(LoadSplashTextures());
    ASSERT_NE(gMarkImage.texture, 0u);
    ASSERT_NE(gWordmarkImage.texture, 0u);
    ResetStartScreen();
    SetLanguageListRows(0.0f);
  }
  void TearDown() override {
    ResetStartScreen();
    FreeSplashTextures();
    FreeAllFonts();
    ResetUiLanguageForTesting();
    gGlReady = false;
    WindowDestroy();
    gMainWindowOpen = false;
    SetAppMessageHandler(nullptr);
  }
  // Frames every 100 ms of driven time until `seconds` after the first frame (which starts the run).
  void RunUntil(double seconds) {
    if (start_ < 0.0) {
      RunFrameWork(ClockMs32());
      start_ = gStartClock;
    }
    while (GetAppSeconds() - start_ < seconds) {
      clock_.Advance(100);  // large steps keep the test quick; the easing's step is clamped anyway
      RunFrameWork(ClockMs32());
    }
    glFinish();
  }
  static Rgb Pixel(float x, float yFromTop) {
    unsigned char rgb[3] = {};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels((int)x, gClientHeight - 1 - (int)yFromTop, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return {rgb[0], rgb[1], rgb[2]};
  }
  static bool Ink(float x0, float y0, float x1, float y1, int above) {
    for (float y = y0; y <= y1; y += 1)
      for (float x = x0; x <= x1; x += 1) {
        Rgb c = Pixel(x, y);
        if (std::max({c[0], c[1], c[2]}) > above) return true;
      }
    return false;
  }
  static void Shot(const std::string& name) {
    DecodedImage shot{gClientWidth, gClientHeight, {}};
    std::vector<uint8_t> up((size_t)gClientWidth * gClientHeight * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, gClientWidth, gClientHeight, GL_RGBA, GL_UNSIGNED_BYTE, up.data());
    shot.rgba.resize(up.size());
    size_t row = (size_t)gClientWidth * 4;
    for (int y = 0; y < gClientHeight; ++y)
      std::copy_n(&up[(size_t)(gClientHeight - 1 - y) * row], row, &shot.rgba[(size_t)y * row]);
    for (size_t i = 3; i < shot.rgba.size(); i += 4) shot.rgba[i] = 255;
    SaveImageFile(name, shot);
  }
  static void Press(float x, float y) {
    SendAppMessage(kMsgLButtonDown, 0, MakePointParam((int)x, (int)y));
    SendAppMessage(kMsgLButtonUp, 0, MakePointParam((int)x, (int)y));
  }

  TempDir dir_;
  ScopedExeDir exe_{dir_.path()};
  ScopedDrivenClock clock_;
  double start_ = -1.0;
  static VirtualDisplay* display_;
};

VirtualDisplay* StartScreenWindow::display_ = nullptr;

TEST_F(StartScreenWindow, SkyMarkWordmarkAndVersionLineWhereComputed) {
  ASSERT_EQ(gClientWidth, 1440);
  ASSERT_EQ(gClientHeight, 920);
  const int W = 1440, H = 920;
  RunUntil(1.0f);
  // Above every hill's silhouette (the back hill's where it is highest), the sky's own colour.
  float xs[kHillSamples], ys[kHillSamples], top[kHillSamples];
  float elapsed = GetStartScreenElapsed(GetAppSeconds());
  for (int k = 0; k < kHillLayers; ++k) {
    HillSilhouette(k, elapsed, W, H, xs, ys);
    for (int i = 0; i < kHillSamples; ++i) top[i] = k == 0 ? ys[i] : std::min(top[i], ys[i]);
  }
  int deepest = (int)(std::max_element(top, top + kHillSamples) - top);
  ASSERT_GT(top[deepest], 5.0f);
  float y = top[deepest] - 3.0f, t = y / (float)H;
  Rgb sky = Pixel(xs[deepest], y);
  const float skyTop[3] = {0.014f, 0.026f, 0.075f}, bottom[3] = {0.006f, 0.011f, 0.036f};
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(sky[c], 255.0f * (skyTop[c] + (bottom[c] - skyTop[c]) * t), 2.5f) << c;

  // After the roll has settled (2.3 s + 0.55 s) the mark's centre, its light hub, is in place.
  RunUntil(3.5f);
  Shot("start_screen_3_5s.png");
  float side = 0.3f * H, groupLeft = (W - (side + 0.3f * side + 0.26f * W)) / 2.0f;
  Rgb hub = Pixel(groupLeft + side / 2.0f, 0.46f * H);
  EXPECT_GT(std::min({hub[0], hub[1], hub[2]}), 120) << hub[0] << "," << hub[1] << "," << hub[2];
  Rgb gap = Pixel(groupLeft + 1.15f * side, 0.46f * H - 0.45f * side);  // between mark and name
  EXPECT_LT(std::max({gap[0], gap[1], gap[2]}), 60);
  // The name has wiped in beside it.
  float wordLeft = groupLeft + 1.3f * side, wordW = 0.26f * W, wordH = wordW / 4.0f;
  EXPECT_TRUE(Ink(wordLeft, 0.46f * H - wordH / 2, wordLeft + wordW, 0.46f * H + wordH / 2, 180));
  // The version line's ink in the bottom-right corner.
  float margin = 16.0f * StartScreenScale(W, H);
  EXPECT_TRUE(Ink(W - margin - 120, H - margin - 14, W - margin, H - margin + 2, 70));
  EXPECT_FALSE(Ink(W - margin - 120, H - margin - 60, W - margin, H - margin - 30, 70));
}

TEST_F(StartScreenWindow, TheListDimsPicksKeepsAndHoldsTheScreen) {
  RunUntil(2.0f);
  Rgb before = Pixel(3, 3);
  StartScreenLayout l = ComputeStartScreenLayout();
  Press(l.buttonX + l.buttonW / 2, l.buttonY + l.buttonH / 2);
  ASSERT_TRUE(gLanguageListOpen);
  RunUntil(4.0f);  // the list has opened fully; the scene's clock stood still meanwhile
  Shot("start_screen_list.png");
  EXPECT_NEAR(GetStartScreenElapsed(GetAppSeconds()), 2.0f, 0.03f);
  Rgb dimmed = Pixel(3, 3);
  const float dim[3] = {0.01f, 0.02f, 0.05f};
  for (int c = 0; c < 3; ++c) EXPECT_NEAR(dimmed[c], before[c] * 0.66f + 0.34f * 255.0f * dim[c], 2.5f) << c;

  // Still up at 4.6 s and far beyond while the list is open.
  RunUntil(7.0f);
  EXPECT_TRUE(DrawStartScreen(GetAppSeconds()));
  // A press on the row two below the centre picks it, saves it and closes the list.
  float centre = l.rowsY + l.rowsH / 2;
  Press(l.rowsX + 30, centre + 2 * l.rowH);
  EXPECT_FALSE(gLanguageListOpen);
  EXPECT_EQ(gLanguageIndex, 2);
  EXPECT_EQ(ReadFileBytes(dir_.File("Data/ui_language.txt")), gLanguageList[2].locale);
  float left = 4.6f - GetStartScreenElapsed(GetAppSeconds());
  EXPECT_NEAR(left, 2.6f, 0.03f);
  // The screen ends 4.6 s of unpaused time after its start.
  clock_.Advance((uint64_t)std::lround((left - 0.05f) * 1000.0f));
  EXPECT_TRUE(DrawStartScreen(GetAppSeconds()));
  clock_.Advance(100);
  EXPECT_FALSE(DrawStartScreen(GetAppSeconds()));
  // F12 plays it again from the beginning.
  SendAppMessage(kMsgKeyDown, kKeyF12, 0);
  EXPECT_LT(gStartClock, 0.0f);
  EXPECT_TRUE(DrawStartScreen(GetAppSeconds()));
  EXPECT_FLOAT_EQ(GetStartScreenElapsed(GetAppSeconds()), 0.0f);
}

// A song playing when F12 brings the screen back holds still behind it, its notes released; once
// the screen has gone it goes on from where it stood, not with every note due meanwhile at once.
TEST_F(StartScreenWindow, ASongHoldsStillBehindTheScreenAndGoesOnAfterIt) {
  SetMidiOutDriver(&kOutDriver);
  gPorts.clear();
  RunUntil(5.0f);
  ASSERT_FALSE(DrawStartScreen(GetAppSeconds()));
  std::vector<SongEvent> song;
  for (uint32_t i = 0; i < 100; ++i) {
    song.push_back({i * 100, 0x90, (uint8_t)(60 + i % 12), 90, 0});
    song.push_back({i * 100 + 90, 0x80, (uint8_t)(60 + i % 12), 0, 0});
  }
  gSongEvents = song;
  gNotePedalSpans.assign(song.size(), NotePedalSpan{});
  TogglePlayback();
  ASSERT_TRUE(gPlaying && !gPaused);
  RunUntil(6.0f);
  const uint32_t at = GetPlaybackPositionMs(ClockMs32());
  const size_t cursor = gEventCursor;
  EXPECT_GT(cursor, 0u);
  SendAppMessage(kMsgKeyDown, kKeyF12, 0);
  RunUntil(8.0f);
  EXPECT_TRUE(DrawStartScreen(GetAppSeconds()));
  EXPECT_TRUE(gPaused) << "the song ran on behind the screen";
  EXPECT_EQ(gEventCursor, cursor);
  for (int key = 0; key < 128; ++key) EXPECT_FALSE(gKeySounding[key]) << key;
  RunUntil(12.0f);
  EXPECT_FALSE(DrawStartScreen(GetAppSeconds()));
  EXPECT_TRUE(gPlaying && !gPaused) << "the song did not go on after the screen";
  const uint32_t after = GetPlaybackPositionMs(ClockMs32());
  EXPECT_GE(after, at);
  EXPECT_LT(after, at + 5000u) << "the time behind the screen counted as song time";
  UnloadMidi();
  SetMidiOutDriver(nullptr);
}

// The loop held up for seconds while the screen runs (the program stopped, or the machine asleep
// with its clock running): once it runs again the screen is drawn to its end at the real time, not
// left standing at the held time of a resting loop until something is pressed, holding a song
// behind it all the while.
TEST_F(StartScreenWindow, TheScreenEndsAfterTheLoopStoodStillDuringIt) {
  SetMidiOutDriver(&kOutDriver);
  gPorts.clear();
  RunUntil(0.5f);
  std::vector<SongEvent> song;
  for (uint32_t i = 0; i < 400; ++i) {
    song.push_back({i * 100, 0x90, (uint8_t)(60 + i % 12), 90, 0});
    song.push_back({i * 100 + 90, 0x80, (uint8_t)(60 + i % 12), 0, 0});
  }
  gSongEvents = song;
  gNotePedalSpans.assign(song.size(), NotePedalSpan{});
  TogglePlayback();
  for (int pass = 0; pass < 10; ++pass) {
    clock_.Advance(100);
    RunLoopPass();
  }
  ASSERT_TRUE(DrawStartScreen(GetAppSeconds()));
  ASSERT_TRUE(gPaused);
  // Longer than the quiet time after which the loop rests, shorter than the other tests' runs.
  clock_.Advance(8500);
  const double woke = GetAppSeconds();
  for (int pass = 0; pass < 10; ++pass) {
    clock_.Advance(100);
    RunLoopPass();
  }
  EXPECT_GE(gLastFrameSeconds, woke) << "the picture stayed at the time before the stall";
  EXPECT_TRUE(gPlaying && !gPaused) << "the song stayed held behind a screen that had run out";
  UnloadMidi();
  SetMidiOutDriver(nullptr);
}

// The device pickers in the running start screen, pressed through the window procedure: each
// header opens its list upward with a row per keyboard, or per port beside the synthesiser and the
// speakers; the rows carry ink, the scene's clock stands while a list is open, and a press beside
// the list closes it without a choice.
TEST_F(StartScreenWindow, DeviceHeadersOpenTheirListsThroughTheWindow) {
  gInDevices = {{"Keys One", 0}, {"Keys Two", 0}, {"Pads", 0}};
  gPorts = {{"Port A", true}, {"Port B", true}};
  SetMidiInDriver(&kInDriver);
  SetMidiOutDriver(&kOutDriver);
  ConnectFloors();
  RunUntil(2.0f);
  // The rescan connects a keyboard on its own while the screen stands; a list closed without a
  // choice changes nothing of that.
  ASSERT_TRUE(gMidiInOpen);
  const std::string keyboard = gMidiInName;
  struct Case {
    bool midi;
    int rows;
    const char* shot;
  } cases[] = {{true, 3, "start_screen_midi_list.png"}, {false, 4, "start_screen_audio_out_list.png"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.shot);
    PickerLayout l;
    c.midi ? ComputeMidiPickerLayout(&l) : ComputeAudioOutLayout(&l);
    Press(l.header.x + l.header.w / 2, l.header.y + l.header.h / 2);
    ASSERT_TRUE(c.midi ? gMidiPickerOpen : gAudioOutPickerOpen);
    c.midi ? ComputeMidiPickerLayout(&l) : ComputeAudioOutLayout(&l);
    EXPECT_EQ(l.rows, c.rows);
    float held = GetStartScreenElapsed(GetAppSeconds());
    RunUntil(GetAppSeconds() - start_ + 1.0f);
    Shot(c.shot);
    EXPECT_NEAR(GetStartScreenElapsed(GetAppSeconds()), held, 0.03f) << "the open list holds the screen";
    for (int row = 0; row < c.rows; ++row) {
      RectF r = PickerRowRect(l, row);
      EXPECT_TRUE(Ink(r.x + 8, r.y + 3, r.x + r.w / 2, r.y + r.h - 3, 150)) << "row " << row;
    }
    if (!c.midi) {  // the speakers' row keeps its hint whole: it ends in ")", tall, not in low dots
      const RectF r = PickerRowRect(l, c.rows - 1);
      float end = r.x;
      for (float x = r.x + r.w - 1; x > r.x && end == r.x; x -= 1)
        if (Ink(x, r.y + 2, x, r.y + r.h - 2, 150)) end = x;
      EXPECT_TRUE(Ink(end - 3, r.y + 2, end, r.y + 0.45f * r.h, 150)) << "the hint is cut";
    }
    if (c.midi) {  // the list opens across the AUDIO OUT header: none of its gold value shows through
      PickerLayout a;
      ComputeAudioOutLayout(&a);
      int gold = 0;
      for (float y = a.header.y + 2; y < a.header.y + a.header.h - 2; y += 1)
        for (float x = a.header.x; x < a.header.x + a.header.w; x += 1) {
          Rgb p = Pixel(x, y);
          gold += p[0] > 150 && p[0] > p[2] + 50;
        }
      EXPECT_EQ(gold, 0);
    }
    Press(l.list.x + l.list.w + 40, l.list.y + 4);
    EXPECT_FALSE(gMidiPickerOpen || gAudioOutPickerOpen);
  }
  EXPECT_EQ(gMidiInName, keyboard) << "nothing was chosen";

  // No keyboard: the list's message takes two lines, so that its promise is not cut off.
  gInDevices.clear();
  PickerLayout empty;
  ComputeMidiPickerLayout(&empty);
  Press(empty.header.x + empty.header.w / 2, empty.header.y + empty.header.h / 2);
  ASSERT_TRUE(gMidiPickerOpen);
  ComputeMidiPickerLayout(&empty);
  RunUntil(GetAppSeconds() - start_ + 1.0f);
  Shot("start_screen_midi_list_empty.png");
  for (int row = 0; row < 2; ++row) {
    RectF r = PickerRowRect(empty, row);
    EXPECT_GE(r.y + r.h, empty.list.y) << "row " << row;
    EXPECT_LE(r.y + r.h, empty.list.y + empty.list.h) << "row " << row;
    EXPECT_TRUE(Ink(r.x + 8, r.y + 3, r.x + r.w / 2, r.y + r.h - 3, 150)) << "row " << row;
  }
  Press(empty.list.x + empty.list.w + 40, empty.list.y + 4);
  SetMidiInDriver(nullptr);
  SetMidiOutDriver(nullptr);
}

// Forty keyboards, in a maximised window and in the smallest one: the MIDI list keeps inside the
// window with its rows drawn there, the wheel turned over it through the window procedure brings
// the last keyboard's row into view, and a press on that row opens that keyboard.
TEST_F(StartScreenWindow, ALongKeyboardListScrollsUnderTheWheelAndAPressPicksTheRowShown) {
  gInDevices.clear();
  for (int i = 1; i <= 40; ++i) gInDevices.push_back({"Keys " + std::to_string(i), 0});
  gPorts = {{"Port A", true}};
  SetMidiInDriver(&kInDriver);
  SetMidiOutDriver(&kOutDriver);
  ConnectFloors();
  RunUntil(1.0f);
  for (const auto& [w, h] : {std::pair{1440, 920}, std::pair{640, 480}}) {
    SCOPED_TRACE(testing::Message() << w << " x " << h);
    WindowSetClientSize(w, h);
    for (int i = 0; i < 100 && (gClientWidth != w || gClientHeight != h); ++i) {
      DrainMessages();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_EQ(gClientHeight, h);
    SetProjection2D();
    PickerLayout l;
    ComputeMidiPickerLayout(&l);
    Press(l.header.x + l.header.w / 2, l.header.y + l.header.h / 2);
    ASSERT_TRUE(gMidiPickerOpen);
    RunUntil(GetAppSeconds() - start_ + 1.0f);
    const std::string size = std::to_string(w);
    Shot("start_screen_midi_list_long_" + size + ".png");
    ComputeMidiPickerLayout(&l);
    ASSERT_LE(l.list.y + l.list.h, (float)h) << "the list runs past the window's foot";
    for (int row : {l.first, l.first + l.shown - 1}) {
      RectF r = PickerRowRect(l, row);
      EXPECT_TRUE(Ink(r.x + 8, r.y + 3, r.x + r.w / 2, r.y + r.h - 3, 150)) << "row " << row;
    }
    const float cx = l.list.x + l.list.w / 2, cy = l.list.y + l.list.h / 2;
    for (int i = 0; i < 60 && l.first + l.shown < 40; ++i) {
      SendAppMessage(kMsgMouseWheel, (uint64_t)(int64_t)-120, MakePointParam((int)cx, (int)cy));
      ComputeMidiPickerLayout(&l);
    }
    ASSERT_EQ(l.first + l.shown, 40) << "the wheel did not bring the last keyboard into view";
    RunUntil(GetAppSeconds() - start_ + 0.5f);
    Shot("start_screen_midi_list_long_end_" + size + ".png");
    RectF last = PickerRowRect(l, 39);
    ASSERT_LE(last.y + last.h, (float)h);
    EXPECT_TRUE(Ink(last.x + 8, last.y + 3, last.x + last.w / 2, last.y + last.h - 3, 150));
    Press(last.x + last.w / 2, last.y + last.h / 2);
    EXPECT_FALSE(gMidiPickerOpen);
    EXPECT_EQ(gMidiInName, "Keys 40");
    CloseMidiInput();
  }
  // The sound-output list at the smallest size, for a look at its rows.
  PickerLayout a;
  ComputeAudioOutLayout(&a);
  Press(a.header.x + a.header.w / 2, a.header.y + a.header.h / 2);
  ASSERT_TRUE(gAudioOutPickerOpen);
  RunUntil(GetAppSeconds() - start_ + 0.5f);
  Shot("start_screen_audio_out_list_640.png");
  Press(a.list.x + a.list.w + 40, a.list.y + 4);
  SetMidiInDriver(nullptr);
  SetMidiOutDriver(nullptr);
}

// A translated label ("AUDIO-AUSGANG", "Умный старт") widens the shared label column; the rows
// grow with it, so each value still shows whole beside its colon.
TEST_F(StartScreenWindow, TranslatedPickerLabelsLeaveTheValuesWhole) {
  std::filesystem::copy(std::filesystem::path(TONVARRA_SOURCE_ROOT) / "translations" / "locales", dir_.File("locales"));
  ResetTranslationFileForTesting();
  gPorts = {{"Port A", true}};
  SetMidiOutDriver(&kOutDriver);
  ConnectFloors();
  for (const char* code : {"de", "ru"}) {
    SCOPED_TRACE(code);
    int language = -1;
    for (size_t i = 0; i < gLanguageList.size(); ++i)
      if (gLanguageList[i].code == code) language = (int)i;
    ASSERT_GE(language, 0);
    ApplyUiLanguage(language, false);
    ResetStartScreen();
    start_ = -1.0f;
    RunUntil(2.0f);
    Shot(std::string("start_screen_pickers_") + code + ".png");
    StartScreenLayout l = ComputeStartScreenLayout();
    PickerLayout audio;
    ComputeAudioOutLayout(&audio);
    EXPECT_EQ(audio.header.w, l.buttonW) << "the device headers share the row's width";
    std::string value = gLanguageList[(size_t)language].label;
    float valueW;
    {
      ScopedTrSuppress shown;
      valueW = MeasureText(gFontMain, value, 15.0f);
    }
    // The value's gold ink, from its first column to its last, inside the row.
    float first = -1.0f, last = -1.0f;
    for (float x = l.buttonX; x < l.buttonX + l.buttonW; x += 1)
      for (float y = l.buttonY + 4; y < l.buttonY + l.buttonH - 4; y += 1) {
        Rgb p = Pixel(x, y);
        if (p[0] > 150 && p[0] > p[2] + 40) {
          if (first < 0) first = x;
          last = x;
          break;
        }
      }
    ASSERT_GE(first, 0.0f) << "no value drawn";
    EXPECT_GE(last - first, 0.85f * valueW) << value << " is cut";
    EXPECT_LT(last, l.buttonX + l.buttonW - 4);
  }
  SetMidiOutDriver(nullptr);
}

TEST_F(StartScreenWindow, WithoutTheSplashTheFirstFrameIsTheMainView) {
  FreeSplashTextures();
  EXPECT_FALSE(DrawStartScreen(GetAppSeconds()));
  EXPECT_FALSE(IsStartScreenVisible(GetAppSeconds()));
}

// A pass draws over what the previous one left without clearing first, so its first layer must
// cover every pixel: through the start screen's fade-in, its stand-alone sky, its fade-out and
// the main view's first frames (drawn directly, then from the cached picture).
TEST_F(StartScreenWindow, EveryPassCoversWhatThePreviousPassLeft) {
  const size_t pixels = (size_t)gClientWidth * (size_t)gClientHeight;
  std::vector<uint8_t> rgb(pixels * 3);
  auto leftOver = [&] {
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, gClientWidth, gClientHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    size_t n = 0;
    for (size_t i = 0; i < pixels; ++i) n += rgb[3 * i] == 255 && rgb[3 * i + 1] == 0 && rgb[3 * i + 2] == 255;
    return n;
  };
  auto stain = [] {
    glDisable(GL_SCISSOR_TEST);
    glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
  };
  stain();
  ASSERT_TRUE(PresentStartScreenFrame());
  EXPECT_EQ(leftOver(), 0u) << "the first frame";
  bool sawViews = false;
  for (int step = 0; step < 70; ++step) {
    stain();
    sawViews |= RunFrameWork(ClockMs32());
    EXPECT_EQ(leftOver(), 0u) << "at " << GetAppSeconds() << " s";
    clock_.Advance(100);
  }
  EXPECT_TRUE(sawViews);
}

}  // namespace
