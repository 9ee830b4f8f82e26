// app/lesson_song_end: what the shell does when a lesson song reaches its end: the learning model
// records the attempt, a passed day sends the attendance, and once the song's last notes have rung
// out the practice set moves on or the song waits paused at its start.
#pragma once
#include <cstdint>

// After a pump pass that reported a lesson song's end bits (kLessonSongEnded, kLessonSongRungOut);
// now is that pass's clock time.
void FinishLessonSong(uint32_t now, int end);
// Forgets what the song's end recorded (a fixture's reset).
void ResetLessonSongEnd();
