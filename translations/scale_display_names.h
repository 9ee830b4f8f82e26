// translations/scale_display_names: the display names of the scale catalogue that the translation
// call hands to LocalizeScaleName instead of translating them itself. One list serves both.
#pragma once
#include <string>

enum { kScaleDisplayNameCount = 55 };

// The catalogue's display names in catalogue order; "Chromatic" is not one of them.
extern const char* const kScaleDisplayNames[kScaleDisplayNameCount];

// Exact, case-sensitive membership in kScaleDisplayNames.
bool IsScaleDisplayName(const std::string& text);
