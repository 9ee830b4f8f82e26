// app/key_commands: what the window procedure does with keys and typed characters.
#pragma once
#include <cstdint>

// PENDING: key commands (kMsgKeyDown and kMsgSysKeyDown alike).
void HandleKeyCommand(int virtualKey, int64_t lParam);
// PENDING: one character typed, for the focused text entry.
void HandleCharInput(uint32_t character);
