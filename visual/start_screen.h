// visual/start_screen: the start screen with its language list.
#pragma once

// PENDING: the start screen; puts every start-screen state back so it shows again (F12).
void ResetStartScreen();
// PENDING: the start screen; sets the language list's highlighted and scroll positions (rows).
void SetLanguageListRows(float row);
// PENDING: the start screen; draws it for this frame, true while it is shown.
bool DrawStartScreen(float now);
