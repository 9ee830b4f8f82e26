// app/base/settings_file: the one-line settings files of the Data folder ("ui_language.txt",
// "midi_output_device.txt", "ring_mode.txt"): read by one rule; written whole through
// platform/file_replace like every other data file.
#pragma once
#include <string>

// The first line of the file (at most 4096 bytes of it), without an editor's UTF-8 byte-order mark
// and trimmed; "" when the file is missing, no regular file (never waited on) or over 64 KB.
std::string ReadSettingLine(const std::string& path);
