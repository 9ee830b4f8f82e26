// app/pending: shell services the frame and the window procedure already call whose bodies come
// with later work (the circle view, key commands, mouse routing and character
// input).
#pragma once
#include <cstdint>

#include "app/chord_recogniser.h"


// The circle view: glow feed, sectors, bands, labels, key marker, chord history, pattern list and
// the orb's parameter record.
void DrawCircleView(float dt, float now);
// Key commands (kMsgKeyDown and kMsgSysKeyDown alike).
void HandleKeyCommand(int virtualKey, int64_t lParam);
// One character typed.
void HandleCharInput(uint32_t character);
// Mouse routing; points in client pixels.
void HandleMouseMove(int x, int y, uint64_t flags);
void HandleLeftButtonDown(int x, int y, uint64_t flags);
void HandleLeftButtonUp(int x, int y, uint64_t flags);
void HandleLeftDoubleClick(int x, int y, uint64_t flags);
void HandleRightButtonDown(int x, int y, uint64_t flags);
void HandleMouseWheel(int delta, int x, int y, uint64_t flags);
