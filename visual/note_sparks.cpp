// visual/note_sparks: the sparks' state.
#include "visual/note_sparks.h"

// ---- state ----
int gNoteSparkCount = 0;   // counted by the frame's spark feed
