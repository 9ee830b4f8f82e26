// midi/play_along: judging the notes played along with the loaded song.
#pragma once

extern bool gPlayAlongRun;   // a judged run is active
extern bool gWaitMode;       // playback waits for the expected notes
extern bool gPracticeMode;   // the practice view (falling-notes lane) is on

// Practice or wait mode is on and a song with a positive length is loaded.
bool IsPlayAlongAvailable();
