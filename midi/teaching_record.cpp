// midi/teaching_record: the teaching record's storage.
#include "midi/teaching_record.h"

// ---- state ----
TeachingState gTeachingState;   // the active student's record

// ---- public functions ----
void ResetTeachingRecord() { gTeachingState = TeachingState(); }
