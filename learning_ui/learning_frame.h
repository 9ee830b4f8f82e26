// learning_ui/learning_frame: what surrounds the learning screen's views: the dimmed backdrop
// with drifting stars, the panel, the scrollbar and the two scroll aids that name the section
// under the scroll position.
#pragma once

#include "learning_ui/learning_layout.h"

// The opening fade's level e (0..1) at app seconds t after the opening stamp.
float LearningBackdropFade(float secondsOpen);
// First thing drawn each frame; stamps the opening on its first frame.
void DrawLearningBackdrop(const LearningLayout& l, float W, float H);
void DrawLearningPanelFrame(const LearningLayout& l);
void DrawLearningScrollbar(const LearningLayout& l);
void DrawScrollSectionLabels(const LearningLayout& l);
// The hint with a given layout (DrawLearningScrollHint() computes its own).
void DrawLearningScrollHintWith(const LearningLayout& l);
