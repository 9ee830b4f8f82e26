// midi/device_pickers_draw: the labelled picker row and the two device panels drawn. Blending is
// left as the caller set it; texturing is restored by the text calls.
#include <GL/gl.h>

#include <strings.h>

#include <algorithm>
#include <string>
#include <vector>

#include "gfx/draw_alpha.h"
#include "gfx/rounded_rect.h"
#include "gfx/text.h"
#include "gfx/translate.h"
#include "gfx/widgets_draw.h"
#include "midi/device_pickers.h"
#include "midi/midi_input.h"
#include "midi/midi_output_device.h"
#include "platform/input.h"

// ---- internal helpers ----
static UiFont PanelFont() { return gFontMain ? gFontMain : (gFontSmall ? gFontSmall : gFontLarge); }

static bool PointerIn(const RectF& r) {
  int mx = 0, my = 0;
  GetPointerClientPos(&mx, &my);
  return r.x <= (float)mx && (float)mx <= r.x + r.w && r.y <= (float)my && (float)my <= r.y + r.h;
}

// The header box in the language button's look, with its labelled value.
static void DrawPanelHeader(const PickerLayout& l, const char* label, const std::string& value, float alpha) {
  float hover = PointerIn(l.header) ? 1.0f : 0.0f;
  float radius = std::max(9.0f * l.scale, 7.0f);
  SetGlColor(0.04f, 0.06f, 0.1f, (0.58f + 0.1f * hover) * alpha);
  FillRoundedRect(l.header.x, l.header.y, l.header.w, l.header.h, radius, 12);
  SetGlColor(1.0f, 1.0f, 1.0f, (0.14f + 0.08f * hover) * alpha);
  StrokeRoundedRect(l.header.x + 0.5f, l.header.y + 0.5f, l.header.w - 1.0f, l.header.h - 1.0f, radius, 12);
  DrawPickerRow(PanelFont(), l.header, l.scale, label, value, alpha);
}

// The list's box; a list with rows out of sight has the scale list's strip at its right end,
// inside the rows' text margin, with its thumb where the rows shown stand among all of them.
static void DrawListFrame(const PickerLayout& l, int lines, float alpha) {
  float radius = std::max(10.0f * l.scale, 8.0f);
  SetGlColor(0.03f, 0.05f, 0.09f, 0.9f * alpha);
  FillRoundedRect(l.list.x, l.list.y, l.list.w, l.list.h, radius, 12);
  SetGlColor(1.0f, 1.0f, 1.0f, 0.14f * alpha);
  StrokeRoundedRect(l.list.x + 0.5f, l.list.y + 0.5f, l.list.w - 1.0f, l.list.h - 1.0f, radius, 12);
  if (l.shown >= lines) return;
  float top = l.list.y + l.pad, bottom = l.list.y + l.list.h - l.pad;
  float thumb = std::max((bottom - top) * (float)l.shown / (float)lines, 14.0f);
  float saved;
  PushDrawAlpha(&saved, gDrawAlpha * alpha);
  DrawScrollStrip(l.list.x + l.list.w - l.pad / 2.0f - std::max(5.0f * l.scale, 4.0f), top, bottom, thumb,
                  (float)l.first / (float)(lines - l.shown), false);
  PopDrawAlpha(&saved);
}

// One list row; the text is drawn as given (device names are not the program's words to translate).
static void DrawListRow(const PickerLayout& l, int row, const std::string& text, bool chosen, float alpha) {
  RectF r = PickerRowRect(l, row);
  float radius = std::max(6.0f * l.scale, 4.0f);
  if (chosen) {
    SetGlColor(0.95f, 0.86f, 0.64f, 0.18f * alpha);
    FillRoundedRect(r.x, r.y + 1.0f, r.w, r.h - 2.0f, radius, 8);
  } else if (PointerIn(r)) {
    SetGlColor(1.0f, 1.0f, 1.0f, 0.08f * alpha);
    FillRoundedRect(r.x, r.y + 1.0f, r.w, r.h - 2.0f, radius, 8);
  }
  UiFont font = PanelFont();
  float x = r.x + std::max(12.0f * l.scale, 10.0f);
  ScopedTrSuppress keep;
  // Centred on the row: a list row is lower than a header, so the header's baseline rule would
  // sit the text above the row's middle.
  float baseline = r.y + 0.5f * r.h + 0.3f * MeasureTextHeight(font, text, 16.0f);
  const float right = r.x + r.w - std::max(10.0f * l.scale, 8.0f);
  std::string shown = FitTextToWidth(font, text, 15.0f, std::max(0.0f, right - x));
  // A row too long for the list (the speakers' hint) is set a little smaller before it loses its end.
  if (shown != text) {
    DrawTextFitted(font, x, right, r, text, chosen ? 0.98f : 0.86f, chosen ? 0.9f : 0.91f, chosen ? 0.68f : 0.98f,
                   (chosen ? 0.96f : 0.9f) * alpha);
    return;
  }
  if (chosen)
    DrawTextUtf8(font, x, baseline, shown, 0.98f, 0.9f, 0.68f, 0.96f * alpha);
  else
    DrawTextUtf8(font, x, baseline, shown, 0.86f, 0.91f, 0.98f, 0.9f * alpha);
}

static void DrawMidiList(float a) {
  PickerLayout l;
  ComputeMidiPickerLayout(&l);
  DrawListFrame(l, l.rows > 0 ? l.rows : 2, a);
  if (l.rows == 0) {
    NotePickerRowsShown(true, {});
    const RectF row = PickerRowRect(l, 0);
    const float room = row.w - std::max(12.0f * l.scale, 10.0f) - std::max(10.0f * l.scale, 8.0f);
    const std::string message = Tr("No MIDI keyboard found. Plug one in, it will connect on its own.");
    std::vector<std::string> lines;
    {
      ScopedTrSuppress translated;  // the message is in the UI language already
      lines = WrapTextToWidth(PanelFont(), message, 15.0f, room, 2);
    }
    for (int i = l.first; i < std::min(l.first + l.shown, (int)lines.size()); ++i)
      DrawListRow(l, i, lines[(size_t)i], false, a);
    return;
  }
  // Every name is noted, the rows scrolled out of sight too: a press after the wheel is read
  // against them.
  std::vector<std::string> names;
  for (int i = 0; i < l.rows; ++i) names.push_back(MidiInDeviceName(i));
  for (int i = l.first; i < l.first + l.shown; ++i)
    DrawListRow(l, i, names[(size_t)i], gMidiInOpen && (int)gMidiInDeviceIndex == i, a);
  NotePickerRowsShown(true, names);
}

static void DrawAudioOutList(const PickerLayout& l, float a) {
  DrawListFrame(l, l.rows, a);
  int ports = l.rows - 2;
  std::vector<std::string> names;
  for (int row = 0; row < l.rows; ++row) {
    std::string text = AudioOutRowText(row, ports);
    if (row >= 1 && row <= ports) names.push_back(text);
    if (row < l.first || row >= l.first + l.shown) continue;
    bool chosen = row == 0 ? gMidiOutName.empty()
                           : row <= ports && strcasecmp(text.c_str(), gMidiOutName.c_str()) == 0;
    DrawListRow(l, row, text, chosen, a);
  }
  NotePickerRowsShown(false, names);
}

// ---- public functions ----
float PickerLabelColumnWidth(UiFont font) {
  float widest = 0.0f;
  for (const char* label : {"Smart Start", "AUDIO OUT", "MIDI", "Language"})
    widest = std::max(widest, MeasureText(font, label, 15.0f));
  return widest;
}

// The row's fixed parts around the label column and the value: the inset before the label, the
// gaps either side of the colon and the inset after the value.
static float LabelInset(float s) { return std::max(14.0f * s, 12.0f); }
static float ColonGap(float s) { return std::max(10.0f * s, 8.0f); }
static float ValueGap(float s) { return std::max(11.0f * s, 9.0f); }
static float EndInset(float s) { return std::max(12.0f * s, 10.0f); }

float PickerRowMinWidth(float s) {
  if (!PanelFont()) return 0.0f;   // no text is drawn without a font, and guesses would move the rows
  // A translated label can take most of a row sized for English ("AUDIO-AUSGANG" is twice
  // "AUDIO OUT"); the value keeps room for the program's own values whole all the same. Device
  // names are the hardware's and may still be cut.
  float valueRoom = std::max(100.0f * s, 90.0f);
  for (const char* value : {"System default", "no device", "tap to pick"})
    valueRoom = std::max(valueRoom, MeasureText(PanelFont(), value, 15.0f) + 2.0f);
  return LabelInset(s) + PickerLabelColumnWidth(PanelFont()) + ColonGap(s) + ValueGap(s) + valueRoom + EndInset(s);
}

void DrawPickerRow(UiFont font, const RectF& rect, float s, const std::string& label, const std::string& value,
                   float alpha) {
  float baseline = rect.y + 0.69f * rect.h - std::max(4.4f * s, 3.8f);
  float labelX = rect.x + LabelInset(s);
  float colonX = labelX + PickerLabelColumnWidth(font) + ColonGap(s);
  float valueX = colonX + ValueGap(s);
  float valueEnd = rect.x + rect.w - EndInset(s);
  DrawTextUtf8(font, labelX, baseline, label, 0.88f, 0.94f, 1.0f, alpha * 0.92f);
  DrawTextUtf8(font, colonX, baseline, ":", 0.86f, 0.9f, 0.98f, alpha * 0.78f);
  std::string shown = FitTextToWidth(font, value, 15.0f, std::max(0.0f, valueEnd - valueX));
  // FitTextToWidth already translated a shortened value; translating it again would break it.
  ScopedTrSuppress keep;
  DrawTextUtf8(font, valueX, baseline, shown, 0.95f, 0.86f, 0.64f, alpha * 0.92f);
}

void DrawMidiInputPanel(float alpha) {
  float a = std::clamp(alpha, 0.0f, 1.0f);
  if (a <= 0.001f) return;
  PickerLayout l;
  ComputeMidiPickerLayout(&l);
  std::string value = gMidiInOpen ? gMidiInName : (l.rows > 0 ? Tr("tap to pick") : Tr("no device"));
  DrawPanelHeader(l, "MIDI", value, a);
}

void DrawAudioOutPanel(double now, float alpha) {
  (void)now;
  float a = std::clamp(alpha, 0.0f, 1.0f);
  if (a <= 0.001f) return;
  PickerLayout l;
  ComputeAudioOutLayout(&l);
  // Either open list comes after both headers: the MIDI list opens upward across this header,
  // which is then left out rather than showing through the list's rows.
  PickerLayout midi;
  ComputeMidiPickerLayout(&midi);
  const bool covered = gMidiPickerOpen && midi.list.y < l.header.y + l.header.h && midi.list.y + midi.list.h > l.header.y;
  if (!covered) DrawPanelHeader(l, "AUDIO OUT", AudioOutHeaderValue(), a);
  if (gMidiPickerOpen) DrawMidiList(a);
  if (gAudioOutPickerOpen) DrawAudioOutList(l, a);
}
