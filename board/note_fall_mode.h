// board/note_fall_mode: note-fall mode (the lane over the keyboard) switched on and off, as the NOTE
// FALL button asks: what entering turns on and remembers, and what leaving gives back.
#pragma once

// Hooks the shell connects: whether a sight-reading score with notes is loaded, and the song
// view's keep-alive after a switch (left: note-fall mode was just left).
extern bool (*gSightScoreHasNotesHook)();
extern void (*gNoteFallSongViewHook)(bool left);

// Switches note-fall mode. Entering remembers the song view and the learning overlay and turns on
// the song view and wait mode; leaving ends a play-along run and gives both back (the song view
// stays on while a song is loaded). Both ways reset the play-along marks, silence the output,
// re-arm the song view and lay everything out again.
void ToggleNoteFallMode();
// Remembers the song view and the learning overlay as entering does, for a caller that turns
// practice mode on itself (an item opened from the library), so that leaving gives back the views
// it was opened from and not those of an older entry.
void RememberViewsForNoteFall();
// Nothing remembered.
void ResetNoteFallMode();
