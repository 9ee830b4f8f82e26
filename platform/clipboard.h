// platform/clipboard: the system clipboard as UTF-8 text.
#pragma once
#include <string>

// Puts text on the clipboard; nothing for an empty text or when the clipboard is not available.
void ClipboardSetText(const std::string& text);
// The clipboard's text, UTF-8; "" when there is none or no clipboard.
std::string ClipboardGetText();

// Test seam: while on, the clipboard is a text in memory, so tests need no window system.
void ClipboardUseMemoryForTesting(bool on);
