// make_word_tables: the build step that turns the translation data files into constant tables.
//
//   make_word_tables <output.cpp> <scale_names.tsv> <words_*.tsv ...>
//
// Every file is UTF-8 text: a header row, then one row per English key; cells are separated by one
// TAB; the header names the key column and then one language code per column; an empty cell means
// no value. Lines that begin with "#" are comments. The word files together must give each of the
// 24 codes one column, and a key may stand in several of them (each adds its own columns).
//
// The program fails (exit 1, "file:line: reason" on stderr, no output written) on a row with the
// wrong number of cells, a control character (a stray carriage return, a line break) in a cell,
// invalid UTF-8, an empty or repeated key, or an unknown or repeated language code, so a broken
// data file can never reach the program.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

// ---- constants ----

// The column order of the generated rows (translations/table_data.h).
const char* const kCodes[] = {"es", "fr", "de", "it", "pt", "nl", "sv", "da", "no", "fi", "pl", "cs",
                              "hu", "ro", "tr", "id", "vi", "ru", "uk", "ja", "ko", "zh", "ar", "hi"};
constexpr int kCodeCount = int(sizeof kCodes / sizeof kCodes[0]);

using Row = std::vector<std::string>;  // one value per code; "" is no value

// ---- reading ----

struct Problem {
  std::string text;
};

[[noreturn]] void Fail(const std::string& file, int line, const std::string& why) {
  throw Problem{file + ":" + std::to_string(line) + ": " + why};
}

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsValidUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    int extra = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || s.size() - i <= size_t(extra)) return false;
    uint32_t cp = extra == 0 ? c : c & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      unsigned char t = static_cast<unsigned char>(s[i + size_t(k)]);
      if ((t & 0xC0) != 0x80) return false;
      cp = (cp << 6) | (t & 0x3F);
    }
    const uint32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (cp < least[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
    i += size_t(extra) + 1;
  }
  return true;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> cells(1);
  for (char c : line) {
    if (c == '\t')
      cells.emplace_back();
    else
      cells.back() += c;
  }
  return cells;
}

// Reads one data file into rows keyed by English text (in file order in `order`); `columns` gets
// the code index of each value column. `seenCodes` guards against a code given twice.
void ReadTable(const std::string& file, const char* keyHeader, std::vector<int>& columns,
               std::map<std::string, Row>& rows, std::vector<std::string>& order, std::vector<bool>& seenCodes) {
  std::ifstream in(file, std::ios::binary);
  if (!in) Fail(file, 0, "cannot be read");
  std::string line;
  int number = 0;
  bool header = true;
  std::map<std::string, bool> keysHere;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line[0] == '#') continue;
    if (!IsValidUtf8(line)) Fail(file, number, "not valid UTF-8");
    for (char c : line)
      if (static_cast<unsigned char>(c) < 0x20 && c != '\t') Fail(file, number, "a control character or line break in a cell");
    std::vector<std::string> cells = SplitTabs(line);
    if (header) {
      if (cells[0] != keyHeader) Fail(file, number, std::string("the header must begin with \"") + keyHeader + "\"");
      for (size_t k = 1; k < cells.size(); ++k) {
        int code = int(std::find(kCodes, kCodes + kCodeCount, cells[k]) - kCodes);
        if (code == kCodeCount) Fail(file, number, "unknown language code \"" + cells[k] + "\"");
        if (seenCodes[size_t(code)]) Fail(file, number, "language code \"" + cells[k] + "\" given twice");
        seenCodes[size_t(code)] = true;
        columns.push_back(code);
      }
      header = false;
      continue;
    }
    if (cells.size() != columns.size() + 1)
      Fail(file, number, std::to_string(cells.size()) + " cells where the header has " + std::to_string(columns.size() + 1));
    const std::string& key = cells[0];
    if (key.empty()) Fail(file, number, "empty key");
    if (keysHere[key]) Fail(file, number, "key \"" + key + "\" repeated");
    keysHere[key] = true;
    Row& row = rows[key];
    if (row.empty()) {
      row.assign(kCodeCount, "");
      order.push_back(key);
    }
    for (size_t k = 0; k < columns.size(); ++k) row[size_t(columns[k])] = cells[k + 1];
  }
  if (header) Fail(file, number, "no header row");
}

// ---- writing ----

std::string Literal(const std::string& s) {
  if (s.empty()) return "nullptr";
  std::string out = "\"";
  for (char c : s) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

void WriteRows(std::ostream& out, const char* name, const std::map<std::string, Row>& rows,
               const std::vector<std::string>& order) {
  out << "const WordRow " << name << "[] = {\n";
  for (const std::string& key : order) {
    out << "    {" << Literal(key) << ", {";
    const Row& row = rows.at(key);
    for (int k = 0; k < kCodeCount; ++k) out << (k ? ", " : "") << Literal(row[size_t(k)]);
    out << "}},\n";
  }
  out << "};\n";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: make_word_tables <output.cpp> <scale_names.tsv> <words.tsv> ...\n");
    return 2;
  }
  std::map<std::string, Row> words, names;
  std::vector<std::string> wordOrder, nameOrder;
  try {
    std::vector<bool> nameCodes(kCodeCount, false), wordCodes(kCodeCount, false);
    std::vector<int> columns;
    ReadTable(argv[2], "name", columns, names, nameOrder, nameCodes);
    for (int i = 3; i < argc; ++i) {
      columns.clear();
      ReadTable(argv[i], "key", columns, words, wordOrder, wordCodes);
    }
    for (int k = 0; k < kCodeCount; ++k)
      if (!wordCodes[size_t(k)]) Fail(argv[3], 1, std::string("no word file has a column for \"") + kCodes[k] + "\"");
  } catch (const Problem& p) {
    std::fprintf(stderr, "%s\n", p.text.c_str());
    return 1;
  }
  std::sort(wordOrder.begin(), wordOrder.end());  // byte order, for the binary search

  std::ostringstream out;
  out << "// Generated by make_word_tables from translations/*.tsv; edit the data files, not this.\n"
      << "#include \"translations/table_data.h\"\n\n"
      << "const char* const kTableLanguageCodes[kTableLanguageCount] = {";
  for (int k = 0; k < kCodeCount; ++k) out << (k ? ", " : "") << Literal(kCodes[k]);
  out << "};\n\n";
  WriteRows(out, "kWordRows", words, wordOrder);
  out << "const int kWordRowCount = " << wordOrder.size() << ";\n\n";
  WriteRows(out, "kWholeScaleNames", names, nameOrder);
  out << "const int kWholeScaleNameCount = " << nameOrder.size() << ";\n";

  std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
  file << out.str();
  file.close();
  if (!file) {
    std::fprintf(stderr, "%s: cannot be written\n", argv[1]);
    return 1;
  }
  return 0;
}
