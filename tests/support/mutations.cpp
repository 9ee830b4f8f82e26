// tests/support/mutations: the edits of MutateText.
#include "tests/support/mutations.h"

#include <cctype>

static const char* const kExtremeNumbers[] = {"2147483647", "-2147483648", "99999999999999999999", "-1",
                                              "1e39",       "-1e39",       "nan",                  "inf", "0x7f", ""};
static const char kSeparators[] = {'\t', '\n', '\r', '\0', '|', '=', '"', '\\'};

std::string MutateText(std::string s, std::mt19937& rng) {
  int edits = 1 + (int)(rng() % 4);
  for (int e = 0; e < edits && !s.empty(); ++e) {
    size_t at = rng() % s.size();
    switch (rng() % 9) {
      case 0: s[at] = (char)(rng() & 0xFF); break;
      case 1: s[at] ^= (char)(1u << (rng() % 8)); break;
      case 2: s.resize(at); break;
      case 3: s.erase(at, 1 + rng() % 6); break;
      case 4: s.insert(at, 1, (char)(rng() & 0xFF)); break;
      case 5: s.insert(at, 1, kSeparators[rng() % sizeof kSeparators]); break;
      case 6: s.insert(at, s.substr(rng() % s.size(), 1 + rng() % 40)); break;
      case 7: {  // a number in the text becomes an extreme one
        size_t digit = s.find_first_of("0123456789", at);
        if (digit == std::string::npos) break;
        size_t end = digit;
        while (end < s.size() && (isdigit((unsigned char)s[end]) || s[end] == '.')) ++end;
        s.replace(digit, end - digit, kExtremeNumbers[rng() % (sizeof kExtremeNumbers / sizeof *kExtremeNumbers)]);
        break;
      }
      case 8: {  // a whole line repeated many times
        size_t start = s.rfind('\n', at);
        start = start == std::string::npos ? 0 : start + 1;
        size_t end = s.find('\n', at);
        std::string line = s.substr(start, end == std::string::npos ? std::string::npos : end - start + 1);
        std::string many;
        for (int k = 0; k < 50; ++k) many += line;
        s.insert(start, many);
        break;
      }
    }
  }
  return s;
}
