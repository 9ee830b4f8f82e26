// practice/teaching_state: the active student's teaching record.
#pragma once

// Makes the teaching record follow the active student; resetLevel also resets the level sliders
// when the student changed.
void LoadTeachingState(bool resetLevel);

extern float gTeachingLevel;   // the teaching panel's difficulty slider 0..1 (initially 0.5);
                               // the one slider value, no gDifficultySlider besides it
