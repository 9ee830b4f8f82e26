// app/main_loop: one pass per frame on the UI thread, in a fixed order: later steps read what
// earlier steps of the same pass computed, and a note that arrived in the drain is drawn in the
// same pass.
#include "app/main_loop.h"

#include <GL/gl.h>

#include <cmath>

#include "app/base/app_clock.h"
#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/base/frame_math.h"
#include "app/base/frame_rest.h"
#include "app/base/logs.h"
#include "app/base/maths.h"
#include "app/base/note_tables.h"
#include "app/base/status_text.h"
#include "app/base/timing_log.h"
#include "app/base/view_modes.h"
#include "app/chord_recogniser.h"
#include "app/circle_view.h"
#include "app/controls_draw.h"
#include "app/header_buttons.h"
#include "app/lesson_song_end.h"
#include "app/orb_feed.h"
#include "app/orb_gate.h"
#include "app/ring_glow.h"
#include "app/song_view.h"
#include "classroom/background_job.h"
#include "classroom/classroom_panels.h"
#include "board/board_view.h"
#include "board/grid_interaction.h"
#include "board/lane_notes.h"
#include "board/practice_run_mouse.h"
#include "board/toolbar.h"
#include "gfx/draw_alpha.h"
#include "gfx/layout.h"
#include "gfx/text.h"
#include "learning/library_index.h"
#include "learning/placement.h"
#include "learning/radar_flash.h"
#include "learning/schedule.h"
#include "learning_ui/learning_screen.h"
#include "learning_ui/library_button.h"
#include "learning_ui/performance_note.h"
#include "learning_ui/placement_prompt.h"
#include "midi/midi_input.h"
#include "midi/note_preview.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "midi/playback_pump.h"
#include "midi/song_sound.h"
#include "platform/clock.h"
#include "platform/input.h"
#include "platform/messages.h"
#include "platform/window.h"
#include "practice/achievements.h"
#include "practice/practice_run.h"
#include "practice/practice_run_state.h"
#include "practice/students.h"
#include "practice/teaching_meters.h"
#include "practice/teaching_state.h"
#include "practice/teaching_timing.h"
#include "theory/chromatic_runs.h"
#include "theory/circle_theory.h"
#include "theory/filter_tabs.h"
#include "theory/key_detection.h"
#include "theory/scale_list_input.h"
#include "theory/scale_selection.h"
#include "theory/staff_panel.h"
#include "visual/backdrop.h"
#include "visual/circle_still.h"
#include "visual/note_sparks.h"
#include "visual/orb_state.h"
#include "visual/start_screen.h"

// ---- state ----
double gLastFrameSeconds = 0.0;
bool gPracticeRunShown = false;
bool gSongViewShown = false;
bool gPlacementQuizRequest = false;
static FrameRest gFrameRest;
static int gMessagesSinceRestCheck = 0;  // window events and messages handled since the last pass chose its kind
// A song playing when F12 brings the start screen back holds still behind it: the song's pump
// does not run meanwhile, and its notes would otherwise hang and then all sound at once.
static SongHold gStartScreenHold;

// ---- internal helpers ----
// The song's beat record of a pump pass goes to the metronome's grid.
static void SyncClickToSongBeat(const SongBeatInfo& info) { SyncTeachingClickToSong(gTeachingState, info); }

// ---- public functions ----
void DrainMessages() {
  gMessagesSinceRestCheck += PumpWindowEvents();
  // A device's raw message counts only through the note or pedal message the input makes of it in
  // this same drain: the kinds it drops change nothing on screen, and a worn wheel's wobble or a
  // Stop byte each second would otherwise keep the loop from ever resting.
  AppMessage msg;
  while (TakeAppMessage(&msg)) {
    SendAppMessage(msg.code, msg.wParam, msg.lParam);
    if (msg.code != kMsgMidiInData) ++gMessagesSinceRestCheck;
  }
}

float AdvanceFrameClock(double now) { return TakeFrameStep(&gLastFrameSeconds, now); }

void DecayFrameLevels(float dt) {
  DecayLevels(gNoteGlow, 128, gPlaying ? 14.5f : 9.5f, dt, 2.4f);
  DecayLevels(gKeyHitGlow, 128, 8.8f, dt, 1.0f);
  DecayLevels(gKeyMissFlash, 128, 7.0f, dt, 1.0f);
  gScoreFlash = LowerTimer(gScoreFlash, 2.8f, dt);
  gPatternFlashTimer = LowerTimer(gPatternFlashTimer, 0.38f, dt);
  gPracticeCellFlashTimer = LowerTimer(gPracticeCellFlashTimer, 0.18f, dt);
}

void AdvanceViewFades(float dt) {
  gSongViewFade = StepFadeLinear(gSongViewFade, gSongView ? 1.0f : 0.0f, dt / 0.9f);
  gPracticeStripFade = EaseFade(gPracticeStripFade, gPracticeStrip ? 1.0f : 0.0f, EaseShare(8.2f, dt));
  gStudentViewFade = EaseFade(gStudentViewFade, IsStudentViewActive() ? 1.0f : 0.0f, EaseShare(5.6f, dt));
  float before = gPracticeModeFade;
  const float practiceTarget = gPracticeMode ? 1.0f : 0.0f;
  gPracticeModeFade = EaseFade(gPracticeModeFade, practiceTarget, EaseShare(9.6f, dt));
  // The ease alone never arrives, and the regions are laid out for the last time once it is within
  // 0.001 of its end: that layout must be the end's own (the control band's bottom row gives up
  // its height over the board's frame only at 0).
  if (std::fabs(gPracticeModeFade - practiceTarget) <= 0.001f) gPracticeModeFade = practiceTarget;
  if ((gPracticeModeFade > 0.001f && gPracticeModeFade < 0.999f) || std::fabs(gPracticeModeFade - before) > 0.0002f)
    LayoutHitRegions();
  bool runActive = IsPracticeRunActive();
  if (runActive != gPracticeRunShown || gSongView != gSongViewShown) {
    gPracticeRunShown = runActive;
    gSongViewShown = gSongView;
    RelayoutAll();
  }
  gRingModeFade = EaseFade(gRingModeFade, gRingMode ? 1.0f : 0.0f, EaseShare(9.6f, dt));
  gRingModeFadeSlow = EaseFade(gRingModeFadeSlow, gRingMode ? 1.0f : 0.0f, EaseShare(4.4f, dt));
}

void HoldPracticeModeViews() {
  if (gPracticeMode) {
    gSongView = true;
    gWaitMode = true;
    gLearningOverlay = false;
    gFilterPanelOpen = false;
    gFilterOpenFade = 0.0f;
    HoldFilterPanelClosed();
    if (ScaleListHasPointer()) {
      EndScaleListDrag();
      CaptureMouse(false);
    }
  } else if (!gLearningOverlay) {
    RestoreFilterPanelState();
  }
}

void AdvanceScaleListFades(float dt) {
  bool available = IsFilterPanelAvailable();
  if (!available) gFilterPanelOpen = false;
  gFilterPanelFade = EaseFade(gFilterPanelFade, available ? 1.0f : 0.0f, ClampFloat(6.8f * dt, 0.0f, 1.0f));
  bool held = gScaleListDragging || IsScaleListHeld();
  gListHoldFade = EaseFade(gListHoldFade, held ? 1.0f : 0.0f, ClampFloat(9.2f * dt, 0.0f, 1.0f));
  bool open = available && gFilterPanelOpen;
  gFilterOpenFade = EaseFade(gFilterOpenFade, open ? 1.0f : 0.0f, EaseShare(14.0f, dt));
  if (!gFilterPanelOpen && gFilterOpenFade < 0.001f) gFilterOpenFade = 0.0f;
}

float ScaleListScrollRate() {
  if (gScaleListDragging || IsScaleListHeld()) return 20.0f;
  return IsFilterPanelAvailable() ? 13.0f : 15.0f;
}

void ArmPlacementQuiz() {
  if (!gPlacementQuizRequest) return;
  gPlacementQuizRequest = false;
  if (HasActiveStudent()) {
    // An undrawn prompt would swallow every click and key without a word.
    if (!IsPlacementPromptAvailable()) return;
    OpenPlacementPrompt();
  } else if (!gStudents.empty()) {
    // The quiz saves to the chosen student: the list is opened for a name to be clicked.
    gStatusText = "Choose a student";
    gStudentListOpen = true;
    RelayoutAll();
  } else {
    gStatusText = "Add a student first - the placement quiz saves to their profile";
    gStudentNameEntryActive = true;
    gStudentListOpen = true;
    RelayoutAll();
  }
}

// Note sparks, rebuilt every pass: one per sounding held note that shows, then one per key the
// song sounds while no song rule hides it.
static void SpawnFrameNoteSparks() {
  gNoteSparkCount = 0;
  int seen = 0;
  for (const HeldNote& h : gHeldNotes) {
    if (!h.sounding || h.note < 0 || h.note > 127) continue;
    if (++seen > 128) break;
    bool offScale = !gAllNotesAllowed && !ScaleContainsPitchClass(PitchClassMod(h.note));
    if (KeyDisplayState(h.note, offScale ? 1 : 0) != 0)
      SpawnNoteSpark(h.note, ClampFloat((float)h.velocity / 127.0f, 0.2f, 1.0f));
  }
  for (int note = 0; note < 128; ++note) {
    if (!gKeySounding[note]) continue;
    bool offScale = !gAllNotesAllowed && !ScaleContainsPitchClass(note % 12);
    if (NoSongLoadedAnd(offScale)) SpawnNoteSpark(note, ClampFloat(gKeyLevel[note], 0.2f, 1.0f));
  }
}

// The lane's motes read the frame's tension and the hold timers, both kept up here.
static void FeedBoardLane() {
  gLaneFeed.tension = gFrameTension;
  for (int pc = 0; pc < 12; ++pc) gLaneFeed.pcHoldSeconds[pc] = gPcHoldSeconds[pc];
}

// True when the pass's first drawing covers every pixel opaquely: the gradient or its cached
// picture, which the circle view and the start screen's fade both begin with, or the start
// screen's sky once it has faded in and stands alone.
static bool FrameBeginsOpaque(double now) {
  if (gClientWidth <= 0 || gClientHeight <= 0) return false;
  return !StartScreenCoversBackground(now) || gDrawAlpha >= 1.0f;
}

// A software GL fills the pixels only once the commands are flushed, and then on its own threads
// while this one goes on: flushed after each large drawer, one drawer's pixels are filled while the
// next is computed, instead of all of them after the last one with the main thread waiting. Not
// under the learning screen: the driver drops what an opaque cover hides only from commands it
// still holds, and that screen covers the whole window.
static void HandOnDrawnPixels() {
  if (!gLibraryOpen) glFlush();
}

static void DrawFrameBackground(double now) {
  glDisable(GL_SCISSOR_TEST);
  float r, g, b;
  BackgroundClearColour(gBackdropTintFade, &r, &g, &b);
  glClearColor(r, g, b, 1.0f);
  // A software renderer fills every pixel of a clear: a whole window's worth of work that the
  // opaque first layer would overwrite at once.
  if (!FrameBeginsOpaque(now)) glClear(GL_COLOR_BUFFER_BIT);
  // The gradient itself is drawn with the circle view (or under the start screen): nothing is
  // drawn in between, and the circle view puts both back from one texture while they stay the same.
}

// A key that arrives while the frame waits would otherwise wait for the rest of the frame and be
// drawn up to two frames after it came: the wait ends when one arrives, so the next pass drains and
// draws it at once. Passes still begin half a frame apart at least.
static void PaceFrame(uint32_t frameStartMs) {
  FramePacing pacing = SplitFramePacing(frameStartMs, ClockMs32());
  if (pacing.fixedMs > 0) ClockSleepMs(pacing.fixedMs);
  if (pacing.wakeableMs > 0) WaitForWakingMessage(pacing.wakeableMs);
  else if (pacing.fixedMs == 0) ClockSleepMs(0);  // a long pass still yields the processor
}

static void PresentAndPace(uint32_t frameStartMs, bool drewViews, bool drawn = true) {
  if (drawn) {
    MarkFirstFrameDrawn();  // the first frame's swap is timed apart from its drawing
    WindowSwapBuffers();
    NoteFrameSwapped(ClockMicros64(), drewViews);
  }
  PaceFrame(frameStartMs);
  // Only now, with a frame on screen that shows the menu closed: the dialog holds this thread.
  RunChosenMenuItem();
}

// What moves or may change with no message to say so: a running song, a judged or timed run, the
// metronome's own clicks, sounding notes and previews, a classroom request on its way, the start
// screen's own run.
static bool SomethingGoesOn(double now) {
  if ((gPlaying && !gPaused) || gPlayAlongRun || IsPracticeRunActive()) return true;
  if (gTeachingState.metronomeOn) return true;
  if (gClassroomWorkers.load() > 0) return true;
  // A picture that still shows the start screen runs on to its end at the real time, also when the
  // loop stood still for longer than the screen's run: a resting pass would draw it again and again
  // at the time held from before, and hold a song behind it, until something was pressed.
  if ((IsStartScreenVisible(now) || IsStartScreenVisible(gLastFrameSeconds)) && !gLanguageListOpen) return true;
  for (const HeldNote& h : gHeldNotes)
    if (h.sounding) return true;
  for (bool on : gPreviewNotesOn)
    if (on) return true;
  return false;
}

// The views under the controls, in their order: the circle with the backdrop and the orb, the
// staff, the board, the toolbar and the controls.
static void DrawFrameViews(float dt, double now) {
  DrawCircleView(dt, now);
  SpawnFrameNoteSparks();
  DrawBackdrop(dt, now);
  HandOnDrawnPixels();  // the circle's pixels are filled while the orb is computed
  DrawOrbInFrame();
  HandOnDrawnPixels();  // the orb's while the board is drawn

  DrawStaffPanel(now, 1.0f - gRingModeFade);
  DrawChordTrailOverStaff();
  SyncAchievementRows();
  FeedBoardLane();
  if (gRingModeFade < 0.999f) {
    float saved;
    PushDrawAlpha(&saved, 1.0f - gRingModeFade);
    DrawBoardView();
    PopDrawAlpha(&saved);
  }
  HandOnDrawnPixels();  // the board's while the controls are drawn
  DrawToolbar();
  DrawMainControls(now);
}

// What stands over the views: the library, its notes and flash, the classroom and the quiz.
static void DrawFrameCovers() {
  DrawLibraryButton();
  DrawLearningScreen();
  if (gLibraryOpen && gLibraryLoaded && !gPlacementPromptOpen) DrawLearningScrollHint();
  DrawPerformanceNotes();
  DrawSkillsRadarFlash();
  DrawClassroomPanels();
  DrawPlacementPrompt();
}

// For a window nobody sees: what its drawers otherwise do besides drawing and what must not wait
// for the window to show again. Leaving practice mode closes the library, the radar flash's end
// starts the song that waits for it, the classroom's replies are taken, and a lane trail ends with
// its note (not when the lane is next drawn).
static void StepUndrawnFrame() {
  SyncLibraryButton();
  RadarFlashFrame flash;
  StepRadarFlash(ClockMs32(), &flash);
  ReleaseEndedLaneTrails(ClockMs32());
}

bool RunFrameWork(uint32_t frameStartMs, bool holdTime, bool draw) {
  DrainMessages();
  bool held = holdTime && gLastFrameSeconds > 0.0;
  double now = held ? gLastFrameSeconds : GetAppSeconds();
  float dt = held ? 0.0f : AdvanceFrameClock(now);
  DecayFrameLevels(dt);
  gBackdropTintFade = EaseFade(gBackdropTintFade, gBackdropTint ? 1.0f : 0.0f, EaseShare(7.2f, dt));

  if (draw) DrawFrameBackground(now);

  ValidateCurrentScale();
  KeepSongView();
  ReapplyScaleSelection();
  HoldPracticeModeViews();
  AdvanceViewFades(dt);
  if (gPlayAlongRun && !IsPlayAlongAvailable()) SetPlayAlongRun(false, false);
  gTextBrightness = 1.0f + 0.16f * gSongViewFade;
  AdvanceScaleListFades(dt);
  CommitPendingScaleRow(false);
  EaseScaleListScroll(dt, ScaleListScrollRate());

  if (draw && IsStartScreenVisible(now) && !StartScreenCoversBackground(now)) DrawBackgroundStill(dt);
  // Also while the start screen stands: its MIDI list promises that a keyboard plugged in then
  // connects on its own, and one that left and came back must be connected again.
  RunMidiRescan(ClockMs32());
  // The start screen stands in front of everything else; unseen, it stands for its own time.
  if (draw ? DrawStartScreen(now) : IsStartScreenVisible(now)) {
    HoldSong(&gStartScreenHold);
    return false;
  }
  ReleaseSong(&gStartScreenHold);

  ArmPlacementQuiz();
  CleanAchievements();
  UpdatePracticeRunFrame(now);
  SyncTeachingSelection();
  UpdateTeachingMeters((double)dt);
  UpdateTeachingTimeline(&gTeachingState, (double)dt);
  TickNoteScheduler(frameStartMs);
  ApplyDeferredKeyPick(now);
  ReapplyScaleSelection();
  SyncAchievementRows();
  DecayAchievementTimers(dt);
  LowerBoardTimers(dt);
  DecayHarmonyGlow(dt);
  UpdateKeyDetectionFrame(dt);

  uint32_t t = ClockMs32();
  if (int end = PumpMidiPlayback(t, SyncClickToSongBeat)) FinishLessonSong(t, end);
  JudgePlayAlongNotes(t, -1);
  MarkMissedPlayAlongNotes(t);
  UpdateKeyHighlights(t);

  RunChordRecogniser();
  if (draw) DrawFrameViews(dt, now);
  CheckDayRollover();
  StepClassroomPanels(dt);
  if (draw)
    DrawFrameCovers();
  else
    StepUndrawnFrame();
  return true;
}

bool PresentStartScreenFrame() {
  double now = GetAppSeconds();
  DrawFrameBackground(now);
  if (IsStartScreenVisible(now) && !StartScreenCoversBackground(now)) DrawBackgroundStill(0.0f);
  if (!DrawStartScreen(now)) return false;
  MarkFirstFrameDrawn();
  WindowSwapBuffers();
  NoteFrameSwapped(ClockMicros64(), false);
  return true;
}

void RunFramePass() {
  uint32_t frameStartMs = ClockMs32();
  bool drewViews = RunFrameWork(frameStartMs);
  PresentAndPace(frameStartMs, drewViews);
}

void RunLoopPass() {
  uint32_t frameStartMs = ClockMs32();
  // Before the keys that came meanwhile are judged against the song's clock.
  KeepSongOverStall(frameStartMs);
  DrainMessages();
  double now = GetAppSeconds();
  bool lively = gMessagesSinceRestCheck > 0 || SomethingGoesOn(now);
  gMessagesSinceRestCheck = 0;
  // Past the quiet time the loop is about to rest: the orb's idle accents stop first.
  PauseOrbWander(!lively && gFrameRest.lastLively >= 0.0 && now - gFrameRest.lastLively >= kRestAfterSeconds);
  const bool wasUnseen = gFrameRest.unseen;
  FramePass pass = ChooseFramePass(&gFrameRest, now, lively, IsOrbSettling(), gWindowMinimised);
  if (pass == FramePass::kNoDraw) {
    RunMidiRescan(ClockMs32());  // a keyboard plugged in is still found on time
    PaceFrame(frameStartMs);
    return;
  }
  const bool draw = FramePassDraws(pass);
  // The first drawing after the unseen passes takes a whole frame: the song's sound must not wait.
  if (draw && wasUnseen) ExpectSlowSongSoundPass();
  bool drewViews = RunFrameWork(frameStartMs, FramePassHoldsTime(pass), draw);
  PresentAndPace(frameStartMs, drewViews, draw);
}

void RunMainLoop() {
  while (gAppRunning) RunLoopPass();
}
