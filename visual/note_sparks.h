// visual/note_sparks: the sparks played notes throw off the circle.
#pragma once

extern int gNoteSparkCount;       // note sparks of this frame

// PENDING: the note sparks; adds one for this frame.
void SpawnNoteSpark(int note, float strength);
