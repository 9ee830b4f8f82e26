// app/key_commands: what the window procedure does with keys and typed characters.
//
// Open prompts, the start screen and the focused text entries take the keys first; then come
// Escape, the MIDI reset, the start key of an armed practice run and the command table.
#pragma once
#include <cstdint>

// ---- the arrow keys' step modes (gArrowStepMode, F3..F11 give 0..8) ----
constexpr int kArrowStepFine = 3;   // Up and Down move the theme level by 0.01 (0.05 with Shift)

// ---- state ----
extern int gArrowStepMode;   // chosen with F3..F11

// A key press (kMsgKeyDown and kMsgSysKeyDown alike); lParam as the message carries it.
void HandleKeyCommand(int virtualKey, int64_t lParam);
// One character typed, for the focused text entry.
void HandleCharInput(uint32_t character);
// Step mode 0.
void ResetKeyCommands();
