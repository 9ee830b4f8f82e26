// visual/ring_mode: the ring-mode setting kept in "ring_mode.txt" (the flag itself is a view mode,
// app/base/view_modes).
#pragma once

extern int gRingModePendingSave;  // a ring-mode value waiting to be saved, -1 for none

// Writes "1" or "0" to "ring_mode.txt" in the Data folder, replacing the file whole.
void SaveRingMode(bool on);
// No save waiting.
void ResetRingModeSetting();
