// learning_ui/learning_screen: the learning screen the frame draws: the library button, the screen
// itself and its scroll hint.
#pragma once

// PENDING: drawn with the learning screen, in this order each frame.
void DrawLibraryButton();
void DrawLearningScreen();
void DrawLearningScrollHint();
