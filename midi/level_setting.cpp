// midi/level_setting: the play-along level, shared by the judges, the board and the teaching state.
#include "midi/level_setting.h"

// ---- state ----
float gLevelSetting = 0.5f;  // written by the board, the window procedure and the teaching state

// ---- public functions ----
float GetLevelSetting() {
  float d = gLevelSetting;
  if (!(d > 0.0f)) return 0.0f;
  return d > 1.0f ? 1.0f : d;
}

void ResetLevelSetting() { gLevelSetting = 0.5f; }
