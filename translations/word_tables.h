// translations/word_tables: the built-in word table and localised scale names behind the
// translation call. Pure functions over constant tables compiled in from the data files of this
// folder: no files, no state, no threads.
#pragma once
#include <initializer_list>
#include <string>

// The localised display name of a catalogue scale; "en", or a name outside the catalogue, gives
// the name unchanged.
std::string LocalizeScaleName(const std::string& name, const std::string& code);
// One capitalised English word in that language (UTF-8); a word without a translation comes back
// byte for byte, which is how the caller counts it as untranslated.
std::string TranslateWord(const std::string& code, const std::string& word);
// True when the code is one of the codes.
bool IsLangInList(const std::string& code, std::initializer_list<const char*> codes);
// Ends a pending word of a scale name: appends TranslateWord of it to out and empties it.
void FlushScaleNameWord(std::string& word, const std::string& code, std::string& out);
