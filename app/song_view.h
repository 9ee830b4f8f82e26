// app/song_view: the song-view keep-alive: while a song is loaded, the song view (or practice
// mode) the user had on stays on from frame to frame until the user leaves it.
#pragma once

extern bool gSongViewArmed;             // the song view is kept on while a song is loaded
extern bool gSongViewCancelled;         // the user left the song view; not re-armed by itself
extern bool gSongViewKeepsPractice;     // practice mode (not the song view) is what is kept

// Arms the song-view keep-alive for the loaded song (and clears the user's cancel).
void ArmSongView();
// Every frame: ring mode clears the song views; otherwise keeps the armed view on while a song is
// loaded.
void KeepSongView();
// Disarmed, not cancelled.
void ResetSongViewKeepAlive();
