// Reads the sources as tokens, not as C++: good enough to follow a text from a literal to the
// translation call through calls, constants, globals and local variables, which is all the
// program does with its UI texts. A helper is any function that hands one of its text parameters
// on to the call (or to another helper); helpers are found to a fixed point, so a new drawing
// helper needs no entry here. Code under ScopedTrSuppress draws text as it stands and is passed by.
#include "tests/translations/ui_text_collection.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "translations/scale_display_names.h"

namespace {

namespace fs = std::filesystem;

enum class Kind { kIdent, kString, kNumber, kPunct };

struct Token {
  Kind kind;
  std::string text;
  int line;
};

struct Source {
  std::string path;  // relative to the root
  std::vector<Token> tokens;
  std::vector<bool> suppressed;  // the token lies where Tr answers its input
};

struct Function {
  std::string name;
  std::vector<std::pair<int, std::string>> textParams;  // index and name of each text parameter
  size_t file = 0, header = 0, bodyBegin = 0, bodyEnd = 0;  // token positions: name, "{", "}"
};

bool IsIdentStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// One escape after a backslash at s[i] (s[i] is the character after it); i ends on its last char.
void AppendEscape(const std::string& s, size_t& i, std::string& out) {
  char e = s[i];
  switch (e) {
    case 'n': out += '\n'; return;
    case 't': out += '\t'; return;
    case 'r': out += '\r'; return;
    case '0': out += '\0'; return;
    case 'x': {
      int v = 0;
      while (i + 1 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1]))) {
        char h = s[++i];
        v = v * 16 + (std::isdigit(static_cast<unsigned char>(h)) ? h - '0' : (std::tolower(h) - 'a' + 10));
      }
      out += char(v);
      return;
    }
    default: out += e; return;
  }
}

std::vector<Token> Tokenize(const std::string& s) {
  static const char* const kPairs[] = {"::", "->", "==", "!=", "+=", "-=", "<=", ">=", "&&", "||", "++", "--"};
  std::vector<Token> tokens;
  int line = 1;
  bool lineStart = true;
  for (size_t i = 0; i < s.size(); ++i) {
    char c = s[i];
    if (c == '\n') {
      ++line;
      lineStart = true;
      continue;
    }
    if (std::isspace(static_cast<unsigned char>(c))) continue;
    if (c == '#' && lineStart) {  // a preprocessor line, with its continuations
      while (i < s.size() && s[i] != '\n') {
        if (s[i] == '\\' && i + 1 < s.size() && s[i + 1] == '\n') ++line, ++i;
        ++i;
      }
      --i;
      continue;
    }
    lineStart = false;
    if (s.compare(i, 2, "//") == 0) {
      i = s.find('\n', i);
      if (i == std::string::npos) break;
      --i;
      continue;
    }
    if (s.compare(i, 2, "/*") == 0) {
      size_t end = s.find("*/", i + 2);
      if (end == std::string::npos) break;
      line += int(std::count(s.begin() + long(i), s.begin() + long(end), '\n'));
      i = end + 1;
      continue;
    }
    if (c == '\'') {
      for (++i; i < s.size() && s[i] != '\''; ++i)
        if (s[i] == '\\') ++i;
      continue;
    }
    if (c == '"' || (c == 'R' && i + 1 < s.size() && s[i + 1] == '"')) {
      std::string text;
      int at = line;
      if (c == 'R') {  // R"delim( ... )delim"
        size_t open = s.find('(', i + 2);
        std::string close = ")" + s.substr(i + 2, open - i - 2) + "\"";
        size_t end = s.find(close, open);
        text = s.substr(open + 1, end - open - 1);
        line += int(std::count(text.begin(), text.end(), '\n'));
        i = end + close.size() - 1;
      } else {
        for (++i; i < s.size() && s[i] != '"'; ++i) {
          if (s[i] == '\\') {
            ++i;
            AppendEscape(s, i, text);
          } else {
            text += s[i];
          }
        }
      }
      if (!tokens.empty() && tokens.back().kind == Kind::kString) {
        tokens.back().text += text;  // adjacent literals are one
      } else {
        tokens.push_back({Kind::kString, text, at});
      }
      continue;
    }
    if (IsIdentStart(c)) {
      size_t end = i;
      while (end < s.size() && IsIdentChar(s[end])) ++end;
      std::string word = s.substr(i, end - i);
      if ((word == "u8" || word == "L" || word == "u" || word == "U") && end < s.size() && s[end] == '"') {
        continue;  // a prefix: the literal follows
      }
      tokens.push_back({Kind::kIdent, word, line});
      i = end - 1;
      continue;
    }
    if (std::isdigit(static_cast<unsigned char>(c))) {
      size_t end = i;
      while (end < s.size() && (IsIdentChar(s[end]) || s[end] == '.' || s[end] == '\'')) ++end;
      tokens.push_back({Kind::kNumber, s.substr(i, end - i), line});
      i = end - 1;
      continue;
    }
    std::string punct(1, c);
    for (const char* pair : kPairs)
      if (s.compare(i, 2, pair) == 0) punct = pair;
    tokens.push_back({Kind::kPunct, punct, line});
    i += punct.size() - 1;
  }
  return tokens;
}

// Where Tr answers its input: from a ScopedTrSuppress to the end of its block, and from
// PushTrSuppress to PopTrSuppress.
std::vector<bool> SuppressedTokens(const std::vector<Token>& t) {
  std::vector<bool> out(t.size(), false);
  std::vector<int> until;  // brace depths at which a suppression ends
  int depth = 0, pushed = 0;
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i].kind == Kind::kPunct && t[i].text == "{") ++depth;
    if (t[i].kind == Kind::kPunct && t[i].text == "}") {
      --depth;
      while (!until.empty() && until.back() > depth) until.pop_back();
    }
    if (t[i].kind == Kind::kIdent && t[i].text == "ScopedTrSuppress" && i + 1 < t.size() && t[i + 1].kind == Kind::kIdent)
      until.push_back(depth);
    if (t[i].kind == Kind::kIdent && t[i].text == "PushTrSuppress") ++pushed;
    if (t[i].kind == Kind::kIdent && t[i].text == "PopTrSuppress") pushed = std::max(0, pushed - 1);
    out[i] = !until.empty() || pushed > 0;
  }
  return out;
}

bool Is(const Token& t, const char* text) { return t.text == text && t.kind != Kind::kString; }

// The position of the bracket closing the one at open; t.size() when there is none.
size_t Matching(const std::vector<Token>& t, size_t open) {
  const std::string& o = t[open].text;
  std::string c = o == "(" ? ")" : o == "{" ? "}" : "]";
  int depth = 0;
  for (size_t i = open; i < t.size(); ++i) {
    if (t[i].kind != Kind::kPunct) continue;
    if (t[i].text == o) ++depth;
    if (t[i].text == c && --depth == 0) return i;
  }
  return t.size();
}

// The position of the bracket opening the one closing at close; 0 when there is none.
size_t Opening(const std::vector<Token>& t, size_t close) {
  const std::string& c = t[close].text;
  std::string o = c == ")" ? "(" : c == "}" ? "{" : "[";
  int depth = 0;
  for (size_t i = close + 1; i-- > 0;) {
    if (t[i].kind != Kind::kPunct) continue;
    if (t[i].text == c) ++depth;
    if (t[i].text == o && --depth == 0) return i;
  }
  return 0;
}

// Splits [begin, end) at the commas outside brackets; angle brackets count only in declarations.
std::vector<std::pair<size_t, size_t>> SplitArguments(const std::vector<Token>& t, size_t begin, size_t end, bool angles) {
  std::vector<std::pair<size_t, size_t>> parts;
  int depth = 0;
  size_t start = begin;
  for (size_t i = begin; i < end; ++i) {
    const std::string& x = t[i].text;
    if (t[i].kind != Kind::kPunct) continue;
    if (x == "(" || x == "{" || x == "[" || (angles && x == "<")) ++depth;
    if (x == ")" || x == "}" || x == "]" || (angles && x == ">")) --depth;
    if (x == "," && depth == 0) {
      parts.push_back({start, i});
      start = i + 1;
    }
  }
  if (start < end || !parts.empty()) parts.push_back({start, end});
  return parts;
}

const std::set<std::string>& Keywords() {
  static const std::set<std::string> k = {"if", "for", "while", "switch", "catch", "return", "sizeof", "decltype",
                                          "alignof", "static_assert", "defined", "TEST", "TEST_F", "TEST_P"};
  return k;
}

class Collector {
 public:
  explicit Collector(const std::string& root) : root_(root) {
    const std::set<std::string> skipped = {"tests", "bench", "platform", ".git", "generator"};
    std::vector<std::string> paths;
    for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
      std::string leaf = it->path().filename().string(), ext = it->path().extension().string();
      if (it->is_directory() && (skipped.count(leaf) || leaf.rfind("build", 0) == 0 || leaf[0] == '.'))
        it.disable_recursion_pending();
      if (it->is_regular_file() && (ext == ".cpp" || ext == ".h")) paths.push_back(it->path().string());
    }
    std::sort(paths.begin(), paths.end());
    for (const std::string& p : paths) {
      Source src;
      src.path = fs::relative(p, root).string();
      src.tokens = Tokenize(ReadAll(p));
      src.suppressed = SuppressedTokens(src.tokens);
      sources_.push_back(std::move(src));
    }
    for (size_t f = 0; f < sources_.size(); ++f) FindDefinitions(f);
    FindHelpers();
  }

  std::vector<std::string> Helpers() const {
    std::vector<std::string> out;
    for (const auto& [name, params] : sinks_)
      if (!kBaseSinks().count(name)) out.push_back(name);
    return out;
  }

  std::vector<UntranslatedShow> Untranslated() {
    FindProducers();
    FindShownHelpers();
    std::vector<UntranslatedShow> out;
    for (size_t f = 0; f < sources_.size(); ++f) {
      const std::vector<Token>& t = sources_[f].tokens;
      for (size_t i = 0; i + 1 < t.size(); ++i) {
        if (t[i].kind != Kind::kIdent || !Is(t[i + 1], "(") || headers_.count({f, i})) continue;
        if (i > 0 && (Is(t[i - 1], ".") || Is(t[i - 1], "->"))) continue;
        const std::string where = sources_[f].path + ":" + std::to_string(t[i].line);
        const bool suppressed = sources_[f].suppressed[i];
        if (suppressed && producers_.count(t[i].text)) out.push_back({where, t[i].text, true});
        // The text arguments drawn as they stand: a shown helper's anywhere, any sink's under suppression.
        std::set<int> shown;
        if (shownHelpers_.count(t[i].text)) shown = shownHelpers_[t[i].text];
        if (suppressed && sinks_.count(t[i].text) && !kTranslating().count(t[i].text) && t[i].text != "TrLater") {
          const std::set<int>& more = sinks_[t[i].text];
          shown.insert(more.begin(), more.end());
        }
        if (shown.empty()) continue;
        size_t close = Matching(t, i + 1);
        auto args = SplitArguments(t, i + 2, close, false);
        for (int index : shown)
          if (index < int(args.size())) {
            for (const std::string& text : PlainTexts(f, args[size_t(index)].first, args[size_t(index)].second))
              out.push_back({where, text, false});
            GlobalsReached(f, args[size_t(index)].first, args[size_t(index)].second, 0);
          }
      }
    }
    // A global drawn as it stands must be given its text translated: every literal stored in it,
    // directly or through a function that stores its parameter there, shows in English.
    for (const auto& [global, handled] : shownGlobals_)
      for (const auto& [file, range] : globals_[global]) {
        if (sources_[file].suppressed[range.first]) continue;
        const std::vector<Token>& t = sources_[file].tokens;
        const std::string where = sources_[file].path + ":" + std::to_string(t[range.first].line);
        for (const std::string& text : StoredTexts(file, range.first, range.second, 0))
          if (!handled.count(text)) out.push_back({where, text, false});
        const Function* fn = EnclosingFunction(file, range.first);
        if (!fn || range.second != range.first + 1 || !IsTextParam(*fn, t[range.first].text)) continue;
        int param = 0;
        for (const auto& [p, name] : fn->textParams)
          if (name == t[range.first].text) param = p;
        for (const auto& [callWhere, text] : ArgumentTexts(fn->name, param))
          if (!handled.count(text)) out.push_back({callWhere, text, false});
      }
    return out;
  }

  // The literals with words an expression gives as they stand: its own, those of a string made of
  // them, and those the functions it calls return so (a translation call's are translated).
  std::vector<std::string> StoredTexts(size_t f, size_t begin, size_t end, int depth) {
    std::vector<std::string> out = PlainTexts(f, begin, end);
    if (depth > 3) return out;
    const std::vector<Token>& t = sources_[f].tokens;
    for (size_t i = begin; i + 1 < end; ++i) {
      if (t[i].kind != Kind::kIdent || !Is(t[i + 1], "(") || (i > begin && (Is(t[i - 1], ".") || Is(t[i - 1], "->"))))
        continue;
      const size_t close = Matching(t, i + 1);
      std::vector<std::string> more;
      if (t[i].text == "string") {
        more = StoredTexts(f, i + 2, close, depth + 1);
      } else if (!kTranslating().count(t[i].text)) {
        for (const Function& fn : functions_) {
          if (fn.name != t[i].text) continue;
          const std::vector<Token>& body = sources_[fn.file].tokens;
          for (size_t k = fn.bodyBegin; k < fn.bodyEnd; ++k)
            if (body[k].kind == Kind::kIdent && body[k].text == "return" && !sources_[fn.file].suppressed[k])
              for (const std::string& text : StoredTexts(fn.file, k + 1, StatementEnd(body, k + 1), depth + 1))
                more.push_back(text);
        }
      }
      out.insert(out.end(), more.begin(), more.end());
      i = close;
    }
    return out;
  }

  // The literals with words that the calls of a function hand over as its parameter number param.
  std::vector<std::pair<std::string, std::string>> ArgumentTexts(const std::string& name, int param) {
    std::vector<std::pair<std::string, std::string>> out;
    for (size_t f = 0; f < sources_.size(); ++f) {
      const std::vector<Token>& t = sources_[f].tokens;
      for (size_t i = 0; i + 1 < t.size(); ++i) {
        if (t[i].kind != Kind::kIdent || t[i].text != name || !Is(t[i + 1], "(") || headers_.count({f, i})) continue;
        auto args = SplitArguments(t, i + 2, Matching(t, i + 1), false);
        if (param < int(args.size()))
          for (const std::string& text : PlainTexts(f, args[size_t(param)].first, args[size_t(param)].second))
            out.push_back({sources_[f].path + ":" + std::to_string(t[i].line), text});
      }
    }
    return out;
  }

  // The globals whose text an expression hands over as it stands: named in it, or reached through
  // the local variables it reads and the return statements of the functions it calls (not through
  // their arguments, nor a record's fields or a list's items, which hold data). A text the global
  // is compared with where it is read is dealt with there.
  void GlobalsReached(size_t f, size_t begin, size_t end, int depth) {
    if (depth > 4) return;
    const std::vector<Token>& t = sources_[f].tokens;
    for (size_t i = begin; i < end; ++i) {
      if (t[i].kind != Kind::kIdent || (i > begin && (Is(t[i - 1], ".") || Is(t[i - 1], "->")))) continue;
      const std::string& w = t[i].text;
      if (i + 1 < end && Is(t[i + 1], "(")) {
        size_t close = Matching(t, i + 1);
        if (!kTranslating().count(w) && visitedReturns_.insert({w, depth}).second)
          for (const Function& fn : functions_) {
            if (fn.name != w) continue;
            const std::vector<Token>& body = sources_[fn.file].tokens;
            for (size_t k = fn.bodyBegin; k < fn.bodyEnd; ++k)
              if (body[k].kind == Kind::kIdent && body[k].text == "return" && !sources_[fn.file].suppressed[k])
                GlobalsReached(fn.file, k + 1, StatementEnd(body, k + 1), depth + 1);
          }
        i = close;
        continue;
      }
      if (i + 1 < end && (Is(t[i + 1], ".") || Is(t[i + 1], "->") || Is(t[i + 1], "["))) continue;
      const bool comparedBefore = i > begin && (Is(t[i - 1], "==") || Is(t[i - 1], "!="));
      const bool comparedAfter = i + 2 < end && (Is(t[i + 1], "==") || Is(t[i + 1], "!="));
      if (w.size() > 1 && w[0] == 'g' && std::isupper(static_cast<unsigned char>(w[1]))) {
        std::set<std::string>& handled = shownGlobals_[w];
        if (comparedAfter)
          for (const std::string& text : PlainTexts(f, i + 2, i + 3)) handled.insert(text);
        continue;
      }
      if (comparedBefore || !std::islower(static_cast<unsigned char>(w[0]))) continue;
      const Function* fn = EnclosingFunction(f, i);
      if (!fn || IsTextParam(*fn, w)) continue;
      for (size_t k = fn->bodyBegin; k + 1 < fn->bodyEnd; ++k)  // a local: what it is given
        if (t[k].kind == Kind::kIdent && t[k].text == w && !(k > 0 && (Is(t[k - 1], ".") || Is(t[k - 1], "->"))) &&
            (Is(t[k + 1], "=") || Is(t[k + 1], "+=")) && visitedLocals_.insert({f, k}).second)
          GlobalsReached(f, k + 2, StatementEnd(t, k + 2), depth + 1);
    }
  }

  std::map<std::string, UiText> Collect() {
    for (size_t f = 0; f < sources_.size(); ++f) {
      const std::vector<Token>& t = sources_[f].tokens;
      for (size_t i = 0; i + 1 < t.size(); ++i) {
        if (sources_[f].suppressed[i] || t[i].kind != Kind::kIdent) continue;
        if (t[i].text == "gStatusText" && (Is(t[i + 1], "=") || Is(t[i + 1], "+="))) {
          size_t end = StatementEnd(t, i + 2);
          CollectExpression(f, i + 2, end, false, 0);
          continue;
        }
        auto [from, to] = MemberStore(f, i);
        if (to > from) CollectExpression(f, from, to, false, 0);
        auto sink = sinks_.find(t[i].text);
        if (sink == sinks_.end() || !Is(t[i + 1], "(") || headers_.count({f, i})) continue;
        if (i > 0 && (Is(t[i - 1], ".") || Is(t[i - 1], "->"))) continue;
        size_t close = Matching(t, i + 1);
        auto args = SplitArguments(t, i + 2, close, false);
        for (int index : sink->second)
          if (index < int(args.size())) CollectExpression(f, args[size_t(index)].first, args[size_t(index)].second, t[i].text == "TrF" && index == 0, 0);
      }
    }
    return texts_;
  }

 private:
  static const std::map<std::string, std::set<int>>& kBaseSinks() {
    static const std::map<std::string, std::set<int>> k = {
        {"Tr", {0}},          {"TrCStr", {0}},      {"TrCopy", {0}},          {"TrF", {0}},
        {"DrawTextUtf8", {3}}, {"MeasureText", {1}}, {"MeasureTextHeight", {1}}, {"FitTextToWidth", {1}},
        {"DrawVerticalText", {2}}, {"TrLater", {0}}};
    return k;
  }

  static const std::set<std::string>& kTranslating() {
    static const std::set<std::string> k = {"Tr", "TrCStr", "TrCopy", "TrF", "TrScaleLabel"};
    return k;
  }

  static bool IsTextParam(const Function& fn, const std::string& name) {
    for (const auto& [p, n] : fn.textParams)
      if (n == name) return true;
    return false;
  }

  // Functions that translate a text of their own rather than only one handed to them: a
  // translation call, or a translating drawing call, on anything but a lone text parameter, or a
  // call of another such function. Called where translation is suppressed, they show English.
  void FindProducers() {
    producers_ = kTranslating();
    for (bool changed = true; changed;) {
      changed = false;
      for (const Function& fn : functions_) {
        if (producers_.count(fn.name) || kBaseSinks().count(fn.name)) continue;
        const Source& src = sources_[fn.file];
        const std::vector<Token>& t = src.tokens;
        for (size_t i = fn.bodyBegin; i + 1 < fn.bodyEnd && !producers_.count(fn.name); ++i) {
          if (t[i].kind != Kind::kIdent || !Is(t[i + 1], "(") || src.suppressed[i]) continue;
          if (i > 0 && (Is(t[i - 1], ".") || Is(t[i - 1], "->"))) continue;
          bool producer = producers_.count(t[i].text) && !kTranslating().count(t[i].text);
          auto sink = t[i].text == "TrLater" ? sinks_.end() : sinks_.find(t[i].text);
          if (!producer && sink != sinks_.end()) {
            size_t close = Matching(t, i + 1);
            auto args = SplitArguments(t, i + 2, close, false);
            for (int index : sink->second)
              if (index < int(args.size()) && CarriesOwnText(fn, args[size_t(index)].first, args[size_t(index)].second, 0))
                producer = true;
          }
          if (producer) {
            producers_.insert(fn.name);
            changed = true;
          }
        }
      }
    }
  }

  // Whether an expression in fn's body may hold a text of fn's own rather than one handed to it:
  // a literal or table text with words, data read from a record, a translating function's result,
  // or a local variable given one of these.
  bool CarriesOwnText(const Function& fn, size_t begin, size_t end, int depth) {
    if (depth > 4) return false;
    const std::vector<Token>& t = sources_[fn.file].tokens;
    for (size_t i = begin; i < end; ++i) {
      const Token& tok = t[i];
      bool compared = (i > begin && (Is(t[i - 1], "==") || Is(t[i - 1], "!="))) ||
                      (i + 1 < end && (Is(t[i + 1], "==") || Is(t[i + 1], "!=")));
      if (tok.kind == Kind::kString && !compared && HasWords(tok.text)) return true;
      if (tok.kind != Kind::kIdent || compared) continue;
      if (i > begin && (Is(t[i - 1], ".") || Is(t[i - 1], "->"))) {
        if (!(i + 1 < end && Is(t[i + 1], "("))) return true;  // a record's field
        continue;
      }
      if (i + 1 < end && Is(t[i + 1], "(")) {
        size_t close = Matching(t, i + 1);
        if (producers_.count(tok.text) && !kTranslating().count(tok.text)) return true;
        if (kTranslating().count(tok.text)) {
          auto args = SplitArguments(t, i + 2, close, false);
          if (!args.empty() && CarriesOwnText(fn, args[0].first, args[0].second, depth + 1)) return true;
        }
        i = close;
        continue;
      }
      const std::string& w = tok.text;
      if (w.size() > 1 && w[0] == 'k' && std::isupper(static_cast<unsigned char>(w[1])) && constants_.count(w)) {
        for (const auto& [file, range] : constants_[w])
          for (size_t k = range.first; k < range.second; ++k)
            if (sources_[file].tokens[k].kind == Kind::kString && HasWords(sources_[file].tokens[k].text)) return true;
        continue;
      }
      if (IsTextParam(fn, w) || !std::islower(static_cast<unsigned char>(w[0]))) continue;
      for (size_t k = fn.bodyBegin; k + 1 < fn.bodyEnd; ++k) {  // a local: what it is given
        if (t[k].kind != Kind::kIdent || t[k].text != w || (k > 0 && (Is(t[k - 1], ".") || Is(t[k - 1], "->")))) continue;
        if ((Is(t[k + 1], "=") || Is(t[k + 1], "+=")) && CarriesOwnText(fn, k + 2, StatementEnd(t, k + 2), depth + 1))
          return true;
      }
    }
    return false;
  }

  // Functions that draw or measure one of their text parameters as it stands: they hand it, not
  // through a translation, to a sink under suppression or to another such function.
  void FindShownHelpers() {
    for (bool changed = true; changed;) {
      changed = false;
      for (const Function& fn : functions_) {
        if (kBaseSinks().count(fn.name) || fn.textParams.empty()) continue;
        const Source& src = sources_[fn.file];
        const std::vector<Token>& t = src.tokens;
        for (size_t i = fn.bodyBegin; i + 1 < fn.bodyEnd; ++i) {
          if (t[i].kind != Kind::kIdent || !Is(t[i + 1], "(")) continue;
          std::set<int> indices;
          if (shownHelpers_.count(t[i].text)) indices = shownHelpers_[t[i].text];
          if (src.suppressed[i] && sinks_.count(t[i].text) && !kTranslating().count(t[i].text) && t[i].text != "TrLater")
            for (int index : sinks_[t[i].text]) indices.insert(index);
          if (indices.empty()) continue;
          size_t close = Matching(t, i + 1);
          auto args = SplitArguments(t, i + 2, close, false);
          for (int index : indices) {
            if (index >= int(args.size())) continue;
            for (size_t k = args[size_t(index)].first; k < args[size_t(index)].second; ++k) {
              if (t[k].kind == Kind::kIdent && Is(t[k + 1], "(")) {  // through a call: translated or made anew
                k = Matching(t, k + 1);
                continue;
              }
              for (const auto& [p, name] : fn.textParams)
                if (t[k].kind == Kind::kIdent && t[k].text == name && shownHelpers_[fn.name].insert(p).second)
                  changed = true;
            }
          }
        }
      }
    }
  }

  // The literals with words, and the constant tables' literals with words, that an argument hands
  // over as they stand: outside every call, and not compared with.
  std::vector<std::string> PlainTexts(size_t f, size_t begin, size_t end) {
    const std::vector<Token>& t = sources_[f].tokens;
    std::vector<std::string> out;
    for (size_t i = begin; i < end; ++i) {
      if (t[i].kind == Kind::kIdent && i + 1 < end && Is(t[i + 1], "(")) {
        i = Matching(t, i + 1);
        continue;
      }
      bool compared = (i > begin && (Is(t[i - 1], "==") || Is(t[i - 1], "!="))) ||
                      (i + 1 < end && (Is(t[i + 1], "==") || Is(t[i + 1], "!=")));
      if (t[i].kind == Kind::kString && !compared && HasWords(t[i].text)) out.push_back(t[i].text);
      const std::string& w = t[i].text;
      if (t[i].kind == Kind::kIdent && w.size() > 1 && w[0] == 'k' && std::isupper(static_cast<unsigned char>(w[1])) &&
          constants_.count(w))
        for (const auto& [file, range] : constants_[w])
          for (size_t k = range.first; k < range.second; ++k)
            if (sources_[file].tokens[k].kind == Kind::kString && HasWords(sources_[file].tokens[k].text))
              out.push_back(sources_[file].tokens[k].text);
    }
    return out;
  }

  static size_t StatementEnd(const std::vector<Token>& t, size_t from) {
    int depth = 0;
    for (size_t i = from; i < t.size(); ++i) {
      if (t[i].kind != Kind::kPunct) continue;
      const std::string& x = t[i].text;
      if (x == "(" || x == "{" || x == "[") ++depth;
      if (x == ")" || x == "}" || x == "]") {
        if (depth == 0) return i;
        --depth;
      }
      if (x == ";" && depth == 0) return i;
    }
    return t.size();
  }

  void FindDefinitions(size_t f) {
    const std::vector<Token>& t = sources_[f].tokens;
    for (size_t i = 0; i + 1 < t.size(); ++i) {
      if (t[i].kind == Kind::kIdent && t[i].text.size() > 1 && t[i].text[0] == 'k' &&
          std::isupper(static_cast<unsigned char>(t[i].text[1]))) {
        size_t j = i + 1;
        while (j < t.size() && Is(t[j], "[")) j = Matching(t, j) + 1;
        if (j < t.size() && (Is(t[j], "=") || Is(t[j], "{"))) {
          size_t end = StatementEnd(t, Is(t[j], "{") ? j : j + 1);
          if (Is(t[j], "{")) end = Matching(t, j);
          constants_[t[i].text].push_back({f, {j + 1, end}});
        }
      }
      if (t[i].kind == Kind::kIdent && t[i].text.size() > 1 && t[i].text[0] == 'g' &&
          std::isupper(static_cast<unsigned char>(t[i].text[1])) && (Is(t[i + 1], "=") || Is(t[i + 1], "+="))) {
        globals_[t[i].text].push_back({f, {i + 2, StatementEnd(t, i + 2)}});
      }
      if (t[i].kind != Kind::kIdent || !Is(t[i + 1], "(") || Keywords().count(t[i].text)) continue;
      size_t close = Matching(t, i + 1), j = close + 1;
      while (j < t.size() && t[j].kind == Kind::kIdent &&
             (t[j].text == "const" || t[j].text == "noexcept" || t[j].text == "override" || t[j].text == "final"))
        ++j;
      if (j >= t.size() || !Is(t[j], "{")) continue;
      Function fn;
      fn.name = t[i].text;
      fn.file = f;
      fn.header = i;
      fn.bodyBegin = j;
      fn.bodyEnd = Matching(t, j);
      auto params = SplitArguments(t, i + 2, close, true);
      for (size_t p = 0; p < params.size(); ++p) {
        bool text = false, star = false, chr = false;
        std::string name;
        for (size_t k = params[p].first; k < params[p].second; ++k) {
          if (Is(t[k], "=")) break;
          if (t[k].text == "string" || t[k].text == "string_view") text = true;
          if (t[k].text == "char") chr = true;
          if (t[k].text == "*") star = true;
          if (t[k].kind == Kind::kIdent) name = t[k].text;
        }
        if ((text || (chr && star)) && name != "string" && name != "string_view" && name != "char")
          fn.textParams.push_back({int(p), name});
      }
      headers_.insert({f, i});
      functions_.push_back(fn);
    }
  }

  // Functions that pass a text parameter into a sink's text argument or a shown record field, and
  // the shown fields, until nothing changes.
  void FindHelpers() {
    do FindCallHelpers();
    while (FindShownMembers());
  }

  // The record type a variable named at t[at] was declared with in the function around it ("" when
  // it cannot be told: auto, a global).
  std::string DeclaredType(size_t f, size_t at) const {
    const Function* fn = EnclosingFunction(f, at);
    if (!fn) return "";
    const std::vector<Token>& t = sources_[f].tokens;
    for (size_t i = fn->header + 2; i < at; ++i) {
      if (t[i].kind != Kind::kIdent || t[i].text != t[at].text || i + 1 >= t.size()) continue;
      const std::string& next = t[i + 1].text;
      if (next != "=" && next != ";" && next != "," && next != ")" && next != "[" && next != "{" && next != ":") continue;
      size_t k = i - 1;
      while (k > fn->header && (Is(t[k], "&") || Is(t[k], "*") || Is(t[k], "&&") || t[k].text == "const")) --k;
      if (t[k].text == "auto") return "";
      if (t[k].kind != Kind::kIdent || Keywords().count(t[k].text) || t[k].text == "else") continue;  // a use
      return t[k].text;
    }
    return "";
  }

  // A field of a record type (of any, when the type cannot be told) that reaches the call.
  bool IsShownMember(const std::string& type, const std::string& member) const {
    if (!type.empty()) return shownMembers_.count({type, member}) > 0;
    for (const auto& [shownType, shown] : shownMembers_)
      if (shown == member) return true;
    return false;
  }

  // Record fields whose value reaches the call: "box.label" handed to a drawing call, box a
  // NoteFigureBox, makes NoteFigureBox's label a shown text wherever it is set.
  bool FindShownMembers() {
    bool changed = false;
    for (size_t f = 0; f < sources_.size(); ++f) {
      const std::vector<Token>& t = sources_[f].tokens;
      for (size_t i = 0; i + 1 < t.size(); ++i) {
        if (sources_[f].suppressed[i] || t[i].kind != Kind::kIdent || !Is(t[i + 1], "(") || headers_.count({f, i})) continue;
        auto sink = sinks_.find(t[i].text);
        if (sink == sinks_.end() || (i > 0 && (Is(t[i - 1], ".") || Is(t[i - 1], "->")))) continue;
        size_t close = Matching(t, i + 1);
        auto args = SplitArguments(t, i + 2, close, false);
        for (int index : sink->second) {
          if (index >= int(args.size())) continue;
          // Only the value itself, not an index or a call's argument inside it.
          const size_t first = args[size_t(index)].first;
          for (size_t k = first; k + 1 < args[size_t(index)].second; ++k) {
            if (Is(t[k], "(") || Is(t[k], "[")) {
              k = Matching(t, k);
              continue;
            }
            if (!(Is(t[k], ".") || Is(t[k], "->")) || t[k + 1].kind != Kind::kIdent || Is(t[k + 2], "(")) continue;
            // A field that is tested or compared decides between texts; it is not one.
            if (Is(t[k + 2], "?") || Is(t[k + 2], "==") || Is(t[k + 2], "!=")) continue;
            size_t object = k - 1;  // the variable, past its indices: boxes[i].label
            while (object > first && Is(t[object], "]")) object = Opening(t, object) - 1;
            if (t[object].kind != Kind::kIdent || (object > 0 && (Is(t[object - 1], ".") || Is(t[object - 1], "->") ||
                                                                  Is(t[object - 1], "==") || Is(t[object - 1], "!="))))
              continue;
            // Only a field of a variable whose record type is known here: the same field name in
            // another record is another text.
            const std::string type = DeclaredType(f, object);
            if (!type.empty() && shownMembers_.insert({type, t[k + 1].text}).second) changed = true;
          }
        }
      }
    }
    return changed;
  }

  // The value set to a shown field at t[at] (the object's name, then "." or "->" and the field):
  // [from, to), or from == to when at is no such store.
  std::pair<size_t, size_t> MemberStore(size_t f, size_t at) const {
    const std::vector<Token>& t = sources_[f].tokens;
    if (at + 3 >= t.size() || t[at].kind != Kind::kIdent || (at > 0 && (Is(t[at - 1], ".") || Is(t[at - 1], "->"))))
      return {0, 0};
    size_t j = at + 1;
    while (j < t.size() && Is(t[j], "[")) j = Matching(t, j) + 1;  // boxes[1].label
    if (j + 2 >= t.size() || !(Is(t[j], ".") || Is(t[j], "->")) || t[j + 1].kind != Kind::kIdent) return {0, 0};
    const std::string& member = t[j + 1].text;
    j += 2;
    while (j < t.size() && Is(t[j], "[")) j = Matching(t, j) + 1;  // d->label[n]
    if (j >= t.size() || !(Is(t[j], "=") || Is(t[j], "+="))) return {0, 0};
    if (!IsShownMember(DeclaredType(f, at), member)) return {0, 0};
    return {j + 1, StatementEnd(t, j + 1)};
  }

  // Functions that pass a text parameter into a sink's text argument, until nothing changes.
  void FindCallHelpers() {
    sinks_ = kBaseSinks();
    for (bool changed = true; changed;) {
      changed = false;
      for (const Function& fn : functions_) {
        if (kBaseSinks().count(fn.name) || fn.textParams.empty()) continue;
        const Source& src = sources_[fn.file];
        const std::vector<Token>& t = src.tokens;
        for (size_t i = fn.bodyBegin; i < fn.bodyEnd; ++i) {
          auto [from, to] = MemberStore(fn.file, i);  // a parameter kept in a shown field
          for (size_t k = from; k < to; ++k)
            for (const auto& [p, name] : fn.textParams)
              if (t[k].kind == Kind::kIdent && t[k].text == name && sinks_[fn.name].insert(p).second) changed = true;
          auto sink = sinks_.find(t[i].text);
          if (sink == sinks_.end() || t[i].kind != Kind::kIdent || !Is(t[i + 1], "(") || src.suppressed[i]) continue;
          size_t close = Matching(t, i + 1);
          auto args = SplitArguments(t, i + 2, close, false);
          for (int index : sink->second) {
            if (index >= int(args.size())) continue;
            for (size_t k = args[size_t(index)].first; k < args[size_t(index)].second; ++k)
              for (const auto& [p, name] : fn.textParams)
                if (t[k].kind == Kind::kIdent && t[k].text == name && sinks_[fn.name].insert(p).second) changed = true;
          }
        }
      }
    }
  }

  void Add(size_t f, const Token& tok, bool isTemplate, bool tail) {
    UiText& u = texts_[tok.text];
    if (u.where.empty()) u.where = sources_[f].path + ":" + std::to_string(tok.line);
    u.text = tok.text;
    u.isTemplate |= isTemplate;
    u.hasTail |= tail;
  }

  const Function* EnclosingFunction(size_t f, size_t at) const {
    const Function* best = nullptr;
    for (const Function& fn : functions_)
      if (fn.file == f && fn.bodyBegin < at && at < fn.bodyEnd && (!best || fn.bodyBegin > best->bodyBegin)) best = &fn;
    return best;
  }

  // The literals of an expression whose value reaches a sink: directly, through constants,
  // globals, local variables and the return statements of functions it calls.
  void CollectExpression(size_t f, size_t begin, size_t end, bool isTemplate, int depth) {
    if (depth > 6) return;
    const std::vector<Token>& t = sources_[f].tokens;
    // A "+" chain with a run-time operand: its literals are not the line the user sees.
    bool runtime = false, chain = false;
    std::vector<size_t> wrapped;  // literals inside a Tr call that is an operand of the chain
    int level = 0;
    for (size_t i = begin; i < end; ++i) {
      const std::string& x = t[i].text;
      if (t[i].kind == Kind::kPunct && (x == "(" || x == "[" || x == "{")) ++level;
      if (t[i].kind == Kind::kPunct && (x == ")" || x == "]" || x == "}")) --level;
      if (level == 0 && t[i].kind == Kind::kPunct && (x == "+" || x == "+=")) chain = true;
    }
    if (chain) {
      level = 0;
      size_t start = begin;
      for (size_t i = begin; i <= end; ++i) {
        bool split = i == end;
        if (!split) {
          const std::string& x = t[i].text;
          if (t[i].kind == Kind::kPunct && (x == "(" || x == "[" || x == "{")) ++level;
          if (t[i].kind == Kind::kPunct && (x == ")" || x == "]" || x == "}")) --level;
          split = level == 0 && t[i].kind == Kind::kPunct && x == "+";
        }
        if (!split) continue;
        bool literal = i == start + 1 && t[start].kind == Kind::kString;
        bool trOfLiteral = i == start + 4 && t[start].kind == Kind::kIdent && t[start].text.rfind("Tr", 0) == 0 &&
                           t[start + 2].kind == Kind::kString;
        bool empty = i == start;
        if (!literal && !trOfLiteral && !empty) runtime = true;
        if (trOfLiteral) wrapped.push_back(start + 2);
        start = i + 1;
      }
    }
    // Tr("Cleared ") + count: the literal is collected where Tr is read, but it is not the line shown.
    if (runtime)
      for (size_t at : wrapped) Add(f, t[at], false, true);
    for (size_t i = begin; i < end; ++i) {
      const Token& tok = t[i];
      if (tok.kind == Kind::kString) {
        bool compared = (i > begin && (Is(t[i - 1], "==") || Is(t[i - 1], "!="))) ||
                        (i + 1 < end && (Is(t[i + 1], "==") || Is(t[i + 1], "!=")));
        if (!compared) Add(f, tok, isTemplate, runtime);  // a key compared with, not a text shown
        continue;
      }
      if (tok.kind != Kind::kIdent) continue;
      if (i > begin && (Is(t[i - 1], ".") || Is(t[i - 1], "->"))) continue;  // a member
      bool compared = (i > begin && (Is(t[i - 1], "==") || Is(t[i - 1], "!="))) ||
                      (i + 1 < end && (Is(t[i + 1], "==") || Is(t[i + 1], "!=")));
      if (compared) continue;  // a key compared with: the expression's value is a truth, not this text
      bool call = i + 1 < end && Is(t[i + 1], "(");
      if (call && sinks_.count(tok.text)) {  // collected where the call itself is read
        i = Matching(t, i + 1);
        continue;
      }
      if (call) {
        if (visited_.insert({tok.text, depth}).second) CollectReturns(tok.text, depth + 1);
        // What a function gives back flows on, not what it is given (a file name, a key), but
        // for a string made of its argument.
        if (tok.text != "string" && tok.text != "string_view") i = Matching(t, i + 1);
        continue;
      }
      const std::string& w = tok.text;
      bool named = w.size() > 1 && std::isupper(static_cast<unsigned char>(w[1]));
      if (named && w[0] == 'k' && constants_.count(w)) {
        for (const auto& [file, range] : constants_[w]) CollectExpression(file, range.first, range.second, false, depth + 1);
      } else if (named && w[0] == 'g' && globals_.count(w)) {
        for (const auto& [file, range] : globals_[w]) CollectExpression(file, range.first, range.second, false, depth + 1);
      } else if (std::islower(static_cast<unsigned char>(w[0]))) {
        CollectLocal(f, i, w, depth);
      }
    }
  }

  // The values given to a local variable in the function around position at.
  void CollectLocal(size_t f, size_t at, const std::string& name, int depth) {
    const Function* fn = EnclosingFunction(f, at);
    if (!fn) return;
    const std::vector<Token>& t = sources_[f].tokens;
    static const std::set<std::string> kScalars = {"bool", "int", "float", "double", "size_t", "long", "unsigned"};
    for (size_t i = fn->bodyBegin; i + 1 < fn->bodyEnd; ++i)
      if (t[i].kind == Kind::kIdent && t[i].text == name && kScalars.count(t[i - 1].text)) return;  // never a text
    for (size_t i = fn->bodyBegin; i + 1 < fn->bodyEnd; ++i) {
      if (t[i].kind != Kind::kIdent || t[i].text != name) continue;
      if (i > 0 && (Is(t[i - 1], ".") || Is(t[i - 1], "->"))) continue;
      size_t from = 0, to = 0;
      if (Is(t[i + 1], "=") || Is(t[i + 1], "+=")) {
        from = i + 2, to = StatementEnd(t, i + 2);
      } else if (Is(t[i + 1], ":") && i > 0 && !Is(t[i - 1], "?")) {  // a range-for over a list or container
        from = i + 2, to = StatementEnd(t, i + 2);
      } else if (Is(t[i + 1], "[") || Is(t[i + 1], "{")) {  // an array given its elements, or one of them set
        size_t j = i + 1;
        while (j < fn->bodyEnd && Is(t[j], "[")) j = Matching(t, j) + 1;
        bool declared = t[i - 1].kind == Kind::kIdent && !Keywords().count(t[i - 1].text);
        if (j < fn->bodyEnd && (Is(t[j], "=") || Is(t[j], "+="))) from = j + 1, to = StatementEnd(t, j + 1);
        else if (j < fn->bodyEnd && Is(t[j], "{") && declared) from = j, to = Matching(t, j) + 1;
      } else if (i + 3 < fn->bodyEnd && Is(t[i + 1], ".") && Is(t[i + 3], "(") &&
                 (t[i + 2].text == "push_back" || t[i + 2].text == "emplace_back")) {
        from = i + 4, to = Matching(t, i + 3);
      }
      if (to > from && visited_.insert({sources_[f].path + ":" + std::to_string(i), depth}).second)
        CollectExpression(f, from, to, false, depth + 1);
    }
  }

  void CollectReturns(const std::string& name, int depth) {
    for (const Function& fn : functions_) {
      if (fn.name != name) continue;
      const std::vector<Token>& t = sources_[fn.file].tokens;
      for (size_t i = fn.bodyBegin; i < fn.bodyEnd; ++i)
        if (t[i].kind == Kind::kIdent && t[i].text == "return" && !sources_[fn.file].suppressed[i])
          CollectExpression(fn.file, i + 1, StatementEnd(t, i + 1), false, depth);
    }
  }

  std::string root_;
  std::vector<Source> sources_;
  std::vector<Function> functions_;
  std::set<std::pair<size_t, size_t>> headers_;  // (file, token) of each definition's name
  std::map<std::string, std::set<int>> sinks_;
  std::map<std::string, std::vector<std::pair<size_t, std::pair<size_t, size_t>>>> constants_, globals_;
  std::set<std::pair<std::string, int>> visited_;
  std::map<std::string, UiText> texts_;
  std::set<std::string> producers_;
  std::set<std::pair<std::string, std::string>> shownMembers_;  // record type and field reaching the call
  std::map<std::string, std::set<int>> shownHelpers_;
  std::map<std::string, std::set<std::string>> shownGlobals_;  // drawn as they stand: the texts compared with
  std::set<std::pair<std::string, int>> visitedReturns_;
  std::set<std::pair<size_t, size_t>> visitedLocals_;
};

std::vector<std::vector<std::string>> ReadTsv(const std::string& path) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(ReadAll(path));
  std::string line;
  std::getline(in, line);  // the header
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::vector<std::string> cells;
    std::istringstream cellsIn(line);
    for (std::string cell; std::getline(cellsIn, cell, '\t');) cells.push_back(cell);
    rows.push_back(cells);
  }
  return rows;
}

std::string DecodeEntities(std::string s) {
  static const std::pair<const char*, const char*> kEntities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&#39;", "'"}, {"&amp;", "&"}};
  for (const auto& [from, to] : kEntities)
    for (size_t p; (p = s.find(from)) != std::string::npos;) s.replace(p, std::string(from).size(), to);
  return s;
}

}  // namespace

bool HasWords(const std::string& text) {
  int run = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%') i = std::min(text.find_first_not_of("-+ #0123456789.zlduisfxXcg", i + 1), text.size()) - 1;
    run = i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])) ? run + 1 : 0;
    if (run >= 2) return true;
  }
  return false;
}

std::vector<std::string> CollectTextHelpers(const std::string& root) { return Collector(root).Helpers(); }

std::vector<UntranslatedShow> FindTextsShownUntranslated(const std::string& root) { return Collector(root).Untranslated(); }

std::vector<UiText> CollectUiTexts(const std::string& root, const std::string& libraryFolder) {
  std::map<std::string, UiText> texts = Collector(root).Collect();
  auto addData = [&](const std::string& text, const std::string& where) {
    if (text.empty() || texts.count(text)) return;
    texts[text] = UiText{text, false, false, where};
  };
  if (!libraryFolder.empty()) {
    // The columns of the index that the library screens hand to the call: type, name, subtitle,
    // era, form and style; and the lesson titles of the plan.
    static const std::pair<size_t, const char*> kColumns[] = {{3, "type"}, {4, "name"}, {5, "subtitle"},
                                                             {8, "era"},  {9, "form"}, {10, "style"}};
    for (const auto& row : ReadTsv(libraryFolder + "/library_index.tsv")) {
      for (const auto& [column, what] : kColumns)
        if (column < row.size()) addData(row[column], std::string("lesson library ") + what + " (" + row[0] + ")");
      // A scale or chord card shows its name cut at " - ": the title above, the rest below.
      size_t dash = row.size() > 4 ? row[4].find(" - ") : std::string::npos;
      if (dash != std::string::npos && (row[2] == "scales" || row[2] == "chords")) {
        addData(row[4].substr(0, dash), "lesson library card title (" + row[0] + ")");
        addData(row[4].substr(dash + 3), "lesson library card subtitle (" + row[0] + ")");
      }
    }
    for (const auto& row : ReadTsv(libraryFolder + "/lesson_plan.tsv"))
      if (row.size() > 3) addData(DecodeEntities(row[3]), "lesson library lesson title (lesson " + row[0] + ")");
  }
  for (const char* name : kScaleDisplayNames) addData(name, "scale name (board rows, scale labels, pickers)");
  std::vector<UiText> out;
  for (auto& [text, u] : texts) out.push_back(u);
  return out;
}
