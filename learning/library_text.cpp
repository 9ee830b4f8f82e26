// learning/library_text: entity decoding, key names and the rank tables.
#include "learning/library_text.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <unordered_map>

// ---- constants ----
const char* const kFormNames[26] = {
    "Prelude", "Fugue", "Prelude & Fugue", "Invention", "Sonata", "Sonatina", "Variations",
    "Rondo", "Toccata", "Etude", "Nocturne", "Waltz", "Mazurka", "Dance Suite", "Dance",
    "Character Piece", "Bagatelle", "Romance", "Intermezzo", "Song Without Words", "Ballade",
    "Impromptu", "Scherzo", "Rag", "Chorale", "Melody"};

static const char* const kEraNames[] = {"Baroque", "Classical", "Romantic", "Late Romantic",
                                        "Impressionist / Early Modern", "Modern Public Domain", "Traditional"};
static const char* const kStudyGroups[] = {"Counterpoint & Voice Leading", "Harmony & Modulation",
                                           "Harmonic & Technical Study", "Form & Large-Scale Structure",
                                           "Voicing & Texture"};

// Named entities: replacement, then the names that give it.
struct EntityGroup {
  const char* replacement;
  const char* names[7];
};
static const EntityGroup kEntityGroups[] = {
    {"&", {"amp"}}, {"<", {"lt"}}, {">", {"gt"}}, {"\"", {"quot", "ldquo", "rdquo"}},
    {"'", {"apos", "lsquo", "rsquo"}}, {" ", {"nbsp"}}, {"-", {"ndash"}}, {" - ", {"mdash"}},
    {"...", {"hellip"}},
    {"A", {"Agrave", "Aacute", "Acirc", "Atilde", "Auml", "Aring"}}, {"AE", {"AElig"}},
    {"C", {"Ccedil"}}, {"E", {"Egrave", "Eacute", "Ecirc", "Euml"}},
    {"I", {"Igrave", "Iacute", "Icirc", "Iuml"}}, {"N", {"Ntilde"}},
    {"O", {"Ograve", "Oacute", "Ocirc", "Otilde", "Ouml", "Oslash"}},
    {"U", {"Ugrave", "Uacute", "Ucirc", "Uuml"}}, {"Y", {"Yacute"}}, {"ss", {"szlig"}},
    {"a", {"agrave", "aacute", "acirc", "atilde", "auml", "aring"}}, {"ae", {"aelig"}},
    {"c", {"ccedil"}}, {"e", {"egrave", "eacute", "ecirc", "euml"}},
    {"i", {"igrave", "iacute", "icirc", "iuml"}}, {"n", {"ntilde"}},
    {"o", {"ograve", "oacute", "ocirc", "otilde", "ouml", "oslash"}},
    {"u", {"ugrave", "uacute", "ucirc", "uuml"}}, {"y", {"yacute", "yuml"}},
};

// ---- internal helpers ----
static const std::unordered_map<std::string, std::string>& EntityTable() {
  static const std::unordered_map<std::string, std::string> table = [] {
    std::unordered_map<std::string, std::string> t;
    for (const EntityGroup& g : kEntityGroups)
      for (const char* name : g.names)
        if (name) t[name] = g.replacement;
    return t;
  }();
  return table;
}

static std::string DecodeEntities(const std::string& text) {
  if (text.find('&') == std::string::npos) return text;
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (text[i] == '&') {
      size_t semi = text.find(';', i + 1);
      if (semi != std::string::npos && semi - i <= 12) {
        std::string name = text.substr(i + 1, semi - i - 1);
        if (!name.empty() && name[0] == '#') {
          bool hex = name.size() > 1 && (name[1] == 'x' || name[1] == 'X');
          long value = std::strtol(name.c_str() + (hex ? 2 : 1), nullptr, hex ? 16 : 10);
          out += AsciiForCodePoint(value > 0x10FFFF || value < 0 ? -1 : (int)value);
          i = semi + 1;
          continue;
        }
        auto found = EntityTable().find(name);
        if (found != EntityTable().end()) {
          out += found->second;
          i = semi + 1;
          continue;
        }
      }
    }
    out += text[i++];
  }
  return out;
}

static std::string DecodeNonAscii(const std::string& text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    unsigned char c = (unsigned char)text[i];
    if (c < 0x80) {
      out += (char)c;
      ++i;
      continue;
    }
    if (c == 0xE2 && i + 2 < text.size() && (unsigned char)text[i + 1] == 0x80) {
      unsigned char t = (unsigned char)text[i + 2];
      const char* mapped = nullptr;
      if (t == 0x93 || t == 0x94) mapped = " - ";
      if (t == 0x98 || t == 0x99) mapped = "'";
      if (t == 0x9C || t == 0x9D) mapped = "\"";
      if (mapped) {
        out += mapped;
        i += 3;
        continue;
      }
    }
    size_t length = 1;   // a stray continuation byte or an invalid lead goes alone
    if ((c & 0xE0) == 0xC0) length = 2;
    else if ((c & 0xF0) == 0xE0) length = 3;
    else if ((c & 0xF8) == 0xF0) length = 4;
    i += std::min(length, text.size() - i);
  }
  return out;
}

static int IndexIn(const char* const* names, size_t count, const std::string& text, int absent) {
  for (size_t i = 0; i < count; ++i)
    if (text == names[i]) return (int)i;
  return absent;
}

// ---- public functions ----
std::string DecodeHtmlEntities(const std::string& text) {
  std::string ascii = DecodeNonAscii(DecodeEntities(text));
  std::string out;
  for (char c : ascii)
    if (!(c == ' ' && !out.empty() && out.back() == ' ')) out += c;
  while (!out.empty() && (out.back() == ' ' || out.back() == '-')) out.pop_back();
  return out;
}

std::string AsciiForCodePoint(int n) {
  switch (n) {
    case 8211: return "-";
    case 8212: return " - ";
    case 8216: case 8217: case 8242: return "'";
    case 8220: case 8221: return "\"";
    case 8230: return "...";
    default: break;
  }
  if (n >= 32 && n <= 126) return std::string(1, (char)n);
  return "";
}

int NoteLetterPitchClass(const std::string& text) {
  if (text.empty()) return 12;
  static const int kLetters[7] = {9, 11, 0, 2, 4, 5, 7};   // A .. G
  int letter = std::toupper((unsigned char)text[0]);
  if (letter < 'A' || letter > 'G') return 12;
  int pc = kLetters[letter - 'A'];
  if (text.size() >= 2) {
    char accidental = text[1];
    if (accidental == '#' || accidental == 's') pc += 1;
    if (accidental == 'b' || accidental == 'f') pc += 11;
  }
  return pc % 12;
}

int ParseKeyPitchClass(const std::string& text, size_t pos) {
  while (pos < text.size() && std::isspace((unsigned char)text[pos])) ++pos;
  if (pos >= text.size()) return 12;
  int pc = NoteLetterPitchClass(text.substr(pos, 2));
  if (pc == 12) return 12;
  std::string rest = AsciiLowerCopy(text.substr(pos));
  if (rest.size() >= 2 && rest[1] != '#' && rest[1] != 'b') {
    std::string after = rest.substr(1);
    if (after.rfind("-flat", 0) == 0 || after.rfind(" flat", 0) == 0) pc = (pc + 11) % 12;
    else if (after.rfind("-sharp", 0) == 0 || after.rfind(" sharp", 0) == 0) pc = (pc + 1) % 12;
  }
  return pc;
}

int EraIndex(const std::string& era) { return IndexIn(kEraNames, 7, era, 99); }
int FormIndex(const std::string& form) { return IndexIn(kFormNames, 26, form, 99); }
int RepertoireCategoryIndex(const std::string& group) { return IndexIn(kStudyGroups, 5, group, 5); }

std::string AsciiLowerCopy(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
  return out;
}
