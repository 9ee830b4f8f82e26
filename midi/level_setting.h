// midi/level_setting: the play-along level that narrows the judging windows.
#pragma once

// 0..1 as used (readers clamp it); the teaching load puts it back to 0.5 for a new student.
extern float gLevelSetting;

// gLevelSetting clamped to 0..1 (a value that is not a number counts as 0).
float GetLevelSetting();
// The level back at its start value, 0.5.
void ResetLevelSetting();
