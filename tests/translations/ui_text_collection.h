// The UI texts of the program: every English text its sources hand to the translation call,
// directly or through the drawing calls and the helpers that pass a text on to them, found by
// reading the sources; plus the lesson library's texts that reach the call at run time and the
// catalogue's scale names.
#pragma once
#include <string>
#include <vector>

struct UiText {
  std::string text;       // as the program hands it over (a template keeps its conversions)
  bool isTemplate = false;  // formatted by TrF after translation
  bool hasTail = false;     // joined to a run-time value with "+": the line shown is not this text
  std::string where;      // the first place it is handed over: "file:line", or what it is
};

// The texts in the sources under root (tests, benchmarks, platform and build folders left out),
// in the library folder's index and plan when given, and the scale names; sorted by text, one
// entry per text.
std::vector<UiText> CollectUiTexts(const std::string& root, const std::string& libraryFolder);

// The functions found to hand one of their text parameters on to the translation call (for a
// test of the collection itself).
std::vector<std::string> CollectTextHelpers(const std::string& root);

// A place where a text meant for translation meets suppressed translation, so it shows in English.
struct UntranslatedShow {
  std::string where;  // "file:line"
  std::string what;   // the function called, or the text handed over
  bool isCall = false;  // a call that translates under suppression, rather than a text drawn as it stands
};

// The places, in the sources under root: a call, under suppression, of the translation call or of a
// function that translates a text of its own (not only one handed to it); a literal or table text
// with words handed untranslated to a drawing call or helper that draws it as it stands; and one
// stored untranslated in a global that such a call draws (directly, through a function that stores
// its parameter there, or returned by a function).
std::vector<UntranslatedShow> FindTextsShownUntranslated(const std::string& root);

// True when the text holds a word of two letters or more outside its printf conversions.
bool HasWords(const std::string& text);
