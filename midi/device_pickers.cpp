// midi/device_pickers: the labelled picker row and the pickers' open flags.
#include "midi/device_pickers.h"

#include <algorithm>

#include "gfx/draw_alpha.h"
#include "gfx/translate.h"

// ---- state ----
bool gMidiPickerOpen = false;      // the MIDI input list is open
bool gAudioOutPickerOpen = false;  // the audio-out list is open

// ---- public functions ----
float PickerLabelColumnWidth(UiFont font) {
  float widest = 0.0f;
  for (const char* label : {"Smart Start", "AUDIO OUT", "MIDI", "Language"})
    widest = std::max(widest, MeasureText(font, label, 15.0f));
  return widest;
}

void DrawPickerRow(UiFont font, const RectF& rect, float s, const std::string& label, const std::string& value,
                   float alpha) {
  float baseline = rect.y + 0.69f * rect.h - std::max(4.4f * s, 3.8f);
  float labelX = rect.x + std::max(14.0f * s, 12.0f);
  float colonX = labelX + PickerLabelColumnWidth(font) + std::max(10.0f * s, 8.0f);
  float valueX = colonX + std::max(11.0f * s, 9.0f);
  float valueEnd = rect.x + rect.w - std::max(12.0f * s, 10.0f);
  DrawTextUtf8(font, labelX, baseline, label, 0.88f, 0.94f, 1.0f, alpha * 0.92f);
  DrawTextUtf8(font, colonX, baseline, ":", 0.86f, 0.9f, 0.98f, alpha * 0.78f);
  std::string shown = FitTextToWidth(font, value, 15.0f, std::max(0.0f, valueEnd - valueX));
  // FitTextToWidth already translated a shortened value; translating it again would break it.
  ScopedTrSuppress keep;
  DrawTextUtf8(font, valueX, baseline, shown, 0.95f, 0.86f, 0.64f, alpha * 0.92f);
}
