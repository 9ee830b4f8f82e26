// midi/pending: bodies of the engine's functions whose real work comes later (declared, each with
// its marker, in midi/device_pickers.h).
#include "midi/device_pickers.h"

void DrawMidiInputPanel(float) {}
void DrawAudioOutPanel(float, float) {}
