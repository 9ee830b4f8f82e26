// learning/library_text: the text rules of the lesson library: the reduction of descriptive
// columns to plain ASCII, key names and the ranking tables of eras, forms and study groups.
#pragma once
#include <string>

extern const char* const kFormNames[26];   // form names in rank order, "Prelude" .. "Melody"

// Entities, typographic quotes and dashes turned into ASCII, other non-ASCII dropped, runs of
// spaces collapsed, trailing spaces and hyphens removed.
std::string DecodeHtmlEntities(const std::string& text);
// The ASCII stand-in of a code point from a numeric entity; "" when there is none.
std::string AsciiForCodePoint(int codePoint);
// Pitch class of a key name by its first two characters ("Bb" 10, "Cs" 1, "Cb" 11); 12 for none.
int NoteLetterPitchClass(const std::string& text);
// The key named at pos (after blanks), with "-flat", " flat", "-sharp" or " sharp" after the
// letter; 12 for none.
int ParseKeyPitchClass(const std::string& text, size_t pos);
// Rank of an era, a form and a study group; unknown names rank last (99, 99, 5).
int EraIndex(const std::string& era);
int FormIndex(const std::string& form);
int RepertoireCategoryIndex(const std::string& group);
// A copy with A..Z lowered.
std::string AsciiLowerCopy(const std::string& text);
