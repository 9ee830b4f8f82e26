// midi/judge_index: what the judges keep beside the judge records so that a pass over a long song
// looks only at the notes near the position: each note's end, the lowest pending expected note,
// and the graded hold notes that may still be held.
//
// The index is rebuilt whenever the judge records are rebuilt. It relies on judge records only
// leaving the pending state between rebuilds (nothing sets a record back to pending).
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "midi/midi_file.h"

constexpr size_t kNoEvent = (size_t)-1;

// The lowest and highest keys of the 88-key keyboard the program teaches on (A0, C8).
constexpr uint8_t kLowestExpectedNote = 21, kHighestExpectedNote = 108;

// The event is a note-on with a velocity above 0 on a key of the 88 (an expected note). A note
// below A0 or above C8, and a damaged file's note number of 128 or above, sounds but is never
// expected: the lane shows no key for it, and a run would wait at it for ever.
inline bool IsSoundingNoteOn(const SongEvent& e) {
  return (e.status & 0xF0) == 0x90 && e.data2 > 0 && e.data1 >= kLowestExpectedNote && e.data1 <= kHighestExpectedNote;
}

// Rebuilds the note ends from gSongEvents, forgets the pending hint and collects the open holds
// from gJudgeStates.
void RebuildJudgeIndex();
// The index belongs to a song of gSongEvents' size.
bool JudgeIndexSized();
// Lowest index of an expected note whose record is pending; kNoEvent when none.
size_t FirstPendingExpected();
// Graded hold notes (indices, ascending) that may still be held; read by the judges.
const std::vector<uint32_t>& OpenHolds();
// Adds a newly graded hold note.
void AddOpenHold(size_t index);
// Drops the entries no longer held as hold notes or whose end the position has reached (the
// position does not go back between rebuilds).
void PruneOpenHolds(uint32_t position);
// The cached end of a note (valid only while JudgeIndexSized()).
uint32_t CachedNoteEnd(size_t index);
