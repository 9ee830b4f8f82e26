// practice/teaching_timing: the teaching code's onset timing of played notes.
#pragma once

// A device note-on (reads gMidiEventLagMs for its time).
void OnTeachingNoteOnset(int key, int velocity);
