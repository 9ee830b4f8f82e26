// visual/start_screen: the start screen's state that the language and image code resets.
#pragma once

// Puts every start-screen state back so the start screen shows again (F12).
void ResetStartScreen();
// Sets the language list's highlighted and scroll positions (both in rows).
void SetLanguageListRows(float row);
