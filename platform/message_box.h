// platform/message_box: an error message outside the program's own window.
//
// The text always goes to standard error as well, because there may be no display to show a box
// on. Tests replace the box with a recorder; the environment variable TONVARRA_MESSAGE_BOXES=0
// keeps the real program from blocking on a box when a test starts it.
#pragma once

// Shows an error box with no owner window and echoes caption and text to standard error.
void ShowErrorBox(const char* caption, const char* text);

using ErrorBoxSink = void (*)(const char* caption, const char* text);
// Replaces the box (not the standard-error echo) with `sink`; nullptr restores the real box.
void SetErrorBoxSinkForTesting(ErrorBoxSink sink);
// False when boxes are switched off by the environment.
bool ErrorBoxesEnabled();
