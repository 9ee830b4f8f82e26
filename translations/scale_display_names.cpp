// translations/scale_display_names: the catalogue's display names.
#include "translations/scale_display_names.h"

const char* const kScaleDisplayNames[kScaleDisplayNameCount] = {
    "Ionian", "Dorian", "Phrygian", "Lydian", "Mixolydian",
    "Aeolian", "Locrian", "Melodic Minor", "Harmonic Minor", "Harmonic Major",
    "Major Pentatonic", "Minor Pentatonic", "Chinese", "Egyptian", "Hirajoshi",
    "Iwato", "In-Sen", "Yo", "Major Blues", "Minor Blues",
    "Mixo-Blues", "Major Bebop", "Minor Bebop", "Diminished", "Octatonic H-W",
    "Dominant Diminished", "Diminished Blues", "Whole Tone", "Augmented", "Nine Tone",
    "Prometheus", "Lydian Augmented", "Lydian Dominant", "Super Locrian", "Oriental",
    "Spanish Gypsy", "Byzantine", "Arabic", "Algerian", "Hungarian Major",
    "Hungarian Minor", "Romanian Minor", "Neapolitan Major", "Neapolitan Minor", "Enigmatic Major",
    "Enigmatic Minor", "Hindu", "Indian Ascending", "Indian Descending", "Hawaiian",
    "Balinese", "Iberian", "Eight Tone Spanish", "Mi Sheberach", "Maqams",
};

bool IsScaleDisplayName(const std::string& text) {
  for (const char* name : kScaleDisplayNames)
    if (text == name) return true;
  return false;
}
