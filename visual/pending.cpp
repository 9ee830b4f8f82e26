// visual/pending: start-screen calls that the language and image code already makes.
#include "visual/start_screen.h"

// Filled in later with the start screen.
void ResetStartScreen() {}
// Filled in later with the start screen.
void SetLanguageListRows(float) {}
