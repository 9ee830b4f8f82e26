// learning/attempts: what the shell asks of the learning model when a lesson song loads, unloads
// and ends. The run-kind flags the model sets live with the song (midi/playback).
#pragma once
#include "midi/practice_run_result.h"

// Forgets the current lesson item and the run-kind flags; on every song load and unload.
void ResetLearningRun();
// Records a finished lesson song against the loaded item: 1 for a daily pass, 0 for an attempt
// without a pass, -1 when the item is not in the library.
int RecordAttempt(const PracticeRunResult& result);
// Opens the next card of the practice set (loading its song); false when there is none.
bool AdvancePracticeSet();
