// app/lesson_song_end: what the shell does when a lesson song reaches its end: the learning model
// records the attempt, a passed day sends the attendance, and the practice set moves on or the
// song waits paused at its start.
#pragma once
#include <cstdint>

// After a pump pass that reported a lesson song's end; now is that pass's clock time.
void FinishLessonSong(uint32_t now);
