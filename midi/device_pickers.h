// midi/device_pickers: the start screen's MIDI keyboard and sound-output panels, and the labelled
// row every start-screen row is drawn with.
#pragma once
#include <string>

#include "gfx/rect.h"
#include "gfx/text.h"

// ---- state ----
extern bool gMidiPickerOpen;      // the MIDI input list is open
extern bool gAudioOutPickerOpen;  // the audio-out list is open

// One row: translated label, a colon in the shared label column, the value cut to fit.
void DrawPickerRow(UiFont font, const RectF& rect, float scale, const std::string& label,
                   const std::string& value, float alpha);
// The width of the label column: the widest translated start-screen label in the font.
float PickerLabelColumnWidth(UiFont font);
// PENDING: the device pickers; draws the MIDI keyboard panel at the start screen's alpha.
void DrawMidiInputPanel(float alpha);
// PENDING: the device pickers; draws the sound-output panel at the start screen's alpha.
void DrawAudioOutPanel(float now, float alpha);
// PENDING: the device pickers; the point lies on the open sound-output panel (the click is taken).
bool HitAudioOutPanel(int x, int y);
// PENDING: the device pickers; a click on the sound-output row or its list; true when taken.
bool ClickAudioOutPanel(int x, int y);
// PENDING: the device pickers; a click on the MIDI keyboard row or its list; true when taken.
bool ClickMidiInputPanel(int x, int y);
