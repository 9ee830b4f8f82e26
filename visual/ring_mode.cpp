// visual/ring_mode: the ring-mode setting's file.
#include "visual/ring_mode.h"

#include "app/base/folders.h"
#include "platform/file_replace.h"

// ---- state ----
int gRingModePendingSave = -1;   // set by the ring-mode command, saved by the window procedure

// ---- public functions ----
void SaveRingMode(bool on) { ReplaceFileWithContent(GetDataFilePath("ring_mode.txt"), on ? "1\n" : "0\n", nullptr); }

void ResetRingModeSetting() { gRingModePendingSave = -1; }
