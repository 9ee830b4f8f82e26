// midi/pending: bodies of the engine's functions whose real work comes later (declared, each with
// its marker, in midi/device_pickers.h).
#include "midi/device_pickers.h"

void DrawMidiInputPanel(float) {}
void DrawAudioOutPanel(float, float) {}
bool HitAudioOutPanel(int, int) { return false; }
bool ClickAudioOutPanel(int, int) { return false; }
bool ClickMidiInputPanel(int, int) { return false; }
