// midi/seek_bar_input: the transport's seek bar, its loop handles and the speed slider under the
// mouse. A press may start a drag (gSeekDragMode, gSpeedDragging in app/base/pointer.h) that the
// moves follow until the button goes up; the pointer is captured for it, so a drag past either end
// of the bar gives the song's start or end.
#pragma once

// A press on the speed slider: the speed follows the pointer; true when taken.
bool SpeedSliderMouseDown(int x, int y);
// A plain press on a loop handle (the nearer one when both are under the pointer) drags it; true
// when taken. A press with Shift, Ctrl or Alt is left to the seek bar, which the handles lie on.
bool LoopHandleMouseDown(int x, int y, bool modified);
// A press on the seek bar: Alt clears the loop, Shift sets its start, Ctrl its end; a plain press
// seeks, or drags a loop point within reach of the pointer (the end before the start). True when
// the press was on the bar.
bool SeekBarMouseDown(int x, int y, bool shift, bool ctrl, bool alt);
// The second press of a double click on the bar: loop start, then loop end, then neither.
bool SeekBarDoubleClick(int x, int y);
// A move during a speed or seek drag; true when one is on.
bool TransportMouseDrag(int x);
// Ends both drags.
void EndTransportDrags();
