// theory/scale_selection: the one scale and key the user works in: the applied scale, the picked
// scale (which runs ahead during a list preview), the tonic and the ring position; selection by row,
// by church mode and by stepping; the seven-slot window over the modes or the filtered list; the
// scrolled list with its preview and delayed commit; and the per-frame upkeep.
#pragma once
#include "theory/scale_rows.h"

// ---- state ----
extern const ScaleRow* gCurrentScale;   // the applied scale; Ionian at start, never null once validated
extern const ScaleRow* gPickedScale;    // the last picked scale; null means gCurrentScale
extern int gKeyRoot;                    // tonic pitch class 0..11
extern int gRingPos;                    // selected ring position 0..11, -1 for none
extern int gSelectedModeIndex;          // church-mode index of the picked scale, -1 for other rows
extern int gCurrentScaleIndex;          // catalogue index of gCurrentScale (0 when not found)
extern double gScaleSelectTime;         // GetAppSeconds at the last selection call
extern bool gScaleDiagramDirty;         // the picked scale or ring position changed
extern bool gScaleListMode;             // the seven slots show the filtered list, not the modes
extern float gScaleListScroll;          // shown scroll position of the list, in rows
extern float gScaleListScrollTarget;    // scroll position the list eases towards
extern int gPendingScaleRow;            // visible position of a previewed row, -1 for none
extern double gPendingScaleCommitTime;  // GetAppSeconds time of the pending commit; 0 when none
extern bool gRingPickActive;            // a key picked on the circle waits to be applied
extern int gRingPickPos;                // its ring position, -1 for none
extern const ScaleRow* gRingPickScale;  // the scale current when it was picked, or null
extern int gRingPickModeIndex;          // that scale's church-mode index, -1 for none
extern double gRingPickTime;            // GetAppSeconds time at which it is applied

// Seconds between a list preview and its commit.
constexpr float kScaleCommitDelay = 0.14f;
// Seconds between a key picked on the circle and its selection.
constexpr float kRingPickDelay = 0.06f;

// The selection primitive: an unusable row falls back to gCurrentScale, then Ionian; ringPos is
// clamped to -1..11; with apply the row becomes current and a ring position sets the key.
void SelectScale(const ScaleRow* row, int ringPos, bool apply);
// Church mode 0..6 (or -1: gCurrentScale again) at a ring position, always applied.
void SelectModeByIndex(int modeIndex, int ringPos);
// Re-selects the current scale at the ring position of gKeyRoot.
void ApplyCurrentKey();
// Puts the time of the last selection back to one read before a selection that only follows on
// from what was shown (a song's key when the playlist steps), so the board does not take it for a
// new pick and fade its preview out and in again.
void RestoreScaleSelectTime(double time);
// Moves the selection by items (no wrap) and keys (wrapping round the circle); the items are the
// filtered list's rows while one shows it (the board's list mode or the learning overlay's list),
// else the church modes. False when both deltas are 0 or the target is out of range.
bool StepScaleSelection(int itemDelta, int keyDelta);
// Makes the selection valid; every frame and on a filter change.
void ValidateCurrentScale();
// gCurrentScaleIndex := catalogue index of gCurrentScale, 0 when absent.
void UpdateCurrentScaleIndex();
// Puts the scale list at the current scale and drops any pending preview.
void SyncScaleListSelection();
// Scrolls the list; with select previews the row under it and schedules its commit.
void SetScaleListScroll(float pos, bool snap, bool select);
// Applies a previewed row once its commit time has come (or at once with force).
void CommitPendingScaleRow(bool force);
// Eases gScaleListScroll towards its target by clamp(rate * dt, 0, 1), snapping when close.
void EaseScaleListScroll(float dt, float rate);

// The seven-slot window.
float ScaleWindowPosition();                      // first shown visible position (fractional)
float ScaleWindowFraction();                      // its fractional part
int ScaleWindowStep();                            // its integer part, at least 0
int ScaleWindowItemIndex(int slot);               // catalogue index in a slot, -1 for none
const ScaleRow* ScaleWindowItemScale(int slot);   // the row in a slot, null for none
int ScaleWindowSlotOf(const ScaleRow* row);       // slot of a row, -1 when not shown

// While the song view and wait mode are on, applies the picked scale at the selected ring position
// (the key follows); leaving the song view switches wait mode off.
void ReapplyScaleSelection();
// Applies a key picked on the circle once its time has come, then forgets the pick.
void ApplyDeferredKeyPick(double now);

// ---- the scale list under the pointer ----
extern bool gScaleListDragging;    // the user drags the scale list
extern float gListHoldFade;        // eased by the frame towards 1 while the list is dragged or held

// Ring position of gRingPos when 0..11, else of gKeyRoot (0 when absent).
int SelectedOrKeyRingPos();
// Resets every selection global to its start value (start-up state; also used by tests).
void ResetScaleSelection();
