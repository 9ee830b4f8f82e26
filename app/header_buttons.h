// app/header_buttons: the buttons of the control band under the mouse: the header row (students,
// sight-reading, play mode, file with its menu, previous, play) and the playlist row (next,
// repeat, shuffle, clear loop), and the room of the metronome panel (midi/metronome_panel) there.
#pragma once

// A press on the header row or the open file menu; true when taken. A press outside an open file
// menu closes it and is not taken. A press on a menu item closes the menu and drops the presses
// queued behind it; its dialog waits for RunChosenMenuItem.
bool HeaderButtonsMouseDown(int x, int y);
// Closes the file menu and takes its rectangles away.
void CloseFileMenu();
// Opens the dialog of the menu item last pressed, once: the main loop calls it after presenting
// the frame that shows the menu closed.
void RunChosenMenuItem();
// A press on the playlist row or the next button; true when taken.
bool PlaylistRowMouseDown(int x, int y);
// A press on the learning or the song-view button beside the band: each switches its view, the
// only way into the learning overlay and the song view (and through it the lane, practice mode
// and the library); true when taken.
bool ViewButtonsMouseDown(int x, int y);
// Hands the metronome panel its room: the band's bottom row right of the clear-loop button, while
// that button shows (not on the learning overlay, nor once the row has given up its height to
// practice mode) and the ring view is off. Called before the panel is drawn or asked.
void PlaceMetronomePanel();
