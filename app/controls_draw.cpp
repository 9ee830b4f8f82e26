// app/controls_draw: the looks of the shell's own controls. Names of students and songs are drawn
// untranslated; every other label passes through the translation call.
//
// Sections: header and toggle, band and transport, file menu, students panel, colour popup, status.
#include "app/controls_draw.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "app/base/app_state.h"
#include "app/base/client_size.h"
#include "app/base/maths.h"
#include "app/base/pointer.h"
#include "app/base/status_text.h"
#include "app/base/view_modes.h"
#include "app/header_buttons.h"
#include "board/toolbar.h"
#include "classroom/classroom_panels.h"
#include "gfx/draw_alpha.h"
#include "gfx/gl_setup.h"
#include "gfx/hit_regions.h"
#include "gfx/label_fit.h"
#include "gfx/layout.h"
#include "gfx/rounded_rect.h"
#include "gfx/slider_panel.h"
#include "gfx/text_field.h"
#include "gfx/translate.h"
#include "gfx/widgets_draw.h"
#include "midi/metronome_panel.h"
#include "midi/play_along.h"
#include "midi/playback.h"
#include "midi/playlist.h"
#include "midi/seek_bar.h"
#include "platform/clock.h"
#include "practice/student_colours.h"
#include "practice/students.h"
#include "theory/filter_tabs.h"

// ---- constants ----
constexpr float kStatusHoldSeconds = 4.0f;   // fully shown
constexpr float kStatusFadeSeconds = 1.0f;   // then fading out

// ---- state ----
static std::string sStatusShown;      // the message on screen
static unsigned sStatusSets = 0;      // gStatusText.Sets() when it showed: a new setting shows anew
static double sStatusSince = -1.0;    // GetAppSeconds when it first showed

// ---- internal helpers ----
static bool Shown(const RectF& r) { return r.w > 2.0f && r.h > 2.0f; }

// A classroom panel over the pointer takes the press, so the control beneath it shows no hover.
static bool Hovered(const RectF& r) { return IsMouseInRect(&r) && !IsPointOnClassroomPanel(gMouseX, gMouseY); }

static ButtonLook Look(const RectF& r, bool active) {
  ButtonLook look = ButtonLookAt(r, active);
  look.hovered = Hovered(r);
  return look;
}

static void DrawUntranslated(UiFont font, float x, const RectF& box, const std::string& text, float a) {
  ScopedTrSuppress untranslated;
  DrawTextMiddle(font, x, box, text, kControlText[0], kControlText[1], kControlText[2], a);
}

// A student's name ends at `right`: names are free text, and wide letters outrun any count of them.
static void DrawName(float x, float right, const RectF& box, const std::string& name) {
  ScopedTrSuppress untranslated;
  DrawUntranslated(gFontSmall, x, box, FitTextToWidth(gFontSmall, name, 13.0f, std::max(0.0f, right - x)), 1.0f);
}

static const Student* ActiveStudent() {
  if (gActiveStudentIndex < 0 || gActiveStudentIndex >= (int)gStudents.size()) return nullptr;
  return &gStudents[(size_t)gActiveStudentIndex];
}

// ---- header and toggle ----
static void DrawHeader() {
  const RectF& r = gStudentHeaderRect;
  if (!Shown(r)) return;
  DrawButton(r, "", Look(r, gStudentListOpen));
  float s = GetUiScale(), dot = std::max(5.0f * s, 4.0f);
  const Student* active = ActiveStudent();
  if (gStudents.empty()) {  // a plus: add the first student
    float cx = r.x + r.w / 2.0f, cy = r.y + r.h / 2.0f, arm = 0.26f * r.h, t = std::max(1.5f * s, 1.2f);
    SetGlColor(kControlText[0], kControlText[1], kControlText[2], 1.0f);
    FillRoundedRect(cx - arm, cy - t, 2.0f * arm, 2.0f * t, 0.0f, 4);
    FillRoundedRect(cx - t, cy - arm, 2.0f * t, 2.0f * arm, 0.0f, 4);
    return;
  }
  float x = r.x + std::max(10.0f * s, 8.0f);
  if (active) {
    SetGlColor(active->r, active->g, active->b, 1.0f);
    FillCircle(x + dot, r.y + r.h / 2.0f, dot);
  }
  x += 2.0f * dot + std::max(8.0f * s, 6.0f);
  // The box grows with the name's first bytes only; the name is cut where the box ends, not at a count.
  if (active) DrawName(x, r.x + r.w - std::max(6.0f * s, 4.0f), r, active->name);
  else
    DrawTextFitted(gFontSmall, x, r.x + r.w - std::max(6.0f * s, 4.0f), r, "Choose a student", 0.7f, 0.75f, 0.82f,
                   1.0f);
}

// The day toggle at the top right, while the toolbar (which draws it as its button 7) is hidden:
// the same button, so that it reads as the same control.
static void DrawDayToggle() {
  const RectF& r = gToolbarToggleHitRect;
  if (!Shown(r) || Shown(gToolbarPanelRect)) return;
  DrawDayModeButton(r);
}

// ---- band and transport ----
// The quiet face behind a control without a button of its own (the seek bar, the speed slider).
static void DrawControlFace(const RectF& r) {
  SetGlColor(0.14f, 0.17f, 0.23f, Hovered(r) ? 0.95f : 0.8f);
  FillRoundedRect(r.x, r.y, r.w, r.h, std::max(6.0f * GetUiScale(), 4.0f), 8);
}

static void DrawIconButton(const RectF& r, bool active) {
  if (Shown(r)) DrawButton(r, "", Look(r, active));
}

static void SetIconColour() { SetGlColor(kControlText[0], kControlText[1], kControlText[2], 1.0f); }

static void DrawTransportButtons() {
  const RectF* rects[] = {&gPreviousButtonRect, &gPlayButtonRect, &gNextButtonRect};
  bool running = gPlaying && !gPaused;
  for (int i = 0; i < 3; ++i) {
    const RectF& r = *rects[i];
    if (!Shown(r)) continue;
    DrawIconButton(r, i == 1 && running);
    float cx = r.x + r.w / 2.0f, cy = r.y + r.h / 2.0f, a = 0.22f * r.h;
    SetIconColour();
    if (i == 1 && running) {
      FillRoundedRect(cx - a, cy - a, 0.7f * a, 2.0f * a, 0.0f, 4);
      FillRoundedRect(cx + 0.3f * a, cy - a, 0.7f * a, 2.0f * a, 0.0f, 4);
    } else if (i == 1) {
      FillTriangle(cx - 0.8f * a, cy - a, cx - 0.8f * a, cy + a, cx + a, cy);
    } else {
      float d = i == 0 ? -1.0f : 1.0f;  // the bar stands on the side the button moves to
      FillTriangle(cx - d * a, cy - a, cx - d * a, cy + a, cx + d * 0.6f * a, cy);
      FillRoundedRect(cx + d * 0.6f * a - (d < 0 ? 0.35f * a : 0.0f), cy - a, 0.35f * a, 2.0f * a, 0.0f, 4);
    }
  }
}

static void DrawSeekBar(double now) {
  (void)now;
  const RectF& r = gSeekBarRect;
  if (!Shown(r)) return;
  uint32_t length = GetSongLengthMs();
  DrawControlFace(r);
  float x0, w;
  GetSeekBarGeometry(&x0, &w);
  float cy = r.y + 0.62f * r.h, th = std::max(6.0f * GetUiScale(), 4.0f);
  SetGlColor(0.2f, 0.24f, 0.31f, 1.0f);
  FillRoundedRect(x0, cy - th / 2.0f, w, th, th / 2.0f, 6);
  const uint32_t clock = ClockMs32();
  uint32_t position = GetShownPlaybackPositionMs(clock);
  if (length > 0 && (gLoopStartSet || gLoopEndSet)) {
    float a = SeekBarXForTime(gLoopStartSet ? gLoopStartMs : 0, length);
    float b = SeekBarXForTime(gLoopEndSet ? gLoopEndMs : length, length);
    SetGlColor(0.95f, 0.72f, 0.3f, 0.35f);
    FillRoundedRect(a, cy - th, std::max(b - a, 1.0f), 2.0f * th, 2.0f, 4);
  }
  float head = length > 0 ? SeekBarXForTime(position, length) : x0;
  SetGlColor(0.33f, 0.6f, 0.95f, 1.0f);
  FillRoundedRect(x0, cy - th / 2.0f, std::max(head - x0, 0.0f), th, th / 2.0f, 6);
  SetGlColor(0.96f, 0.97f, 1.0f, 1.0f);
  FillRoundedRect(head - 1.5f, cy - 1.6f * th, 3.0f, 3.2f * th, 1.0f, 4);
  // The handles are drawn on the track below the time line, not over its figures; their press
  // area stays as laid out.
  const float half = std::max(cy - std::max(r.y + 0.44f * r.h, cy - 0.5f * gLoopStartHandleRect.h), 3.0f);
  for (const RectF* handle : {&gLoopStartHandleRect, &gLoopEndHandleRect}) {
    if (!gLoopMarkersShown || !Shown(*handle)) continue;
    bool set = handle == &gLoopStartHandleRect ? gLoopStartSet : gLoopEndSet;
    SetGlColor(0.95f, 0.72f, 0.3f, set ? 1.0f : 0.45f);
    FillRoundedRect(handle->x, cy - half, handle->w, 2.0f * half, 2.0f, 4);
  }
  if (length > 0) {
    RectF line{r.x, r.y, r.w, 0.42f * r.h};
    DrawUntranslated(gFontSmall, x0, line, SeekBarTimeText(clock), 0.85f);
  } else {
    RectF line{r.x, r.y, r.w, 0.42f * r.h};
    DrawTextFitted(gFontSmall, x0, r.x + r.w - (x0 - r.x), line, "No MIDI loaded", 0.6f, 0.65f, 0.72f, 1.0f);
  }
}

static void DrawSpeedSlider() {
  const RectF& r = gSpeedSliderRect;
  if (!Shown(r)) return;
  DrawControlFace(r);
  float inset = std::max(11.0f * GetUiScale(), 10.0f);
  RectF line{r.x, r.y, r.w, 0.42f * r.h};
  char text[48];
  std::snprintf(text, sizeof text, "%.2fx", gPlaybackSpeed);
  float tw = MeasureText(gFontSmall, text, FontPixelSize(gFontSmall));
  DrawTextFitted(gFontSmall, r.x + inset, r.x + r.w - inset - tw - LabelMargin(GetUiScale()), line, "Speed", 0.8f,
                 0.84f, 0.9f, 1.0f);
  DrawUntranslated(gFontSmall, r.x + r.w - inset - tw, line, text, 1.0f);
  RectF track{r.x, r.y + 0.42f * r.h, r.w, 0.58f * r.h};
  bool hot = gSpeedDragging || Hovered(r);
  DrawSliderTrack(track, inset, (gPlaybackSpeed - 0.25f) / 1.75f, hot ? 0.45f : 0.33f, hot ? 0.72f : 0.6f, 0.95f);
}

static void DrawCross(const RectF& r) {
  float cx = r.x + r.w / 2.0f, cy = r.y + r.h / 2.0f, a = 0.22f * r.h;
  SetIconColour();
  glLineWidth(std::max(2.0f * GetUiScale(), 1.5f));
  glBegin(GL_LINES);
  glVertex2f(cx - a, cy - a);
  glVertex2f(cx + a, cy + a);
  glVertex2f(cx + a, cy - a);
  glVertex2f(cx - a, cy + a);
  glEnd();
  glLineWidth(1.0f);
}

static void DrawBand(double now) {
  // On the learning overlay the band keeps only the speed slider and the unload button, each with
  // its own face: its backdrop would be an empty box, and on a very wide window it covered the
  // circle's corner.
  if (Shown(gControlBandRect) && !IsLearningOverlayShown()) {
    SetGlColor(0.07f, 0.085f, 0.115f, 0.55f);
    const RectF& b = gControlBandRect;
    FillRoundedRect(b.x, b.y, b.w, b.h, std::max(8.0f * GetUiScale(), 6.0f), 8);
  }
  if (Shown(gFileButtonRect)) DrawButton(gFileButtonRect, "File", Look(gFileButtonRect, gFileMenuOpen));
  if (Shown(gPlayModeButtonRect)) DrawButton(gPlayModeButtonRect, "Play Mode", Look(gPlayModeButtonRect, gPlayAlongRun));
  if (Shown(gSightReadingButtonRect))
    DrawButton(gSightReadingButtonRect, "Sight-reading", Look(gSightReadingButtonRect, gSightReadingView));
  if (Shown(gUnloadSongRect)) {
    DrawIconButton(gUnloadSongRect, false);
    DrawCross(gUnloadSongRect);
  }
  if (Shown(gMetronomeStopRect)) {
    const RectF& r = gMetronomeStopRect;
    DrawIconButton(r, true);
    float a = 0.2f * r.h;
    SetIconColour();
    FillRoundedRect(r.x + r.w / 2.0f - a, r.y + r.h / 2.0f - a, 2.0f * a, 2.0f * a, 1.5f, 4);
  }
  DrawTransportButtons();
  DrawSeekBar(now);
  DrawSpeedSlider();
  if (Shown(gRepeatButtonRect)) DrawButton(gRepeatButtonRect, "Repeat", Look(gRepeatButtonRect, gPlaylistRepeat));
  if (Shown(gShuffleButtonRect)) DrawButton(gShuffleButtonRect, "Shuffle", Look(gShuffleButtonRect, gPlaylistShuffle));
  if (Shown(gClearLoopButtonRect))
    DrawButton(gClearLoopButtonRect, "Clear Loop", Look(gClearLoopButtonRect, gLoopStartSet || gLoopEndSet));
  PlaceMetronomePanel();
  DrawMetronomePanel();
  if (Shown(gLearningButtonRect)) DrawButton(gLearningButtonRect, "Learn", Look(gLearningButtonRect, gLearningOverlay));
  if (Shown(gSongViewButtonRect)) DrawButton(gSongViewButtonRect, "Song", Look(gSongViewButtonRect, gSongView));
  if (Shown(gSliderPanelButtonRect)) {
    const RectF& r = gSliderPanelButtonRect;
    DrawIconButton(r, gSliderPanelOpen);
    SetIconColour();
    for (int i = 0; i < 3; ++i) {  // three small sliders
      float y = r.y + r.h * (0.35f + 0.15f * (float)i);
      FillRoundedRect(r.x + 0.25f * r.w, y - 1.0f, 0.5f * r.w, 2.0f, 0.0f, 4);
      FillCircle(r.x + r.w * (0.35f + 0.15f * (float)((i * 2) % 3)), y, 0.09f * r.w + 1.0f);
    }
  }
}

// ---- file menu ----
static void DrawFileMenu() {
  if (!gFileMenuOpen || !Shown(gFileMenuRect)) return;
  DrawPanelBox(gFileMenuRect, 1.0f);
  DrawButton(gFileMenuOpenFileRect, "Open MIDI File...", Look(gFileMenuOpenFileRect, false));
  DrawButton(gFileMenuOpenFolderRect, "Open MIDI Folder...", Look(gFileMenuOpenFolderRect, false));
}

// ---- students panel ----
static void DrawBin(const RectF& r, bool armed) {
  ButtonLook look = Look(r, false);
  look.danger = armed;
  DrawButton(r, "", look);
  float cx = r.x + r.w / 2.0f, top = r.y + 0.3f * r.h, w = 0.38f * r.w, h = 0.45f * r.h;
  SetIconColour();
  FillRoundedRect(cx - 0.6f * w, top - 0.08f * r.h, 1.2f * w, 0.08f * r.h, 0.0f, 4);
  glLineWidth(1.5f);
  glBegin(GL_LINE_LOOP);
  glVertex2f(cx - w / 2.0f, top + 1.0f);
  glVertex2f(cx + w / 2.0f, top + 1.0f);
  glVertex2f(cx + 0.4f * w, top + h);
  glVertex2f(cx - 0.4f * w, top + h);
  glEnd();
  glLineWidth(1.0f);
}

static void DrawNameEntry(double now) {
  const RectF& r = gStudentNameEntryRect;
  if (!Shown(r)) return;
  ButtonLook look = Look(r, false);
  look.active = false;
  DrawButton(r, "", look);
  SetGlColor(0.1f, 0.12f, 0.16f, 1.0f);
  FillRoundedRect(r.x + 2.0f, r.y + 2.0f, r.w - 4.0f, r.h - 4.0f, 4.0f, 6);
  TextField& f = gStudentNameField;
  float pad = std::max(8.0f * GetUiScale(), 6.0f), size = FontPixelSize(gFontSmall);
  float x = r.x + pad;
  if (f.text.empty() && !gStudentNameEntryActive) {
    DrawTextMiddle(gFontSmall, x, r, "New student name", 0.5f, 0.55f, 0.62f, 1.0f);
    return;
  }
  ScopedTrSuppress untranslated;
  int n = (int)f.text.size();
  int cursor = std::clamp(f.cursor, 0, n), anchor = std::clamp(f.anchor, 0, n);
  x -= TextFieldFollowCaret(f, MeasureText(gFontSmall, f.text.substr(0, (size_t)cursor), size),
                            MeasureText(gFontSmall, f.text, size), r.w - 2.0f * pad);
  auto xAt = [&](int i) { return x + MeasureText(gFontSmall, f.text.substr(0, (size_t)i), size); };
  const SavedClip clip = BeginClip(r.x + 2.0f, r.y, r.w - 4.0f, r.h);  // a long name ends at the box
  if (gStudentNameEntryActive && cursor != anchor) {
    float a = xAt(std::min(cursor, anchor)), b = xAt(std::max(cursor, anchor));
    SetGlColor(0.25f, 0.45f, 0.8f, 0.75f);
    FillRoundedRect(a, r.y + 0.2f * r.h, b - a, 0.6f * r.h, 0.0f, 4);
  }
  DrawTextMiddle(gFontSmall, x, r, f.text, kControlText[0], kControlText[1], kControlText[2], 1.0f);
  if (gStudentNameEntryActive && std::fmod(now, 1.0) < 0.6) {
    SetIconColour();
    FillRoundedRect(xAt(cursor), r.y + 0.2f * r.h, std::max(1.5f * GetUiScale(), 1.0f), 0.6f * r.h, 0.0f, 4);
  }
  EndClip(clip);
}

static void DrawStudentsPanel(double now) {
  if (!gStudentListOpen || !Shown(gStudentsPanelRect)) return;
  const RectF& p = gStudentsPanelRect;
  float s = GetUiScale(), pad = std::max(10.0f * s, 8.0f);
  DrawPanelBox(p, 1.0f);
  RectF title{p.x + pad, p.y + pad, p.w - 2.0f * pad, ClampFloat(26.0f * s, 22.0f, 30.0f)};
  DrawTextMiddle(gFontMain, title.x, title, "Students", kControlText[0], kControlText[1], kControlText[2], 1.0f);
  if (gStudents.empty()) {
    float w = MeasureText(gFontMain, "Students", FontPixelSize(gFontMain));
    DrawTextMiddle(gFontSmall, title.x + w + pad, title, "None yet", 0.6f, 0.65f, 0.72f, 1.0f);
  }
  for (size_t i = 0; i < gStudentRowRects.size(); ++i) {
    int index = gStudentRowStudents[i];
    if (index < 0 || index >= (int)gStudents.size()) continue;
    const Student& st = gStudents[(size_t)index];
    const RectF& row = gStudentRowRects[i];
    bool active = index == gActiveStudentIndex;
    SetGlColor(active ? 0.2f : 0.13f, active ? 0.3f : 0.15f, active ? 0.46f : 0.2f, Hovered(row) ? 1.0f : 0.85f);
    FillRoundedRect(row.x, row.y, row.w, row.h, 5.0f, 6);
    const RectF& sw = gStudentSwatchRects[i];
    SetGlColor(st.r, st.g, st.b, 1.0f);
    FillRoundedRect(sw.x, sw.y, sw.w, sw.h, 4.0f, 6);
    if (gColourPopupOpen && gSelectedStudentRow == index) {
      SetIconColour();
      StrokeRoundedRect(sw.x - 2.0f, sw.y - 2.0f, sw.w + 4.0f, sw.h + 4.0f, 5.0f, 6);
    }
    const RectF& name = gStudentNameRects[i];
    // Cut by the room the row has: a byte limit would cut a name in Cyrillic or Japanese that fits.
    DrawName(name.x + 4.0f, name.x + name.w - 4.0f, name, st.name);
    DrawBin(gStudentBinRects[i], IsHighlightActive(index));
  }
  for (size_t i = 0; i < gCompactStudentRects.size(); ++i) {
    int index = gCompactStudentIndices[i];
    if (index < 0 || index >= (int)gStudents.size()) continue;
    const RectF& r = gCompactStudentRects[i];
    DrawButton(r, "", Look(r, index == gActiveStudentIndex));
    const Student& st = gStudents[(size_t)index];
    float dot = 0.18f * r.h;
    SetGlColor(st.r, st.g, st.b, 1.0f);
    FillCircle(r.x + 3.0f * dot, r.y + r.h / 2.0f, dot);
    // Cut by the room the entry has, like a row: twelve bytes hold half a Greek or Japanese name
    // that fits, and may part a letter from its combining accent.
    DrawName(r.x + 5.0f * dot, r.x + r.w - 2.0f * dot, r, st.name);
  }
  DrawNameEntry(now);
  if (Shown(gAddStudentButtonRect)) DrawButton(gAddStudentButtonRect, "Add", Look(gAddStudentButtonRect, false));
  if (Shown(gPlacementQuizButtonRect))
    DrawButton(gPlacementQuizButtonRect, "Placement Quiz", Look(gPlacementQuizButtonRect, false));
}

// ---- colour popup ----
static void DrawColourPopup() {
  RectF box;
  float cx, cy, radius;
  if (!ShowColourPopup(&box, &cx, &cy, &radius)) return;
  DrawPanelBox(box, 1.0f);
  const int kSteps = 72;
  glBegin(GL_TRIANGLE_FAN);
  SetGlColorAsIs(1.0f, 1.0f, 1.0f, gDrawAlpha);
  glVertex2f(cx, cy);
  for (int i = 0; i <= kSteps; ++i) {
    float hue = (float)i / kSteps, r, g, b;
    HsvToRgb(hue, 1.0f, 1.0f, &r, &g, &b);  // hue 0 to the right, growing clockwise on screen
    SetGlColorAsIs(r, g, b, gDrawAlpha);
    float a = 6.2831853f * hue;
    glVertex2f(cx + radius * std::cos(a), cy + radius * std::sin(a));
  }
  glEnd();
  if (gSelectedStudentRow >= 0 && gSelectedStudentRow < (int)gStudents.size()) {
    const Student& st = gStudents[(size_t)gSelectedStudentRow];
    float pad = cy - radius - box.y;
    SetGlColor(st.r, st.g, st.b, 1.0f);
    FillRoundedRect(box.x + pad, cy + radius + 3.0f, box.w - 2.0f * pad, box.y + box.h - (cy + radius) - 6.0f, 3.0f, 6);
  }
}

// ---- public functions ----
void DrawStatusLine(double now) {
  if (gStatusText != sStatusShown || gStatusText.Sets() != sStatusSets) {
    sStatusShown = gStatusText;
    sStatusSets = gStatusText.Sets();
    sStatusSince = now;
  }
  if (sStatusShown.empty()) return;
  float age = (float)(now - sStatusSince);
  if (age > kStatusHoldSeconds + kStatusFadeSeconds) {
    gStatusText.clear();  // gone: the same message set again shows again
    sStatusShown.clear();
    return;
  }
  float alpha = age <= kStatusHoldSeconds ? 1.0f : 1.0f - (age - kStatusHoldSeconds) / kStatusFadeSeconds;
  float s = GetUiScale(), W = (float)gClientWidth, H = (float)gClientHeight;
  float size = FontPixelSize(gFontSmall), pad = std::max(12.0f * s, 9.0f);
  float w = std::min(MeasureText(gFontSmall, sStatusShown, size) + 2.0f * pad, W - 16.0f);
  float h = size + 2.0f * std::max(6.0f * s, 5.0f);
  RectF r{(W - w) / 2.0f, H - h - std::max(8.0f * s, 6.0f), w, h};
  SetGlColor(0.06f, 0.07f, 0.1f, 0.85f * alpha);
  FillRoundedRect(r.x, r.y, r.w, r.h, h / 2.0f, 8);
  DrawTextCentred(gFontSmall, r, sStatusShown, kControlText[0], kControlText[1], kControlText[2], alpha);
}

void DrawMainControls(double now) {
  LayoutLoopHandles();
  DrawBand(now);
  DrawHeader();
  DrawDayToggle();
  DrawFileMenu();
  DrawFilterPanel();
  DrawSliderPanel();
  // The open students panel lies over the overlay's scale list and whatever else stands at the
  // left; it is drawn above them, as its clicks come before theirs.
  DrawStudentsPanel(now);
  DrawColourPopup();
  DrawStatusLine(now);
}

void ResetControlsDrawing() {
  sStatusShown.clear();
  sStatusSets = 0;
  sStatusSince = -1.0;
}
