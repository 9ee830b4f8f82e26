// midi/device_pickers: the start screen's MIDI keyboard and sound-output panels, and the labelled
// row every start-screen row is drawn with.
//
// Each panel is a one-line header above the start screen's language row that opens a list upward.
// A list taller than the window shows the rows that fit and the wheel scrolls it.
// The panels stand on a floor below the start screen, so what they need of it (whether it shows,
// where its language row is, the placement quiz) comes through hooks the shell connects; unset,
// the start screen counts as hidden. An open list pauses the start screen's clock through
// app/base/start_clock. Everything above the drawing section runs without GL.
#pragma once
#include <string>
#include <vector>

#include "gfx/rect.h"
#include "gfx/text.h"

// ---- state ----
extern bool gMidiPickerOpen;      // the MIDI input list is open
extern bool gAudioOutPickerOpen;  // the audio-out list is open

// ---- hooks the shell connects ----
// The start screen shows at app time now (its visibility test).
extern bool (*gStartScreenShownHook)(double now);
// The start screen's UI scale and its language row, in client pixels.
extern void (*gStartScreenRowHook)(float* scale, RectF* languageRow);
// The placement quiz's prompt can be shown now.
extern bool (*gPlacementPromptAvailableHook)();
// Asks the main loop to open the placement quiz.
extern void (*gPlacementQuizRequestHook)();

// ---- layout ----
struct PickerLayout {
  float scale = 1.0f;
  RectF header;     // the one-line header
  RectF list;       // the list that opens upward from it
  float pad = 8.0f;
  float rowH = 20.0f;
  int rows = 0;     // rows of the list as counted now
  int first = 0;    // the first row shown
  int shown = 0;    // rows shown: all of them, or those that fit in the window
};
// The MIDI panel: one step above the language row, one row per input device.
void ComputeMidiPickerLayout(PickerLayout* out);
// The AUDIO OUT panel: one step above the MIDI header; the synthesiser, each port, the settings.
void ComputeAudioOutLayout(PickerLayout* out);
// Row i of a layout's list; kHiddenRect for a row scrolled out of sight.
RectF PickerRowRect(const PickerLayout& layout, int row);
// The row of the list under (x, y), -1 between or outside the rows shown.
int PickerRowAt(const PickerLayout& layout, float x, float y);
// The device names an open list shows this frame (the drawing tells it); a press is read against
// these rows, so a device that comes or goes with the list open cannot change what a row picks.
void NotePickerRowsShown(bool midi, const std::vector<std::string>& names);

// ---- input (client pixels; true when taken) ----
// A press on the MIDI panel: the header opens the list; a row opens that keyboard; any press
// outside the list closes it.
bool ClickMidiInputPanel(int x, int y);
// A press on the AUDIO OUT panel: row 0 the built-in synthesiser, then each port, the last row
// opens the sound settings.
bool ClickAudioOutPanel(int x, int y);
// A press on the row one step above the AUDIO OUT header, while no list is open and the quiz's
// prompt can be shown: ends the start screen at once and asks for the placement quiz.
bool HitAudioOutPanel(int x, int y);
// The wheel over an open list (taken): where not all its rows fit, a notch up shows earlier ones.
bool DevicePickersWheel(int x, int y, int delta);

// ---- sound output ----
// The default sound output's name, asked of the system at most every 3 s unless forced; "" when
// unknown.
std::string DefaultAudioEndpointName(bool force);
// What the AUDIO OUT header shows: the saved port's name, else the default output's, else
// "System default".
std::string AudioOutHeaderValue();
// Row text of the AUDIO OUT list (translated where it is the program's own text).
std::string AudioOutRowText(int row, int portCount);
// Makes device d (-1: the built-in synthesiser) the output: releases the song's notes, closes the
// output, saves the choice and opens the new one. False when the save failed (the choice holds
// for this run anyway).
bool SwitchMidiOutput(int device, const std::string& name);

// Puts the pickers' state back (lists closed and scrolled to the top, no cached name, hooks kept).
void ResetDevicePickers();

// ---- drawing ----
// One row: translated label, a colon in the shared label column, the value cut to fit.
void DrawPickerRow(UiFont font, const RectF& rect, float scale, const std::string& label,
                   const std::string& value, float alpha);
// The width of the label column: the widest translated start-screen label in the font.
float PickerLabelColumnWidth(UiFont font);
// The narrowest row at `scale` that holds that column and a value of a useful length in the
// panels' font; the start screen widens its rows to it.
float PickerRowMinWidth(float scale);
// Draws the MIDI keyboard panel's header at the start screen's alpha.
void DrawMidiInputPanel(float alpha);
// Draws the sound-output panel's header, then the open list of either panel, at the start screen's
// alpha; called after DrawMidiInputPanel, so a list lies over both headers.
void DrawAudioOutPanel(double now, float alpha);
