// translations/word_tables: the built-in word table and localised scale names behind the
// translation call.
#pragma once
#include <string>

// The localised display name of a catalogue scale; "en", or a name outside the catalogue, gives
// the name unchanged.
std::string LocalizeScaleName(const std::string& name, const std::string& code);
// One capitalised English word in that language (UTF-8); a word without a translation comes back
// byte for byte, which is how the caller counts it as untranslated.
std::string TranslateWord(const std::string& code, const std::string& word);
