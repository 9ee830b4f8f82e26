// Every view's whole frame on the program's own window, at 1440 x 920 and at 1920 x 1080 (the
// window made to cover the private display, as maximised on a 1920 x 1080 screen): the circle view
// with ten keys held; the board with the note-fall lane over a dense song with five keys held; the
// learning screen with a full card grid; the start screen with its language list open. A frame is
// the loop's own work (drain, step, animate, draw) with the rasteriser finished (glFinish), on a
// clock driven at 17 ms a frame so every run sees the same animation; the median, 99th percentile
// and worst frame are counters, with the CPU time of the whole process per frame (cpu_ms, the
// rasteriser's threads included), which a busy machine disturbs less than the wall time. The board
// with the lane and the lane at its particle caps report their motes and sparks, the sprites these
// make and those sent to GL, and the song's events posted while measuring. The logic cases time
// each view's window-free work of one frame (layout, records, walks, particles).
//
// Needs Xvfb (a private display is started) and runs on whatever GL it offers; on a machine
// without a graphics card that is Mesa's llvmpipe, the renderer these figures are about.
#include <GL/gl.h>
#include <sys/resource.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/base/app_clock.h"
#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/base/start_clock.h"
#include "app/chord_trail.h"
#include "app/floor_links.h"
#include "app/main_loop.h"
#include "app/orb_feed.h"
#include "app/pattern_list.h"
#include "app/ring_glow.h"
#include "app/window_proc.h"
#include "app/window_size.h"
#include "bench/view_scenes.h"
#include "board/board_frame.h"
#include "board/lane_sprites.h"
#include "gfx/gl_setup.h"
#include "gfx/images.h"
#include "gfx/text.h"
#include "gfx/ui_language.h"
#include "learning_ui/learning_layout.h"
#include "midi/playback.h"
#include "platform/images.h"
#include "platform/messages.h"
#include "platform/process.h"
#include "platform/virtual_display.h"
#include "platform/window.h"
#include "theory/scale_selection.h"
#include "visual/circle_pass.h"
#include "visual/orb_params.h"

namespace {

enum View { kCircleView = 0, kBoardLane = 1, kLearningScreen = 2, kStartScreen = 3, kLaneAtCaps = 4 };
const char* const kViewNames[] = {"circle", "board_lane", "learning", "start", "lane_caps"};
constexpr int kSizes[2][2] = {{1440, 920}, {1920, 1080}};

// ---- the window ----
bool OpenWindow() {
  static int ready = -1;
  if (ready >= 0) return ready == 1;
  ready = 0;
  ClockDriveBegin(5000000000ull);
  std::string error;
  if (!StartVirtualDisplay(&error)) {
    std::fprintf(stderr, "no display: %s\n", error.c_str());
    return false;
  }
  std::atexit(StopVirtualDisplay);
  SetAppMessageHandler(MainWndProc);
  if (!WindowCreate("Tonvarra", "Tonvarra", 100, 100, 1440, 920)) return false;
  gMainWindowOpen = true;
  WindowShowMaximized();
  DrainMessages();
  if (WindowCreateGlContext() != kGlReady) return false;
  gGlReady = true;
  ApplyClientSize(0, 0, true);
  SetupGlState();
  SetProjection2D();
  RebuildFonts();
  ConnectFloors();
  ProcessSetWorkingDir(TONVARRA_SOURCE_ROOT);
  LoadSplashTextures();
  LoadClefTextures();
  InitUiLanguage();
  ValidateCurrentScale();
  ready = 1;
  return true;
}

// True when the GL buffer has the client size: the driver takes a new window size for its buffers
// only at a later frame, and a frame drawn before that is cut to the old size.
bool BufferCoversClient() {
  glDisable(GL_SCISSOR_TEST);
  glClearColor(1.0f, 0.0f, 1.0f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  unsigned char corner[4] = {0, 0, 0, 0};
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(gClientWidth - 1, gClientHeight - 1, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, corner);
  return corner[0] == 255 && corner[1] == 0 && corner[2] == 255;
}

// Sizes the window to 1440 x 920 or to the whole 1920 x 1080 display (a maximised window's client
// area without a window manager's frame), and waits until the window system has answered with the
// new size and the GL buffer follows it.
bool UseSize(int size) {
  WindowSetClientSize(kSizes[size][0], kSizes[size][1]);
  for (int i = 0; i < 500; ++i) {
    DrainMessages();
    if (gClientWidth == kSizes[size][0] && gClientHeight == kSizes[size][1] && BufferCoversClient()) return true;
    WindowSwapBuffers();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

// ---- the scenes ----
void ClearScenes() {
  ResetStartScreen();
  EndStartScreenAtOnce(GetAppSeconds());
  ResetViewModes();
  gLibraryOpen = false;
  gHeldNotes.clear();
  ResetNoteTables();
  StopSceneSong();
  ResetLaneNotes();
  ResetBoardParticles();
  gRingLabels.clear();
  gPatternEvents.clear();
  RelayoutAll();
}

void SetUpView(View view) {
  ClearScenes();
  switch (view) {
    case kCircleView: LoadCircleView(true); break;
    case kBoardLane:
    case kLaneAtCaps: SetUpLaneScene(true); break;
    case kLearningScreen:
      MakeLibrary();
      gLibraryScroll = MaxLibraryScroll(ComputeLearningLayout()) / 2.0f;
      break;
    case kStartScreen: OpenStartScreenList(GetAppSeconds()); break;
  }
}

// One pass of the loop without presenting, the rasteriser's work finished.
void RunViewFrame(View view) {
  ClockDriveAdvance(17);
  if (view == kCircleView) RefreshCircleView();
  if (view == kBoardLane || view == kLaneAtCaps) SplashHeldKeys();
  RunFrameWork(ClockMs32());
  glFinish();
}

// With TONVARRA_FRAME_SHOTS set to a folder, the last measured frame of each case is kept there as
// <view>_<width>x<height>.png, to look at and to compare across revisions.
void KeepFrameShot(View view) {
  const char* folder = std::getenv("TONVARRA_FRAME_SHOTS");
  if (!folder || !*folder) return;
  const int w = gClientWidth, h = gClientHeight;
  std::vector<uint8_t> bottomUp((size_t)w * (size_t)h * 4);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
  DecodedImage shot{w, h, std::vector<uint8_t>(bottomUp.size())};
  for (int y = 0; y < h; ++y)
    std::copy_n(&bottomUp[(size_t)(h - 1 - y) * (size_t)w * 4], (size_t)w * 4, &shot.rgba[(size_t)y * (size_t)w * 4]);
  for (size_t p = 3; p < shot.rgba.size(); p += 4) shot.rgba[p] = 255;
  const std::string name = std::string(folder) + "/" + kViewNames[view] + "_" + std::to_string(w) + "x" + std::to_string(h) + ".png";
  if (!SaveImageFile(name, shot)) std::fprintf(stderr, "could not write %s\n", name.c_str());
}

// CPU seconds of the whole process (the rasteriser's threads included) so far.
double ProcessCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return (double)u.ru_utime.tv_sec + 1e-6 * (double)u.ru_utime.tv_usec + (double)u.ru_stime.tv_sec +
         1e-6 * (double)u.ru_stime.tv_usec;
}

double Percentile(std::vector<double> v, double p) {
  if (v.empty()) return 0.0;
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, (size_t)(p * (double)(v.size() - 1) + 0.5))];
}

// ---- benchmarks ----
// args: view, size (0: 1440 x 920, 1: 1920 x 1080).
void BM_ViewFrame(benchmark::State& state) {
  const View view = (View)state.range(0);
  const int size = (int)state.range(1);
  if (!OpenWindow()) return state.SkipWithError("no window with a GL context");
  if (!UseSize(size)) return state.SkipWithError("the window system did not apply the size");
  SetUpView(view);
  // Eight seconds of play first: the held keys' plumes and the lane's trails at their full rate.
  for (int i = 0; i < (view == kBoardLane || view == kLaneAtCaps ? 480 : 60); ++i) RunViewFrame(view);
  std::vector<double> ms;
  size_t sprites = 0, spritesDrawn = 0;
  double cpu = 0.0;
  const size_t cursorBefore = gEventCursor;
  for (auto _ : state) {
    if (view == kLaneAtCaps) {
      FillLaneToCaps();
      sprites = std::max(sprites, CountLaneSprites());
    }
    const auto t0 = std::chrono::steady_clock::now();
    const double cpu0 = ProcessCpuSeconds();
    RunViewFrame(view);
    cpu += ProcessCpuSeconds() - cpu0;
    if (view == kLaneAtCaps || view == kBoardLane) spritesDrawn = std::max(spritesDrawn, LastParticleSpritesDrawn());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    state.SetIterationTime(seconds);
    ms.push_back(1000.0 * seconds);
  }
  KeepFrameShot(view);
  state.SetLabel(std::string(kViewNames[view]) + " " + std::to_string(gClientWidth) + "x" + std::to_string(gClientHeight));
  state.counters["p50_ms"] = Percentile(ms, 0.5);
  state.counters["p99_ms"] = Percentile(ms, 0.99);
  state.counters["max_ms"] = Percentile(ms, 1.0);
  state.counters["cpu_ms"] = 1000.0 * cpu / (double)std::max<size_t>(ms.size(), 1);
  if (view == kBoardLane) sprites = CountLaneSprites();
  if (view == kLaneAtCaps || view == kBoardLane) {
    state.counters["sprites"] = (double)sprites;
    state.counters["drawn"] = (double)spritesDrawn;
    state.counters["motes"] = (double)gBoardMotes.size();
    state.counters["sparks"] = (double)gSplashParticles.size();
    // The song's events posted while measuring: none would mean a song that stood still.
    state.counters["song_events"] = (double)(gEventCursor - cursorBefore);
  }
  ClearScenes();
}
BENCHMARK(BM_ViewFrame)
    ->ArgsProduct({{kCircleView, kBoardLane, kLearningScreen, kStartScreen, kLaneAtCaps}, {0, 1}})
    ->ArgNames({"view", "size"})
    ->UseManualTime()
    ->Iterations(300)
    ->Unit(benchmark::kMillisecond);

// The window-free work of one frame of the view: the loop's clock, decays and fades, then the
// view's own records (circle pass, trail and pattern looks, glow and orb feeds; board frame, lane
// walk, particles and their sprites; learning layout and grid walk; start-screen layout and hills).
void BM_ViewLogic(benchmark::State& state) {
  const View view = (View)state.range(0);
  const int size = (int)state.range(1);
  if (!OpenWindow()) return state.SkipWithError("no window with a GL context");
  if (!UseSize(size)) return state.SkipWithError("the window system did not apply the size");
  SetUpView(view);
  for (int i = 0; i < (view == kBoardLane ? 480 : 60); ++i) RunViewFrame(view);

  static float hold[12] = {};
  CirclePassInput in;
  ComputeCircleLayout(&in.centreX, &in.centreY, &in.minSide, &in.outer, &in.inner, &in.innermost);
  in.holdSeconds = hold;
  in.matched = {true, 0, 0};
  in.matchedInScaleRatio = 0.8f;
  CircleLook look;
  BoardViewFrame board;
  LaneNotesOut lane;
  float xs[kHillSamples], ys[kHillSamples];
  static HillLight lights[2000];
  for (auto _ : state) {
    ClockDriveAdvance(17);
    const double now = GetAppSeconds();
    const float dt = AdvanceFrameClock(now);
    DecayFrameLevels(dt);
    AdvanceViewFades(dt);
    AdvanceScaleListFades(dt);
    switch (view) {
      case kCircleView: {
        RefreshCircleView();
        ComputeCircleViewRecords(in, &look, dt);
        benchmark::DoNotOptimize(look.positions[0].outerFill[3]);
        break;
      }
      case kBoardLane: {
        SplashHeldKeys();
        ComputeBoardViewFrame(&board, now);
        const LaneFrame f = BuildLaneFrame(ComputeNoteFallStrip(), ClockMs32(), board.previewFade);
        StepParticleClock(f.nowMs);
        RunLaneNotes(f, &lane);
        AdvanceBoardParticles(f, lane);
        CountingSpriteSink sprites;
        EmitParticleSprites(f, &sprites);
        benchmark::DoNotOptimize(sprites.n);
        break;
      }
      case kLearningScreen: {
        LearningLayout l = ComputeLearningLayout();
        ClampLibraryScroll(l);
        int cards = 0;
        WalkCardGrid(l, gLibraryScroll, nullptr, [&](const LibraryItem&, const RectF&) { return ++cards < 0; });
        benchmark::DoNotOptimize(cards);
        break;
      }
      default: {
        StartScreenLayout l = ComputeStartScreenLayout();
        benchmark::DoNotOptimize(l);
        const float elapsed = GetStartScreenElapsed(now);
        int n = 0;
        for (int k = 0; k < kHillLayers; ++k) {
          HillSilhouette(k, elapsed, gClientWidth, gClientHeight, xs, ys);
          n += PlaceHillLights(k, elapsed, gClientWidth, gClientHeight, xs, ys, lights, 2000);
        }
        benchmark::DoNotOptimize(n);
        break;
      }
    }
  }
  state.SetLabel(std::string(kViewNames[view]) + " " + std::to_string(gClientWidth) + "x" + std::to_string(gClientHeight));
  ClearScenes();
}
BENCHMARK(BM_ViewLogic)
    ->ArgsProduct({{kCircleView, kBoardLane, kLearningScreen, kStartScreen}, {0, 1}})
    ->ArgNames({"view", "size"})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
