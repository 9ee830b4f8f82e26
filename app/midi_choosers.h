// app/midi_choosers: the MIDI file and folder choosers as the shell's commands run them: outside
// full screen, since a dialog window cannot show above it.
#pragma once

// Chooses one MIDI file and plays it as a one-entry playlist; false on cancel or a failed load.
bool OpenMidiFileDialog();
// Chooses a folder and plays its MIDI files; false on cancel, no files or a failed load.
bool OpenMidiFolderDialog();
