// classroom/json_text: the small JSON pieces the classroom requests need: escaping text into a
// body, and reading one value out of a reply by searching for its key.
//
// There is no JSON parser: replies are searched. Every reader is bounded by the text it is given,
// decodes the string escapes (\" \\ \/ \b \f \n \r \t and \uXXXX with surrogate pairs) into UTF-8,
// turns decoded control characters into a blank (a reply never puts a line break or a terminal
// control into a status line), and answers "" or -1 for a value of another type.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// True when text, blanks aside, is one {...}: a list reply that is anything else (an error page, a
// login page, nothing) must not be read as an empty list, which would wipe what was shown.
bool LooksLikeJsonObject(const std::string& text);

// text made safe to stand between double quotes in a JSON body.
std::string JsonEscape(const std::string& text);

// The string value of the first "key" in obj; "" when absent or not a string.
std::string JsonFieldString(const std::string& obj, const std::string& key);
// The integer value of the first "key" in obj; -1 when absent, not an integer or outside 32 bits
// (a stored -1 reads the same).
int JsonFieldInt(const std::string& obj, const std::string& key);
// The string value of the first "key" at or after start; "" when absent or not a string.
std::string JsonStringFrom(const std::string& text, const std::string& key, size_t start);

// The decoded string whose opening quote is at text[quote] (up to the closing quote or the end).
std::string JsonDecodeStringAt(const std::string& text, size_t quote);

// Half-open spans [begin, end) of text, each one whole {...} object.
struct JsonSpan {
  size_t begin = 0, end = 0;
};
// The objects that stand directly in the array whose "[" is at text[open], in order; nested
// objects stay inside their parent. Strings and their escapes are respected; an array that is
// cut short ends with the objects that closed.
std::vector<JsonSpan> JsonArrayObjects(const std::string& text, size_t open);
// Every {...} object of text up to 16 deep, in the order they open; one that is cut short, or
// nested deeper, is left out.
std::vector<JsonSpan> JsonAllObjects(const std::string& text);
// The string value of key among obj's own keys (not those of objects or arrays inside it); "" when
// absent or not a string. *present (when given) tells whether obj has the key at all.
std::string JsonOwnString(const std::string& text, JsonSpan obj, const std::string& key,
                          bool* present = nullptr);
